// lyricforge-cli: the core's operations from the command line.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/command_help.h"
#include "settings_store/qsettings_store.h"

namespace {

const lf::cli::Command* FindCommand(const std::string& name) {
  for (const auto& c : lf::cli::Commands())
    if (name == c.name) return &c;
  return nullptr;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& a : args) {
    if (a == "--") return false;
    if (a == "--help" || a == "-h") return true;
  }
  return false;
}

// Every failure is one line on standard error.
int Fail(const std::string& who, const std::string& message, int code) {
  std::fprintf(stderr, "%s: %s\n", who.c_str(), lf::cli::QuoteControlCharacters(message).c_str());
  return code;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all(argv + 1, argv + argc);
  if (all.empty())
    return Fail("lyricforge-cli", "no command given (lyricforge-cli --help lists them)", lf::cli::kExitUsage);
  const std::string name = all[0];
  if (name == "--help" || name == "-h" || (name == "help" && all.size() == 1)) {
    std::fputs(lf::cli::CommandListText().c_str(), stdout);
    return lf::cli::kExitOk;
  }
  if (name == "help") {
    const lf::cli::Command* command = FindCommand(all[1]);
    if (!command) return Fail("lyricforge-cli", "unknown command '" + all[1] + "'", lf::cli::kExitUsage);
    std::fputs(lf::cli::CommandHelpText(*command).c_str(), stdout);
    return lf::cli::kExitOk;
  }
  const lf::cli::Command* command = FindCommand(name);
  if (!command)
    return Fail("lyricforge-cli", "unknown command '" + name + "' (lyricforge-cli --help lists them)",
                lf::cli::kExitUsage);
  std::vector<std::string> args(all.begin() + 1, all.end());
  if (AsksForHelp(args)) {
    std::fputs(lf::cli::CommandHelpText(*command).c_str(), stdout);
    return lf::cli::kExitOk;
  }
  // The desktop program's preferences (page colours, duet timing) apply here too.
  lf::SetAppSettings(std::make_unique<lf::QtSettingsStore>());
  const std::string who = std::string("lyricforge-cli ") + command->name;
  try {
    return command->run(args);
  } catch (const lf::cli::CliError& e) {
    return Fail(who, e.what(), e.code);
  } catch (const std::exception& e) {
    return Fail(who, e.what(), lf::cli::kExitFailure);
  }
}
