#pragma once
// What `--help`, `COMMAND --help` and `help COMMAND` print: a line per command,
// and for one command its usage, what it does and its options. The same table
// writes the manual pages and the shell completions, so they say what the
// help says.
#include <string>
#include <vector>

namespace lf::cli {

struct Command;

// File name endings a value may have, for completion ("lfp", "wav mp3 wma").
inline constexpr const char* kProjectFiles = "lfp";
inline constexpr const char* kMusicFiles = "wav mp3 wma";
inline constexpr const char* kLyricsFiles = "txt lrc kar mid midi ass ssa ttml xml vtt srt";
inline constexpr const char* kAnyFile = "";

// One line of a command's help: an option ("-o P.lfp", "--json") or a word
// the command takes ("SECONDS", "start+ start-"); an empty term continues the
// note above it.
struct HelpItem {
  const char* term;
  const char* text;             // several lines when it runs on
  const char* files = nullptr;  // the value names a file with one of these endings ("" any file)
  const char* words = nullptr;  // or is one of these words, separated by spaces
};

// What one of a command's positional arguments names.
struct Operand {
  const char* files = nullptr;
  const char* words = nullptr;
};

struct CommandHelp {
  const char* summary;  // one line for the list
  std::vector<Operand> operands;
  std::vector<HelpItem> items;
  bool lastOperandRepeats = false;  // TAP..., MOVE...
};

// An option item's name ("-o", "--music") and whether it takes a value; a
// word item gives an empty name.
struct OptionName {
  std::string name;
  bool takesValue = false;
};
OptionName OptionOf(const HelpItem& item);

// The help of a command (an empty one for a command without an entry).
const CommandHelp& HelpOf(const Command& command);

// The list of commands, one line each.
std::string CommandListText();
// The full description of one command.
std::string CommandHelpText(const Command& command);

}  // namespace lf::cli
