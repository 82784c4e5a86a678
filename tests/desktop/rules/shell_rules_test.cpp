#include <gtest/gtest.h>

#include "core/platform/settings.h"
#include "core/song/song.h"
#include "desktop/rules/default_colors.h"
#include "desktop/rules/menu_rules.h"
#include "desktop/rules/window_placement.h"
#include "desktop/rules/window_title.h"

namespace lf {
namespace {

TEST(WindowTitle, NamesTheProjectFileOrUntitled) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "Lyricforge - Untitled"},         {"/home/ana/songs/", "Lyricforge - Untitled"},
      {"song.lfp", "Lyricforge - song.lfp"}, {"/home/ana/My Song.lfp", "Lyricforge - My Song.lfp"},
      {"/a/b.c/d", "Lyricforge - d"},
  };
  for (const auto& [path, title] : cases) EXPECT_EQ(WindowTitle(path), title) << path;
}

struct EnableCase {
  const char* name;
  ShellState state;
  CommandEnables expected;
};

ShellState Placed() {
  ShellState s;
  s.projectPathSet = s.musicPathSet = s.workingFileSet = s.anyWordPlaced = true;
  s.lyricsEmpty = false;
  return s;
}

TEST(MenuRules, CommandsFollowBusyPlacedAndMusic) {
  ShellState fresh;
  ShellState music = fresh;
  music.musicPathSet = music.workingFileSet = true;
  ShellState lyrics = music;
  lyrics.lyricsEmpty = false;
  ShellState playing = Placed();
  playing.playing = true;
  ShellState exporting = Placed();
  exporting.exportRunning = true;
  ShellState noWorkingFile = Placed();
  noWorkingFile.workingFileSet = false;

  //                      new  open close exit export settings edit place adjust final
  const EnableCase cases[] = {
      {"fresh", fresh, {true, true, false, true, false, false, true, false, false, false}},
      {"music", music, {true, true, false, true, false, true, true, false, false, false}},
      {"lyrics", lyrics, {true, true, false, true, false, true, true, true, false, false}},
      {"placed", Placed(), {true, true, true, true, true, true, true, true, true, true}},
      {"playing", playing, {false, false, false, false, false, false, false, false, false, false}},
      {"exporting", exporting, {false, false, false, false, false, false, false, false, false, false}},
      {"no working file", noWorkingFile, {true, true, true, true, false, true, true, false, false, false}},
  };
  for (const auto& c : cases) {
    const CommandEnables e = EnabledCommands(c.state);
    const bool got[] = {e.newProject, e.open,       e.close,       e.exit,         e.exportSong,
                        e.settings,   e.editLyrics, e.placeLyrics, e.adjustLyrics, e.playFinal};
    const CommandEnables& x = c.expected;
    const bool want[] = {x.newProject, x.open,       x.close,       x.exit,         x.exportSong,
                         x.settings,   x.editLyrics, x.placeLyrics, x.adjustLyrics, x.playFinal};
    for (size_t i = 0; i < std::size(got); ++i) EXPECT_EQ(got[i], want[i]) << c.name << " item " << i;
  }
}

TEST(MenuRules, EditItemsAndFormatLabelsFollowTheFocusedEditor) {
  struct Case {
    const char* name;
    FocusedEditorState editor;
    bool undo, redo, cut, paste, clear, selectAll;
    const char* capitalize;
  };
  auto editor = [](bool rich, bool readOnly, int length, int from, int to, bool clip) {
    FocusedEditorState e;
    e.present = true;
    e.richText = rich;
    e.readOnly = readOnly;
    e.canUndo = e.canRedo = true;
    e.textLength = length;
    e.selectionStart = from;
    e.selectionEnd = to;
    e.clipboardHasText = clip;
    return e;
  };
  const Case cases[] = {
      {"no editor", FocusedEditorState{}, false, false, false, false, false, false, "&Capitalize All"},
      {"part selected", editor(true, false, 10, 2, 5, true), true, true, true, true, true, true,
       "&Capitalize Selection"},
      {"all selected", editor(true, false, 10, 0, 10, false), true, true, true, false, true, true, "&Capitalize All"},
      {"nothing selected", editor(true, false, 10, 4, 4, true), true, true, false, true, false, true,
       "&Capitalize All"},
      {"read-only line", editor(false, true, 3, 0, 1, true), true, false, true, false, false, true,
       "&Capitalize Selection"},
      {"empty", editor(true, false, 0, 0, 0, false), true, true, false, false, false, false, "&Capitalize All"},
  };
  for (const auto& c : cases) {
    const EditMenuState m = EditMenuFor(c.editor);
    EXPECT_EQ(m.undo, c.undo) << c.name;
    EXPECT_EQ(m.redo, c.redo) << c.name;
    EXPECT_EQ(m.cut, c.cut) << c.name;
    EXPECT_EQ(m.copy, c.cut) << c.name;
    EXPECT_EQ(m.paste, c.paste) << c.name;
    EXPECT_EQ(m.clear, c.clear) << c.name;
    EXPECT_EQ(m.selectAll, c.selectAll) << c.name;
    EXPECT_EQ(m.format, c.selectAll) << c.name;
    EXPECT_EQ(m.capitalizeLabel, c.capitalize) << c.name;
    EXPECT_EQ(m.lowercaseLabel,
              std::string(c.capitalize) == "&Capitalize All" ? "&Lowercase All" : "&Lowercase Selection")
        << c.name;
  }
}

