// Taps on a real sound server: a PulseAudio daemon of the test's own with a
// null sink, the Place page's session and player playing a click track, key
// presses at known moments, and the sink's monitor telling what was heard.
#include <gtest/gtest.h>

#include <iostream>

#include "tests/support/heard_time_probe.h"
#include "tests/support/private_sound_server.h"

namespace lf {
namespace {

TEST(HeardTimeTest, TapsGetTheMusicHeardAtThePressOnASoundServer) {
  test::PrivateSoundServer server;
  if (!server.Start()) GTEST_SKIP() << "no sound server: " << server.Error();
  struct Case {
    int percent;
    double seconds;
  };
  for (const Case& c : {Case{100, 6.0}, Case{25, 8.0}}) {
    std::string error;
    const auto figures = test::MeasureHeardTime(c.percent, c.seconds, test::PrivateSoundServer::MonitorName(), &error);
    ASSERT_TRUE(figures.has_value()) << error;
    std::cout << c.percent << " %: " << figures->output << ", latency " << figures->latencyMs << " ms, error median "
              << figures->medianMs << " ms, worst " << figures->worstMs << " ms over " << figures->taps << " taps, "
              << figures->clicksHeard << " clicks heard, sound after " << figures->startMs << " ms\n";
    EXPECT_EQ(figures->output, "sound server");
    EXPECT_GT(figures->latencyMs, 0);  // the server's latency is counted
    EXPECT_LT(figures->medianMs, 5.0) << c.percent << " %";
    EXPECT_LT(figures->worstMs, 15.0) << c.percent << " %";
  }
}

}  // namespace
}  // namespace lf
