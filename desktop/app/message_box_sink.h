#pragma once
// The desktop program's message sink: a modal QMessageBox with the message's
// icon, buttons and check box. Safe to call from any thread: other threads
// wait while the GUI thread shows it.
#include "core/platform/message_sink.h"

class QWidget;

namespace lf {

class QtMessageSink : public MessageSink {
 public:
  MessageAnswer Show(const Message& message) override;
};

// Shows one message on the GUI thread (the sink's work, also used directly).
MessageAnswer ShowMessageBox(const Message& message, QWidget* parent);

}  // namespace lf
