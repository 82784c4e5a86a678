#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "core/audio/wav_file.h"
#include "core/platform/message_sink.h"
#include "core/platform/settings.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"
#include "core/song/song_drawing.h"
#include "tests/support/cli_runner.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

class SongTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
  }

  // A song of `text`, laid out, with word i placed from start[i] to end[i].
  void Lyrics(const std::string& text) {
    m_song.Lyrics().SetRawLyrics(text);
    m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  }
  void Time(int word, SampleTime start, SampleTime end) {
    m_song.Lyrics().SetWordStart(word, start);
    m_song.Lyrics().SetWordEnd(word, end);
  }

  Song m_song{"/tmp/none.lfp"};
  ScopedMessageRecorder m_recorder;
  RecordingMessageSink* m_messages = &m_recorder.Sink();
};

TEST_F(SongTest, ResetGivesTitleCreditsLyricsWithStoredColours) {
  ASSERT_EQ(m_song.Look().PageCount(), 3);
  EXPECT_EQ(m_song.Look().Page(0)->m_kind, TitlePage);
  EXPECT_EQ(m_song.Look().Page(1)->m_kind, CreditsPage);
  EXPECT_EQ(m_song.Look().Page(2)->m_kind, LyricsPage);
  EXPECT_FALSE(m_song.Look().Page(0)->m_enabled);
  EXPECT_FALSE(m_song.Look().Page(1)->m_enabled);
  EXPECT_EQ(m_song.Lyrics().LineCount(), 0);
  EXPECT_EQ(m_song.Lyrics().WordCount(), 0);
  EXPECT_EQ(m_song.Look().Settings(), SongSettingsBlock{});
  EXPECT_FALSE(m_song.IsModified());

  const PageRecord& title = *m_song.Look().PageByKind(TitlePage);
  EXPECT_EQ(title.m_style.m_height, 26);
  EXPECT_EQ(title.m_style.m_flags, kTextBold);
  EXPECT_EQ(title.m_style.m_hAlign, kAlignCenter);
  EXPECT_EQ(title.m_holdTime, 200);
  EXPECT_EQ(title.m_drawTransition, 0);
  auto colors = title.PageColors();
  EXPECT_EQ(colors[15], 0x661100u);
  EXPECT_EQ(colors[12], 0xFFFFFFu);
  EXPECT_EQ(colors[14], 0x00EEFFu);
  EXPECT_EQ(title.m_picture.Palette()[14].red, 255);  // stored blue, green, red

  const PageRecord& lyrics = *m_song.Look().PageByKind(LyricsPage);
  EXPECT_EQ(lyrics.m_style.m_hAlign, kAlignLeft);
  EXPECT_EQ(lyrics.m_style.m_height, 24);
  colors = lyrics.PageColors();
  EXPECT_EQ(colors[8], 0x00A5FFu);
  EXPECT_EQ(colors[9], 0xFF80FFu);
  EXPECT_EQ(colors[10], 0x00FF40u);
  EXPECT_EQ(colors[12], 0xFFFF80u);

  AppSettings().SetInt("Settings", "ColorLyricsSinger1", 0x123456);
  AppSettings().SetInt("Settings", "ColorTitleBckgnd", 0x0000FF);
  m_song.ResetSongDefaults();
  EXPECT_EQ(m_song.Look().PageByKind(LyricsPage)->PageColors()[12], 0x123456u);
  EXPECT_EQ(m_song.Look().PageByKind(TitlePage)->PageColors()[15], 0x0000FFu);
  EXPECT_EQ(m_song.Look().PageByKind(CreditsPage)->PageColors()[15], 0x661100u);
}

