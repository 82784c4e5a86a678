#include "cli/command_help.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "cli/command.h"

namespace lf::cli {

namespace {

struct HelpEntry {
  const char* summary;  // one line for the list
  const char* details;  // options and notes, one per line
};

// Commands without an entry are listed by their usage alone.
const std::map<std::string, HelpEntry>& HelpEntries() {
  static const std::map<std::string, HelpEntry> entries = {
      {"new",
       {"create a project, optionally with music and imported lyrics",
        "  -o P.lfp      the project to write\n"
        "  --music M     the song's music (WAV, MP3, WMA, ...), checked before it is taken\n"
        "  --lyrics L    lyrics to import: text, LRC (with timings) or MIDI karaoke\n"
        "  --force       replace a project that already exists\n"}},
      {"info", {"show a project's settings and counts", "  --json        one JSON object instead of text\n"}},
      {"lines",
       {"show the karaoke lines and words as they are laid out",
        "  --json        one JSON object instead of text\n"
        "  --raw         keep the lyric markers as typed\n"}},
      {"import",
       {"import lyrics into a project (created when missing)",
        "  -o P.lfp      the project to change or create\n"
        "  --json        report what was imported as JSON\n"}},
      {"place",
       {"time the words as taps at the given moments would",
        "  SECONDS       a tap: the next word starts here and the word before ends\n"
        "  pause:SECONDS the open word ends here (a gap in the singing)\n"
        "  back          takes the last tap back\n"
        "                the last word ends a second after it starts; in duet mode the\n"
        "                singer-2 lines are spread over the lines before them\n"}},
      {"nudge",
       {"move one word's start or end by the adjust step, or snap its start to the music",
        "  WORD          the word's index, from 0, as lines --json lists them\n"
        "  start+ start- the start one step later or earlier\n"
        "  end+ end-     the end one step later or earlier\n"
        "  snap          the start onto the strongest onset within 150 ms of it\n"}},
      {"format",
       {"change the case of a project's lyrics, as the editor's Format Text does",
        "  capitalize    every letter in upper case\n"
        "  lowercase     every letter in lower case\n"
        "  first-word    each line's first letter up, the rest down, a lone i as I\n"}},
      {"set",
       {"change song settings, KEY=VALUE each",
        "  KEY=VALUE     singerMode, linesPerPage, sweepMode, sweepAdvance, sweepEntireWord,\n"
        "                eraseFromBottom, artist, title, music, duet.singer1|singer2|both,\n"
        "                titlePage|lyricsPage|creditsPage .enabled .hold .draw .erase .placement\n"
        "                .font .size .text .color.ROLE\n"}},
      {"compile",
       {"compile the whole song into a .cdg packet stream",
        "  -o OUT.cdg    the stream to write; it assumes the lead-in, so it plays with\n"
        "                exported audio (export), not with the original music\n"
        "  --json        report lead-in, end offset, intro and credits length as JSON\n"}},
      {"export",
       {"export the song as BIN, MP3+G, WMA+G or an MP4 video",
        "  --format F    bin, mp3g, wmag or mp4\n"
        "  -o PATH       the output; its extension is added when missing and must match\n"
        "  --bitrate K   the encoder's bit rate (kbit/s)\n"
        "  --zip         pack audio and .cdg (and .lrc) into one .zip\n"
        "  --lrc STYLE   also write timed lyrics: simple or enhanced\n"
        "  --size S      mp4: 720p (1280 x 720, the default) or 1080p (1920 x 1080)\n"
        "  --fps N       mp4: 25, 30 (the default) or 60 frames a second\n"
        "  --crf Q       mp4: H.264 quality, 0 (lossless) to 51; 20 by default\n"
        "  --preset P    mp4: H.264 speed, ultrafast ... placebo; veryfast by default\n"
        "  --audio-bitrate K  mp4: the AAC bit rate, 32 to 320 kbit/s; 192 by default\n"
        "  --visible     mp4: show the 288 x 192 drawing area, without the border\n"}},
      {"render",
       {"draw the screen at a moment of a stream or project as PNG",
        "  --at SECONDS  the moment to show\n"
        "  -o FRAME.png  the picture to write\n"
        "  --scale N     enlarge each pixel N times (1 to 16)\n"}},
      {"dump",
       {"list the graphics packets of a .cdg stream",
        "  --json        one JSON object instead of text\n"
        "  --from S      start at S seconds\n"
        "  --to S        stop before S seconds\n"}},
      {"duration", {"show how long an audio or BIN file plays, in milliseconds", ""}},
      {"prepare",
       {"check music as the program prepares it: format and length, or what is wrong",
        "  --json        one JSON object instead of text\n"}},
  };
  return entries;
}

const HelpEntry* EntryFor(const Command& command) {
  auto it = HelpEntries().find(command.name);
  return it == HelpEntries().end() ? nullptr : &it->second;
}

}  // namespace

std::string CommandListText() {
  std::string text =
      "usage: lyricforge-cli COMMAND [ARGS]   (lyricforge-cli help COMMAND for its options)\n\ncommands:\n";
  size_t width = 0;
  for (const Command& c : Commands()) width = std::max(width, std::strlen(c.name));
  for (const Command& c : Commands()) {
    const HelpEntry* entry = EntryFor(c);
    std::string name = c.name;
    name.resize(width, ' ');
    text += "  " + name + "  " + (entry ? entry->summary : c.usage) + "\n";
  }
  return text;
}

std::string CommandHelpText(const Command& command) {
  std::string text = std::string("usage: lyricforge-cli ") + command.usage + "\n";
  if (const HelpEntry* entry = EntryFor(command)) {
    text += std::string("\n") + entry->summary + "\n";
    if (*entry->details) text += std::string("\n") + entry->details;
  }
  text += "  --            ends the options: what follows is a file name even if it starts with --\n";
  return text;
}

}  // namespace lf::cli
