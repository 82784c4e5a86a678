#include "tests/support/cli_runner.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <regex>
#include <stdexcept>

extern char** environ;

namespace lf::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lftest-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary folder");
  m_path = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(m_path, ec);
}

CliResult RunCli(const std::vector<std::string>& args) {
  TempDir dir;
  const std::string outPath = dir.File("stdout"), errPath = dir.File("stderr");
  std::vector<std::string> argv = {LYRICFORGE_CLI_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> cargv;
  for (auto& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = 0;
  const int rc = posix_spawn(&pid, cargv[0], &actions, nullptr, cargv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("cannot start " + argv[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  CliResult result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = ReadFileBytes(outPath);
  result.err = ReadFileBytes(errPath);
  return result;
}

std::vector<std::pair<long, long>> SavedWordTimes(const std::string& project) {
  const CliResult lines = RunCli({"lines", project, "--json"});
  EXPECT_EQ(lines.exitCode, 0) << lines.err;
  std::vector<std::pair<long, long>> times;
  static const std::regex word(R"("last":-?\d+,"start":(-?\d+),"end":(-?\d+))");
  for (auto it = std::sregex_iterator(lines.out.begin(), lines.out.end(), word); it != std::sregex_iterator(); ++it)
    times.emplace_back(std::stol((*it)[1]), std::stol((*it)[2]));
  return times;
}

}  // namespace lf::test