TEST_F(SongTest, WordQueries) {
  Lyrics("one two\nthree\n^\nfour");
  EXPECT_EQ(m_song.Lyrics().WordCount(), 4);
  Time(0, 100, 200);
  Time(1, 300, 400);
  EXPECT_EQ(m_song.Lyrics().WordAtTime(100), 0);
  EXPECT_EQ(m_song.Lyrics().WordAtTime(200), 0);
  EXPECT_EQ(m_song.Lyrics().WordAtTime(250), -1);
  EXPECT_EQ(m_song.Lyrics().WordAtTime(400), 1);
  EXPECT_TRUE(m_song.Lyrics().AnyWordPlaced());
  EXPECT_EQ(m_song.Lyrics().LastPage(), 1);
  EXPECT_EQ(m_song.Lyrics().FirstWordOfPage(0), 0);
  EXPECT_EQ(m_song.Lyrics().LastWordOfPage(0), 2);
  EXPECT_EQ(m_song.Lyrics().FirstWordOfPage(1), 3);
  EXPECT_EQ(m_song.Lyrics().FirstWordOfPage(2), -1);
  EXPECT_EQ(m_song.Lyrics().Word(4), nullptr);
  EXPECT_EQ(m_song.Lyrics().Line(-1), nullptr);

  m_song.Lyrics().SetWordRect(3, {10, 20, 50, 40});
  EXPECT_EQ(m_song.Lyrics().WordAtPoint(10, 20, 1), 3);
  EXPECT_EQ(m_song.Lyrics().WordAtPoint(10, 20, 0), -1);
  EXPECT_EQ(m_song.Lyrics().WordAtPoint(50, 20, 1), -1);
  m_song.Lyrics().SelectWord(3, true);
  EXPECT_TRUE(m_song.Lyrics().Word(3)->IsSelected());
  m_song.Lyrics().SelectWord(3, false);
  EXPECT_EQ(m_song.Lyrics().Word(3)->m_flags, 0u);
  m_song.Lyrics().SelectWord(99, true);  // ignored

  m_song.Lyrics().ClearLines();
  EXPECT_EQ(m_song.Lyrics().LastPage(), 0);
  EXPECT_EQ(m_song.Lyrics().WordAtTime(0), -1);
}

TEST_F(SongTest, SettersMarkModifiedAndTellTheObserver) {
  std::vector<bool> seen;
  m_song.SetModifiedObserver([&](bool modified) { seen.push_back(modified); });
  m_song.Lyrics().SetRawLyrics("a\nb\nc");
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  EXPECT_TRUE(m_song.IsModified());
  m_song.SetLinesPerPage(2);
  EXPECT_EQ(m_song.Lyrics().Line(2)->m_page, 1);
  m_song.Lyrics().SetDuetLabel(0, "Ann");
  m_song.Lyrics().SetDuetLabel(3, "nobody");
  EXPECT_EQ(m_song.Lyrics().DuetLabel(0), "Ann");
  EXPECT_EQ(m_song.Lyrics().DuetLabel(3), "");
  m_song.ResetSongDefaults();
  EXPECT_EQ(seen, (std::vector<bool>{true, false})) << "told when the flag changes, not on every setter";
}

TEST_F(SongTest, RegenerationKeepsTimesAndNotesDuetMarkersInASoloSong) {
  Lyrics("&one two\n&three");
  EXPECT_TRUE(m_song.DuetMarksInSolo());
  EXPECT_EQ(m_messages->Count(), 0) << "the song tells nobody itself; the page shows the notice";
  Time(0, 100, 200);
  m_song.Lyrics().SetLinePlaced(0, true);
  m_song.Lyrics().SetRawLyrics("&one two\n&three four");
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  EXPECT_TRUE(m_song.DuetMarksInSolo());
  EXPECT_EQ(m_song.Lyrics().Word(0)->m_startTime, 100);
  EXPECT_TRUE(m_song.Lyrics().Line(0)->m_placed);
  EXPECT_EQ(m_song.Lyrics().Word(1)->m_line, m_song.Lyrics().Line(0));

  m_song.Look().Settings().singerMode = 2;
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  EXPECT_FALSE(m_song.DuetMarksInSolo());
  EXPECT_TRUE(m_song.Lyrics().Line(0)->m_singer2);
}

