#include "desktop/rules/export_save_choice.h"

#include <gtest/gtest.h>

#include "core/export/export_formats.h"

namespace lf {
namespace {

// Every lyric and subtitle file: its own filter and suffix, the extension the
// command line writes, named after the music beside it; only its options on.
TEST(ExportSaveChoiceTest, LyricFilesAreNamedBesideTheMusicWithTheirOwnFilterAndOptions) {
  struct Case {
    ExportType type;
    const char* name;
    bool lrcStyle, sweep;
  } cases[] = {
      {ExportType::Ass, "Song.ass", false, true},    {ExportType::UltraStar, "Song.txt", false, false},
      {ExportType::Ttml, "Song.ttml", false, false}, {ExportType::WebVtt, "Song.vtt", false, false},
      {ExportType::Srt, "Song.srt", false, false},   {ExportType::Lrc, "Song.lrc", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExportSaveChoice save = ExportSaveChoiceFor(c.type, true);  // zip is for the audio pairs only
    EXPECT_EQ("." + std::string(save.suffix), OutputExtension(c.type, false));
    EXPECT_EQ(save.filter.patterns, "*." + std::string(save.suffix));
    const ExportSaveLocation where = ExportSaveLocationFor(c.type, "/songs/My.Song/Song.final.wav", "/last/");
    EXPECT_EQ(where.folder, "/songs/My.Song/");
    EXPECT_EQ(where.name, std::string("Song.final") + OutputExtension(c.type, false));
    const ExportOptionStates states = ExportOptionStatesFor(c.type, true);
    EXPECT_TRUE(states.timing);
    EXPECT_FALSE(states.zip || states.lrcFile);
    EXPECT_EQ(states.lrcStyle, c.lrcStyle);
    EXPECT_EQ(states.sweep, c.sweep);
    EXPECT_EQ(ExportLrcStyle(c.type, false, true), c.type == ExportType::Lrc ? LrcStyle::Simple : LrcStyle::None);
  }
  // The other exports open where the last one went, unnamed, as before.
  const ExportSaveLocation bin = ExportSaveLocationFor(ExportType::Bin, "/songs/Song.wav", "/last/");
  EXPECT_EQ(bin.folder, "/last/");
  EXPECT_EQ(bin.name, "");
  EXPECT_FALSE(ExportOptionStatesFor(ExportType::Mp3G, true).timing);
  EXPECT_EQ(ExportLrcStyle(ExportType::Mp3G, false, true), LrcStyle::None);
  EXPECT_EQ(ExportLrcStyle(ExportType::Mp3G, true, false), LrcStyle::Enhanced);
}

}  // namespace
}  // namespace lf
