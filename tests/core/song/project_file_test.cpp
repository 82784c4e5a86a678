#include "core/song/project_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <random>

#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/song/binary_reader.h"
#include "core/song/song.h"
#include "tests/support/cli_runner.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

// Builds project files field by field, as the format lays them out.
class FileBuilder {
 public:
  FileBuilder& Int(int32_t v) {
    uint8_t b[4];
    StoreInt32(b, v);
    m_bytes.append(reinterpret_cast<char*>(b), 4);
    return *this;
  }
  FileBuilder& Byte(uint8_t v) {
    m_bytes.push_back(static_cast<char>(v));
    return *this;
  }
  FileBuilder& Text(const std::string& s) {
    Int(static_cast<int32_t>(s.size()));
    m_bytes += s;
    return *this;
  }
  FileBuilder& Raw(const std::string& s) {
    m_bytes += s;
    return *this;
  }
  FileBuilder& Settings(int32_t version, int32_t singerMode = 1, int32_t linesPerPage = 4) {
    SongSettingsBlock block;
    block.version = version;
    block.singerMode = singerMode;
    block.linesPerPage = linesPerPage;
    std::string b(kSettingsBlockSize, '\0');
    EncodeSettingsBlock(block, reinterpret_cast<uint8_t*>(b.data()));
    return Raw(b);
  }
  FileBuilder& PageBlock(const PageRecord& page) {
    std::string b(kPageBlockSize, '\0');
    page.WritePageBlock(reinterpret_cast<uint8_t*>(b.data()));
    return Raw(b);
  }
  // A line entry of `version` with one word over the whole text.
  FileBuilder& Line(int32_t version, const std::string& text, SampleTime start, int32_t color = 9, uint8_t singer2 = 1,
                    uint8_t fixed = 0) {
    Int(0).Int(start).Int(start + 1000).Int(0).Byte(1).Byte(0);
    if (version >= 500) Int(color).Byte(singer2);
    if (version >= 601) Byte(fixed);
    Text(text).Int(1);
    return Int(0)
        .Int(static_cast<int32_t>(text.size()) - 1)
        .Int(start)
        .Int(start + 500)
        .Int(0)
        .Int(1)
        .Int(2)
        .Int(3)
        .Int(4)
        .Int(4);
  }
  const std::string& Bytes() const { return m_bytes; }

 private:
  std::string m_bytes;
};

class ProjectFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
  }

  bool LoadBytes(const std::string& bytes) {
    test::WriteFileBytes(m_path, bytes);
    m_song.SetProjectPath(m_path);
    m_loaded = m_song.LoadProject();
    return m_loaded.Ok();
  }
  // The message the load hands back for the front end to show.
  std::string Message() const { return m_loaded.text; }

  // A song with something in every part of the file.
  void FillSong(Song& song) {
    song.ResetSongDefaults();
    song.Look().Settings().singerMode = 2;
    song.Look().Settings().sweepAdvance = -35;
    song.Look().Settings().playBeforeInSeconds = 1;
    song.Look().Settings().loopPlay = 1;
    song.Lyrics().SetRawLyrics("caf\xC3\xA9 hel*lo\n&two words\n!fixed");
    song.SetMusicPath("/music/song.mp3");
    song.Look().SetEraseFromBottom(2);
    song.Look().SetSweepEntireWord(true);
    song.Lyrics().SetArtist("Artist");
    song.Lyrics().SetTitle("Title");
    song.Lyrics().SetDuetLabel(0, "Ann");
    song.Lyrics().SetDuetLabel(2, "Both");
    PageRecord& title = *song.Look().PageByKind(TitlePage);
    title.m_pageText = "Line one\nLine two";
    title.m_extraLines.Add(3, 30, kTextItalic, "DejaVu Sans", kAlignRight);
    title.m_enabled = 1;
    std::vector<uint32_t> argb(40 * 20);
    for (size_t i = 0; i < argb.size(); ++i) argb[i] = 0xFF000000u | uint32_t(i * 2654435761u);
    PageRecord& lyrics = *song.Look().PageByKind(LyricsPage);
    lyrics.m_picture.SetPicture(40, 20, argb.data());
    lyrics.m_hasPicture = 1;
    lyrics.m_lyricsArea = 50;
    song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
    for (int i = 0; i < song.Lyrics().WordCount(); ++i) {
      song.Lyrics().SetWordStart(i, 1000 * (i + 1));
      song.Lyrics().SetWordEnd(i, 1000 * (i + 1) + 700);
      song.Lyrics().SetWordRect(i, {i, 2 * i, 3 * i, 4 * i});
    }
    song.Lyrics().SetLinePlaced(0, true);
    song.Lyrics().SetLineTimes(1, 77, song.Lyrics().Line(1)->m_endTime);
  }

  test::TempDir m_dir;
  std::string m_path = m_dir.File("song.lfp");
  Song m_song;
  ScopedMessageRecorder m_recorder;
  RecordingMessageSink* m_messages = &m_recorder.Sink();
  Outcome m_loaded;
};

