#include "core/platform/message_sink.h"

#include <cstdio>

namespace lf {

MessageAnswer StderrMessageSink::Show(const Message& message) {
  if (message.caption.empty()) {
    std::fprintf(stderr, "%s\n", message.text.c_str());
  } else {
    std::fprintf(stderr, "%s: %s\n", message.caption.c_str(), message.text.c_str());
  }
  return message.defaultAnswer;
}

MessageAnswer RecordingMessageSink::Show(const Message& message) {
  last = message;
  ++m_count;
  if (!message.checkBox.empty() && message.checkBoxChecked) *message.checkBoxChecked = checkBoxAnswer;
  return useDefault ? message.defaultAnswer : answer;
}

const std::string& RecordingMessageSink::LastText() const { return last.text; }

namespace {
std::unique_ptr<MessageSink>& SinkSlot() {
  static std::unique_ptr<MessageSink> sink = std::make_unique<StderrMessageSink>();
  return sink;
}
}  // namespace

MessageSink& Messages() { return *SinkSlot(); }

std::unique_ptr<MessageSink> SetMessageSink(std::unique_ptr<MessageSink> sink) {
  auto previous = std::move(SinkSlot());
  SinkSlot() = sink ? std::move(sink) : std::make_unique<StderrMessageSink>();
  return previous;
}

ScopedMessageRecorder::ScopedMessageRecorder()
    : m_sink(new RecordingMessageSink), m_previous(SetMessageSink(std::unique_ptr<MessageSink>(m_sink))) {}

ScopedMessageRecorder::~ScopedMessageRecorder() { SetMessageSink(std::move(m_previous)); }

}  // namespace lf
