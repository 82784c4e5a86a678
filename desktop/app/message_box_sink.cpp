#include "desktop/app/message_box_sink.h"

#include <QApplication>
#include <QCheckBox>
#include <QMessageBox>
#include <QThread>

namespace lf {
namespace {

QMessageBox::Icon IconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Error:
      return QMessageBox::Critical;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

struct ButtonAnswer {
  QMessageBox::StandardButton button;
  MessageAnswer answer;
};

constexpr ButtonAnswer kButtonAnswers[] = {
    {QMessageBox::Ok, MessageAnswer::Ok},       {QMessageBox::Cancel, MessageAnswer::Cancel},
    {QMessageBox::Yes, MessageAnswer::Yes},     {QMessageBox::No, MessageAnswer::No},
    {QMessageBox::Retry, MessageAnswer::Retry},
};

QMessageBox::StandardButtons ButtonsOf(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok:
      return QMessageBox::Ok;
    case MessageButtons::OkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case MessageButtons::YesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case MessageButtons::YesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case MessageButtons::RetryCancel:
      return QMessageBox::Retry | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

QMessageBox::StandardButton ButtonOf(MessageAnswer answer) {
  for (const auto& b : kButtonAnswers)
    if (b.answer == answer) return b.button;
  return QMessageBox::NoButton;
}

MessageAnswer AnswerOf(int button, MessageAnswer fallback) {
  for (const auto& b : kButtonAnswers)
    if (b.button == button) return b.answer;
  return fallback;
}

// Escape or the close box answers Cancel where there is one, else No or OK.
MessageAnswer DismissAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::YesNo:
      return MessageAnswer::No;
    case MessageButtons::Ok:
      return MessageAnswer::Ok;
    default:
      return MessageAnswer::Cancel;
  }
}

}  // namespace

MessageAnswer ShowMessageBox(const Message& message, QWidget* parent) {
  QMessageBox box(IconOf(message.icon), QString::fromStdString(message.caption), QString::fromStdString(message.text),
                  ButtonsOf(message.buttons), parent);
  box.setDefaultButton(ButtonOf(message.defaultAnswer));
  QCheckBox* check = nullptr;
  if (!message.checkBox.empty()) {
    check = new QCheckBox(QString::fromStdString(message.checkBox), &box);
    check->setChecked(message.checkBoxChecked && *message.checkBoxChecked);
    box.setCheckBox(check);
  }
  const int result = box.exec();
  if (check && message.checkBoxChecked) *message.checkBoxChecked = check->isChecked();
  return AnswerOf(result, DismissAnswer(message.buttons));
}

MessageAnswer QtMessageSink::Show(const Message& message) {
  auto* app = QCoreApplication::instance();
  if (!app || QThread::currentThread() == app->thread()) return ShowMessageBox(message, QApplication::activeWindow());
  MessageAnswer answer = message.defaultAnswer;
  QMetaObject::invokeMethod(
      app, [&] { answer = ShowMessageBox(message, QApplication::activeWindow()); }, Qt::BlockingQueuedConnection);
  return answer;
}

}  // namespace lf
