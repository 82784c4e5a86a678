#pragma once
// What `--help`, `COMMAND --help` and `help COMMAND` print: a line per command,
// and for one command its usage, what it does and its options.
#include <string>

namespace lf::cli {

struct Command;

// The list of commands, one line each.
std::string CommandListText();
// The full description of one command.
std::string CommandHelpText(const Command& command);

}  // namespace lf::cli
