// Each lyric and subtitle format written by our writer and read back by our
// reader keeps the words, syllables, singers and times it can carry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/export/ass_writer.h"
#include "core/export/enhanced_lrc_writer.h"
#include "core/export/srt_writer.h"
#include "core/export/ttml_writer.h"
#include "core/export/ultrastar_writer.h"
#include "core/export/webvtt_writer.h"
#include "core/lyrics/lrc_file.h"
#include "core/lyrics/parse_lrc.h"
#include "core/lyrics/timed_format_readers.h"
#include "tests/core/export/lyric_file_song.h"

namespace lf {
namespace {

TimedLyrics RoundTripDuet() {
  TimedLyrics song;
  song.title = "Round Trip";
  song.artist = "The Testers";
  song.duet = true;
  song.singerNames = {"Ann", "Bob", "Both"};
  song.length = 20000;
  const auto add = [&](Singer singer, std::vector<TimedWord> words, Millis show, Millis erase) {
    test::AddLine(song, singer, std::move(words), show, erase);
  };
  add(Singer::kSinger1, {{"Twin", 1234, 1500}, {"kle", 1500, 1987, true}, {"star", 2345, 2999}}, 500, 9000);
  add(Singer::kSinger2, {{"how", 3101, 3507}, {"I", 3600, 3900}}, 500, 9000);
  add(Singer::kBoth, {{"won", 4001, 4400}, {"der", 4400, 5003, true}}, 500, 9000);
  add(Singer::kSinger1, {{"what", 9507, 10011}, {"you", 10011, 10750}, {"are", 10800, 12345}}, 9000, 14000);
  return song;
}

struct Format {
  const char* name;
  std::string (*write)(const TimedLyrics&);
  Outcome (*read)(std::string_view, const std::string&, TimedLyrics&);
  Millis tolerance;
  bool ends, singers, syllables;
};

const Format kFormats[] = {
    {"ASS", [](const TimedLyrics& l) { return FormatAss(l).text; }, ReadAss, 10, true, true, true},
    {"UltraStar", [](const TimedLyrics& l) { return FormatUltraStar(l).text; }, ReadUltraStar, 10, true, true, true},
    {"TTML", [](const TimedLyrics& l) { return FormatTtml(l).text; }, ReadTtml, 1, true, true, true},
    {"WebVTT", [](const TimedLyrics& l) { return FormatWebVtt(l).text; }, ReadWebVtt, 1, false, true, true},
};

TEST(LyricRoundTrip, EachFormatGivesBackWhatItCarries) {
  const TimedLyrics original = RoundTripDuet();
  for (const Format& format : kFormats) {
    SCOPED_TRACE(format.name);
    const std::string file = format.write(original);
    TimedLyrics back;
    const Outcome read = format.read(file, "song", back);
    ASSERT_TRUE(read.Ok()) << read.text << "\n" << file;
    ASSERT_EQ(back.lines.size(), original.lines.size()) << file;
    for (size_t l = 0; l < original.lines.size(); ++l) {
      const TimedLine& want = original.lines[l];
      const TimedLine& got = back.lines[l];
      SCOPED_TRACE("line " + std::to_string(l));
      EXPECT_EQ(got.Text(), want.Text());
      if (format.singers) {
        EXPECT_EQ(got.singer, want.singer);
      }
      ASSERT_EQ(got.words.size(), want.words.size()) << file;
      for (size_t w = 0; w < want.words.size(); ++w) {
        SCOPED_TRACE("word " + std::to_string(w));
        if (format.syllables) {
          EXPECT_EQ(got.words[w].joinsPrevious, want.words[w].joinsPrevious);
        }
        EXPECT_LE(std::llabs(got.words[w].start - want.words[w].start), format.tolerance);
        if (format.ends) {
          EXPECT_LE(std::llabs(got.words[w].end - want.words[w].end), format.tolerance);
        }
      }
    }
  }
}

// SRT carries a line's text; enhanced LRC each word's start and the singer
// marks, but reads syllables back joined into their word.
TEST(LyricRoundTrip, SrtAndLrcKeepTheirShareOfTheSong) {
  const TimedLyrics original = RoundTripDuet();
  TimedLyrics srt;
  ASSERT_TRUE(ReadSrt(FormatSrt(original).text, "song.srt", srt).Ok());
  ASSERT_EQ(srt.lines.size(), original.lines.size());
  for (size_t l = 0; l < original.lines.size(); ++l) EXPECT_EQ(srt.lines[l].Text(), original.lines[l].Text()) << l;

  std::string text;
  LrcFile lrc;
  ParseLrc(FormatEnhancedLrc(original).text, text, lrc);
  ASSERT_EQ(lrc.lines.size(), original.lines.size()) << text;
  const int singerCodes[] = {1, 2, 3, 1};
  for (size_t l = 0; l < original.lines.size(); ++l) {
    SCOPED_TRACE("line " + std::to_string(l));
    EXPECT_EQ(lrc.lines[l].singer, singerCodes[l]);
    std::vector<Millis> starts;  // of the words, syllables joined
    for (const TimedWord& word : original.lines[l].words)
      if (!word.joinsPrevious) starts.push_back(word.start);
    std::vector<Millis> read;
    for (const LrcElement& e : lrc.lines[l].elements)
      if (!e.text.empty()) read.push_back(e.start);
    ASSERT_EQ(read.size(), starts.size());
    for (size_t w = 0; w < starts.size(); ++w) EXPECT_LE(std::llabs(read[w] - starts[w]), 10) << w;
  }
}

}  // namespace
}  // namespace lf
