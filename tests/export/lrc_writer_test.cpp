#include "export/lrc_writer.h"

#include <gtest/gtest.h>

namespace lf {
namespace {

// "Twin*kle twinkle" and "little star" with times in hundredths of a second.
KaraokeLineList TwoLines() {
  KaraokeLineList list;
  auto& a = list.AddLine();
  a.m_text = "Twinkle twinkle";
  auto add = [&](MKaraokeLine& line, int first, int last, int startCs, int endCs, uint32_t flags = 0) {
    auto& w = list.AddWord(line);
    w.m_firstChar = first;
    w.m_lastChar = last;
    w.m_startTime = startCs * 441;
    w.m_endTime = endCs * 441;
    w.m_flags = flags;
  };
  add(a, 0, 3, 123, 150, MKaraokeWord::kSyllableBreak);
  add(a, 4, 6, 151, 199, MKaraokeWord::kJoinsPrevious);
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
            "[ar:Jane Taylor]\n[ti:Twinkle]\n[re:Lyricforge]\n[offset:-1000]\n"
            "[00:01.23]Twinkle twinkle\n[01:00.12]little star\n");
}

TEST(LrcWriterTest, EnhancedTagsEveryWordAndClosesTheLine) {
  auto lines = TwoLines();
  EXPECT_EQ(FormatLrc(lines, LrcStyle::Enhanced, {}, 44100),
            "[re:Lyricforge]\n"
            "[00:01.23]<00:01.23>Twin<00:01.51>kle <00:02.00>twinkle<00:02.91>\n"
            "[01:00.12]<01:00.12>little <01:01.01>star<01:02.51>\n");
}

TEST(LrcWriterTest, TimesTruncateToTheHundredth) {
  EXPECT_EQ(LrcTimeText(0, 44100), "00:00.00");
  EXPECT_EQ(LrcTimeText(440, 44100), "00:00.00");
  EXPECT_EQ(LrcTimeText(441, 44100), "00:00.01");
  EXPECT_EQ(LrcTimeText(44100 * 754 + 441 * 7, 44100), "12:34.07");
  EXPECT_EQ(LrcTimeText(48000 * 2, 48000), "00:02.00");
}

}  // namespace
}  // namespace lf

#include "lyrics/parse_lrc.h"

namespace lf {
namespace {

// Our own LRC reader takes back what the writer wrote: the same words at the
// same hundredths, and the offset that lines them up with the exported audio.
TEST(LrcWriterTest, OurReaderReadsBackTheSameTimes) {
  auto lines = TwoLines();
  std::string text;
  LrcFile lrc;

  ASSERT_GT(ParseLrc(FormatLrc(lines, LrcStyle::Enhanced, {"A", "T", 441 * 10}, 44100), text, lrc), 0u);
  EXPECT_EQ(text, "Twinkle twinkle\r\nlittle star\r\n");
  EXPECT_EQ(lrc.offset, -100);
  ASSERT_EQ(lrc.lines.size(), 2u);
  std::vector<const MKaraokeWord*> placed;
  for (const auto& w : lines.words)
    if (w->IsPlaced()) placed.push_back(w.get());
  std::vector<LrcElement> read;
  for (const auto& l : lrc.lines) read.insert(read.end(), l.elements.begin(), l.elements.end());
  ASSERT_EQ(read.size(), placed.size());
  for (size_t i = 0; i < read.size(); ++i) {
    EXPECT_EQ(read[i].start, placed[i]->m_startTime / 441) << i;
    EXPECT_EQ(placed[i]->Length(), int(read[i].text.size())) << i;
  }
  EXPECT_EQ(read.back().end, placed.back()->m_endTime / 441);  // the closing tag

  ASSERT_GT(ParseLrc(FormatLrc(lines, LrcStyle::Simple, {}, 44100), text, lrc), 0u);
  ASSERT_EQ(lrc.lines.size(), 2u);
  EXPECT_EQ(lrc.lines[0].elements.front().start, 123);
  EXPECT_EQ(lrc.lines[1].elements.front().start, 6012);
  EXPECT_EQ(lrc.lines[1].elements.back().text, "star");
}

}  // namespace
}  // namespace lf
