// The rules of the song settings sheet, on a working copy of a song.
#include <gtest/gtest.h>

#include "core/platform/settings.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "core/song/color_choice.h"
#include "core/song/color_settings.h"
#include "core/song/lines_per_page_rule.h"
#include "core/song/page_line_styles.h"
#include "core/song/page_picture.h"
#include "core/song/settings_preview.h"
#include "core/song/settings_sheet_values.h"
#include "core/song/song_compiler.h"
#include "tests/support/picture_fixtures.h"

namespace lf {
namespace {

class SettingsSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    song.ResetSongDefaults();
  }
  PageRecord& Page(int32_t kind) { return *song.Look().PageByKind(kind); }
  Bitmap Picture() {
    uint32_t pixels[4] = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF};
    Bitmap picture;
    picture.SetPicture(2, 2, pixels);
    return picture;
  }
  Song song;
};

TEST_F(SettingsSheetTest, LinesPerPageRangeFollowsDuetAndPicture) {
  struct Case {
    int mode;
    bool picture;
    int before;
    int min, max, after;
  };
  const Case cases[] = {
      {1, false, 4, 2, 6, 4}, {2, false, 2, 3, 6, 3}, {2, false, 6, 3, 6, 6},
      {2, true, 6, 3, 3, 3},  {1, true, 6, 2, 3, 3},  {1, true, 2, 2, 3, 2},
  };
  for (const Case& c : cases) {
    song.ResetSongDefaults();
    song.Look().Settings().linesPerPage = c.before;
    ChooseSingerMode(song, c.mode);
    if (c.picture) ApplyPagePicture(song, LyricsPage, Picture());
    const LinesPerPageChoices choices = LinesPerPageChoicesFor(song);
    EXPECT_EQ(choices.minimum, c.min) << c.mode << c.picture;
    EXPECT_EQ(choices.maximum, c.max) << c.mode << c.picture;
    EXPECT_EQ(song.Look().LinesPerPage(), c.after) << c.mode << c.picture;
  }
  // Removing the picture gives the whole screen back; the count stays.
  RemovePagePicture(song, LyricsPage);
  EXPECT_EQ(LinesPerPageChoicesFor(song).maximum, 6);
  EXPECT_EQ(song.Look().LinesPerPage(), 2);
}

TEST_F(SettingsSheetTest, EraseWhenListFollowsTheLinesChosen) {
  song.Look().SetEraseFromBottom(4);
  EXPECT_EQ(EraseWhenMaximum(song, true), 2);  // 4 lines, as the sheet opens
  ChooseLinesPerPage(song, 4);                 // solo: 2 + 4 = 6 lines
  EXPECT_EQ(song.Look().LinesPerPage(), 6);
  EXPECT_EQ(EraseWhenMaximum(song), 4);
  EXPECT_EQ(song.Look().EraseFromBottom(), 4);
  ChooseSingerMode(song, 2);
  EXPECT_EQ(EraseWhenMaximum(song), 3);
  EXPECT_EQ(EraseWhenMaximum(song, true), 4);
  EXPECT_EQ(song.Look().EraseFromBottom(), 3);
  ChooseLinesPerPage(song, 0);  // duet: 3 lines, nothing to erase early
  EXPECT_EQ(song.Look().LinesPerPage(), 3);
  EXPECT_EQ(song.Look().EraseFromBottom(), 0);
  EXPECT_EQ(ChooseEraseWhen(song, 7, true), 1);
}

TEST_F(SettingsSheetTest, PictureLoadKeepsTextColoursAndRemoveRestoresIndices) {
  PageRecord& lyrics = Page(LyricsPage);
  const auto before = lyrics.PageColors();
  lyrics.m_backgroundColor = 3;
  lyrics.m_style.m_color = 4;
  lyrics.m_duetColors.m_bothColor = 5;
  ApplyPagePicture(song, LyricsPage, Picture());
  EXPECT_EQ(lyrics.m_hasPicture, 1);
  EXPECT_EQ(lyrics.m_lyricsArea, 50);
  const auto after = lyrics.PageColors();
  for (int index = ColorIndexFixed; index < kColorCount; ++index) EXPECT_EQ(after[index], before[index]) << index;
  EXPECT_NE(after[0], before[0]);  // the picture's own colours

  RemovePagePicture(song, LyricsPage);
  EXPECT_EQ(lyrics.m_hasPicture, 0);
  EXPECT_TRUE(lyrics.m_picture.IsEmpty());
  EXPECT_EQ(lyrics.m_lyricsArea, 0);
  EXPECT_EQ(lyrics.m_backgroundColor, ColorIndexBackground);
  EXPECT_EQ(lyrics.m_style.m_color, ColorIndexSinger1);
  EXPECT_EQ(lyrics.m_duetColors, TextTypeVer5{});
  EXPECT_EQ(lyrics.PageColors()[ColorIndexSinger1], before[ColorIndexSinger1]);  // colours survive removal
}