TEST_F(ProjectFileTest, EmptyProjectIs96Bytes) {
  m_song.Look().RemoveAllPages();
  m_song.SetProjectPath(m_path);
  m_song.SetModified(true);
  ASSERT_TRUE(m_song.SaveProject());
  EXPECT_FALSE(m_song.IsModified());
  const std::string bytes = test::ReadFileBytes(m_path);
  ASSERT_EQ(bytes.size(), 96u);
  EXPECT_EQ(LoadInt32(reinterpret_cast<const uint8_t*>(bytes.data())), 601);

  ASSERT_TRUE(LoadBytes(bytes));
  EXPECT_EQ(m_messages->Count(), 0);
  EXPECT_EQ(m_song.Lyrics().LineCount(), 0);
  // The rest of the program counts on one page of each kind.
  EXPECT_NE(m_song.Look().PageByKind(TitlePage), nullptr);
  EXPECT_NE(m_song.Look().PageByKind(LyricsPage), nullptr);
  EXPECT_NE(m_song.Look().PageByKind(CreditsPage), nullptr);
}

TEST_F(ProjectFileTest, SavingWhatWasLoadedGivesTheSameBytes) {
  Song original(m_path);
  FillSong(original);
  ASSERT_TRUE(original.SaveProject());
  const std::string first = test::ReadFileBytes(m_path);

  m_song.SetProjectPath(m_path);
  m_song.SetModified(true);
  ASSERT_TRUE(m_song.LoadProject());
  EXPECT_FALSE(m_song.IsModified());
  EXPECT_EQ(m_song.Look().Settings(), original.Look().Settings());
  EXPECT_EQ(m_song.Lyrics().RawLyrics(), original.Lyrics().RawLyrics());
  EXPECT_EQ(m_song.Lyrics().DuetLabel(2), "Both");
  EXPECT_TRUE(m_song.Look().SweepEntireWord());
  EXPECT_EQ(m_song.Look().EraseFromBottom(), 2);
  ASSERT_EQ(m_song.Lyrics().WordCount(), original.Lyrics().WordCount());
  EXPECT_EQ(m_song.Lyrics().Word(3)->m_rect, original.Lyrics().Word(3)->m_rect);
  EXPECT_EQ(m_song.Lyrics().Word(3)->m_line, m_song.Lyrics().Line(1));
  EXPECT_TRUE(m_song.Lyrics().Line(2)->m_fixed);
  EXPECT_TRUE(m_song.Lyrics().Line(1)->m_singer2);
  EXPECT_EQ(m_song.Look().PageByKind(TitlePage)->m_extraLines, original.Look().PageByKind(TitlePage)->m_extraLines);
  EXPECT_EQ(m_song.Look().PageByKind(LyricsPage)->m_picture.Width(), 40);

  const std::string copy = m_dir.File("copy.lfp");
  m_song.SetProjectPath(copy);
  ASSERT_TRUE(m_song.SaveProject());
  EXPECT_EQ(test::ReadFileBytes(copy), first);
}

