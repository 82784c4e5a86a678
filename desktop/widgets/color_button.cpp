#include "desktop/widgets/color_button.h"

#include <QColorDialog>
#include <QPainter>
#include <QPixmap>

#include "core/song/color_settings.h"

namespace lf {
namespace {

ColorButton::Picker& CurrentPicker() {
  static ColorButton::Picker picker;
  return picker;
}

QColor ToQColor(Colorref c) { return QColor(RedOf(c), GreenOf(c), BlueOf(c)); }

std::optional<Colorref> QtPicker(Colorref current, QWidget* parent) {
  const QColor chosen = QColorDialog::getColor(ToQColor(current), parent, QObject::tr("Color"));
  if (!chosen.isValid()) return std::nullopt;
  return MakeRgb(uint8_t(chosen.red()), uint8_t(chosen.green()), uint8_t(chosen.blue()));
}

}  // namespace

ColorButton::ColorButton(const QString& label, QWidget* parent) : QPushButton(label, parent) {
  connect(this, &QPushButton::clicked, this, &ColorButton::Choose);
  SetColor(0);
}

void ColorButton::SetPicker(Picker picker) { CurrentPicker() = std::move(picker); }

void ColorButton::SetColor(Colorref color) {
  m_color = color & 0xFFFFFF;
  const Colorref shown = RoundToCdgColor(m_color);
  QPixmap swatch(24, 14);
  swatch.fill(ToQColor(shown));
  QPainter(&swatch).drawRect(0, 0, 23, 13);
  setIcon(QIcon(swatch));
  const QString hex = QString("#%1%2%3")
                          .arg(RedOf(shown), 2, 16, QChar('0'))
                          .arg(GreenOf(shown), 2, 16, QChar('0'))
                          .arg(BlueOf(shown), 2, 16, QChar('0'))
                          .toUpper();
  setToolTip(tr("%1 as the CD+G palette shows it").arg(hex));
}

void ColorButton::Choose() {
  const Picker& picker = CurrentPicker();
  const std::optional<Colorref> chosen = picker ? picker(m_color, this) : QtPicker(m_color, this);
  if (!chosen) return;
  SetColor(*chosen);
  emit ColorChosen(*chosen & 0xFFFFFF);
}

}  // namespace lf
