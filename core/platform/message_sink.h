#pragma once
// Messages that core code puts before the user (a project that cannot be
// loaded, a missing sound device, ...). The desktop program shows a message
// box; the command-line tool prints the text to standard error and takes the
// default answer.
#include <memory>
#include <string>

namespace lf {

enum class MessageIcon { None, Information, Warning, Exclamation, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

struct Message {
  std::string text;
  std::string caption;
  MessageIcon icon = MessageIcon::None;
  MessageButtons buttons = MessageButtons::Ok;
  MessageAnswer defaultAnswer = MessageAnswer::Ok;
  // A check box under the text ("Don't show me this again."), when not empty.
  // The sink stores its final state through checkBoxChecked when given.
  std::string checkBox;
  bool* checkBoxChecked = nullptr;
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual MessageAnswer Show(const Message& message) = 0;
};

// Prints "caption: text" to standard error and answers the default.
class StderrMessageSink : public MessageSink {
 public:
  MessageAnswer Show(const Message& message) override;
};

// Keeps every message it is shown (tests read them back).
class RecordingMessageSink : public MessageSink {
 public:
  MessageAnswer Show(const Message& message) override;
  const std::string& LastText() const;
  int Count() const { return m_count; }
  MessageAnswer answer = MessageAnswer::Ok;
  bool useDefault = true;
  bool checkBoxAnswer = false;  // what the user leaves a check box at
  Message last;

 private:
  int m_count = 0;
};

MessageSink& Messages();
// Installs a sink; returns the previous one so a scope can put it back.
std::unique_ptr<MessageSink> SetMessageSink(std::unique_ptr<MessageSink> sink);

// Records every message shown while it lives, then puts the previous sink
// back: commands that turn a message into their own error line, and tests.
class ScopedMessageRecorder {
 public:
  ScopedMessageRecorder();
  ~ScopedMessageRecorder();
  ScopedMessageRecorder(const ScopedMessageRecorder&) = delete;
  ScopedMessageRecorder& operator=(const ScopedMessageRecorder&) = delete;
  RecordingMessageSink& Sink() { return *m_sink; }
  const RecordingMessageSink& Sink() const { return *m_sink; }

 private:
  RecordingMessageSink* m_sink;  // owned by the message slot while installed
  std::unique_ptr<MessageSink> m_previous;
};

inline MessageAnswer ShowMessage(const std::string& text, const std::string& caption,
                                 MessageIcon icon = MessageIcon::Exclamation,
                                 MessageButtons buttons = MessageButtons::Ok,
                                 MessageAnswer defaultAnswer = MessageAnswer::Ok) {
  Message message;
  message.text = text;
  message.caption = caption;
  message.icon = icon;
  message.buttons = buttons;
  message.defaultAnswer = defaultAnswer;
  return Messages().Show(message);
}

}  // namespace lf
