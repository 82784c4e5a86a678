#include "core/cdg/text_type.h"

#include <gtest/gtest.h>

#include <string>

namespace lf {
namespace {

TEST(TextType, DefaultsAndFaceNameLimit) {
  TextType style;
  EXPECT_EQ(style.FaceName(), "Arial");
  EXPECT_EQ(style.m_color, 0);
  EXPECT_EQ(style.m_height, 12);
  EXPECT_EQ(style.m_flags, 0u);
  EXPECT_EQ(style.m_hAlign, kAlignLeft);
  EXPECT_EQ(style.m_vAlign, kAlignTop);
  EXPECT_EQ(style.m_outlineColor, 0);
  EXPECT_EQ(style.m_backgroundBox, 0);
  EXPECT_EQ(style.m_backgroundColor, 0);

  // 126 ASCII bytes then a two-byte character: the cut must not split it.
  std::string longName(126, 'a');
  longName += "\xC3\xA9tail";
  style.SetFaceName(longName);
  EXPECT_EQ(style.FaceName(), std::string(126, 'a'));
  EXPECT_EQ(style.m_faceName[kFaceNameSize - 1], '\0');

  TextType copy = style;
  EXPECT_EQ(copy, style);
  copy.m_height = 40;
  EXPECT_NE(copy, style);
}

TEST(TextType, OutlineThickness) {
  TextType style;
  style.m_height = 40;
  EXPECT_EQ(style.OutlineThickness(), 4);
  style.m_height = 5;
  EXPECT_EQ(style.OutlineThickness(), 1);
  style.m_height = 19;
  EXPECT_EQ(style.OutlineThickness(), 1);
}

TEST(TextType, DuetColoursDefault) {
  TextTypeVer5 duet;
  EXPECT_EQ(duet.m_singer1Color, 12);
  EXPECT_EQ(duet.m_singer2Color, 9);
  EXPECT_EQ(duet.m_bothColor, 10);
}

TEST(TextType, ExtraLineListInsertReadAndRangeChecks) {
  TextTypeVer6 list;
  EXPECT_EQ(list.At(0), LineStyle{});
  EXPECT_EQ(list.FaceName(3), "Arial");
  EXPECT_EQ(list.HAlign(-1), kAlignLeft);
  EXPECT_EQ(list.Height(0), 0);

  list.Add(3, 20, kTextBold, "DejaVu Sans", kAlignCenter);
  list.Add(4, 30, 0, "Arial", kAlignRight);
  list.Add(5, 10, kTextItalic, "Liberation Serif", kAlignLeft, 0);  // at the front
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Color(0), 5);
  EXPECT_EQ(list.Color(1), 3);
  EXPECT_EQ(list.Color(2), 4);

  list.SetHeight(1, 22);
  list.SetFlags(1, kTextOutline);
  list.SetHAlign(1, kAlignLeft);
  list.SetFaceName(1, "Liberation Sans");
  list.SetHeight(7, 99);  // ignored
  list.SetFaceName(-1, "x");
  EXPECT_EQ(list.Height(1), 22);
  EXPECT_EQ(list.Flags(1), kTextOutline);
  EXPECT_EQ(list.HAlign(1), kAlignLeft);
  EXPECT_EQ(list.FaceName(1), "Liberation Sans");
  EXPECT_EQ(list.Count(), 3);

  TextTypeVer6 other;
  other.Add(1, 1, 0, "Arial", 0);
  other = list;  // copying replaces the whole list
  EXPECT_EQ(other, list);
  other.RemoveAt(0);
  other.RemoveAt(9);
  EXPECT_EQ(other.Count(), 2);
}

}  // namespace
}  // namespace lf
