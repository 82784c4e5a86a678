#include "core/platform/message_sink.h"

#include <gtest/gtest.h>

#include "core/platform/outcome.h"

namespace lf {
namespace {

TEST(ScopedMessageRecorder, RecordsWhileAliveAndNestsBack) {
  MessageSink* outside = &Messages();
  {
    ScopedMessageRecorder outer;
    ShowMessage("first", "Caption");
    {
      ScopedMessageRecorder inner;
      EXPECT_EQ(ShowMessage("second", "Caption", MessageIcon::Question, MessageButtons::YesNo, MessageAnswer::No),
                MessageAnswer::No);
      EXPECT_EQ(inner.Sink().Count(), 1);
    }
    EXPECT_EQ(outer.Sink().Count(), 1) << "the inner recorder kept the second message";
    EXPECT_EQ(outer.Sink().LastText(), "first");
    EXPECT_EQ(&Messages(), &outer.Sink());
  }
  EXPECT_EQ(&Messages(), outside);
}

// The front end shows a failure's message once, and nothing for success or a quiet outcome.
TEST(ShowOutcome, ShowsOnlyFailuresThatCarryAMessage) {
  struct Case {
    Outcome outcome;
    int shown;
  };
  const Case cases[] = {
      {Outcome::Success(), 0},
      {Outcome::Quiet(Reason::Cancelled, "cancelled"), 0},
      {Outcome::Failure(Reason::NotFound, "Cannot open the project file.", "Lyricforge"), 1},
  };
  for (const Case& c : cases) {
    ScopedMessageRecorder recorder;
    ShowOutcome(c.outcome);
    ASSERT_EQ(recorder.Sink().Count(), c.shown);
    if (c.shown) {
      EXPECT_EQ(recorder.Sink().last.text, c.outcome.text);
      EXPECT_EQ(recorder.Sink().last.caption, c.outcome.caption);
      EXPECT_EQ(recorder.Sink().last.icon, MessageIcon::Exclamation);
    }
  }
}

}  // namespace
}  // namespace lf
