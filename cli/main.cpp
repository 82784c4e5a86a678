// lyricforge-cli: the core's operations from the command line.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "platform/settings.h"

namespace {

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage: lyricforge-cli COMMAND [ARGS]\n\ncommands:\n");
  for (const auto& c : lf::cli::Commands()) std::fprintf(out, "  %s\n", c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintUsage(argc < 2 ? stderr : stdout);
    return argc < 2 ? lf::cli::kExitUsage : lf::cli::kExitOk;
  }
  // The desktop program's preferences (page colours, duet timing) apply here too.
  lf::SetAppSettings(std::make_unique<lf::IniFileSettings>(lf::IniFileSettings::DefaultPath()));
  const std::string name = argv[1];
  std::vector<std::string> args(argv + 2, argv + argc);
  for (const auto& c : lf::cli::Commands()) {
    if (name != c.name) continue;
    try {
      return c.run(args);
    } catch (const lf::cli::CliError& e) {
      std::fprintf(stderr, "lyricforge-cli %s: %s\n", c.name, e.what());
      if (e.code == lf::cli::kExitUsage) std::fprintf(stderr, "usage: lyricforge-cli %s\n", c.usage);
      return e.code;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "lyricforge-cli %s: %s\n", c.name, e.what());
      return lf::cli::kExitFailure;
    }
  }
  std::fprintf(stderr, "lyricforge-cli: unknown command '%s'\n", name.c_str());
  PrintUsage(stderr);
  return lf::cli::kExitUsage;
}
