// Readers nobody here wrote read our lyric and subtitle files: libass (through
// FFmpeg's subtitles filter) draws the ASS karaoke, and parsers from the npm
// registry read the ASS, WebVTT, SRT, enhanced LRC and TTML files. The npm
// parsers are installed by this test into the build tree on first use.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "core/export/ass_writer.h"
#include "core/export/enhanced_lrc_writer.h"
#include "core/export/srt_writer.h"
#include "core/export/ttml_writer.h"
#include "core/export/webvtt_writer.h"
#include "tests/core/export/lyric_file_song.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_probe.h"

namespace lf {
namespace {

namespace fs = std::filesystem;

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

// ---- libass ----------------------------------------------------------------

// One line, "AAAA BBBB": the first word sung from 1.0 to 2.0 s, the second
// from 2.0 to 3.0 s; unsung white, sung red.
TimedLyrics TwoWordLine() {
  TimedLyrics song;
  song.look.font = "DejaVu Sans";
  song.look.fontHeight = 40;
  song.look.lineColors = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
  song.look.sweepColor = 0xFF0000;
  TimedLine line;
  line.words = {{"AAAA", 1000, 2000}, {"BBBB", 2000, 3000}};
  line.show = 0;
  line.erase = 4000;
  song.lines.push_back(line);
  return song;
}

struct Columns {
  int redLeft = 0, redRight = 0, whiteLeft = 0, whiteRight = 0;
};

// The frame libass draws at `seconds`, its red and white pixels counted in
// the screen's left and right halves (the line is centred).
Columns BurnedFrame(const std::string& ass, double seconds) {
  const int w = 300, h = 216;
  const std::string raw = ass + ".rgb";
  int status = -1;
  test::RunCommand("ffmpeg -nostdin -v error -y -f lavfi -i color=black:s=300x216:d=5:r=25 -vf subtitles=" +
                       test::ShellQuote(ass) + " -ss " + std::to_string(seconds) +
                       " -frames:v 1 -f rawvideo -pix_fmt rgb24 " + test::ShellQuote(raw) + " 2>&1",
                   &status);
  EXPECT_EQ(status, 0);
  const std::string rgb = test::ReadFileBytes(raw);
  Columns c;
  if (rgb.size() != size_t(w * h * 3)) return c;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const auto* p = reinterpret_cast<const unsigned char*>(rgb.data()) + (y * w + x) * 3;
      const bool red = p[0] > 200 && p[1] < 60 && p[2] < 60;
      const bool white = p[0] > 200 && p[1] > 200 && p[2] > 200;
      (x < w / 2 ? c.redLeft : c.redRight) += red;
      (x < w / 2 ? c.whiteLeft : c.whiteRight) += white;
    }
  return c;
}

TEST(LyricFileReadersTest, LibassHighlightsTheWordBeingSung) {
  const test::TempDir dir;
  for (const bool sweep : {false, true}) {
    const std::string ass = dir.File(sweep ? "sweep.ass" : "k.ass");
    WriteText(ass, FormatAss(TwoWordLine(), {sweep}).text);
    const Columns before = BurnedFrame(ass, 0.5);
    const Columns first = BurnedFrame(ass, 1.9);
    const Columns both = BurnedFrame(ass, 3.5);
    EXPECT_EQ(before.redLeft + before.redRight, 0) << ass;
    EXPECT_GT(before.whiteLeft, 50) << ass;
    // Late in the first word: it is red (all of it, or most of a sweep) and the second still white.
    EXPECT_GT(first.redLeft, before.whiteLeft / 2) << ass;
    EXPECT_EQ(first.redRight, 0) << ass;
    EXPECT_GT(first.whiteRight, 50) << ass;
    EXPECT_GT(both.redRight, 50) << ass;
    EXPECT_LT(both.whiteLeft + both.whiteRight, 10) << ass;
  }
}

// ---- npm parsers ------------------------------------------------------------

constexpr const char* kPackages =
    "ass-compiler@0.1.16 webvtt-parser@2.2.0 srt-parser-2@1.2.3 clrc@3.1.4 ttml2srt@1.2.4";

// What each parser makes of our files, one tab-separated record a line:
// L format begin end singer text   (a line or cue)
// W format start end text          (a timed word; end -1 when the format has none)
// M format key value               (a header value)
// E format message                 (a parser's complaint)
constexpr const char* kReadScript = R"JS(
const fs = require('fs');
const dir = process.argv[2];
const read = (name) => fs.readFileSync(dir + '/' + name, 'utf8');
const out = (...fields) => console.log(fields.join('\t'));
const ms = (s) => Math.round(s * 1000);

const ass = require('ass-compiler').parse(read('song.ass'));
for (const d of ass.events.dialogue) {
  out('L', 'ass', ms(d.Start), ms(d.End), d.Style + '/' + d.Name, d.Text.combined);
  let cursor = ms(d.Start);
  for (const f of d.Text.parsed) {
    let k = 0, karaoke = false;
    for (const tag of f.tags) {
      if ('k' in tag || 'kf' in tag) karaoke = true;
      k += (tag.k || 0) + (tag.kf || 0);
    }
    if (karaoke && f.text.trim() !== '') out('W', 'ass', cursor, cursor + k * 10, f.text.trim());
    cursor += k * 10;
  }
}

const { WebVTTParser } = require('webvtt-parser');
const vtt = new WebVTTParser().parse(read('song.vtt'), 'metadata');
for (const e of vtt.errors) out('E', 'vtt', e.message + ' line ' + e.line);
for (const cue of vtt.cues) {
  let voice = '', text = '', start = ms(cue.startTime), word = '', stamps = 0;
  const words = [];
  const walk = (nodes) => {
    for (const n of nodes) {
      if (n.type === 'object' && n.name === 'v') voice = n.value;
      if (n.type === 'timestamp') { words.push([start, word]); start = ms(n.value); word = ''; ++stamps; }
      if (n.type === 'text') { text += n.value; word += n.value; }
      if (n.children) walk(n.children);
    }
  };
  walk(cue.tree.children);
  words.push([start, word]);
  out('L', 'vtt', ms(cue.startTime), ms(cue.endTime), voice, text);
  for (const [s, w] of words) if (stamps > 0 && w.trim() !== '') out('W', 'vtt', s, -1, w.trim());
}

const Srt = require('srt-parser-2').default;
for (const cue of new Srt().fromSrt(read('song.srt')))
  out('L', 'srt', ms(cue.startSeconds), ms(cue.endSeconds), '', cue.text);

const clrc = require('clrc');
for (const line of clrc.parseEnhanced(read('song.lrc'))) {
  if (line.type === 'metadata') out('M', 'lrc', line.key, line.value);
  if (line.type === 'invalid' && line.raw !== '') out('E', 'lrc', line.raw);
  if (line.type !== 'enhanced_lyric') continue;
  // A singer's mark is the line's first word.
  const mark = line.words.length > 0 ? /^([MFD]): $/.exec(line.words[0].content) : null;
  const sung = mark ? line.words.slice(1) : line.words;
  const words = sung.filter((w) => w.content.trim() !== '');
  out('L', 'lrc', line.startMillisecond, -1, mark ? mark[1] : '', sung.map((w) => w.content).join('').trim());
  for (const w of words) out('W', 'lrc', w.startMillisecond, -1, w.content.trim());
}

console.info = () => {};  // its frame rate notice
const srtOfTtml = require('ttml2srt').ttml2srt(read('song.ttml'));
// It copies the XML's text as it stands: its character references too.
const unescape = (t) => t.replace(/&lt;/g, '<').replace(/&gt;/g, '>').replace(/&quot;/g, '"')
  .replace(/&apos;/g, "'").replace(/&amp;/g, '&');
for (const cue of new Srt().fromSrt(srtOfTtml))
  out('L', 'ttml', ms(cue.startSeconds), ms(cue.endSeconds), '', unescape(cue.text));
)JS";

