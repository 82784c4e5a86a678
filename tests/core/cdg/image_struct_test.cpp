#include "core/cdg/image_struct.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace lf {
namespace {

int32_t Le32(const std::vector<uint8_t>& bytes, size_t offset) {
  int32_t v;
  std::memcpy(&v, bytes.data() + offset, 4);
  return v;
}

TEST(ImageStruct, NamesCoverTheTablesOnly) {
  EXPECT_STREQ(TransitionName(0), "Fill Right");
  EXPECT_STREQ(TransitionName(2), "Fill Down");
  EXPECT_STREQ(TransitionName(8), "Block Dissolve");
  EXPECT_STREQ(TransitionName(10), "Fade Out");
  EXPECT_STREQ(TransitionName(11), "");
  EXPECT_STREQ(TransitionName(-1), "");
  EXPECT_STREQ(PlacementName(1), "Center");
  EXPECT_STREQ(PlacementName(4), "Stretched");
  EXPECT_STREQ(PlacementName(5), "");
}

TEST(ImageStruct, Defaults) {
  PageRecord page;
  EXPECT_EQ(page.m_kind, 0);
  EXPECT_EQ(page.m_style.FaceName(), "Arial");
  EXPECT_EQ(page.m_style.m_height, 12);
  EXPECT_EQ(page.m_style.m_color, 12);
  EXPECT_EQ(page.m_style.m_outlineColor, 13);
  EXPECT_EQ(page.m_style.m_hAlign, kAlignLeft);
  EXPECT_EQ(page.m_style.m_vAlign, kAlignTop);
  EXPECT_TRUE(page.m_picture.IsEmpty());
  EXPECT_EQ(page.m_placement, PlacementTop);
  EXPECT_EQ(page.m_hasPicture, 0);
  EXPECT_EQ(page.m_pictureMode, 1);
  EXPECT_EQ(page.m_drawTransition, FillDown);
  EXPECT_EQ(page.m_eraseTransition, FillDown);
  EXPECT_EQ(page.m_backgroundColor, 15);
  EXPECT_EQ(page.m_borderColor, 11);
  EXPECT_EQ(page.m_lyricsArea, 0);
  EXPECT_EQ(page.m_holdTime, 200);
  EXPECT_EQ(page.m_enabled, 1);
  EXPECT_EQ(page.m_duetColors.m_singer2Color, 9);
  EXPECT_TRUE(page.m_extraLines.IsEmpty());
  EXPECT_TRUE(page.m_pageText.empty());
}

TEST(ImageStruct, PageBlockLayoutAndRoundTrip) {
  PageRecord page;
  page.m_kind = CreditsPage;
  page.m_reserved0 = 7;
  page.m_style.SetFaceName("DejaVu Sans");
  page.m_style.m_height = 26;
  page.m_style.m_flags = kTextBold | kTextOutline;
  page.m_style.m_hAlign = kAlignCenter;
  page.m_style.m_backgroundBox = 1;
  page.m_style.m_backgroundColor = 3;
  std::vector<uint32_t> pixels(40 * 20, 0xFF204060);
  ASSERT_TRUE(page.m_picture.SetPicture(40, 20, pixels.data()));
  page.m_picture.SetPaletteColor(15, MakeRgb(0x00, 0x11, 0x66));
  page.m_placement = PlacementTiled;
  page.m_hasPicture = 1;
  page.m_pictureMode = 4;
  page.m_drawTransition = BlockDissolve;
  page.m_eraseTransition = FadeOut;
  page.m_backgroundColor = 14;
  page.m_borderColor = 10;
  page.m_reserved[1] = -5;
  page.m_lyricsArea = 50;
  page.m_holdTime = 350;
  page.m_enabled = 0;

  std::vector<uint8_t> block(PageRecord::kPageBlockSize, 0xEE);
  page.WritePageBlock(block.data());
  EXPECT_EQ(Le32(block, 0), 103);
  EXPECT_EQ(Le32(block, 4), 7);
  EXPECT_EQ(Le32(block, 8), 0);
  EXPECT_STREQ(reinterpret_cast<const char*>(&block[12]), "DejaVu Sans");
  EXPECT_EQ(block[139], 0);
  EXPECT_EQ(Le32(block, 140), 12);
  EXPECT_EQ(Le32(block, 144), 26);
  EXPECT_EQ(Le32(block, 148), 5);
  EXPECT_EQ(Le32(block, 152), 0);
  EXPECT_EQ(Le32(block, 156), 1);
  EXPECT_EQ(Le32(block, 160), 13);
  EXPECT_EQ(Le32(block, 164), 1);
  EXPECT_EQ(Le32(block, 168), 3);
  EXPECT_EQ(Le32(block, 172), 0);
  EXPECT_EQ(Le32(block, 176), 40);  // picture header size
  EXPECT_EQ(Le32(block, 180), 40);  // picture width
  EXPECT_EQ(block[216 + 4 * 15 + 1], 0x11);
  EXPECT_EQ(block[216 + 4 * 15 + 2], 0x00);  // red
  EXPECT_EQ(block[216 + 4 * 15], 0x66);      // blue first
  EXPECT_EQ(Le32(block, 280), int32_t(0xFF204060));
  EXPECT_EQ(block[249112], 1);  // stale flag
  EXPECT_EQ(Le32(block, 249120), 3);
  EXPECT_EQ(block[249124], 1);
  EXPECT_EQ(block[249125] | block[249126] | block[249127], 0);
  EXPECT_EQ(Le32(block, 249128), 4);
  EXPECT_EQ(Le32(block, 249132), 8);
  EXPECT_EQ(Le32(block, 249136), 10);
  EXPECT_EQ(Le32(block, 249140), 14);
  EXPECT_EQ(Le32(block, 249144), 10);
  EXPECT_EQ(Le32(block, 249152), -5);
  EXPECT_EQ(Le32(block, 249160), 50);
  EXPECT_EQ(Le32(block, 249164), 350);
  EXPECT_EQ(block[249168], 0);

  PageRecord back;
  back.m_pageText = "kept";
  std::string error;
  ASSERT_TRUE(back.ReadPageBlock(block.data(), block.size(), &error)) << error;
  std::vector<uint8_t> again(PageRecord::kPageBlockSize);
  back.WritePageBlock(again.data());
  EXPECT_EQ(again, block);
  EXPECT_EQ(back.m_style, page.m_style);
  EXPECT_EQ(back.m_pageText, "kept");
  EXPECT_EQ(back.PageColors(), page.PageColors());

  PageRecord copy = back;
  EXPECT_EQ(copy.m_picture.Serialize(), back.m_picture.Serialize());
}

TEST(ImageStruct, DamagedBlocks) {
  PageRecord page;
  page.m_picture.SetPaletteColor(12, MakeRgb(255, 255, 255));
  std::vector<uint8_t> block(PageRecord::kPageBlockSize);
  page.WritePageBlock(block.data());
  PageRecord back;
  EXPECT_FALSE(back.ReadPageBlock(block.data(), block.size() - 1));

  // An impossible picture size: refused when the picture is shown, emptied
  // (keeping the page's colours) when it is not.
  uint32_t wide = 5000;
  std::memcpy(&block[180], &wide, 4);
  block[249124] = 1;
  std::string error;
  EXPECT_FALSE(back.ReadPageBlock(block.data(), block.size(), &error));
  EXPECT_FALSE(error.empty());
  block[249124] = 0;
  ASSERT_TRUE(back.ReadPageBlock(block.data(), block.size()));
  EXPECT_TRUE(back.m_picture.IsEmpty());
  EXPECT_EQ(back.m_picture.PaletteColor(12), MakeRgb(255, 255, 255));

  // A face name filling its whole field stays bounded.
  std::memset(&block[12], 'A', 128);
  ASSERT_TRUE(back.ReadPageBlock(block.data(), block.size()));
  EXPECT_EQ(back.m_style.FaceName().size(), 127u);
}

}  // namespace
}  // namespace lf
