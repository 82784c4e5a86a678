#pragma once
// How an operation that can fail ended: a reason code for the program to act
// on, and the message the user is told (text, caption, icon) for the front end
// to show. Core code returns these and shows nothing; the desktop program puts
// `text` in a message box (ShowOutcome), the command-line tool picks its exit
// code from `reason` and prints one line. Questions that need an answer stay
// with the message sink.
#include <string>

#include "core/platform/message_sink.h"

namespace lf {

enum class Reason {
  None,         // it worked
  Cancelled,    // the user stopped it; nothing was left behind
  NotFound,     // an input does not exist or cannot be opened
  BadInput,     // an input is damaged, of a kind or version that cannot be read, or holds nothing usable
  NotAllowed,   // the input is sound, but this operation refuses it (BIN of 48 kHz music)
  NotHandled,   // not a kind of file the operation takes; nothing was done and nothing is told
  WriteFailed,  // an output cannot be created or written
  Failed,       // anything else: no memory, a library that gave up
};

struct Outcome {
  Reason reason = Reason::None;
  std::string text;     // the message as the user sees it; empty when nothing is to be shown
  std::string caption;  // its title
  MessageIcon icon = MessageIcon::None;
  std::string detail;  // context for one error line or a log (which file, which step); not shown in a box

  bool Ok() const { return reason == Reason::None; }
  explicit operator bool() const { return Ok(); }

  static Outcome Success() { return {}; }
  static Outcome Failure(Reason reason, std::string text, std::string caption,
                         MessageIcon icon = MessageIcon::Exclamation, std::string detail = {}) {
    return {reason, std::move(text), std::move(caption), icon, std::move(detail)};
  }
  // Nothing to show the user (a cancel, a quiet failure); `detail` says what happened.
  static Outcome Quiet(Reason reason, std::string detail) {
    return {reason, {}, {}, MessageIcon::None, std::move(detail)};
  }
};

// The front end's part: shows the outcome's message through the message sink
// when it has one. Nothing happens for success or a quiet outcome.
inline void ShowOutcome(const Outcome& outcome) {
  if (outcome.Ok() || outcome.text.empty()) return;
  ShowMessage(outcome.text, outcome.caption, outcome.icon);
}

}  // namespace lf