struct Record {
  std::string kind, format;
  Millis a = 0, b = 0;
  std::string singer, text;
};

std::vector<Record> ParseRecords(const std::string& output) {
  std::vector<Record> records;
  std::istringstream in(output);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> f;
    std::istringstream fields(line);
    for (std::string field; std::getline(fields, field, '\t');) f.push_back(field);
    if (f.size() < 3) continue;
    Record r;
    if (f[0] == "L" && f.size() >= 5)
      r = {f[0], f[1], std::stoll(f[2]), std::stoll(f[3]), f[4], f.size() > 5 ? f[5] : ""};
    else if (f[0] == "W" && f.size() >= 5)
      r = {f[0], f[1], std::stoll(f[2]), std::stoll(f[3]), "", f[4]};
    else
      r = {f[0], f[1], 0, 0, f[2], f.size() > 3 ? f[3] : ""};
    records.push_back(r);
  }
  return records;
}

// The parsers, installed once into the build tree; "" when the registry
// cannot be reached (the caller skips), else the folder.
std::string InstalledReaders(std::string& failure) {
  const std::string folder = fs::absolute("npm-lyric-readers").string();
  if (fs::exists(folder + "/node_modules/ttml2srt/package.json") && fs::exists(folder + "/node_modules/clrc"))
    return folder;
  fs::create_directories(folder);
  int status = -1;
  const std::string log =
      test::RunCommand("cd " + test::ShellQuote(folder) +
                           " && npm install --no-audit --no-fund --no-save --loglevel=error " + kPackages + " 2>&1",
                       &status);
  if (status == 0) return folder;
  test::RunCommand("npm ping 2>&1", &status);
  failure = status == 0 ? "npm install failed: " + log : "";
  return "";
}

