#pragma once
// lyricforge-cli commands. Each command lives in its own file and registers
// itself with LF_CLI_COMMAND; main() dispatches on the first argument.
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/platform/quoted_text.h"

namespace lf::cli {

// Exit codes: 0 success; the rest say what kind of failure it was.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // the operation itself failed
  kExitUsage = 2,    // bad arguments
  kExitInput = 3,    // an input file is missing or cannot be read
  kExitOutput = 4,   // an output file cannot be written
};

// Thrown by commands; main() prints the message as one line and exits with the code.
struct CliError : std::runtime_error {
  CliError(ExitCode c, const std::string& what) : std::runtime_error(what), code(c) {}
  ExitCode code;
};

// Arguments after the command name: positionals, --flags and --options with
// values; "--" ends the options, so what follows is positional even when it
// starts with "--".
class Args {
 public:
  Args(std::vector<std::string> args, std::vector<std::string> flagNames, std::vector<std::string> optionNames);

  bool Flag(const std::string& name) const;
  std::optional<std::string> Option(const std::string& name) const;
  std::vector<std::string> Options(const std::string& name) const;  // repeated options
  std::string Required(const std::string& name) const;
  double Number(const std::string& name, double fallback) const;
  const std::vector<std::string>& Positionals() const { return m_positionals; }
  // The positional at `index`; throws a usage error naming `what` when absent.
  const std::string& Positional(size_t index, const std::string& what) const;

 private:
  std::vector<std::string> m_positionals;
  std::vector<std::pair<std::string, std::string>> m_options;
  std::vector<std::string> m_flags;
};

struct Command {
  const char* name;
  const char* usage;
  int (*run)(const std::vector<std::string>& args);
};

struct CommandRegistrar {
  explicit CommandRegistrar(const Command& command);
};

const std::vector<Command>& Commands();

// A message of several lines as one error line: its non-empty lines joined
// by `separator` ("; " suits lists such as the music error text).
std::string OneLine(const std::string& text, const std::string& separator = " ");

// Messages quote control characters in names (see platform/quoted_text.h).
using lf::QuoteControlCharacters;

// Throws an output error when an output is one of the inputs or named twice.
void RefuseOutputClash(const std::vector<std::string>& inputs, const std::vector<std::string>& outputs);

}  // namespace lf::cli

#define LF_CLI_COMMAND(ident, name, usage, fn)                      \
  static const ::lf::cli::CommandRegistrar lf_cli_command_##ident { \
    ::lf::cli::Command { name, usage, fn }                          \
  }