TEST_F(SongTest, CopyTakesSettingsAndPagesButNotLinesOrLabels) {
  Song other("/tmp/other.lfp");
  other.ResetSongDefaults();
  other.Look().Settings().linesPerPage = 2;
  other.Lyrics().SetRawLyrics("x\ny\nz");
  other.Lyrics().SetArtist("Artist");
  other.Lyrics().SetDuetLabel(1, "Bob");
  other.Look().PageByKind(TitlePage)->m_pageText = "Title text";
  Lyrics("a\nb\nc");

  m_song.Copy(other);
  EXPECT_EQ(m_song.ProjectPath(), "/tmp/other.lfp");
  EXPECT_EQ(m_song.Lyrics().RawLyrics(), "x\ny\nz");
  EXPECT_EQ(m_song.Lyrics().Artist(), "Artist");
  EXPECT_EQ(m_song.Lyrics().DuetLabel(1), "");
  EXPECT_EQ(m_song.Look().PageByKind(TitlePage)->m_pageText, "Title text");
  EXPECT_NE(m_song.Look().PageByKind(TitlePage), other.Look().PageByKind(TitlePage));
  ASSERT_EQ(m_song.Lyrics().LineCount(), 3);  // lines stay, renumbered
  EXPECT_EQ(m_song.Lyrics().Line(2)->m_page, 1);
}

TEST_F(SongTest, OutputBufferIsSizedFromTheWorkingMusic) {
  test::TempDir dir;
  const std::string wav = dir.File("music.wav");
  test::WriteFileBytes(wav,
                       test::MakeRiffWave({{"fmt ", test::FmtBody(2, 44100, 16)}, {"data", std::string(2351, '\1')}}));
  m_song.Music().SetWorkingMusicPath(wav);
  m_song.Music().AllocateRwMemory(false);
  EXPECT_EQ(m_song.Music().MusicLength(), 2351u);
  EXPECT_EQ(m_song.Music().MusicLengthAtLoad(), 0u);
  EXPECT_EQ(m_song.Music().RwMemorySize(), 1297344u);
  ASSERT_NE(m_song.Music().RwMemory(), nullptr);
  EXPECT_EQ(m_song.Music().RwMemory()[1297343], 0);

  test::WriteFileBytes(wav, test::ToneWav(44100, 16, 2, 2352 * 10 / 4));
  m_song.SetMusicPath("/music/song.mp3");  // measures with remember set
  EXPECT_EQ(m_song.Music().MusicLengthAtLoad(), 23520u);
  EXPECT_EQ(m_song.Music().RwMemorySize(), 1297344u + 960u);

  m_song.Music().SetWorkingMusicPath(dir.File("missing.wav"));
  m_song.Music().AllocateRwMemory(true);
  EXPECT_EQ(m_song.Music().RwMemorySize(), 0u);
  EXPECT_EQ(m_song.Music().RwMemory(), nullptr);
}

