#include "desktop/dialogs/lyrics_placed_notice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace lf {
namespace {

const char* kSummary =
    "The lyrics have already been placed. Simple edits can be made without requiring the lyrics to be placed again.";
const char* kRest[] = {
    "If you make edits, when you play the placed lyrics various problems may appear. You will need to place the "
    "lyrics again.\n\nThese are relatively safe edits you can make:",
    "- Correct misspelled words.\n- Move a word at the line start/end to the line above/below.\n- Inserting a new "
    "word creates its highlighting by taking half\n        of the highlighting time of the word before it.",
    "- Insert ONE new blank line in the SONG using the Enter key.\n- Add the ^ symbol to insert a new page on any "
    "existing blank line.",
};

QLabel* WrappedLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setWordWrap(true);
  return label;
}

}  // namespace

LyricsPlacedNotice::LyricsPlacedNotice(QWidget* parent) : QDialog(parent) {
  setWindowTitle(tr("Lyrics Already Placed"));
  auto* layout = new QVBoxLayout(this);
  layout->setSizeConstraint(QLayout::SetFixedSize);  // grows and shrinks with the rest

  auto* top = new QHBoxLayout;
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(32, 32));
  top->addWidget(icon, 0, Qt::AlignTop);
  auto* summary = WrappedLabel(tr(kSummary), this);
  summary->setMinimumWidth(360);
  top->addWidget(summary, 1);
  layout->addLayout(top);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  auto* close = new QPushButton(tr("Close"), this);
  close->setDefault(true);
  connect(close, &QPushButton::clicked, this, &QDialog::accept);
  m_more = new QPushButton(tr("&More >>"), this);
  connect(m_more, &QPushButton::clicked, this, [this] { SetExpanded(!Expanded()); });
  buttons->addWidget(close);
  buttons->addWidget(m_more);
  layout->addLayout(buttons);

  m_rest = new QWidget(this);
  auto* restLayout = new QVBoxLayout(m_rest);
  restLayout->setContentsMargins(0, 0, 0, 0);
  for (const char* text : kRest) restLayout->addWidget(WrappedLabel(tr(text), m_rest));
  layout->addWidget(m_rest);
  SetExpanded(false);
}

bool LyricsPlacedNotice::Expanded() const { return !m_rest->isHidden(); }

void LyricsPlacedNotice::SetExpanded(bool expanded) {
  m_rest->setVisible(expanded);
  m_more->setText(expanded ? tr("<< &Less") : tr("&More >>"));
}

}  // namespace lf
