// The timed lyrics read off a real song: the demo project, made a duet, with
// one line sung by singer 2, one by both and one fixed.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/lyrics/timed_lyrics.h"
#include "core/platform/message_sink.h"
#include "core/platform/paths.h"
#include "core/song/song.h"
#include "core/song/song_build.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

const std::string kCli = LYRICFORGE_CLI_PATH;

class TimedLyricsFromSongTest : public ::testing::Test {
 protected:
  void SetUp() override {
    int status = -1;
    test::RunCommand(kCli + " synth-demo -o " + m_dir.Path() + "/music.wav --lrc " + m_dir.Path() + "/demo.lrc 2>&1",
                     &status);
    ASSERT_EQ(status, 0);
    test::RunCommand(kCli + " new -o " + m_dir.Path() + "/demo.lfp --music " + m_dir.Path() + "/music.wav --lyrics " +
                         m_dir.Path() + "/demo.lrc 2>&1",
                     &status);
    ASSERT_EQ(status, 0);
    m_song = std::make_unique<Song>(m_dir.Path() + "/demo.lfp");
    ASSERT_TRUE(m_song->LoadProject());
    std::filesystem::copy_file(m_dir.Path() + "/music.wav", m_dir.Path() + "/working.wav");
    m_song->Music().SetWorkingMusicPath(m_dir.Path() + "/working.wav");
    m_song->Music().AllocateRwMemory(true);
  }

  // Sings line 2 as singer 2, line 3 as both, and fixes line 4 ('!').
  void MakeDuet() {
    m_song->Look().Settings().singerMode = 2;
    m_song->Lyrics().SetDuetLabel(0, "Ann");
    m_song->Lyrics().SetLineColor(1, ColorIndexSinger2);
    m_song->Lyrics().SetLineColor(2, ColorIndexDuet);
    std::string raw = m_song->Lyrics().RawLyrics();
    size_t at = 0;
    for (int line = 0; line < 3; ++line) at = raw.find('\n', at) + 1;
    raw.insert(at, "!");
    m_song->Lyrics().SetRawLyrics(raw);
  }

  ScopedTempFolder m_dir{"timed-lyrics-test"};
  ScopedMessageRecorder m_recorder;
  std::unique_ptr<Song> m_song;
};

TEST_F(TimedLyricsFromSongTest, LinesKeepSingersFixedLinesTimesAndScreenWindows) {
  MakeDuet();
  const SongBuild build = CompileSongStream(*m_song);
  ASSERT_TRUE(build) << build.detail;
  const TimedLyrics music = TimedLyricsFromSong(*m_song, &build.result.times);
  ASSERT_EQ(music.lines.size(), size_t(m_song->Lyrics().LineCount()));
  EXPECT_TRUE(music.duet);
  EXPECT_EQ(music.singerNames[0], "Ann");
  EXPECT_EQ(music.title, m_song->Lyrics().Title());
  const Singer singers[] = {Singer::kSinger1, Singer::kSinger2, Singer::kBoth, Singer::kSinger1};
  for (size_t i = 0; i < 4; ++i) {
    EXPECT_EQ(music.lines[i].singer, singers[i]) << i;
    EXPECT_EQ(music.lines[i].fixed, i == 3) << i;
  }
  // The demo's words, as its lyric file times them (ms of the music).
  EXPECT_EQ(music.lines[0].Text(), "Twinkle, twinkle, little star,");
  EXPECT_EQ(music.lines[0].words[0].start, 2000);
  EXPECT_EQ(music.lines[1].words[0].start, 6000);
  EXPECT_EQ(music.lines[1].words[1].start, 6500);
  for (const TimedLine& line : music.lines) {
    ASSERT_NE(line.show, kUntimed);
    EXPECT_LT(line.show, line.erase);
    if (line.FirstStart() != kUntimed) {
      EXPECT_LE(line.show, line.FirstStart());
    }
  }
  // The exported audio's timeline: every time later by the lead-in.
  const Millis leadIn =
      (int64_t(build.result.leadIn) * 1000 + m_song->Music().SampleRate() / 2) / m_song->Music().SampleRate();
  ASSERT_GT(leadIn, 0);
  const TimedLyrics exported = TimedLyricsFromSong(*m_song, &build.result.times, {TimingBase::kExport, leadIn});
  for (size_t i = 0; i < music.lines.size(); ++i) {
    EXPECT_EQ(exported.lines[i].show, music.lines[i].show + leadIn);
    for (size_t w = 0; w < music.lines[i].words.size(); ++w) {
      if (!music.lines[i].words[w].IsTimed()) continue;
      EXPECT_EQ(exported.lines[i].words[w].start, music.lines[i].words[w].start + leadIn);
      EXPECT_EQ(exported.lines[i].words[w].end, music.lines[i].words[w].end + leadIn);
    }
  }
  // The lyrics page's colours: each singer's, and the sweep.
  const auto palette = SongLook::PageColors(*m_song->Look().PageByKind(LyricsPage));
  const auto rgb = [](Colorref c) { return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF); };
  EXPECT_EQ(music.look.lineColors[1], rgb(palette[ColorIndexSinger2]));
  EXPECT_EQ(music.look.sweepColor, rgb(palette[ColorIndexSweep]));
}

TEST_F(TimedLyricsFromSongTest, ASoloSongSingsEveryLineAsSingerOne) {
  m_song->Lyrics().SetLineColor(1, ColorIndexSinger2);
  const TimedLyrics lyrics = TimedLyricsFromSong(*m_song, nullptr);
  for (const TimedLine& line : lyrics.lines) {
    EXPECT_EQ(line.singer, Singer::kSinger1);
    EXPECT_EQ(line.show, kUntimed);  // not compiled
  }
  EXPECT_FALSE(lyrics.duet);
}

}  // namespace
}  // namespace lf
