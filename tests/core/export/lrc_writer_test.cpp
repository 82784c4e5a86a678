#include "core/export/lrc_writer.h"

#include <gtest/gtest.h>

#include "core/lyrics/apply_lrc_timings.h"
#include "core/lyrics/parse_lrc.h"

namespace lf {
namespace {

// "Twin*kle twinkle" and "little star" with times in hundredths of a second.
KaraokeLineList TwoLines() {
  KaraokeLineList list;
  auto& a = list.AddLine();
  a.m_text = "Twinkle twinkle";
  auto add = [&](KaraokeLine& line, int first, int last, int startCs, int endCs, uint32_t flags = 0) {
    auto& w = list.AddWord(line);
    w.m_firstChar = first;
    w.m_lastChar = last;
    w.m_startTime = startCs * 441;
    w.m_endTime = endCs * 441;
    w.m_flags = flags;
  };
  add(a, 0, 3, 123, 150, KaraokeWord::kSyllableBreak);
  add(a, 4, 6, 151, 199, KaraokeWord::kJoinsPrevious);
  add(a, 8, 14, 200, 290);
  auto& unplaced = list.AddLine();
  unplaced.m_text = "not yet timed";
  list.AddWord(unplaced).m_lastChar = 2;
  auto& b = list.AddLine();
  b.m_text = "little star";
  add(b, 0, 5, 6012, 6100);
  add(b, 7, 10, 6101, 6250);
  return list;
}

TEST(LrcWriterTest, SimpleWritesOneTagPerPlacedLine) {
  auto lines = TwoLines();
  EXPECT_EQ(FormatLrc(lines, LrcStyle::Simple, {"Jane Taylor", "Twinkle", 44100}, 44100),
            "[ar:Jane Taylor]\n[ti:Twinkle]\n[re:Lyricforge]\n"  // on the exported audio, a second later
            "[00:02.23]Twinkle twinkle\n[01:01.12]little star\n");
}

TEST(LrcWriterTest, EnhancedTagsEveryWordAndClosesTheLine) {
  auto lines = TwoLines();
  EXPECT_EQ(FormatLrc(lines, LrcStyle::Enhanced, {}, 44100),
            "[re:Lyricforge]\n"
            "[00:01.23]<00:01.230>Twin<00:01.510>kle <00:02.000>twinkle<00:02.910>\n"
            "[01:00.12]<01:00.120>little <01:01.010>star<01:02.510>\n");
}

TEST(LrcWriterTest, TimesRoundToTheNearestHundredth) {
  EXPECT_EQ(LrcTimeText(0, 44100), "00:00.00");
  EXPECT_EQ(LrcTimeText(220, 44100), "00:00.00");
  EXPECT_EQ(LrcTimeText(440, 44100), "00:00.01");
  EXPECT_EQ(LrcTimeText(441, 44100), "00:00.01");
  EXPECT_EQ(LrcTimeText(44100 * 754 + 441 * 7, 44100), "12:34.07");
  EXPECT_EQ(LrcTimeText(48000 * 2, 48000), "00:02.00");
  EXPECT_EQ(LrcTimeText(54419, 44100, 3), "00:01.234");
  EXPECT_EQ(LrcTimeText(44100 * 60 - 1, 44100), "01:00.00");  // the rounding carries into the minutes
  EXPECT_EQ(LrcTimeText(44100 * 754 + 441 * 7, 44100, 3), "12:34.070");
}

}  // namespace
}  // namespace lf

#include "core/lyrics/parse_lrc.h"

namespace lf {
namespace {

// Our own LRC reader takes back what the writer wrote: the same words (a
// word's syllables joined) at the same milliseconds of the exported audio.
TEST(LrcWriterTest, OurReaderReadsBackTheSameTimes) {
  auto lines = TwoLines();
  std::string text;
  LrcFile lrc;

  ASSERT_GT(ParseLrc(FormatLrc(lines, LrcStyle::Enhanced, {"A", "T", 441 * 10}, 44100), text, lrc), 0u);
  EXPECT_EQ(text, "Twinkle twinkle\nlittle star\n");
  EXPECT_EQ(lrc.offset, 0);
  ASSERT_EQ(lrc.lines.size(), 2u);
  auto exportedMs = [](SampleTime t) { return (int64_t{t} + 441 * 10) * 1000 / 44100; };
  std::vector<const KaraokeWord*> words;  // "kle" joins "Twin"
  for (const auto& w : lines.words)
    if (w->IsPlaced() && !(w->m_flags & KaraokeWord::kJoinsPrevious)) words.push_back(w.get());
  std::vector<LrcElement> read;
  for (const auto& l : lrc.lines) read.insert(read.end(), l.elements.begin(), l.elements.end());
  ASSERT_EQ(read.size(), words.size());
  for (size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i].start, exportedMs(words[i]->m_startTime)) << i;
  EXPECT_EQ(read[0].text, "Twinkle");
  EXPECT_EQ(read.back().end, exportedMs(words.back()->m_endTime));  // the closing tag

  ASSERT_GT(ParseLrc(FormatLrc(lines, LrcStyle::Simple, {}, 44100), text, lrc), 0u);
  ASSERT_EQ(lrc.lines.size(), 2u);
  EXPECT_EQ(lrc.lines[0].elements.front().start, 1230);
  EXPECT_EQ(lrc.lines[1].elements.front().start, 60120);
  EXPECT_EQ(lrc.lines[1].elements.back().text, "star");
}

}  // namespace
}  // namespace lf

namespace lf {
namespace {

// Whatever the title, artist or lyrics hold, each tag and each line stays one
// line: nothing in them can add a timed line of its own.
TEST(LrcWriterTest, TagsAndLinesCannotInjectLines) {
  auto lines = TwoLines();
  lines.lines[0]->m_text = "Twinkle\rtwinkle";
  const std::string lrc = FormatLrc(lines, LrcStyle::Simple, {"A\x01rtist [Live]", "x]\n[00:00.00]INJECTED", 0}, 44100);
  EXPECT_EQ(lrc,
            "[ar:Artist (Live)]\n[ti:x)(00:00.00)INJECTED]\n[re:Lyricforge]\n"
            "[00:01.23]Twinkletwinkle\n[01:00.12]little star\n");
  std::string text;
  LrcFile parsed;
  ASSERT_GT(ParseLrc(lrc, text, parsed), 0u);
  EXPECT_EQ(parsed.lines.size(), 2u);
  EXPECT_EQ(text.find("INJECTED"), std::string::npos);
}

// An imported enhanced file is written back as it was read: each tagged
// character keeps its own tag, and times stored in frames come back to the
// millisecond they were read at.
TEST(LrcWriterTest, EnhancedImportIsWrittenBackTagForTag) {
  const std::string cases[] = {
      "[00:18.91]<00:18.912>\xE4\xBB\x96<00:19.322>\xE4\xBB\xAC<00:20.474>\xE6\x80\xBB<00:21.000>\n",
      "[00:06.51]<00:06.513>one <00:07.001>two<00:08.247>\n",
  };
  for (const std::string& lrcText : cases) {
    std::string text;
    LrcFile lrc;
    ParseLrc(lrcText, text, lrc);
    KaraokeLineList lines = LayoutKaraokeLines(text, KaraokeLineList{}, LineLayoutOptions{}, nullptr);
    ApplyLrcTimings(lrc, lines, 44100);
    EXPECT_EQ(FormatLrc(lines, LrcStyle::Enhanced, {}, 44100), "[re:Lyricforge]\n" + lrcText);
  }
}

}  // namespace
}  // namespace lf