TEST_F(SettingsSheetTest, UnreadablePicturesAreRefusedWithAReason) {
  test::PictureFolder folder;
  const std::string paths[] = {
      folder.Write("text.png", "this is not a picture"),
      folder.Write("cut.jpg", std::string("\xFF\xD8\xFF\xE0\x00\x10JFIF", 10)),
      folder.File("missing.bmp"),
  };
  for (const std::string& path : paths) {
    std::string error;
    EXPECT_FALSE(DecodePagePicture(path, &error)) << path;
    EXPECT_FALSE(error.empty()) << path;
  }
  const std::string good = folder.Synthesise("good.png", "testsrc=size=576x384", "-frames:v 1");
  ASSERT_FALSE(good.empty());
  auto picture = DecodePagePicture(good);
  ASSERT_TRUE(picture);
  EXPECT_EQ(picture->Width(), 288);
}

TEST_F(SettingsSheetTest, LineStylesFollowTheirLines) {
  PageRecord& title = Page(TitlePage);
  ASSERT_TRUE(ApplyPageTextChange(title, "Title"));
  ASSERT_TRUE(ApplyPageTextChange(title, "Title\nBy"));
  ASSERT_EQ(title.m_extraLines.Count(), 1);
  EXPECT_EQ(title.m_extraLines.Color(0), 10);  // the highest free index, showing line 1's colour
  EXPECT_EQ(title.m_picture.PaletteColor(10), title.m_picture.PaletteColor(ColorIndexSinger1));
  LineStyle by = PageLineStyle(title, 2);
  by.height = 18;
  SetPageLineStyle(title, 2, by);

  // A line inserted between copies the line above it, with the next free index.
  ASSERT_TRUE(ApplyPageTextChange(title, "Title\nBy\nMe"));
  EXPECT_EQ(PageLineStyle(title, 3).height, 18);
  EXPECT_EQ(PageLineStyle(title, 3).color, 9);
  ASSERT_TRUE(ApplyPageTextChange(title, "Title\nNew\nBy\nMe"));
  EXPECT_EQ(PageLineStyle(title, 2).height, 26);
  EXPECT_EQ(PageLineStyle(title, 3).height, 18);

  // Removing lines in the middle takes their styles with them.
  ASSERT_TRUE(ApplyPageTextChange(title, "Title\nMe"));
  EXPECT_EQ(title.m_extraLines.Count(), 1);
  EXPECT_EQ(PageLineStyle(title, 2).color, 9);

  // When line 1 goes, line 2's style becomes the page style, its colour in entry 12.
  title.m_picture.SetPaletteColor(9, 0x0000FF);
  LineStyle me = PageLineStyle(title, 2);
  me.height = 40;
  SetPageLineStyle(title, 2, me);
  ASSERT_TRUE(ApplyPageTextChange(title, "Me"));
  EXPECT_EQ(title.m_extraLines.Count(), 0);
  EXPECT_EQ(title.m_style.m_height, 40);
  EXPECT_EQ(title.m_style.m_color, ColorIndexSinger1);
  EXPECT_EQ(title.m_picture.PaletteColor(ColorIndexSinger1), 0x0000FFu);

  // A tenth line is refused and changes nothing.
  EXPECT_FALSE(ApplyPageTextChange(title, "1\n2\n3\n4\n5\n6\n7\n8\n9\n10"));
  EXPECT_EQ(title.m_pageText, "Me");
  EXPECT_TRUE(ApplyPageTextChange(title, "1\n2\n3\n4\n5\n6\n7\n8\n9"));
  EXPECT_EQ(title.m_extraLines.Count(), 8);
  EXPECT_EQ(PageTextLineAt("a\nb\nc", 2), 2);
}