TEST_F(ProjectFileTest, Version599HasNoExportTagsOrFixedFlag) {
  PageRecord lyrics = SongLook::DefaultPage(LyricsPage);
  lyrics.m_picture.SetPaletteColor(8, 0x112233);
  FileBuilder f;
  f.Settings(599, 2).Text("la la").Text("m.wav");
  f.Int(1).PageBlock(lyrics).Text("");
  f.Int(1).Line(599, "la la", 4410);
  ASSERT_TRUE(LoadBytes(f.Bytes())) << Message();
  EXPECT_EQ(m_song.Look().Settings().version, 601);
  EXPECT_EQ(m_song.MusicPath(), "m.wav");
  EXPECT_EQ(m_song.Lyrics().Artist(), "");
  EXPECT_EQ(m_song.Look().EraseFromBottom(), 0);
  EXPECT_EQ(m_song.Look().PageByKind(LyricsPage)->PageColors()[8], 0x00A5FFu);  // orange
  ASSERT_EQ(m_song.Lyrics().LineCount(), 1);
  EXPECT_EQ(m_song.Lyrics().Line(0)->m_colorIndex, 9);
  EXPECT_TRUE(m_song.Lyrics().Line(0)->m_singer2);
  EXPECT_FALSE(m_song.Lyrics().Line(0)->m_fixed);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_lastChar, 4);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_endTime, 4910);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_flags, 4u);
}

