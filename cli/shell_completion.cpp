#include "cli/shell_completion.h"

#include <sstream>
#include <vector>

#include "cli/command.h"
#include "cli/command_help.h"

namespace lf::cli {

namespace {

std::vector<std::string> Split(const char* words) {
  std::vector<std::string> out;
  std::istringstream in(words ? words : "");
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::string FirstLine(const char* text) {
  const std::string s = text;
  return s.substr(0, s.find('\n'));
}

// What bash offers for a value: file names with the given endings, or words.
std::string BashAction(const char* files, const char* words) {
  if (files) return std::string("_lyricforge_cli_files ") + files;
  if (words) return std::string("_lyricforge_cli_words '") + words + "'";
  return ":";
}

std::string CommandNames() {
  std::string names;
  for (const Command& c : Commands()) names += std::string(c.name) + " ";
  return names;
}

// Inside a single-quoted zsh _arguments option word: the quote closes and reopens,
// and the characters that word gives meaning to (colons, brackets) are escaped.
std::string ZshQuoted(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\'')
      out += "'\\''";
    else if (c == '[' || c == ']' || c == ':' || c == '\\')
      out += std::string("\\") + c;
    else
      out += c;
  }
  return out;
}

std::string ZshAction(const char* files, const char* words) {
  if (files && *files) {
    std::string alternatives;
    for (const std::string& e : Split(files)) alternatives += (alternatives.empty() ? "" : "|") + e;
    return "_files -g \"*.(#i)(" + alternatives + ")\"";
  }
  if (files) return "_files";
  if (words) return std::string("(") + words + ")";
  return " ";
}

}  // namespace

std::string BashCompletion() {
  std::string s =
      "# bash completion for lyricforge-cli, written by `lyricforge-cli help --bash`\n"
      "\n"
      "# Folders, and files whose names end in one of the given extensions, in any\n"
      "# case (every file when none is given).\n"
      "_lyricforge_cli_files() {\n"
      "  local IFS=$'\\n' name lower ext\n"
      "  compopt -o filenames 2>/dev/null\n"
      "  for name in $(compgen -f -- \"$cur\"); do\n"
      "    if [[ $# -eq 0 || -d $name ]]; then\n"
      "      COMPREPLY+=(\"$name\")\n"
      "      continue\n"
      "    fi\n"
      "    lower=${name,,}\n"
      "    for ext in \"$@\"; do\n"
      "      if [[ $lower == *.\"$ext\" ]]; then\n"
      "        COMPREPLY+=(\"$name\")\n"
      "        break\n"
      "      fi\n"
      "    done\n"
      "  done\n"
      "}\n"
      "\n"
      "_lyricforge_cli_words() {\n"
      "  COMPREPLY+=($(compgen -W \"$1\" -- \"$cur\"))\n"
      "}\n"
      "\n"
      "_lyricforge_cli() {\n"
      "  local cur=${COMP_WORDS[COMP_CWORD]}\n"
      "  COMPREPLY=()\n"
      "  if ((COMP_CWORD == 1)); then\n"
      "    _lyricforge_cli_words '" +
      CommandNames() +
      "help --help --version'\n"
      "    return 0\n"
      "  fi\n"
      "  local command=${COMP_WORDS[1]} options='' valued=' ' word value='' ended='' operand=0 i\n"
      "  case $command in\n";
  for (const Command& c : Commands()) {
    std::string options, valued;
    for (const HelpItem& item : HelpOf(c).items) {
      const OptionName option = OptionOf(item);
      if (option.name.empty()) continue;
      options += option.name + " ";
      if (option.takesValue) valued += option.name + " ";
    }
    s += std::string("    ") + c.name + ") options='" + options + "--help --'; valued=' " + valued + "' ;;\n";
  }
  s += "    help) ;;\n"
       "    *) return 0 ;;\n"
       "  esac\n"
       "  # Which argument is being completed: an option's value, or the how-manieth\n"
       "  # word that is not an option.\n"
       "  for ((i = 2; i < COMP_CWORD; i++)); do\n"
       "    word=${COMP_WORDS[i]}\n"
       "    if [[ -n $ended ]]; then\n"
       "      ((operand++))\n"
       "    elif [[ $word == -- ]]; then\n"
       "      ended=1\n"
       "    elif [[ $valued == *\" $word \"* ]]; then\n"
       "      if ((i + 1 == COMP_CWORD)); then value=$word; fi\n"
       "      ((i++))\n"
       "    elif [[ $word != -* ]]; then\n"
       "      ((operand++))\n"
       "    fi\n"
       "  done\n"
       "  if [[ -n $value ]]; then\n"
       "    case \"$command $value\" in\n";
  for (const Command& c : Commands()) {
    for (const HelpItem& item : HelpOf(c).items) {
      const OptionName option = OptionOf(item);
      if (!option.takesValue || (!item.files && !item.words)) continue;
      s += std::string("      \"") + c.name + " " + option.name + "\") " + BashAction(item.files, item.words) + " ;;\n";
    }
  }
  s += "    esac\n"
       "    return 0\n"
       "  fi\n"
       "  if [[ -z $ended && $cur == -* ]]; then\n"
       "    _lyricforge_cli_words \"$options\"\n"
       "    return 0\n"
       "  fi\n"
       "  case \"$command $operand\" in\n"
       "    \"help 0\") _lyricforge_cli_words '" +
       CommandNames() + "' ;;\n";
  for (const Command& c : Commands()) {
    const CommandHelp& help = HelpOf(c);
    const std::vector<Operand>& operands = help.operands;
    for (size_t i = 0; i < operands.size(); ++i) {
      const bool repeats = help.lastOperandRepeats && i + 1 == operands.size();
      const std::string pattern = std::string("\"") + c.name + " " + (repeats ? "\"*" : std::to_string(i) + "\"");
      s += "    " + pattern + ") " + BashAction(operands[i].files, operands[i].words) + " ;;\n";
    }
  }
  s += "  esac\n"
       "  return 0\n"
       "}\n"
       "\n"
       "complete -F _lyricforge_cli lyricforge-cli\n";
  return s;
}