std::string WithoutWordJoiners(std::string text) {
  for (size_t at; (at = text.find("\xE2\x81\xA0")) != std::string::npos;) text.erase(at, 3);
  return text;
}

TEST(LyricFileReadersTest, NpmParsersReadTheWordsTimesAndSingersWeWrote) {
  std::string failure;
  const std::string readers = InstalledReaders(failure);
  if (readers.empty() && failure.empty()) GTEST_SKIP() << "the npm registry is unreachable";
  ASSERT_FALSE(readers.empty()) << failure;

  const TimedLyrics song = test::LyricFileDuet();
  const test::TempDir dir;
  WriteText(dir.File("song.ass"), FormatAss(song).text);
  WriteText(dir.File("song.vtt"), FormatWebVtt(song).text);
  WriteText(dir.File("song.srt"), FormatSrt(song).text);
  WriteText(dir.File("song.lrc"), FormatEnhancedLrc(song).text);
  WriteText(dir.File("song.ttml"), FormatTtml(song).text);
  WriteText(dir.File("read.js"), kReadScript);
  int status = -1;
  const std::string output =
      test::RunCommand("NODE_PATH=" + test::ShellQuote(readers + "/node_modules") + " node " +
                           test::ShellQuote(dir.File("read.js")) + " " + test::ShellQuote(dir.Path()) + " 2>&1",
                       &status);
  ASSERT_EQ(status, 0) << output;
  std::map<std::string, std::vector<Record>> lines, words;
  std::map<std::string, std::string> meta;
  for (const Record& r : ParseRecords(output)) {
    EXPECT_NE(r.kind, "E") << r.format << ": " << r.singer << " " << r.text;
    if (r.kind == "L") lines[r.format].push_back(r);
    if (r.kind == "W") words[r.format].push_back(r);
    if (r.kind == "M") meta[r.singer] = r.text;
  }

  // Every sung line in song order (the readers keep it: no two lines here
  // start out of order), with the singer as each format carries it.
  struct Expected {
    const char* format;
    std::vector<std::string> singers;
    bool fixedLine;  // the fixed line is there, unsung
    bool window;     // begin and end are the screen window, else the sung span
    Millis tolerance;
  } expected[] = {
      {"ass", {"Singer1/Ann", "Singer2/Bob", "Both/Both", "Fixed/", "Singer1/Ann"}, true, true, 10},
      {"vtt", {"Ann", "Bob", "Both", "", "Ann"}, true, true, 1},
      {"srt", {"", "", "", "", ""}, true, true, 1},
      {"lrc", {"M", "F", "D", "M"}, false, false, 10},
      {"ttml", {"", "", "", ""}, false, false, 1},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(e.format);
    // LRC has no escape: text that would read as a time tag is changed on purpose.
    const bool lrc = std::string(e.format) == "lrc";
    const auto shown = [&](const std::string& word) { return lrc ? LrcWordText(word) : word; };
    const auto shownLine = [&](TimedLine line) {
      for (TimedWord& word : line.words) word.text = shown(word.text);
      return line.Text();
    };
    const std::vector<Record>& got = lines[e.format];
    ASSERT_EQ(got.size(), e.singers.size()) << output;
    size_t n = 0;
    std::vector<const TimedWord*> sung;
    for (const TimedLine& line : song.lines) {
      if (line.fixed && !e.fixedLine) continue;
      const Record& r = got[n];
      EXPECT_EQ(r.singer, e.singers[n]);
      EXPECT_EQ(WithoutWordJoiners(r.text), shownLine(line));
      EXPECT_NEAR(double(r.a), double(e.window ? line.show : line.FirstStart()), double(e.tolerance));
      if (r.b >= 0) {
        EXPECT_NEAR(double(r.b), double(e.window ? line.erase : line.LastEnd()), double(e.tolerance));
      }
      ++n;
      for (const TimedWord& word : line.words)
        if (word.IsTimed()) sung.push_back(&word);
    }
    if (std::string(e.format) == "srt" || std::string(e.format) == "ttml") continue;  // no word times read
    const std::vector<Record>& timed = words[e.format];
    ASSERT_EQ(timed.size(), sung.size()) << output;
    for (size_t i = 0; i < sung.size(); ++i) {
      EXPECT_EQ(WithoutWordJoiners(timed[i].text), shown(sung[i]->text));
      EXPECT_NEAR(double(timed[i].a), double(sung[i]->start), double(e.tolerance)) << sung[i]->text;
      if (timed[i].b >= 0) {
        EXPECT_NEAR(double(timed[i].b), double(sung[i]->end), double(e.tolerance)) << sung[i]->text;
      }
    }
  }
  EXPECT_EQ(meta["ar"], "Ann <& Bob>");
  EXPECT_EQ(meta["ti"], "Duet & \"Friends\"");
  EXPECT_EQ(meta["length"], "00:30");
}

