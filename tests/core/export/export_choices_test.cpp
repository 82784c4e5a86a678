#include "core/export/export_choices.h"

#include <gtest/gtest.h>

namespace lf {
namespace {

const MusicFormat kCd{44100, 2, 16};

TEST(ExportChoicesTest, SwitchingTypesKeepsTheNearestRateWithoutLosingQuality) {
  MemorySettings settings;
  settings.SetInt("Settings", kExportTypeKey, int(ExportType::WmaG));
  settings.SetInt("Settings", kExportRatioWmaKey, 96);
  ExportChoices choices;
  choices.Open(settings, true, kCd);
  EXPECT_EQ(choices.SelectedEntry(), "96k");

  EXPECT_EQ(choices.ChangeType(ExportType::Mp3G, kCd), "");
  EXPECT_EQ(choices.SelectedEntry(), "112k");
  EXPECT_EQ(choices.WmaBitRate(), 96);

  choices.Select(0);  // 320k
  choices.ChangeType(ExportType::WmaG, kCd);
  EXPECT_EQ(choices.SelectedEntry(), "192k");  // no entry reaches 320
  EXPECT_EQ(choices.Mp3BitRate(), 320);
  EXPECT_EQ(choices.Entries().size(), 4u);
}

// MP4 has no compression list: the audio rate outlives a visit to it, and a
// stored MP4 opens as MP4.
TEST(ExportChoicesTest, Mp4IsATypeWithoutACompressionList) {
  MemorySettings settings;
  settings.SetInt("Settings", kExportTypeKey, int(ExportType::Mp3G));
  settings.SetInt("Settings", kExportRatioMp3Key, 160);
  ExportChoices choices;
  choices.Open(settings, true, kCd);
  EXPECT_EQ(choices.ChangeType(ExportType::Mp4, kCd), "");
  EXPECT_FALSE(choices.ListEnabled());
  choices.ChangeType(ExportType::Mp3G, kCd);
  EXPECT_EQ(choices.SelectedEntry(), "160k");
  choices.ChangeType(ExportType::Mp4, kCd);
  EXPECT_EQ(choices.Confirm(settings), "");
  EXPECT_EQ(settings.Int("Settings", kExportTypeKey, -1), int(ExportType::Mp4));
  EXPECT_EQ(settings.Int("Settings", kExportRatioMp3Key, -1), 160);
  choices.Open(settings, true, kCd);
  EXPECT_EQ(choices.Type(), ExportType::Mp4);
  EXPECT_FALSE(choices.ListEnabled());
}

// The MP3+G list offers only the rates MP3 has at the music's sample rate; a
// stored rate it lacks selects the next one up.
TEST(ExportChoicesTest, Mp3ListOffersOnlyTheRatesOfTheMusicsSampleRate) {
  struct Case {
    int sampleRate;
    std::vector<std::string> entries;
    int stored;
    std::string selected;
  };
  const std::vector<Case> cases = {
      {44100, {"320k", "256k", "224k", "192k", "160k", "128k", "112k"}, 144, "160k"},
      {32000, {"320k", "256k", "224k", "192k", "160k", "128k", "112k"}, 144, "160k"},
      {22050, {"160k", "144k", "128k", "112k"}, 320, "160k"},
      {22050, {"160k", "144k", "128k", "112k"}, 144, "144k"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.sampleRate);
    MemorySettings settings;
    settings.SetInt("Settings", kExportTypeKey, int(ExportType::Mp3G));
    settings.SetInt("Settings", kExportRatioMp3Key, c.stored);
    ExportChoices choices;
    choices.Open(settings, true, MusicFormat{c.sampleRate, 2, 16});
    EXPECT_EQ(choices.Entries(), c.entries);
    EXPECT_EQ(choices.SelectedEntry(), c.selected);
  }
}

TEST(ExportChoicesTest, BinRefusalTextsNameEveryReason) {
  EXPECT_EQ(BinNotAllowedText(44100, 2, 16), "");
  EXPECT_EQ(BinNotAllowedText(48000, 2, 16), "BIN is not allowed because\nthe Audio Sample Rate is not 44,100.\n");
  EXPECT_EQ(BinNotAllowedText(22050, 1, 8),
            "BIN is not allowed because\nthe Audio Sample Rate is not 44,100"
            "\nand the Audio is not Stereo (2 Channels)"
            "\nand the Bits Per Sample is not 16.\n");
  EXPECT_EQ(BinNotAllowedText(44100, 1, 16), "BIN is not allowed because\nthe Audio is not Stereo (2 Channels).\n");
  EXPECT_EQ(BinNotAllowedText(44100, 2, 8), "BIN is not allowed because\nthe Bits Per Sample is not 16.\n");
}

TEST(ExportChoicesTest, RefusedBinFallsBackToThePreviousType) {
  MemorySettings settings;
  ExportChoices choices;
  choices.Open(settings, true, MusicFormat{48000, 2, 16});  // stored BIN is refused at once
  EXPECT_EQ(choices.Type(), ExportType::WmaG);
  EXPECT_TRUE(choices.ListEnabled());
  EXPECT_EQ(choices.SelectedEntry(), "128k");

  choices.ChangeType(ExportType::Mp3G, MusicFormat{48000, 2, 16});
  EXPECT_NE(choices.ChangeType(ExportType::Bin, MusicFormat{48000, 2, 16}), "");
  EXPECT_EQ(choices.Type(), ExportType::Mp3G);

  EXPECT_EQ(choices.ChangeType(ExportType::Bin, kCd), "");
  EXPECT_EQ(choices.Type(), ExportType::Bin);
  EXPECT_FALSE(choices.ListEnabled());
}

TEST(ExportChoicesTest, ConfirmNeedsARatioAndStoresTheChoices) {
  MemorySettings settings;
  settings.SetInt("Settings", kExportTypeKey, int(ExportType::Mp3G));
  ExportChoices choices;
  choices.Open(settings, false, kCd);  // no MP3 encoder: MP3+G becomes WMA+G
  EXPECT_EQ(choices.Type(), ExportType::WmaG);
  choices.Select(-1);
  EXPECT_EQ(choices.Confirm(settings), kRatioMissingText);
  choices.Select(1);  // 160k
  choices.SetZip(true);
  choices.SetLyricFile(true, true);
  EXPECT_EQ(choices.Confirm(settings), "");
  EXPECT_EQ(settings.Int("Settings", kExportTypeKey, -1), 1);
  EXPECT_EQ(settings.Int("Settings", kExportRatioWmaKey, -1), 160);
  EXPECT_EQ(settings.Int("Settings", kExportRatioMp3Key, -1), 128);
  EXPECT_EQ(settings.Int("Settings", kExportZipKey, -1), 1);
  // "Create Lyric File" and its style come back at the next export.
  ExportChoices next;
  next.Open(settings, false, kCd);
  EXPECT_TRUE(next.LyricFile());
  EXPECT_TRUE(next.LyricFileSimple());
}

// Normalising loudness is off until chosen; its target is a stored setting,
// and a stored target no one could mean falls back to the default.
TEST(ExportChoicesTest, LoudnessIsAskedForOnlyWhenChosenAtTheStoredTarget) {
  struct Case {
    const char* stored;  // ExportLoudnessTarget, or none
    double target;
  };
  for (const Case& c : {Case{nullptr, -14}, Case{"-18.5", -18.5}, Case{"3", -14}, Case{"loud", -14}}) {
    MemorySettings settings;
    if (c.stored) settings.SetValue("Settings", kExportLoudnessTargetKey, c.stored);
    ExportChoices choices;
    choices.Open(settings, true, kCd);
    EXPECT_EQ(choices.LoudnessRequest(), std::nullopt);
    choices.SetNormaliseLoudness(true);
    EXPECT_EQ(choices.LoudnessRequest(), std::optional<double>(c.target)) << (c.stored ? c.stored : "none");
    EXPECT_EQ(choices.Confirm(settings), "");
    EXPECT_EQ(settings.Int("Settings", kExportLoudnessKey, -1), 1);
    ExportChoices reopened;
    reopened.Open(settings, true, kCd);
    EXPECT_TRUE(reopened.NormaliseLoudness());
  }
}

TEST(ExportChoicesTest, WmaProfileNumbersAndEntryValues) {
  EXPECT_EQ(WmaProfileNumber(96), 23);
  EXPECT_EQ(WmaProfileNumber(128), 24);
  EXPECT_EQ(WmaProfileNumber(160), 25);
  EXPECT_EQ(WmaProfileNumber(192), 26);
  EXPECT_EQ(WmaProfileNumber(100), 24);
  EXPECT_EQ(EntryValue("144k"), 144);
  EXPECT_EQ(EntryValue("k"), 0);
  EXPECT_EQ(SelectEntryFor(CompressionEntries(ExportType::Mp3G), 150), 4);  // 160k
}

}  // namespace
}  // namespace lf
