#include "cli/manual_page.h"

#include <vector>

#include "cli/command.h"
#include "cli/command_help.h"

namespace lf::cli {

namespace {

// Text as roff shows it literally: backslashes and hyphens escaped, and no
// line taken for a request because it starts with a dot or a quote.
std::string Roff(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\')
      out += "\\e";
    else if (c == '-')
      out += "\\-";
    else
      out += c;
    lineStart = c == '\n';
  }
  return out;
}

std::string Bold(const std::string& text) { return "\\fB" + Roff(text) + "\\fR"; }

std::string Header(const std::string& program, const std::string& version) {
  std::string upper;
  for (char c : program) upper += c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
  return ".TH " + Roff(upper) + " 1 \"\" \"Lyricforge " + Roff(version) +
         "\" \"User Commands\"\n"
         // No hyphens added inside option names, no stretched lines.
         ".nh\n.ad l\n";
}

std::string Item(const std::string& term, const std::string& text) {
  return ".TP\n" + (term.empty() ? std::string("\\&") : Bold(term)) + "\n" + Roff(text) + "\n";
}

const char* const kExitStatus =
    ".SH EXIT STATUS\n"
    ".TP\n0\nsuccess\n"
    ".TP\n1\nthe operation itself failed\n"
    ".TP\n2\nbad arguments\n"
    ".TP\n3\nan input file is missing or cannot be read\n"
    ".TP\n4\nan output file cannot be written\n";

const char* const kSettingsFile =
    ".TP\n\\fI$XDG_CONFIG_HOME/Orvandel/Lyricforge.conf\\fR (\\fI~/.config\\fR when unset)\n"
    "the settings both programs share: page colours, duet timing, recent projects\n";

std::string CliPage(const std::string& version) {
  std::string page = Header("lyricforge-cli", version);
  page += ".SH NAME\nlyricforge\\-cli \\- author CD+G karaoke songs from the command line\n";
  page += ".SH SYNOPSIS\n" + Bold("lyricforge-cli") + " \\fICOMMAND\\fR [\\fIARGS\\fR]\n.br\n" +
          Bold("lyricforge-cli help") + " \\fICOMMAND\\fR\n.br\n" + Bold("lyricforge-cli --version") + "\n";
  page += ".SH DESCRIPTION\n" + Bold("lyricforge-cli") + " does without a window what an author does in " +
          Bold("lyricforge") +
          "(1): it makes projects from music and lyrics, times and formats their words, compiles the CD+G graphics "
          "and exports MP3+G, WMA+G, BIN or an MP4 video.\n"
          ".PP\nEvery command exits 0 on success and otherwise prints one line on standard error. Export writes the "
          "karaoke files beside the original music, which it never replaces; no command writes over one of its own "
          "inputs.\n";
  page += ".SH COMMANDS\n";
  for (const Command& command : Commands()) {
    const CommandHelp& help = HelpOf(command);
    page += ".SS " + Roff(command.name) + "\n" + Bold(std::string("lyricforge-cli ") + command.usage) + "\n";
    if (*help.summary) page += ".PP\n" + Roff(help.summary) + ".\n";
    for (const HelpItem& item : help.items) page += Item(item.term, item.text);
  }
  page += ".SH OPTIONS\nEvery command also takes these:\n";
  page += Item("--help, -h", "describe the command instead of running it");
  page += Item("--", "ends the options: what follows is a file name even if it starts with --");
  page += ".PP\nAlone, " + Bold("--help") + " lists the commands and " + Bold("--version") + " prints the version.\n";
  page += kExitStatus;
  page += ".SH ENVIRONMENT\n.TP\n.B TMPDIR\nwhere each run keeps its private working folder\n";
  page += ".SH FILES\n";
  page += kSettingsFile;
  page += ".SH EXAMPLES\n.nf\n" +
          Roff(
              "lyricforge-cli new -o song.lfp --music song.mp3 --lyrics song.lrc\n"
              "lyricforge-cli render song.lfp --at 12.5 -o frame.png --scale 2\n"
              "lyricforge-cli export song.lfp --format mp3g --bitrate 192 --lrc enhanced -o song-karaoke.mp3\n") +
          ".fi\n";
  page += ".SH SEE ALSO\n" + Bold("lyricforge") + "(1)\n";
  return page;
}

std::string DesktopPage(const std::string& version) {
  std::string page = Header("lyricforge", version);
  page += ".SH NAME\nlyricforge \\- author CD+G karaoke songs\n";
  page += ".SH SYNOPSIS\n" + Bold("lyricforge") + " [\\fIPROJECT.lfp\\fR | \\fIFOLDER\\fR]\n.br\n" +
          Bold("lyricforge --version") + "\n";
  page += ".SH DESCRIPTION\n" + Bold("lyricforge") +
          " makes CD+G karaoke songs: load the music, type or import the words, tap along to time them, preview, "
          "and export MP3+G, WMA+G, BIN or an MP4 video. Its manual opens with F1.\n"
          ".PP\nOnly one copy runs at a time: a second start hands its argument to the first, which comes "
          "forward, and ends.\n";
  page += ".SH OPTIONS\n";
  page += Item("PROJECT.lfp", "opens the project, prepares its music and shows its first page");
  page += Item("FOLDER", "starts with FOLDER as the music folder");
  page += Item("--version", "prints the version and ends, without opening a window");
  page += ".SH FILES\n";
  page += kSettingsFile;
  page += ".TP\n\\fI/usr/share/lyricforge\\fR\nthe manual, the demo song and the program's pictures\n";
  page += ".SH SEE ALSO\n" + Bold("lyricforge-cli") + "(1)\n";
  return page;
}

}  // namespace

std::string ManualPage(const std::string& program, const std::string& version) {
  if (program == "lyricforge-cli") return CliPage(version);
  if (program == "lyricforge") return DesktopPage(version);
  return {};
}

}  // namespace lf::cli