TEST_F(SongTest, LengtheningAppendsSilenceAndKeepsTheBuffer) {
  test::TempDir dir;
  const std::string wav = dir.File("music.wav");
  test::WriteFileBytes(wav, test::ToneWav(44100, 16, 2, 250));  // 1000 bytes
  m_song.Music().SetWorkingMusicPath(wav);
  m_song.Music().AllocateRwMemory(true);
  m_song.Music().RwMemory()[0] = 0x49;
  m_song.Music().RwMemory()[m_song.Music().RwMemorySize() - 1] = 0x42;
  const uint32_t oldSize = m_song.Music().RwMemorySize();

  ASSERT_TRUE(m_song.Music().LengthenMusic(2352 * 3 + 1));
  EXPECT_EQ(m_song.Music().MusicLength(), 2352u * 3);  // whole 16-bit samples only
  EXPECT_EQ(m_song.Music().MusicLengthAtLoad(), 1000u);
  EXPECT_EQ(m_song.Music().RwMemorySize(), oldSize + 3 * 96);
  EXPECT_EQ(m_song.Music().RwMemory()[0], 0x49);
  EXPECT_EQ(m_song.Music().RwMemory()[oldSize - 1], 0x42);
  EXPECT_EQ(m_song.Music().RwMemory()[oldSize], 0);

  WavInFile in(wav);
  EXPECT_EQ(in.SampleRate(), 44100u);
  EXPECT_EQ(in.ChannelCount(), 2);
  std::vector<int16_t> samples(4000);
  ASSERT_EQ(in.ReadSamples(samples.data(), 4000), 2352 * 3 / 2);
  const auto tone = test::SineSamples(44100, 2, 250, 440.0);
  EXPECT_TRUE(std::equal(tone.begin(), tone.end(), samples.begin()));
  EXPECT_EQ(samples[600], 0);
  EXPECT_EQ(samples[2352 * 3 / 2 - 1], 0);

  m_song.Music().SetWorkingMusicPath(dir.File("missing.wav"));
  EXPECT_FALSE(m_song.Music().LengthenMusic(100000));
}

// In place (data last) or rewritten (a chunk after the data), the music
// bytes stay, the new length is exact silence, and shortening back restores
// the file's music exactly.
TEST_F(SongTest, LengtheningAppendsExactSilenceAndShorteningBackRestoresTheMusic) {
  struct Case {
    int bits;
    bool trailingChunk;
  };
  for (const Case c : {Case{8, false}, Case{16, false}, Case{8, true}, Case{16, true}}) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, trailing chunk " << c.trailingChunk);
    test::TempDir dir;
    const std::string wav = dir.File("music.wav");
    const std::string music = test::PcmBytes(test::SineSamples(44100, 2, 301, 440.0), c.bits);
    std::vector<test::RiffChunk> chunks{{"fmt ", test::FmtBody(2, 44100, uint16_t(c.bits))}, {"data", music}};
    if (c.trailingChunk) chunks.push_back({"junk", "after"});
    test::WriteFileBytes(wav, test::MakeRiffWave(chunks));
    m_song.Music().SetWorkingMusicPath(wav);
    m_song.Music().AllocateRwMemory(true);
    const uint32_t loaded = m_song.Music().MusicLength();
    ASSERT_EQ(loaded, music.size());
    m_song.Music().RwMemory()[7] = 0x5a;

    const uint32_t longer = loaded + 2352 * 5;
    ASSERT_TRUE(m_song.Music().LengthenMusic(longer));
    EXPECT_EQ(m_song.Music().MusicLength(), longer);
    EXPECT_EQ(m_song.Music().RwMemory()[7], 0x5a);
    {
      WavInFile in(wav);
      ASSERT_TRUE(in.IsOpen());
      EXPECT_EQ(in.BitsPerSample(), c.bits);
      EXPECT_EQ(in.DataBytes(), longer);
      EXPECT_EQ(in.DataBytesInFile(), longer);
      std::string data(longer, '?');
      ASSERT_EQ(in.ReadDataBytes(reinterpret_cast<uint8_t*>(data.data()), longer), longer);
      EXPECT_EQ(data.substr(0, loaded), music);
      EXPECT_EQ(data.substr(loaded), std::string(longer - loaded, c.bits == 8 ? char(128) : '\0'));
    }

    ASSERT_TRUE(m_song.Music().LengthenMusic(loaded));
    EXPECT_EQ(m_song.Music().MusicLength(), loaded);
    EXPECT_EQ(m_song.Music().RwMemory()[7], 0x5a);
    WavInFile in(wav);
    std::string data(loaded + 16, '?');
    ASSERT_EQ(in.ReadDataBytes(reinterpret_cast<uint8_t*>(data.data()), data.size()), loaded);
    EXPECT_EQ(data.substr(0, loaded), music);
    EXPECT_EQ(in.Header().riffLength, std::filesystem::file_size(wav) - 8);
  }
}