// libxml2 reads the TTML as XML: title, artist, agents declared, and each
// line's singer as its agent.
TEST(LyricFileReadersTest, TtmlIsWellFormedAndNamesEachLinesSinger) {
  const test::TempDir dir;
  const std::string ttml = dir.File("song.ttml");
  WriteText(ttml, FormatTtml(test::LyricFileDuet()).text);
  const auto xpath = [&](const std::string& path) {
    int status = -1;
    std::string out =
        test::RunCommand("xmllint --xpath " + test::ShellQuote(path) + " " + test::ShellQuote(ttml) + " 2>&1", &status);
    EXPECT_EQ(status, 0) << path << ": " << out;
    while (!out.empty() && out.back() == '\n') out.pop_back();
    return out;
  };
  const std::string p = "//*[local-name()='p']";
  EXPECT_EQ(xpath("string(//*[local-name()='tt']/@*[local-name()='timing'])"), "Word");
  EXPECT_EQ(xpath("string(//*[local-name()='title'])"), "Duet & \"Friends\"");
  EXPECT_EQ(xpath("string(//*[local-name()='artist'])"), "Ann <& Bob>");
  EXPECT_EQ(xpath("count(//*[local-name()='agent'])"), "3");
  EXPECT_EQ(xpath("string(//*[local-name()='agent'][@*[local-name()='id']='v2']/*[local-name()='name'])"), "Bob");
  std::string agents;
  for (int i = 1; i <= 4; ++i)
    agents += xpath("string((" + p + ")[" + std::to_string(i) + "]/@*[local-name()='agent'])") + " ";
  EXPECT_EQ(agents, "v1 v2 v1000 v1 ");
  // Syllables are spans with no space between them; words have one.
  EXPECT_EQ(xpath("string((" + p + ")[1])"), "Twinkle star");
  EXPECT_EQ(xpath("count((" + p + ")[1]/*[local-name()='span'])"), "3");
  EXPECT_EQ(xpath("string((" + p + ")[1]/*[local-name()='span'][2]/@begin)"), "00:00:01.500");
}

}  // namespace
}  // namespace lf
