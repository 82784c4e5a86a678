#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/cli_runner.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Every store a test opens, the command-line tool's included, lives in a
  // folder of this run's own: the user's settings are never read or changed.
  lf::test::TempDir config;
  setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
  return RUN_ALL_TESTS();
}