TEST_F(SongTest, WordRectanglesFollowTheWordsAndDrawPageShowsTheLines) {
  Lyrics("alpha beta gamma\nsecond line");
  CalcWordRectangles(m_song);
  const auto& a = m_song.Lyrics().Word(0)->m_rect;
  const auto& b = m_song.Lyrics().Word(1)->m_rect;
  const auto& c = m_song.Lyrics().Word(3)->m_rect;
  EXPECT_LT(a.left, a.right);
  EXPECT_LT(a.top, a.bottom);
  EXPECT_GT(b.left, a.left);  // rectangles carry a trailing space, so they may touch
  EXPECT_GT(b.right, a.right);
  EXPECT_EQ(a.top, b.top);
  EXPECT_GT(c.top, a.top);  // the second row lies lower
  EXPECT_EQ(m_song.Lyrics().WordAtPoint((b.left + b.right) / 2, (b.top + b.bottom) / 2, 0), 1);

  CdgRenderer renderer;
  DrawPage(m_song, renderer, 1);  // no lines there: background only
  auto pixels = renderer.VisibleIndices();
  EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](uint8_t p) { return p == 15; }));
  DrawPage(m_song, renderer, 0);
  pixels = renderer.VisibleIndices();
  EXPECT_TRUE(std::any_of(pixels.begin(), pixels.end(), [](uint8_t p) { return p == 12; }));
  EXPECT_EQ(renderer.ColorAt(12), 0xFFFF80u);
}

TEST(SongInstance, OnlyOneIsCreated) {
  DestroySong();
  EXPECT_FALSE(HasSong());
  EXPECT_THROW(OpenSong(), std::logic_error);
  EXPECT_TRUE(CreateSong("/tmp/a.lfp"));
  EXPECT_FALSE(CreateSong("/tmp/b.lfp"));
  EXPECT_EQ(OpenSong().ProjectPath(), "/tmp/a.lfp");
  DestroySong();
}

// Each change is told once, after it is made; a value set again is no change.
TEST_F(SongTest, ObserversHearEachChangeOnce) {
  using C = SongChange;
  test::TempDir dir;
  m_song.SetProjectPath(dir.File("song.lfp"));
  std::vector<C> heard;
  const int id = m_song.AddObserver([&](C change) { heard.push_back(change); });
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<C> expected;
  };
  const Step steps[] = {
      {"first mark", [&] { m_song.SetModified(true); }, {C::Modified}},
      {"marked again",
       [&] {
         m_song.SetModified(true);
         m_song.Lyrics().SetRawLyrics("a b\nc");
       },
       {}},
      {"layout",
       [&] { m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true}); },
       {C::LinesRebuilt}},
      {"artist",
       [&] {
         m_song.Lyrics().SetArtist("Ann");
         m_song.Lyrics().SetArtist("Ann");
       },
       {C::Artist}},
      {"title", [&] { m_song.Lyrics().SetTitle("Song"); }, {C::Title}},
      {"duet labels",
       [&] {
         m_song.Lyrics().SetDuetLabel(1, "Bob");
         m_song.Lyrics().SetDuetLabel(1, "Bob");
         m_song.Lyrics().SetDuetLabel(3, "x");
       },
       {C::DuetLabels}},
      {"save", [&] { ASSERT_TRUE(m_song.SaveProject()); }, {C::Modified}},
      {"load",
       [&] { ASSERT_TRUE(m_song.LoadProject()); },
       {C::Modified, C::Artist, C::Title, C::DuetLabels, C::LinesRebuilt}},
      {"reset",
       [&] {
         m_song.SetModified(true);
         m_song.ResetSongDefaults();
       },
       {C::Modified, C::LinesRebuilt, C::Modified}},
      {"removed",
       [&] {
         m_song.RemoveObserver(id);
         m_song.Lyrics().SetTitle("other");
       },
       {}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    heard.clear();
    step.act();
    EXPECT_EQ(heard, step.expected);
  }
}

}  // namespace
}  // namespace lf