TEST_F(SettingsSheetTest, ColourButtonsWritePaletteAndResetIndices) {
  PageRecord& lyrics = Page(LyricsPage);
  lyrics.m_backgroundColor = 2;
  lyrics.m_duetColors.m_singer2Color = 1;
  song.Look().Settings().sweepColorIndex = 3;
  struct Case {
    ColorRole role;
    int entry;
  };
  const Case cases[] = {{ColorRole::Background, 15}, {ColorRole::Border, 11}, {ColorRole::Outline, 13},
                        {ColorRole::Singer1, 12},    {ColorRole::Singer2, 9}, {ColorRole::Both, 10},
                        {ColorRole::Sweep, 14},      {ColorRole::Fixed, 8}};
  Colorref color = 0x102030;
  for (const Case& c : cases) {
    ApplyColorChoice(song, LyricsPage, c.role, color);
    EXPECT_EQ(lyrics.m_picture.PaletteColor(c.entry), color);
    EXPECT_EQ(CurrentColorOf(song, LyricsPage, c.role), color);
    color += 0x010101;
  }
  EXPECT_EQ(lyrics.m_backgroundColor, 15);
  EXPECT_EQ(lyrics.m_duetColors.m_singer2Color, 9);
  EXPECT_EQ(song.Look().Settings().sweepColorIndex, 14);

  // "Text:" writes the edited line's own entry.
  PageRecord& credits = Page(CreditsPage);
  ApplyPageTextChange(credits, "One\nTwo");
  ApplyColorChoice(song, CreditsPage, ColorRole::Text, 0x00FF00, 2);
  EXPECT_EQ(credits.m_picture.PaletteColor(10), 0x00FF00u);
  EXPECT_NE(credits.m_picture.PaletteColor(12), 0x00FF00u);

  EXPECT_EQ(RoundToCdgColor(0x10FF23), 0x00FF22u);
}

TEST_F(SettingsSheetTest, CancelLeavesTheSongAndDuetDialogBypassesTheCopy) {
  Song copy;
  copy.Copy(song);
  ApplyColorChoice(copy, TitlePage, ColorRole::Background, 0x0000FF);
  ChooseSingerMode(copy, 2);
  const std::string labels[3] = {"Him", "Her", "Both"};
  SaveDuetDialog(song, labels, 1234);
  // Cancel: the copy is dropped.
  EXPECT_EQ(Page(TitlePage).m_picture.PaletteColor(15), kDefaultBackgroundColor);
  EXPECT_FALSE(song.Look().IsDuet());
  EXPECT_EQ(song.Lyrics().DuetLabel(1), "Her");
  EXPECT_EQ(SongLook::DuetDisplayDuration(), 1000);  // the hold tops out at 10 s
  // OK: the song takes the copy's settings and pages.
  song.Copy(copy);
  EXPECT_EQ(Page(TitlePage).m_picture.PaletteColor(15), 0x0000FFu);
  EXPECT_TRUE(song.Look().IsDuet());
}

TEST_F(SettingsSheetTest, SaveColorsAsDefaultFeedsTheNextNewProject) {
  ApplyColorChoice(song, CreditsPage, ColorRole::Background, 0x112233);
  ApplyColorChoice(song, CreditsPage, ColorRole::Text, 0x445566);
  SaveColorsAsDefault(Page(CreditsPage));
  EXPECT_EQ(AppSettings().Int("Settings", "ColorCreditsBckgnd", 0), 0x112233);
  EXPECT_EQ(AppSettings().Int("Settings", "ColorCreditsText", 0), 0x445566);
  EXPECT_FALSE(AppSettings().Value("Settings", "ColorTitleBckgnd"));
  EXPECT_EQ(ColorSettingsOf(LyricsPage).size(), 8u);
  EXPECT_EQ(AllColorSettings().size(), 16u);
  song.ResetSongDefaults();
  EXPECT_EQ(Page(CreditsPage).m_picture.PaletteColor(15), 0x112233u);
  EXPECT_EQ(Page(TitlePage).m_picture.PaletteColor(15), kDefaultBackgroundColor);
}

