#include "core/song/karaoke_line_list.h"

#include <gtest/gtest.h>

namespace lf {
namespace {

KaraokeLineList Layout(const std::string& text, bool convert = true, int linesPerPage = 4, int singerMode = 1,
                       bool* duet = nullptr) {
  LineLayoutOptions options;
  options.linesPerPage = linesPerPage;
  options.singerMode = singerMode;
  options.convertMarkers = convert;
  return LayoutKaraokeLines(text, KaraokeLineList{}, options, duet);
}

struct Span {
  int first, last;
  uint32_t flags;
  bool operator==(const Span&) const = default;
};

std::vector<Span> Spans(const KaraokeLine& line) {
  std::vector<Span> out;
  for (auto* w : line.m_words) out.push_back({w->m_firstChar, w->m_lastChar, w->m_flags});
  return out;
}

TEST(NormalizeLyricText, CollapsesSpacesAndTrims) {
  std::string t = "  x   y  ";
  NormalizeLyricText(t);
  EXPECT_EQ(t, "x y");
  t = "a\r\n  b  \r\nc *  d";
  NormalizeLyricText(t);
  EXPECT_EQ(t, "a\nb\nc*d");
  t = "    ";
  NormalizeLyricText(t);
  EXPECT_EQ(t, "");
  t = "hel *  lo";
  NormalizeLyricText(t);
  EXPECT_EQ(t, "hel*lo");
}

TEST(LayoutKaraokeLines, SyllableBreakConvertedAndKept) {
  auto converted = Layout("hel*lo world");
  ASSERT_EQ(converted.lines.size(), 1u);
  EXPECT_EQ(converted.lines[0]->m_text, "hello world");
  EXPECT_EQ(Spans(*converted.lines[0]), (std::vector<Span>{{0, 2, 2}, {3, 4, 4}, {6, 10, 0}}));

  auto raw = Layout("hel*lo world", false);
  EXPECT_EQ(raw.lines[0]->m_text, "hel*lo world");
  EXPECT_EQ(Spans(*raw.lines[0]), (std::vector<Span>{{0, 2, 2}, {4, 5, 4}, {7, 11, 0}}));
  ASSERT_EQ(raw.words.size(), 3u);
  EXPECT_EQ(raw.words[1]->m_line, raw.lines[0].get());
}

TEST(LayoutKaraokeLines, UnderscoreJoinsAndDoubleAsteriskMakesEmptyWord) {
  auto ice = Layout("ice_cream");
  EXPECT_EQ(ice.lines[0]->m_text, "ice cream");
  EXPECT_EQ(Spans(*ice.lines[0]), (std::vector<Span>{{0, 8, 0}}));
  EXPECT_EQ(Layout("ice_cream", false).lines[0]->m_text, "ice_cream");

  auto two = Layout("a**b");
  EXPECT_EQ(two.lines[0]->m_text, "ab");
  EXPECT_EQ(Spans(*two.lines[0]), (std::vector<Span>{{0, 0, 2}, {1, 0, 6}, {1, 1, 4}}));
}

TEST(LayoutKaraokeLines, MultiByteTextCountsBytes) {
  auto list = Layout("caf\xC3\xA9 ol\xC3\xA9");  // café olé
  EXPECT_EQ(Spans(*list.lines.at(0)), (std::vector<Span>{{0, 4, 0}, {6, 9, 0}}));
}

TEST(LayoutKaraokeLines, PageBreaksAndRows) {
  auto list = Layout("a b\n^\nc");
  ASSERT_EQ(list.lines.size(), 2u);
  EXPECT_EQ(list.lines[0]->m_text, "a b");
  EXPECT_EQ(list.lines[1]->m_page, 1);
  EXPECT_EQ(list.lines[1]->m_lineInPage, 0);
  EXPECT_TRUE(list.lines[1]->m_newPage);

  auto leading = Layout("^\nx");
  ASSERT_EQ(leading.lines.size(), 1u);
  EXPECT_EQ(leading.lines[0]->m_page, 0);

  auto six = Layout("1\n2\n3\n4\n5\n6");
  std::vector<int> pages, rows;
  for (auto& l : six.lines) pages.push_back(l->m_page), rows.push_back(l->m_lineInPage);
  EXPECT_EQ(pages, (std::vector<int>{0, 0, 0, 0, 1, 1}));
  EXPECT_EQ(rows, (std::vector<int>{0, 1, 2, 3, 0, 1}));

  auto blank = Layout("a\n\nb");
  ASSERT_EQ(blank.lines.size(), 3u);
  EXPECT_FALSE(blank.lines[1]->HasWords());
  EXPECT_EQ(blank.lines[2]->m_lineInPage, 2);
  EXPECT_TRUE(Layout("  \r  ").lines.empty());
  EXPECT_EQ(Layout("  \r\n ").lines.size(), 2u);  // two blank rows
}

TEST(LayoutKaraokeLines, DuetAndFixedMarkers) {
  bool duet = false;
  auto solo = Layout("&la la\n&again", true, 4, 1, &duet);
  EXPECT_TRUE(duet);
  EXPECT_EQ(solo.lines[0]->m_text, "la la");
  EXPECT_FALSE(solo.lines[0]->m_singer2);
  EXPECT_EQ(solo.lines[0]->m_colorIndex, ColorIndexSinger1);

  duet = false;
  auto both = Layout("&la\n&&x\n!Chorus", true, 4, 2, &duet);
  EXPECT_FALSE(duet);
  EXPECT_TRUE(both.lines[0]->m_singer2);
  EXPECT_EQ(both.lines[0]->m_colorIndex, ColorIndexSinger2);
  EXPECT_EQ(both.lines[1]->m_text, "&&x");
  EXPECT_FALSE(both.lines[1]->m_singer2);
  EXPECT_EQ(both.lines[2]->m_text, "Chorus");
  EXPECT_TRUE(both.lines[2]->m_fixed);
  EXPECT_EQ(both.lines[2]->m_colorIndex, ColorIndexFixed);
}

TEST(LayoutKaraokeLines, ColoursAndTimesCarriedByPosition) {
  auto old = Layout("one two\nthree", true, 4, 2);
  old.lines[1]->m_colorIndex = ColorIndexDuet;
  old.lines[0]->m_placed = true;
  old.words[0]->m_startTime = 100, old.words[0]->m_endTime = 200;
  old.words[1]->m_startTime = 300, old.words[1]->m_endTime = 400;
  old.words[2]->m_startTime = 500, old.words[2]->m_endTime = 600;

  LineLayoutOptions options;
  options.singerMode = 2;
  auto fresh = LayoutKaraokeLines("one\nthree four five\nsix", old, options, nullptr);
  CarryOverWordTimes(old, fresh);
  EXPECT_EQ(fresh.lines[1]->m_colorIndex, ColorIndexDuet);
  EXPECT_EQ(fresh.lines[2]->m_colorIndex, ColorIndexSinger1);
  EXPECT_TRUE(fresh.lines[0]->m_placed);
  std::vector<std::pair<int, int>> times;
  for (auto& w : fresh.words) times.emplace_back(w->m_startTime, w->m_endTime);
  EXPECT_EQ(times, (std::vector<std::pair<int, int>>{{100, 200}, {500, 600}, {600, 600}, {600, 600}, {0, 0}}));
}

TEST(CalcLineAndPageNumbers, NewPageOnFirstRowChangesNothing) {
  auto list = Layout("a\nb\nc\nd\ne", true, 2);
  list.lines[2]->m_newPage = true;  // already first on its page
  list.lines[3]->m_newPage = true;
  CalcLineAndPageNumbers(list, 2);
  std::vector<int> pages;
  for (auto& l : list.lines) pages.push_back(l->m_page);
  EXPECT_EQ(pages, (std::vector<int>{0, 0, 1, 2, 2}));
}

}  // namespace
}  // namespace lf
