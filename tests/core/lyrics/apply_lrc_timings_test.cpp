#include "core/lyrics/apply_lrc_timings.h"

#include <gtest/gtest.h>

#include "core/lyrics/parse_lrc.h"

namespace lf {
namespace {

// Parses an LRC text and lays its lyric text out as the song does after an import.
struct Imported {
  explicit Imported(std::string_view lrcText) {
    ParseLrc(lrcText, text, lrc);
    lines = LayoutKaraokeLines(text, KaraokeLineList{}, LineLayoutOptions{}, nullptr);
  }
  std::string text;
  LrcFile lrc;
  KaraokeLineList lines;
};

TEST(ApplyLrcTimings, WordsTakeTimesAndCharactersByPosition) {
  Imported s("[00:12.34]Hello world\n[00:15.34]Next line\n");
  ApplyLrcTimings(s.lrc, s.lines);
  // The text's final line end leaves an empty last line, which no LRC line times.
  ASSERT_EQ(s.lines.lines.size(), 3u);
  EXPECT_FALSE(s.lines.lines[2]->m_placed);
  const KaraokeLine& first = *s.lines.lines[0];
  EXPECT_TRUE(first.m_placed);
  ASSERT_EQ(first.m_words.size(), 2u);
  EXPECT_EQ(first.m_words[0]->m_startTime, 1234 * 441);
  EXPECT_EQ(first.m_words[0]->m_endTime, 1383 * 441);
  EXPECT_EQ(first.m_words[1]->m_startTime, 1384 * 441);
  EXPECT_EQ(first.m_words[1]->m_firstChar, 6);
  EXPECT_EQ(first.m_words[1]->m_lastChar, 10);
  EXPECT_TRUE(s.lines.lines[1]->m_placed);
  EXPECT_EQ(s.lines.lines[1]->m_words[1]->m_startTime, 1684 * 441);
}

TEST(ApplyLrcTimings, SyllablesOfAnEnhancedLineStayInTheirWords) {
  Imported s("[00:10.00]<00:10.00>Hel<00:10.40>lo <00:11.00>you<00:11.80>\n");
  ApplyLrcTimings(s.lrc, s.lines);
  const KaraokeLine& line = *s.lines.lines.at(0);
  ASSERT_EQ(line.m_text, "Hello you");
  ASSERT_EQ(line.m_words.size(), 2u);
  // "Hello" runs from its first syllable to "you"; "you" keeps its own tag.
  EXPECT_EQ(line.m_words[0]->m_firstChar, 0);
  EXPECT_EQ(line.m_words[0]->m_lastChar, 4);
  EXPECT_EQ(line.m_words[0]->m_startTime, 1000 * 441);
  EXPECT_EQ(line.m_words[0]->m_endTime, 1099 * 441);
  EXPECT_EQ(line.m_words[1]->m_firstChar, 6);
  EXPECT_EQ(line.m_words[1]->m_lastChar, 8);
  EXPECT_EQ(line.m_words[1]->m_startTime, 1100 * 441);
}

// Tagged characters arrive as joined syllables with their own times; the
// translation on the original's time is a fixed line shown for its span.
TEST(ApplyLrcTimings, CharactersBecomeSyllablesAndTranslationsFixedLines) {
  Imported s("[00:10.00]<00:10.00>\xE4\xBB\x96<00:10.50>\xE4\xBB\xAC<00:11.00>\n[00:10.00]they\n");
  ApplyLrcTimings(s.lrc, s.lines);
  const KaraokeLine& sung = *s.lines.lines.at(0);
  EXPECT_EQ(sung.m_text, "\xE4\xBB\x96\xE4\xBB\xAC");
  EXPECT_FALSE(sung.m_fixed);
  ASSERT_EQ(sung.m_words.size(), 2u);
  EXPECT_EQ(sung.m_words[0]->m_flags, KaraokeWord::kSyllableBreak);
  EXPECT_EQ(sung.m_words[1]->m_flags, KaraokeWord::kJoinsPrevious);
  EXPECT_EQ(sung.m_words[1]->m_firstChar, 3);
  EXPECT_EQ(sung.m_words[1]->m_lastChar, 5);
  EXPECT_EQ(sung.m_words[0]->m_startTime, 1000 * 441);
  EXPECT_EQ(sung.m_words[0]->m_endTime, 1049 * 441);
  EXPECT_EQ(sung.m_words[1]->m_startTime, 1050 * 441);
  EXPECT_EQ(sung.m_words[1]->m_endTime, 1099 * 441);
  const KaraokeLine& translation = *s.lines.lines.at(1);
  EXPECT_EQ(translation.m_text, "they");
  EXPECT_TRUE(translation.m_fixed);
  EXPECT_TRUE(translation.m_placed);
  EXPECT_EQ(translation.m_words.at(0)->m_startTime, 1000 * 441);
  EXPECT_EQ(translation.m_words.at(0)->m_endTime, 1099 * 441);
}

TEST(ApplyLrcTimings, TimesBecomeFramesAtTheSongsRate) {
  struct Case {
    int rate;
    const char* lrc;
    SampleTime start, end;
  };
  const Case cases[] = {
      {44100, "[00:00.00]<00:00.00>first<00:00.50>", 1, 21609},    // time 0 is "not placed": the first frame
      {44100, "[00:01.234]<00:01.234>x<00:02.00>", 54419, 87759},  // 1.234 s, rounded once
      {22050, "[00:02.00]<00:02.00>x<00:03.00>", 44100, 65930},
      {48000, "[00:01.00]<00:01.00>x<00:01.50>", 48000, 71520},
  };
  for (const Case& c : cases) {
    Imported s(c.lrc);
    ApplyLrcTimings(s.lrc, s.lines, c.rate);
    const KaraokeWord& w = *s.lines.lines.at(0)->m_words.at(0);
    EXPECT_EQ(w.m_startTime, c.start) << c.lrc;
    EXPECT_EQ(w.m_endTime, c.end) << c.lrc;
  }
}

TEST(ApplyLrcTimings, ReplacesEarlierTimings) {
  Imported s("[00:01.00]one two\n");
  for (auto& w : s.lines.words) w->m_startTime = w->m_endTime = 999999;
  ApplyLrcTimings(s.lrc, s.lines);
  EXPECT_EQ(s.lines.words[0]->m_startTime, 100 * 441);
  EXPECT_EQ(s.lines.words[1]->m_startTime, (1000 + kLrcDefaultWordStep) * 441 / 10);
}

TEST(ApplyLrcTimings, MismatchesLeaveTheRestAlone) {
  Imported s("[00:01.00]one\n");
  // The song has more lines and words than the file, and a word the file does not hold.
  s.lines = LayoutKaraokeLines("uno two\nthree", KaraokeLineList{}, LineLayoutOptions{}, nullptr);
  ApplyLrcTimings(s.lrc, s.lines);
  const KaraokeLine& first = *s.lines.lines[0];
  EXPECT_TRUE(first.m_placed);
  EXPECT_EQ(first.m_words[0]->m_startTime, 100 * 441);
  EXPECT_EQ(first.m_words[0]->m_firstChar, 0);  // "one" is not in "uno two": the layout's characters stay
  EXPECT_EQ(first.m_words[0]->m_lastChar, 2);
  EXPECT_EQ(first.m_words[1]->m_startTime, 0);
  EXPECT_FALSE(s.lines.lines[1]->m_placed);

  KaraokeLineList empty;
  ApplyLrcTimings(s.lrc, empty);  // nothing to do, nothing to fail
  EXPECT_TRUE(empty.lines.empty());
}

}  // namespace
}  // namespace lf