TEST_F(ProjectFileTest, Versions450And500) {
  FileBuilder old;
  old.Settings(450).Text("").Text("");
  old.Int(0);
  old.Int(2).Line(450, "one", 100).Line(450, "two", 200);
  ASSERT_TRUE(LoadBytes(old.Bytes())) << Message();
  ASSERT_EQ(m_song.Lyrics().LineCount(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(m_song.Lyrics().Line(i)->m_colorIndex, 12);
    EXPECT_FALSE(m_song.Lyrics().Line(i)->m_singer2);
  }

  PageRecord title = SongLook::DefaultPage(TitlePage);
  title.m_holdTime = 345;
  FileBuilder v500;
  v500.Settings(500).Text("x").Text("");
  v500.Int(1).PageBlock(title).Raw(std::string(16, '\x7F')).Text("Page text");
  v500.Int(1).Line(500, "x", 10, 10, 0);
  ASSERT_TRUE(LoadBytes(v500.Bytes())) << Message();
  EXPECT_EQ(m_song.Look().PageByKind(TitlePage)->m_holdTime, 345);
  EXPECT_EQ(m_song.Look().PageByKind(TitlePage)->m_pageText, "Page text");
  EXPECT_EQ(m_song.Look().PageByKind(TitlePage)->m_duetColors, TextTypeVer5{});
  EXPECT_EQ(m_song.Lyrics().Line(0)->m_colorIndex, 10);
}

TEST_F(ProjectFileTest, VersionsOutsideTheRangeAreRefused) {
  FileBuilder newer;
  newer.Settings(602).Raw(std::string(64, '\xFF'));
  m_song.Lyrics().SetArtist("kept");
  EXPECT_FALSE(LoadBytes(newer.Bytes()));
  EXPECT_EQ(Message(), kProjectTooNew);
  EXPECT_EQ(m_loaded.icon, MessageIcon::Exclamation);
  EXPECT_EQ(m_loaded.reason, Reason::BadInput);
  EXPECT_EQ(m_song.Look().Settings().version, 601);  // nothing was taken from it
  EXPECT_EQ(m_song.Lyrics().Artist(), "kept");

  FileBuilder older;
  older.Settings(399);
  EXPECT_FALSE(LoadBytes(older.Bytes()));
  EXPECT_EQ(Message(), kProjectTooOld);

  FileBuilder noLines;
  noLines.Settings(601, 1, 0).Text("").Text("").Int(0).Int(0).Text("").Text("").Text("").Text("").Text("");
  noLines.Int(0).Int(0);
  EXPECT_FALSE(LoadBytes(noLines.Bytes()));
  EXPECT_EQ(Message(), kProjectCorrupted);

  EXPECT_FALSE(LoadBytes(std::string(51, '\0')));
  EXPECT_EQ(Message(), kProjectCorrupted);

  m_song.SetProjectPath(m_dir.File("missing.lfp"));
  m_loaded = m_song.LoadProject();
  EXPECT_EQ(m_loaded.reason, Reason::NotFound);
  EXPECT_EQ(Message(), kProjectCannotOpen);
  EXPECT_EQ(m_messages->Count(), 0) << "the loader leaves showing its message to the front end";
}

// Cut inside the settings block: the corruption message; cut later: a quiet
// failure that the caller reports.
TEST_F(ProjectFileTest, TruncatedFilesFail) {
  Song original(m_path);
  FillSong(original);
  ASSERT_TRUE(original.SaveProject());
  const std::string whole = test::ReadFileBytes(m_path);
  const size_t pageStart = 52 + 4 + 34 + 4 + 15 + 4 + 4 + 4 + 6 + 4 + 5 + 4 + 3 + 4 + 4 + 4;
  std::vector<size_t> cuts = {0, 4, 52, 60, pageStart, pageStart + 1000, whole.size() / 2};
  for (size_t n = whole.size() - 200; n < whole.size(); ++n) cuts.push_back(n);  // the lines
  for (size_t cut : cuts) {
    const int before = m_messages->Count();
    EXPECT_FALSE(LoadBytes(whole.substr(0, cut))) << "cut at " << cut;
    EXPECT_EQ(m_messages->Count(), before) << "cut at " << cut;
    EXPECT_EQ(Message(), cut < 52 ? kProjectCorrupted : "") << "cut at " << cut;
  }
  EXPECT_TRUE(LoadBytes(whole));
}

TEST_F(ProjectFileTest, CountsBeyondTheFileAreNotBelieved) {
  for (int32_t count : {0x7FFFFFFF, 100000}) {
    FileBuilder lines;
    lines.Settings(601).Text("").Text("").Int(0).Int(0).Text("").Text("").Text("").Text("").Text("");
    lines.Int(0).Int(count);
    EXPECT_FALSE(LoadBytes(lines.Bytes()));
    EXPECT_EQ(Message(), "") << "a count past the end fails quietly, as a short read";

    FileBuilder words;
    words.Settings(450).Text("").Text("").Int(0).Int(1);
    words.Int(0).Int(0).Int(0).Int(0).Byte(0).Byte(0).Text("x").Int(count);
    EXPECT_FALSE(LoadBytes(words.Bytes()));

    FileBuilder text;
    text.Settings(450).Int(count);
    EXPECT_FALSE(LoadBytes(text.Bytes()));
  }
  FileBuilder emptyFace;  // an extra line style must name a face
  emptyFace.Settings(601).Text("").Text("").Int(0).Int(0).Text("").Text("").Text("").Text("").Text("");
  emptyFace.Int(1)
      .PageBlock(SongLook::DefaultPage(TitlePage))
      .Int(1)
      .Int(1)
      .Int(2)
      .Int(3)
      .Int(4)
      .Int(0)
      .Text("")
      .Int(0);
  EXPECT_FALSE(LoadBytes(emptyFace.Bytes()));
}

TEST_F(ProjectFileTest, RandomBytesNeverCrash) {
  std::mt19937 random(1234);
  Song original(m_path);
  FillSong(original);
  ASSERT_TRUE(original.SaveProject());
  const std::string whole = test::ReadFileBytes(m_path);
  for (int round = 0; round < 40; ++round) {
    std::string bytes = whole;
    // Damage the texts, counts and lines; the page blocks are mostly picture.
    for (int k = 0; k < 8; ++k) {
      const size_t at = round % 2 ? random() % 300 : whole.size() - 1 - random() % 400;
      bytes[at] = static_cast<char>(random());
    }
    LoadBytes(bytes);  // either outcome, but no crash
    std::string noise(random() % 2000, '\0');
    for (char& c : noise) c = static_cast<char>(random());
    if (noise.size() >= 4) StoreInt32(reinterpret_cast<uint8_t*>(noise.data()), 400 + round % 202);
    if (LoadBytes(noise)) {
      EXPECT_EQ(m_song.Look().Settings().version, 601);
    }
  }
}

TEST_F(ProjectFileTest, Windows1252TextIsConvertedAndWordsFollowIt) {
  FileBuilder f;
  f.Settings(450).Text("caf\xE9 ol\xE9").Text("C:\\M\xFAsica\\x.mp3");
  f.Int(1).PageBlock(SongLook::DefaultPage(CreditsPage)).Text("\x93Thanks\x94");
  f.Int(1);
  f.Int(0).Int(0).Int(0).Int(0).Byte(0).Byte(0).Text("caf\xE9 ol\xE9").Int(2);
  f.Int(0).Int(3).Int(5).Int(6).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
  f.Int(5).Int(7).Int(8).Int(9).Int(0).Int(0).Int(0).Int(0).Int(0).Int(0);
  ASSERT_TRUE(LoadBytes(f.Bytes())) << Message();
  EXPECT_EQ(m_song.Lyrics().RawLyrics(), "caf\xC3\xA9 ol\xC3\xA9");
  EXPECT_EQ(m_song.MusicPath(), "C:\\M\xC3\xBAsica\\x.mp3");
  EXPECT_EQ(m_song.Look().PageByKind(CreditsPage)->m_pageText, "\xE2\x80\x9CThanks\xE2\x80\x9D");
  EXPECT_EQ(m_song.Lyrics().Line(0)->m_text, "caf\xC3\xA9 ol\xC3\xA9");
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_firstChar, 0);
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_lastChar, 4);  // é is two bytes now
  EXPECT_EQ(m_song.Lyrics().Word(1)->m_firstChar, 6);
  EXPECT_EQ(m_song.Lyrics().Word(1)->m_lastChar, 9);
}

