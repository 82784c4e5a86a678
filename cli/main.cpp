// lyricforge-cli: the core's operations from the command line.
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/command_help.h"
#include "cli/manual_page.h"
#include "cli/shell_completion.h"
#include "core/platform/paths.h"
#include "lyricforge_version.h"
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

// Standard output, checked: a full disk or a closed pipe is a failure.
int Print(const std::string& text) {
  if (std::fputs(text.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
    return Fail("lyricforge-cli", "cannot write to standard output", lf::cli::kExitOutput);
  return lf::cli::kExitOk;
}

// What the build installs beside the program: `help --man PROGRAM`,
// `help --bash`, `help --zsh`. Not in the list of commands.
std::optional<int> PrintInstallText(const std::vector<std::string>& all) {
  if (all[1] == "--bash" && all.size() == 2) return Print(lf::cli::BashCompletion());
  if (all[1] == "--zsh" && all.size() == 2) return Print(lf::cli::ZshCompletion());
  if (all[1] != "--man") return std::nullopt;
  const std::string page = all.size() == 3 ? lf::cli::ManualPage(all[2], LYRICFORGE_RELEASE) : "";
  if (page.empty()) return Fail("lyricforge-cli", "help --man takes lyricforge-cli or lyricforge", lf::cli::kExitUsage);
  return Print(page);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all(argv + 1, argv + argc);
  if (all.empty())
    return Fail("lyricforge-cli", "no command given (lyricforge-cli --help lists them)", lf::cli::kExitUsage);
  const std::string name = all[0];
  if (name == "--help" || name == "-h" || (name == "help" && all.size() == 1)) {
    return Print(lf::cli::CommandListText());
  }
  if (name == "--version" && all.size() == 1) return Print(std::string("lyricforge-cli ") + LYRICFORGE_VERSION + "\n");
  if (name == "help") {
    if (auto code = PrintInstallText(all)) return *code;
    const lf::cli::Command* command = FindCommand(all[1]);
    if (!command) return Fail("lyricforge-cli", "unknown command '" + all[1] + "'", lf::cli::kExitUsage);
    return Print(lf::cli::CommandHelpText(*command));
  }
  const lf::cli::Command* command = FindCommand(name);
  if (!command)
    return Fail("lyricforge-cli", "unknown command '" + name + "' (lyricforge-cli --help lists them)",
                lf::cli::kExitUsage);
  std::vector<std::string> args(all.begin() + 1, all.end());
  if (AsksForHelp(args)) {
    return Print(lf::cli::CommandHelpText(*command));
  }
  // The desktop program's preferences (page colours, duet timing) apply here too.
  lf::SetAppSettings(std::make_unique<lf::QtSettingsStore>());
  const std::string who = std::string("lyricforge-cli ") + command->name;
  try {
    return command->run(args);
  } catch (const lf::cli::CliError& e) {
    return Fail(who, e.what(), e.code);
  } catch (const lf::TempFolderError& e) {
    return Fail(who, e.what(), lf::cli::kExitOutput);
  } catch (const std::exception& e) {
    return Fail(who, e.what(), lf::cli::kExitFailure);
  }
}