std::string ZshCompletion() {
  std::string s =
      "#compdef lyricforge-cli\n"
      "# zsh completion for lyricforge-cli, written by `lyricforge-cli help --zsh`\n"
      "\n"
      "_lyricforge-cli() {\n"
      "  local -a commands\n"
      "  commands=(\n";
  for (const Command& c : Commands()) {
    const char* summary = HelpOf(c).summary;
    s += std::string("    '") + c.name + ":" + ZshQuoted(*summary ? summary : c.usage) + "'\n";
  }
  s += "    'help:describe a command'\n"
       "  )\n"
       "  if ((CURRENT == 2)); then\n"
       "    _describe -t commands 'lyricforge-cli command' commands\n"
       "    compadd -- --help --version\n"
       "    return\n"
       "  fi\n"
       "  local command=$words[2]\n"
       "  shift words\n"
       "  ((CURRENT--))\n"
       "  case $command in\n";
  for (const Command& c : Commands()) {
    const CommandHelp& help = HelpOf(c);
    s += std::string("    ") + c.name + ")\n      _arguments -S \\\n";
    for (const HelpItem& item : help.items) {
      const OptionName option = OptionOf(item);
      if (option.name.empty()) continue;
      s += "        '" + option.name + "[" + ZshQuoted(FirstLine(item.text)) + "]";
      if (option.takesValue) {
        const std::string term = item.term;
        s += ":" + ZshQuoted(term.substr(term.find(' ') + 1)) + ":" + ZshQuoted(ZshAction(item.files, item.words));
      }
      s += "' \\\n";
    }
    for (size_t i = 0; i < help.operands.size(); ++i) {
      const Operand& operand = help.operands[i];
      const bool repeats = help.lastOperandRepeats && i + 1 == help.operands.size();
      const std::string position = repeats ? "*" : std::to_string(i + 1);
      s += "        '" + position + ":argument:" + ZshQuoted(ZshAction(operand.files, operand.words)) + "' \\\n";
    }
    s += "        '(- *)--help[describe the command]'\n      ;;\n";
  }
  s += "    help)\n"
       "      _describe -t commands 'lyricforge-cli command' commands\n"
       "      ;;\n"
       "  esac\n"
       "}\n"
       "\n"
       "_lyricforge-cli \"$@\"\n";
  return s;
}

}  // namespace lf::cli