TEST_F(SettingsSheetTest, FieldValuesAreRefusedOrClamped) {
  EXPECT_EQ(TextSizeChoices(TitlePage), (std::vector<int>{14, 16, 18, 20, 22, 24, 26, 28, 36, 72}));
  EXPECT_EQ(TextSizeChoices(LyricsPage), (std::vector<int>{14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72}));
  EXPECT_EQ(ParseTypedSize("30"), 30);
  for (const char* bad : {"99x", "x", "", "0", "100", "-3"}) EXPECT_FALSE(ParseTypedSize(bad)) << bad;
  EXPECT_EQ(ParseHoldSeconds("2.5"), 250);
  EXPECT_EQ(ParseHoldSeconds(".5"), 50);
  EXPECT_EQ(ParseHoldSeconds("1234567"), 123456700);
  for (const char* bad : {"-3", "12345678", "1.2.3", "abc", ".", ""}) EXPECT_FALSE(ParseHoldSeconds(bad)) << bad;
  EXPECT_EQ(HoldText(250), "2.50");

  song.Look().Settings().sweepAdvance = -495;
  EXPECT_EQ(StepSweepAdvance(song, -1), -500);
  EXPECT_EQ(StepSweepAdvance(song, -1), -500);
  EXPECT_EQ(SweepAdvanceText(-500), "5.00");
  song.Look().Settings().sweepAdvance = -5;
  EXPECT_EQ(StepSweepAdvance(song, 1), 0);
  EXPECT_EQ(StepSweepAdvance(song, 1), 0);
  EXPECT_EQ(ClampDuetHold(50), 100);
}

TEST_F(SettingsSheetTest, LyricsPreviewRowsFollowTheMode) {
  song.Look().Settings().linesPerPage = 4;
  auto rows = LyricsPreviewRows(song);
  ASSERT_EQ(rows.size(), 4u);
  EXPECT_EQ(rows[0].text, "Sample line (swept)");
  EXPECT_TRUE(rows[0].swept);
  EXPECT_EQ(rows[2].text, "Sample Singer 1");
  EXPECT_EQ(rows[3].text, "Sample Singer 1");
  EXPECT_EQ(rows[2].colorIndex, 12);
  ChooseSingerMode(song, 2);
  rows = LyricsPreviewRows(song);
  EXPECT_EQ(rows[1].text, "Sample Singer 1");
  EXPECT_EQ(rows[2].text, "Sample Singer 2");
  EXPECT_EQ(rows[2].colorIndex, 9);
  EXPECT_EQ(rows[3].text, "Sample Both Singers");
  EXPECT_EQ(rows[3].colorIndex, 10);

  CdgRenderer renderer;
  DrawLyricsPreview(song, renderer);
  const auto screen = renderer.VisibleIndices();
  for (int color : {12, 9, 10, 14}) EXPECT_NE(std::count(screen.begin(), screen.end(), color), 0) << color;
}

// The sheet's title preview is what the exported stream shows once the page is drawn.
TEST_F(SettingsSheetTest, TitlePreviewMatchesTheCompiledStream) {
  PageRecord& title = Page(TitlePage);
  title.m_enabled = 1;
  title.m_holdTime = 1000;
  ApplyPageTextChange(title, "My Song\nby Someone");
  ApplyColorChoice(song, TitlePage, ColorRole::Text, 0x3399FF, 2);
  CdgRenderer preview;
  DrawPagePreview(song, TitlePage, preview);

  song.Lyrics().SetRawLyrics("la la");
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  std::vector<uint8_t> stream(kStreamBytesPerSecond * 60, 0);
  CompileSong(song, stream.data(), static_cast<uint32_t>(stream.size()), kCompileEverything, {});
  CdgRenderer played;
  DecodeStreamPrefix(played, stream.data(), stream.size(), SlotsBefore(8.0));  // inside the hold
  EXPECT_EQ(preview.DisplayColors(), played.DisplayColors());

  const PreviewStream previewStream = PagePreviewStream(song, TitlePage);
  CdgRenderer replayed;
  DecodeStreamPrefix(replayed, previewStream.bytes.data(), previewStream.endOffset, SlotsBefore(8.0));
  EXPECT_EQ(preview.DisplayColors(), replayed.DisplayColors());
}

}  // namespace
}  // namespace lf
