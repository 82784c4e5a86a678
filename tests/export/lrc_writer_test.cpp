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
            "[00:01.23]<00:01.23>Twin<00:01.51>kle <00:02.00>twinkle<00:02.90>\n"
            "[01:00.12]<01:00.12>little <01:01.01>star<01:02.50>\n");
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
