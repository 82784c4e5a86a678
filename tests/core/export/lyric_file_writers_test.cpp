// The lyric and subtitle writers, read back by small readers of the parts
// each test checks; readers nobody here wrote check the same files in
// lyric_file_readers_test.cpp.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <map>
#include <regex>
#include <sstream>

#include "core/export/ass_writer.h"
#include "core/export/caption_clock.h"
#include "core/export/enhanced_lrc_writer.h"
#include "core/export/srt_writer.h"
#include "core/export/ttml_writer.h"
#include "core/export/ultrastar_writer.h"
#include "core/export/webvtt_writer.h"
#include "tests/core/export/lyric_file_song.h"

namespace lf {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

Millis AssClock(const std::string& t) {  // h:mm:ss.cc
  int h = 0, m = 0, s = 0, cs = 0;
  std::sscanf(t.c_str(), "%d:%d:%d.%d", &h, &m, &s, &cs);
  return ((h * 60 + m) * 60 + s) * 1000 + cs * 10;
}

TEST(LyricFileWritersTest, ClockStylesRoundToTheirLastDigit) {
  struct Case {
    Millis t;
    ClockStyle style;
    const char* text;
  } cases[] = {
      {3723456, ClockStyle::kHoursMillis, "01:02:03.456"}, {3723456, ClockStyle::kHoursCommaMillis, "01:02:03,456"},
      {3723456, ClockStyle::kAssCentis, "1:02:03.46"},     {62345, ClockStyle::kMinutesCentis, "01:02.35"},
      {62345, ClockStyle::kMinutesMillis, "01:02.345"},    {62500, ClockStyle::kMinutesSeconds, "01:03"},
      {59995, ClockStyle::kMinutesCentis, "01:00.00"},     {-5, ClockStyle::kHoursMillis, "00:00:00.000"},
      {6000000, ClockStyle::kMinutesMillis, "100:00.000"},
  };
  for (const Case& c : cases) EXPECT_EQ(ClockText(c.t, c.style), c.text) << c.t;
}

// Words that look like markup stay words in every format.
TEST(LyricFileWritersTest, MarkupInWordsIsEscapedForEachFormat) {
  struct Case {
    std::string (*escape)(const std::string&);
    const char* word;
    const char* written;
  } cases[] = {
      {AssText, "{\\k50}x", "\\{\\k50\\}x"},
      {AssText, "a\\Nb", "a\\\xE2\x81\xA0Nb"},
      {AssText, "a\\b", "a\\b"},
      {AssText, "tab\there", "tabhere"},
      {LrcWordText, "<00:09.00>Hello",
       "\xE2\x80\xB9"
       "00:09.00>Hello"},
      {LrcWordText, "[01:02]x", "(01:02]x"},
      {LrcWordText, "< 1:2>", "\xE2\x80\xB9 1:2>"},
      {LrcWordText, "a<3 [ok]", "a<3 [ok]"},
      {LrcWordText, "x<12:>", "x<12:>"},
      {XmlText, "R&B <\"it's\">", "R&amp;B &lt;&quot;it&apos;s&quot;&gt;"},
      {XmlText, "bell\x07!", "bell!"},
      {XmlText, "Grüße 日本", "Grüße 日本"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.escape(c.word), c.written) << c.word;
  // No word tag survives in an LRC line but ours.
  const std::string lrc = FormatEnhancedLrc(test::LyricFileDuet()).text;
  EXPECT_EQ(lrc.find("<00:09.00>"), std::string::npos) << lrc;
}

// Each format says which fixed lines it left out; those it carries are there.
TEST(LyricFileWritersTest, FixedLinesAreUnsungTextOrCountedAsLeftOut) {
  const TimedLyrics song = test::LyricFileDuet();
  struct Case {
    const char* format;
    LyricFileText file;
    int leftOut;
  } cases[] = {
      {"ass", FormatAss(song), 0},   {"ultrastar", FormatUltraStar(song), 1},
      {"ttml", FormatTtml(song), 1}, {"vtt", FormatWebVtt(song), 0},
      {"srt", FormatSrt(song), 0},   {"lrc", FormatEnhancedLrc(song), 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.file.fixedLinesLeftOut, c.leftOut) << c.format;
    EXPECT_EQ(c.file.text.find("(instrumental)") != std::string::npos, c.leftOut == 0) << c.format;
  }
  // ASS writes it in the style that never sweeps.
  EXPECT_NE(FormatAss(song).text.find("Fixed,,0,0,0,,(instrumental)\n"), std::string::npos);
}

// Every Dialogue's {\k} runs add up, boundary by boundary, to its words'
// starts and ends: each within 10 ms, the line's sum within a centisecond.
TEST(LyricFileWritersTest, AssRunsLandOnEveryWordAndAddUpToTheSungTime) {
  const TimedLyrics song = test::LyricFileDuet();
  for (const bool sweep : {false, true}) {
    const std::string ass = FormatAss(song, {sweep}).text;
    const std::regex dialogue(R"(^Dialogue: 0,([^,]+),([^,]+),([^,]+),([^,]*),0,0,0,,(.*)$)");
    const std::regex run(sweep ? R"(\{\\(kf?)(\d+)\})" : R"(\{\\(k)(\d+)\})");
    std::vector<std::string> styles;
    size_t line = 0;
    for (const std::string& text : Lines(ass)) {
      std::smatch m;
      if (!std::regex_match(text, m, dialogue) || m[3] == "Fixed") continue;
      while (song.lines[line].fixed) ++line;
      const TimedLine& timed = song.lines[line++];
      styles.push_back(m[3].str() + "/" + m[4].str());
      const std::string body = m[5];
      Millis cursor = AssClock(m[1]);
      size_t word = 0;
      for (auto it = std::sregex_iterator(body.begin(), body.end(), run); it != std::sregex_iterator(); ++it) {
        const auto& tag = *it;
        const size_t after = size_t(tag.position(0) + tag.length(0));
        const bool empty = after == body.size() || body[after] == '{' || body[after] == ' ';
        if (!empty) {
          ASSERT_LT(word, timed.words.size()) << text;
          EXPECT_NEAR(double(cursor), double(timed.words[word].start), 10.0) << text;
          if (sweep) {
            EXPECT_EQ(tag[1], "kf") << text;
          }
        }
        cursor += std::atoi(tag[2].str().c_str()) * 10;
        if (!empty) {
          EXPECT_NEAR(double(cursor), double(timed.words[word++].end), 10.0) << text;
        }
      }
      EXPECT_EQ(word, timed.words.size()) << text;
      EXPECT_NEAR(double(cursor), double(timed.LastEnd()), 10.0) << text;
      EXPECT_NEAR(double(AssClock(m[1])), double(timed.show), 10.0);
      EXPECT_NEAR(double(AssClock(m[2])), double(timed.erase), 10.0);
    }
    EXPECT_EQ(styles, (std::vector<std::string>{"Singer1/Ann", "Singer2/Bob", "Both/Both", "Singer1/Ann"}));
  }
}

struct UltraStarNote {
  int part;
  Millis start, end;
  std::string text;
};

// The notes of an UltraStar file on its own beat grid, checking the order
// the format's description asks for: notes in order, no overlap, breaks
// between them, "E" last.
std::vector<UltraStarNote> ReadUltraStar(const std::string& text, std::map<std::string, std::string>& header) {
  std::vector<UltraStarNote> notes;
  int part = 0;
  double lastEnd = -1;
  bool ended = false;
  for (const std::string& line : Lines(text)) {
    EXPECT_FALSE(ended) << "after E: " << line;
    if (line[0] == '#') {
      header[line.substr(1, line.find(':') - 1)] = line.substr(line.find(':') + 1);
    } else if (line == "P1" || line == "P2") {
      part = line[1] - '0';
      lastEnd = -1;
    } else if (line[0] == ':') {
      int start = 0, length = 0, pitch = 0, used = 0;
      EXPECT_EQ(std::sscanf(line.c_str(), ": %d %d %d %n", &start, &length, &pitch, &used), 3) << line;
      EXPECT_GE(start, lastEnd) << line;
      EXPECT_GE(length, 1) << line;
      lastEnd = start + length;
      const double beat = 15000.0 / std::stod(header["BPM"]);
      const double gap = std::stod(header["GAP"]);
      // The text starts after the one space that ends the pitch.
      const size_t at = line.find(' ', line.find(' ', line.find(' ', 2) + 1) + 1) + 1;
      notes.push_back({part, Millis(std::llround(gap + start * beat)), Millis(std::llround(gap + lastEnd * beat)),
                       line.substr(at)});
    } else if (line[0] == '-') {
      EXPECT_GE(std::atoi(line.c_str() + 1), lastEnd) << line;
    } else {
      EXPECT_EQ(line, "E");
      ended = true;
    }
  }
  EXPECT_TRUE(ended);
  return notes;
}

// Songs at many tempos: every note within 10 ms of its word, at the lowest
// BPM that allows it.
TEST(LyricFileWritersTest, UltraStarNotesLieWithinTenMillisecondsOfTheirWords) {
  std::srand(7);
  for (const Millis step : {250, 333, 91, 47}) {
    TimedLyrics song;
    Millis t = 1000 + std::rand() % 500;
    for (int l = 0; l < 6; ++l) {
      TimedLine line;
      for (int w = 0; w < 5; ++w) {
        const Millis length = step / 2 + std::rand() % step;
        line.words.push_back({"w" + std::to_string(w), t, t + length, w == 3});
        t += length + std::rand() % step;
      }
      song.lines.push_back(line);
    }
    std::map<std::string, std::string> header;
    const std::vector<UltraStarNote> notes = ReadUltraStar(FormatUltraStar(song, {"song.mp3"}).text, header);
    ASSERT_EQ(notes.size(), 30u);
    size_t n = 0;
    std::string text;
    for (const TimedLine& line : song.lines) {
      for (const TimedWord& word : line.words) {
        EXPECT_NEAR(double(notes[n].start), double(word.start), 10.0) << step << " note " << n;
        EXPECT_NEAR(double(notes[n].end), double(word.end), 10.0) << step << " note " << n;
        text += notes[n++].text;
      }
      text += "/";
    }
    EXPECT_EQ(text, "w0 w1 w2w3 w4/w0 w1 w2w3 w4/w0 w1 w2w3 w4/w0 w1 w2w3 w4/w0 w1 w2w3 w4/w0 w1 w2w3 w4/");
    EXPECT_EQ(header["MP3"], "song.mp3");
    // No lower tempo would have done.
    const BeatGrid slower{std::stoi(header["BPM"]) - 1, std::stoi(header["GAP"])};
    bool slowerFits = true;
    for (const TimedLine& line : song.lines)
      for (const TimedWord& word : line.words)
        slowerFits = slowerFits && std::abs(slower.MillisAt(slower.BeatAt(word.start)) - double(word.start)) <= 10 &&
                     std::abs(slower.MillisAt(slower.BeatAt(word.end)) - double(word.end)) <= 10;
    EXPECT_FALSE(slowerFits) << header["BPM"];
  }
}

// Singer 1's lines in P1, singer 2's in P2, and both singers' in both.
TEST(LyricFileWritersTest, UltraStarDuetWritesEachSingersPart) {
  std::map<std::string, std::string> header;
  const std::vector<UltraStarNote> notes = ReadUltraStar(FormatUltraStar(test::LyricFileDuet()).text, header);
  std::map<int, std::string> parts;
  for (const UltraStarNote& note : notes) parts[note.part] += note.text + "|";
  EXPECT_EQ(parts[1], "Twin|kle| star|Grüße| 日本|last| one|");
  EXPECT_EQ(parts[2], "<00:09.00>Hello| R&B| a\\Nb|Grüße| 日本|");
  EXPECT_EQ(header["P1"], "Ann");
  EXPECT_EQ(header["P2"], "Bob");
  EXPECT_EQ(header["TITLE"], "Duet & \"Friends\"");
}

}  // namespace
}  // namespace lf