TEST(EditMenu, TimingPagesOfferTheTimingHistoryByNameUnlessAnEditorHasTheFocus) {
  const FocusedEditorState none;
  FocusedEditorState editor;
  editor.present = true;
  editor.canUndo = true;
  struct Case {
    const char* name;
    FocusedEditorState focus;
    TimingHistoryState timing;
    bool undo, redo;
    const char* undoLabel;
    const char* redoLabel;
  } cases[] = {
      {"steps both ways",
       none,
       {true, "Nudge Start of 'star'", "Tap 'light'"},
       true,
       true,
       "&Undo Nudge Start of 'star'",
       "&Redo Tap 'light'"},
      {"nothing to undo", none, {true, "", ""}, false, false, "&Undo", "&Redo"},
      {"an ampersand of the lyrics", none, {true, "Tap 'R&B'", ""}, true, false, "&Undo Tap 'R&&B'", "&Redo"},
      {"not a timing page", none, {false, "", ""}, false, false, "&Undo", "&Redo"},
      {"a text editor keeps its own undo", editor, {true, "Tap 'x'", "Tap 'y'"}, true, false, "&Undo", "&Redo"},
  };
  for (const auto& c : cases) {
    const EditMenuState m = EditMenuFor(c.focus, c.timing);
    EXPECT_EQ(m.undo, c.undo) << c.name;
    EXPECT_EQ(m.redo, c.redo) << c.name;
    EXPECT_EQ(m.undoLabel, c.undoLabel) << c.name;
    EXPECT_EQ(m.redoLabel, c.redoLabel) << c.name;
    EXPECT_EQ(TimingHistoryHasKeys(c.focus, c.timing), !c.focus.present && c.timing.timingPage) << c.name;
  }
}

TEST(WindowPlacement, DefaultsRoundTripsAndRejectsBadRectangles) {
  MemorySettings settings;
  EXPECT_EQ(ReadWindowPlacement(settings), (WindowPlacement{10, 10, 500, 523, false}));

  const WindowPlacement stored{-5, 40, 1200, 900, true};
  WriteWindowPlacement(settings, stored);
  EXPECT_EQ(settings.Bytes("Settings", "AppWindowRect"),
            (SettingsBytes{0xFB, 0xFF, 0xFF, 0xFF, 40, 0, 0, 0, 0xB0, 4, 0, 0, 0x84, 3, 0, 0}));
  EXPECT_EQ(settings.Int("Settings", "AppWindowMaximized", -1), 1);
  EXPECT_EQ(ReadWindowPlacement(settings), stored);

  for (const SettingsBytes& bad : {SettingsBytes{1, 2, 3}, SettingsBytes(16, 0)}) {
    settings.SetBytes("Settings", "AppWindowRect", bad);
    const WindowPlacement read = ReadWindowPlacement(settings);
    EXPECT_EQ(read.Width(), 490);
    EXPECT_EQ(read.Height(), 513);
    EXPECT_TRUE(read.maximized);
  }
}

TEST(DefaultColors, RestoreDeletesExactlyTheSixteenColourValues) {
  SetAppSettings(std::make_unique<MemorySettings>());
  auto colours = [] {
    std::vector<std::array<Colorref, kColorCount>> all;
    for (int32_t kind : {TitlePage, LyricsPage, CreditsPage})
      all.push_back(SongLook::PageColors(SongLook::DefaultPage(kind)));
    return all;
  };
  const auto builtIn = colours();
  // The names as the stored preferences spell them, so a renamed value shows here.
  constexpr const char* kSixteen[] = {
      "ColorTitleBckgnd",   "ColorTitleBorder",   "ColorTitleText",     "ColorTitleShadow",
      "ColorCreditsBckgnd", "ColorCreditsBorder", "ColorCreditsText",   "ColorCreditsShadow",
      "ColorLyricsBckgnd",  "ColorLyricsBorder",  "ColorLyricsSinger1", "ColorLyricsSinger2",
      "ColorLyricsDuet",    "ColorLyricsShadow",  "ColorLyricsSweep",   "ColorLyricsFixed"};
  SettingsStore& settings = AppSettings();
  for (const char* key : kSixteen) settings.SetInt("Settings", key, 0x010203);
  settings.SetInt("Settings", "ColorLyricsOther", 5);
  settings.SetInt("Default", "ColorTitleBckgnd", 6);
  settings.SetValue("Settings", "ProjectPath", "/p/");
  ASSERT_NE(colours(), builtIn);

  RestoreDefaultColors(settings);
  for (const char* key : kSixteen) EXPECT_FALSE(settings.Contains("Settings", key)) << key;
  EXPECT_EQ(settings.Int("Settings", "ColorLyricsOther", 0), 5);
  EXPECT_EQ(settings.Int("Default", "ColorTitleBckgnd", 0), 6);
  EXPECT_EQ(settings.String("Settings", "ProjectPath", ""), "/p/");
  EXPECT_EQ(colours(), builtIn);  // new projects take the built-in colours again
  SetAppSettings(std::make_unique<MemorySettings>());
}

}  // namespace
}  // namespace lf