TEST_F(ProjectFileTest, AFailedSaveKeepsThePreviousFile) {
  Song song(m_path);
  FillSong(song);
  ASSERT_TRUE(song.SaveProject());
  const std::string saved = test::ReadFileBytes(m_path);

  song.SetProjectPath(m_dir.File("no/such/folder/x.lfp"));
  song.SetModified(true);
  EXPECT_FALSE(song.SaveProject());
  EXPECT_TRUE(song.IsModified());

  // A folder in the way: the rename fails, and nothing is left behind.
  const std::string folder = m_dir.File("folder.lfp");
  std::filesystem::create_directory(folder);
  song.SetProjectPath(folder);
  EXPECT_FALSE(song.SaveProject());
  EXPECT_TRUE(std::filesystem::is_directory(folder));

  song.SetProjectPath(m_path);
  song.Lyrics().SetArtist("Someone else");
  ASSERT_TRUE(song.SaveProject());
  EXPECT_NE(test::ReadFileBytes(m_path), saved);
  int files = 0;
  for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(m_dir.Path())) ++files;
  EXPECT_EQ(files, 2);  // the project and the folder
}

}  // namespace
}  // namespace lf

namespace lf {
namespace {

// Fields a song cannot use are refused, not taken: a page has rows for 16 lines
// at most, and erasing starts no lower than its last row.
TEST_F(ProjectFileTest, FieldsBeyondWhatASongCanUseAreRefused) {
  struct Case {
    int32_t linesPerPage;
    int32_t eraseFromBottom;
    bool loads;
  };
  for (const Case& c : {Case{16, 16, true}, Case{1, 0, true}, Case{0x20000004, 0, false}, Case{17, 0, false},
                        Case{-1, 0, false}, Case{4, 17, false}, Case{4, -1, false}, Case{4, INT32_MAX, false}}) {
    SCOPED_TRACE(testing::Message() << c.linesPerPage << " lines, erase from " << c.eraseFromBottom);
    FileBuilder file;
    file.Settings(601, 1, c.linesPerPage).Text("one two").Text("").Int(c.eraseFromBottom).Int(0);
    file.Text("").Text("").Text("").Text("").Text("").Int(0).Int(0);
    EXPECT_EQ(LoadBytes(file.Bytes()), c.loads);
  }
}

}  // namespace
}  // namespace lf

