#include "platform/message_sink.h"

#include <gtest/gtest.h>

namespace lf {
namespace {

TEST(ScopedMessageRecorder, RecordsWhileAliveAndNestsBack) {
  IMessageSink* outside = &Messages();
  {
    ScopedMessageRecorder outer;
    ShowMessage("first", "Caption");
    {
      ScopedMessageRecorder inner;
      EXPECT_EQ(ShowMessage("second", "Caption", MessageIcon::Question, MessageButtons::YesNo,
                            MessageAnswer::No),
                MessageAnswer::No);
      EXPECT_EQ(inner.Sink().Count(), 1);
    }
    EXPECT_EQ(outer.Sink().Count(), 1) << "the inner recorder kept the second message";
    EXPECT_EQ(outer.Sink().LastText(), "first");
    EXPECT_EQ(&Messages(), &outer.Sink());
  }
  EXPECT_EQ(&Messages(), outside);
}

}  // namespace
}  // namespace lf
