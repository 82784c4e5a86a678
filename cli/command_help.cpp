#include "cli/command_help.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <string>

#include "cli/command.h"

namespace lf::cli {

namespace {

const std::map<std::string, CommandHelp>& HelpEntries() {
  static const std::map<std::string, CommandHelp> entries = {
      {"new",
       {"create a project, optionally with music and imported lyrics",
        {},
        {{"-o P.lfp", "the project to write", kProjectFiles},
         {"--music M", "the song's music (WAV, MP3, WMA, ...), checked before it is taken", kMusicFiles},
         {"--lyrics L",
          "lyrics to import: text, LRC, MIDI karaoke, ASS, UltraStar, TTML, WebVTT or SRT (with their timings)",
          kLyricsFiles},
         {"--force", "replace a project that already exists"}}}},
      {"info",
       {"show a project's settings and counts", {{kProjectFiles}}, {{"--json", "one JSON object instead of text"}}}},
      {"lines",
       {"show the karaoke lines and words as they are laid out",
        {{kProjectFiles}},
        {{"--json", "one JSON object instead of text"}, {"--raw", "keep the lyric markers as typed"}}}},
      {"import",
       {"import lyrics into a project (created when missing)",
        {{kLyricsFiles}},
        {{"-o P.lfp", "the project to change or create", kProjectFiles},
         {"--json", "report what was imported as JSON"}}}},
      {"place",
       {"time the words as taps at the given moments would",
        {{kProjectFiles}, {nullptr, "back"}},
        {{"SECONDS", "a tap: the next word starts here and the word before ends"},
         {"pause:SECONDS", "the open word ends here (a gap in the singing)"},
         {"back", "takes the last tap back"},
         {"--lines",
          "the taps are where lines begin (START, or START,END): each line's\n"
          "words are spread over it by length and moved onto the voice; a line\n"
          "that repeats an earlier one takes its rhythm, marked for review"},
         {"",
          "the last word ends a second after it starts; in duet mode the\n"
          "singer-2 lines are spread over the lines before them"}},
        true}},
      {"align",
       {"time the words automatically where a speech recogniser hears them (English), marked for review",
        {{kProjectFiles}},
        {{"--replace", "also retime words that already have times (kept otherwise)"}}}},
      {"snap",
       {"move every timed word's start onto the voice onset nearest it, in order",
        {{kProjectFiles}},
        {{"--window MS", "how far an onset may lie from a start (default 120)"}}}},
      {"shift",
       {"move a run of words earlier or later; refused when it would cross a neighbour or zero",
        {{kProjectFiles}},
        {{"--from WORD", "the first word to move, from 0, as lines --json lists them"},
         {"--to WORD", "the last word to move (default: the song's last)"},
         {"--by MS", "milliseconds, negative for earlier"}}}},
      {"nudge",
       {"move one word's start or end by the adjust step, or snap its start to the music",
        {{kProjectFiles}, {}, {nullptr, "start+ start- end+ end- snap"}},
        {{"WORD", "the word's index, from 0, as lines --json lists them"},
         {"start+ start-", "the start one step later or earlier"},
         {"end+ end-", "the end one step later or earlier"},
         {"snap", "the start onto the strongest onset within 150 ms of it"}},
        true}},
      {"format",
       {"change the case of a project's lyrics, as the editor's Format Text does",
        {{kProjectFiles}, {nullptr, "capitalize lowercase first-word"}},
        {{"capitalize", "every letter in upper case"},
         {"lowercase", "every letter in lower case"},
         {"first-word", "each line's first letter up, the rest down, a lone i as I"}}}},
      {"set",
       {"change song settings, KEY=VALUE each",
        {{kProjectFiles}, {}},
        {{"KEY=VALUE",
          "singerMode, linesPerPage, sweepMode, sweepAdvance, sweepEntireWord,\n"
          "eraseFromBottom, artist, title, music, duet.singer1|singer2|both,\n"
          "titlePage|lyricsPage|creditsPage .enabled .hold .draw .erase .placement\n"
          ".font .size .text .color.ROLE"}},
        true}},
      {"compile",
       {"compile the whole song into a .cdg packet stream",
        {{kProjectFiles}},
        {{"-o OUT.cdg",
          "the stream to write; it assumes the lead-in, so it plays with\n"
          "exported audio (export), not with the original music",
          "cdg"},
         {"--json", "report lead-in, end offset, intro and credits length as JSON"}}}},
      {"check",
       {"list what would stand in the way of a good export; exit 1 when any is an error",
        {{kProjectFiles}},
        {{"--json", "one JSON object: problems with severity, kind, line, word (from 0) and message"},
         {"",
          "errors: words out of order, sung before their line shows, timed past the\n"
          "music, graphics shorter than the audio; warnings: words without times,\n"
          "overlaps, lines shown under a second before they are sung, lines too wide or\n"
          "in the border, too many lines a page, highlights too fast to follow (the\n"
          "setting CheckFastestSweep, characters a second), pictures losing detail in 16 colours"}}}},
      {"export",
       {"export the song as BIN, MP3+G, WMA+G, an MP4 video or a lyric or subtitle file",
        {{kProjectFiles}},
        {{"--format F",
          "bin, mp3g, wmag, mp4, or the timed words as ass (subtitle karaoke),\n"
          "ultrastar (.txt), ttml (word timing), vtt, srt or lrc (enhanced)",
          nullptr, "bin mp3g wmag mp4 ass ultrastar ttml vtt srt lrc"},
         {"-o PATH", "the output; its extension is added when missing and must match", kAnyFile},
         {"--bitrate K", "the encoder's bit rate (kbit/s)"},
         {"--zip", "pack audio and .cdg (and .lrc) into one .zip"},
         {"--lrc STYLE",
          "mp3g, wmag: also write timed lyrics, simple or enhanced;\n"
          "lrc: simple (line tags only) or enhanced (the default)",
          nullptr, "simple enhanced"},
         {"--timing T",
          "lyric and subtitle files: music (the default) times the words as in\n"
          "the original music; export adds the lead-in the exported audio starts with",
          nullptr, "music export"},
         {"--sweep", "ass: {\\kf} tags, each word filling from left to right"},
         {"--pitch P",
          "ultrastar: every note's pitch in semitones from C4 (0 by default), or\n"
          "music: each note at the median pitch the voice sings it, to correct by ear",
          nullptr, "music"},
         {"--size S", "mp4: 720p (1280 x 720, the default), 1080p (1920 x 1080)\nor 2160p (3840 x 2160)", nullptr,
          "720p 1080p 2160p"},
         {"--fps N", "mp4: 25, 30 (the default) or 60 frames a second", nullptr, "25 30 60"},
         {"--crf Q",
          "mp4: H.264 quality, 1 (finest) to 51; 20 by default\n(0, lossless, is refused: browsers do not play it)"},
         {"--preset P", "mp4: H.264 speed, ultrafast ... placebo; veryfast by default", nullptr,
          "ultrafast superfast veryfast faster fast medium slow slower veryslow placebo"},
         {"--keyframe-interval S", "mp4: a keyframe at least every S seconds (1 to 10); 2 by default"},
         {"--constant-fps",
          "mp4: a frame at every frame time, even where the picture\nstays (for editors that take nothing else)"},
         {"--audio-bitrate K", "mp4: the AAC bit rate, 32 to 320 kbit/s; 192 by default"},
         {"--loudness LUFS",
          "measure the music first and bring it to LUFS (-40 to -5; -14 suits\n"
          "most players), its true peak kept at -1 dBTP or under"},
         {"--visible", "mp4: show the 288 x 192 drawing area, without the border"}}}},
      {"render",
       {"draw the screen at a moment of a stream or project as PNG",
        {{"cdg lfp"}},
        {{"--at SECONDS", "the moment to show"},
         {"-o FRAME.png", "the picture to write", "png"},
         {"--scale N", "enlarge each pixel N times (1 to 16)"}}}},
      {"dump",
       {"list the graphics packets of a .cdg stream",
        {{"cdg"}},
        {{"--json", "one JSON object instead of text"},
         {"--from S", "start at S seconds"},
         {"--to S", "stop before S seconds"}}}},
      {"duration", {"show how long an audio or BIN file plays, in milliseconds", {{"wav mp3 wma bin"}}, {}}},
      {"prepare",
       {"check music as the program prepares it: format and length, or what is wrong",
        {{kMusicFiles}},
        {{"--json", "one JSON object instead of text"}}}},
      {"synth-demo",
       {"write the demo song's music (and its timed lyrics)",
        {},
        {{"-o MUSIC.wav", "the music to write, as WAV", "wav"},
         {"--lrc LYRICS.lrc", "also write the demo's timed lyrics", "lrc"},
         {"--verses N", "how many verses, 1 to 100"}}}},
      {"demo-stream",
       {"write the demo's CD+G stream, drawn without a song", {}, {{"-o OUT.cdg", "the stream to write", "cdg"}}}},
  };
  return entries;
}

// The left column of a command's help, before the text.
constexpr size_t kTermWidth = 14;

}  // namespace

OptionName OptionOf(const HelpItem& item) {
  const std::string term = item.term;
  if (term.empty() || term[0] != '-') return {};
  const size_t space = term.find(' ');
  if (space == std::string::npos) return {term, false};
  return {term.substr(0, space), true};
}

const CommandHelp& HelpOf(const Command& command) {
  static const CommandHelp none{"", {}, {}};
  auto it = HelpEntries().find(command.name);
  return it == HelpEntries().end() ? none : it->second;
}

std::string CommandListText() {
  std::string text =
      "usage: lyricforge-cli COMMAND [ARGS]   (lyricforge-cli help COMMAND for its options)\n\ncommands:\n";
  size_t width = 0;
  for (const Command& c : Commands()) width = std::max(width, std::strlen(c.name));
  for (const Command& c : Commands()) {
    const char* summary = HelpOf(c).summary;
    std::string name = c.name;
    name.resize(width, ' ');
    text += "  " + name + "  " + (*summary ? summary : c.usage) + "\n";
  }
  return text;
}

std::string CommandHelpText(const Command& command) {
  std::string text = std::string("usage: lyricforge-cli ") + command.usage + "\n";
  const CommandHelp& help = HelpOf(command);
  if (*help.summary) text += std::string("\n") + help.summary + "\n";
  if (!help.items.empty()) text += "\n";
  for (const HelpItem& item : help.items) {
    std::string term = item.term;
    if (term.size() < kTermWidth) term.resize(kTermWidth, ' ');
    std::string body = item.text;
    for (size_t at = body.find('\n'); at != std::string::npos; at = body.find('\n', at + 1))
      body.insert(at + 1, 2 + kTermWidth, ' ');
    // A term as wide as the column, or wider, still keeps a space before its text.
    text += "  " + term + (item.term[0] && std::strlen(item.term) >= kTermWidth ? " " : "") + body + "\n";
  }
  text += "  --            ends the options: what follows is a file name even if it starts with --\n";
  return text;
}

}  // namespace lf::cli