namespace lf {
namespace {

// Every field the reader takes is held to what the program itself can set: a
// crafted value would overflow the layout and timing arithmetic it feeds.
TEST_F(ProjectFileTest, FieldsOutsideWhatCanBeSetRefuseTheFileNamingThem) {
  struct Case {
    const char* field;
    std::function<void(Song&)> change;
  };
  const Case cases[] = {
      {"sweep advance", [](Song& s) { s.Look().Settings().sweepAdvance = INT32_MAX; }},
      {"sweep advance", [](Song& s) { s.Look().Settings().sweepAdvance = 5; }},
      {"sweep colour index", [](Song& s) { s.Look().Settings().sweepColorIndex = 16; }},
      {"sweep mode", [](Song& s) { s.Look().Settings().sweepMode = 7; }},
      {"play-after amount", [](Song& s) { s.Look().Settings().playAfterAmount = INT32_MIN; }},
      {"line page", [](Song& s) { s.Lyrics().EditLines([](KaraokeLineList& l) { l.lines[1]->m_page = INT32_MAX; }); }},
      {"line row",
       [](Song& s) { s.Lyrics().EditLines([](KaraokeLineList& l) { l.lines[0]->m_lineInPage = kDrawRows; }); }},
      {"line colour index", [](Song& s) { s.Lyrics().SetLineColor(0, -1); }},
      {"page hold time", [](Song& s) { s.Look().PageByKind(TitlePage)->m_holdTime = INT32_MAX; }},
      {"page draw transition", [](Song& s) { s.Look().PageByKind(CreditsPage)->m_drawTransition = kTransitionCount; }},
      {"page text size", [](Song& s) { s.Look().PageByKind(LyricsPage)->m_style.m_height = 0; }},
      {"page lyrics area", [](Song& s) { s.Look().PageByKind(LyricsPage)->m_lyricsArea = 101; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.field);
    Song crafted(m_path);
    FillSong(crafted);
    c.change(crafted);
    ASSERT_TRUE(crafted.SaveProject());
    m_song.SetProjectPath(m_path);
    const Outcome loaded = m_song.LoadProject();
    EXPECT_EQ(loaded.reason, Reason::BadInput);
    EXPECT_EQ(loaded.text.rfind(kProjectCorrupted, 0), 0u) << loaded.text;
    EXPECT_NE(loaded.text.find(std::string(c.field) + " "), std::string::npos) << loaded.text;
  }
  // The edges of each range still load.
  Song edges(m_path);
  FillSong(edges);
  edges.Look().Settings().sweepAdvance = -500;
  edges.Look().Settings().sweepColorIndex = 15;
  edges.Look().PageByKind(TitlePage)->m_holdTime = 360000;
  edges.Look().PageByKind(LyricsPage)->m_lyricsArea = 100;
  ASSERT_TRUE(edges.SaveProject());
  m_song.SetProjectPath(m_path);
  EXPECT_TRUE(m_song.LoadProject().Ok());
  // A file cut short loads quietly as before, but there is always a reason to tell.
  test::WriteFileBytes(m_path, test::ReadFileBytes(m_path).substr(0, 200));
  const Outcome cut = m_song.LoadProject();
  EXPECT_FALSE(cut.Ok());
  EXPECT_EQ(ProjectLoadFailureText(cut), std::string(kProjectCorrupted) + "\n\nThe file ends early.");
}

TEST_F(ProjectFileTest, OnlyRegularFilesAreProjects) {
  const std::string fifo = m_dir.File("pipe.lfp");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& path : {fifo, std::string("/dev/zero"), m_dir.Path()}) {
    m_song.SetProjectPath(path);
    const Outcome loaded = m_song.LoadProject();  // returns at once: nothing waits for a writer
    EXPECT_FALSE(loaded) << path;
    EXPECT_EQ(loaded.text, kProjectCannotOpen) << path;
  }
}

}  // namespace
}  // namespace lf
