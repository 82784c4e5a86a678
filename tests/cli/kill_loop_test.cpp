// SIGKILL at random moments of set, compile, render and export: the old file
// or the new one, byte for byte, and nothing left after the next run. A few
// kills each here; scripts/kill-loop.sh takes a count (60 by default) by hand.
#include <gtest/gtest.h>

#include "tests/support/media_probe.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

TEST(KillLoop, KilledRunsLeaveTheOldOrTheNewFileAndNothingElse) {
  int status = -1;
  const std::string out =
      test::RunCommand("bash " + test::ShellQuote(std::string(LYRICFORGE_SOURCE_DIR) + "/scripts/kill-loop.sh") +
                           " " LYRICFORGE_CLI_PATH " 5 2>&1",
                       &status);
  EXPECT_EQ(status, 0) << out;
  EXPECT_NE(out.find("export: 5 kills"), std::string::npos) << out;
}

}  // namespace
}  // namespace lf
