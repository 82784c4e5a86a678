#include "core/song/song_build.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/platform/settings.h"
#include "core/song/song.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

constexpr int kRate = 44100;

// Asks for cancel once it has been polled `polls` times; keeps what it was told.
class CancelAfter : public ProgressSink {
 public:
  explicit CancelAfter(long polls) : m_polls(polls) {}
  void Report(int percent) override { reports.push_back(percent); }
  bool CancelRequested() const override { return ++m_seen > m_polls; }
  long Seen() const { return m_seen; }
  std::vector<int> reports;

 private:
  long m_polls;
  mutable long m_seen = 0;
};

// Everything a build could change in the song and beside it.
struct SongState {
  std::vector<std::tuple<SampleTime, SampleTime>> lineTimes, wordTimes;
  int32_t intro = 0;
  uint32_t credits = 0, musicLength = 0;
  std::vector<uint8_t> buffer;
  std::string workingMusic;

  static SongState Of(const Song& song) {
    SongState s;
    for (const auto& line : song.Lyrics().Lines()) {
      s.lineTimes.emplace_back(line->m_startTime, line->m_endTime);
      for (const KaraokeWord* word : line->m_words) s.wordTimes.emplace_back(word->m_startTime, word->m_endTime);
    }
    s.intro = song.Music().IntroLength();
    s.credits = song.Music().CreditsLength();
    s.musicLength = song.Music().MusicLength();
    s.buffer.assign(song.Music().RwMemory(), song.Music().RwMemory() + song.Music().RwMemorySize());
    s.workingMusic = test::ReadFileBytes(song.Music().WorkingMusicPath());
    return s;
  }
  bool operator==(const SongState&) const = default;
};

// A six-second song whose last words and credits run past its music, so a
// finished build lengthens the working music.
class SongBuildTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetAppSettings(std::make_unique<MemorySettings>());
    m_song.ResetSongDefaults();
    test::WriteToneWav(m_dir.File("music.wav"), 6.0);
    m_song.SetMusicPath(m_dir.File("music.wav"));
    m_song.Look().PageByKind(TitlePage)->m_enabled = 1;
    m_song.Look().PageByKind(CreditsPage)->m_enabled = 1;
    m_song.Lyrics().SetRawLyrics("one two three\nfour five");
    m_song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
    for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) {
      m_song.Lyrics().SetWordStart(i, (1 + i) * kRate);
      m_song.Lyrics().SetWordEnd(i, (1 + i) * kRate + kRate / 2);
      m_song.Lyrics().Word(i)->m_line->m_placed = true;
    }
    m_context.workingFolder = m_work.Path();
  }

  test::TempDir m_dir, m_work;
  Song m_song{"/tmp/none.lfp"};
  MusicPreparationContext m_context;
};

TEST_F(SongBuildTest, CancelMidCompileLeavesNoStreamAndTheSongAsItWas) {
  MusicState music;
  ASSERT_TRUE(PrepareSongMusic(m_song, m_context, music)) << music.musicErrorText;
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});  // the layout every build starts with
  const SongState before = SongState::Of(m_song);

  const long cancelPolls[] = {0, 1, 40, 400, 4000};
  for (long polls : cancelPolls) {
    SCOPED_TRACE(polls);
    CancelAfter progress(polls);
    const SongBuild cancelled = CompileSongStream(m_song, &progress);
    EXPECT_EQ(cancelled.reason, Reason::Cancelled);
    EXPECT_EQ(cancelled.stream, nullptr);
    EXPECT_TRUE(SongState::Of(m_song) == before) << "times, lengths, buffer or working music changed";
  }

  // The same build left alone runs to the end, past every cancel point above.
  CancelAfter never(1L << 40);
  const SongBuild built = CompileSongStream(m_song, &never);
  ASSERT_TRUE(built) << built.detail;
  EXPECT_GT(never.Seen(), cancelPolls[std::size(cancelPolls) - 1]);
  EXPECT_TRUE(std::is_sorted(never.reports.begin(), never.reports.end()));
  EXPECT_EQ(never.reports.back(), 100);
  EXPECT_GT(m_song.Music().MusicLength(), before.musicLength) << "the credits run past the music";
  ASSERT_EQ(built.stream->size(), m_song.Music().RwMemorySize()) << "the stream follows the lengthened buffer";
  EXPECT_LE(built.UsedBytes(), built.stream->size());

  // The build writes what the song's own compilation writes, and a later build
  // leaves the stream a player holds as it was.
  const std::vector<uint8_t> held = *built.stream;
  const CompileResult direct = CompileWholeSong(m_song);
  EXPECT_EQ(direct.endOffset, built.result.endOffset);
  EXPECT_EQ(direct.leadIn, built.result.leadIn);
  EXPECT_TRUE(std::equal(held.begin(), held.end(), m_song.Music().RwMemory()));
  m_song.Lyrics().SetWordStart(0, m_song.Lyrics().Word(0)->m_startTime + kRate);
  ASSERT_TRUE(CompileSongStream(m_song));
  EXPECT_EQ(*built.stream, held);
}

// The compiler only reads: the song, its buffer and its working music stay as
// they were until the caller keeps what the compilation worked out, which
// then equals a compilation the song keeps at once.
TEST_F(SongBuildTest, CompilingReadsTheSongAndTheCallerKeepsWhatItWorkedOut) {
  MusicState music;
  ASSERT_TRUE(PrepareSongMusic(m_song, m_context, music)) << music.musicErrorText;
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  const SongState before = SongState::Of(m_song);

  std::vector<uint8_t> stream(m_song.Music().RwMemorySize());
  const CompileResult read =
      CompileSong(m_song, stream.data(), static_cast<uint32_t>(stream.size()), kCompileEverything);
  EXPECT_TRUE(SongState::Of(m_song) == before) << "the compilation wrote into the song";
  ASSERT_EQ(read.times.lines.size(), static_cast<size_t>(m_song.Lyrics().LineCount()));
  EXPECT_GT(read.times.musicBytes, before.musicLength) << "the credits run past the music";

  KeepCompiledTimes(m_song, read.times);
  ASSERT_TRUE(FitWorkingMusic(m_song, read.times));
  const SongState kept = SongState::Of(m_song);
  EXPECT_EQ(m_song.Music().MusicLength(), read.times.musicBytes);

  std::vector<uint8_t> second(m_song.Music().RwMemorySize());
  const CompileResult direct =
      CompileAndKeep(m_song, second.data(), static_cast<uint32_t>(second.size()), kCompileEverything);
  EXPECT_EQ(direct.endOffset, read.endOffset);
  EXPECT_EQ(direct.leadIn, read.leadIn);
  EXPECT_TRUE(SongState::Of(m_song) == kept) << "keeping the times by hand differs from a kept compilation";
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), second.begin()));
}

TEST_F(SongBuildTest, MusicThatCannotBePreparedFailsBeforeAnythingIsCompiled) {
  test::WriteFileBytes(m_dir.File("words.mp3"), "not music at all");
  struct Case {
    std::string music;
    Reason reason;
  };
  const Case cases[] = {{m_dir.File("missing.wav"), Reason::NotFound}, {m_dir.File("words.mp3"), Reason::BadInput}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.music);
    m_song.SetMusicPath(c.music);
    const SongBuild build = BuildSong(m_song, m_context);
    EXPECT_EQ(build.reason, c.reason);
    EXPECT_FALSE(build.text.empty()) << "the music error text is the message";
    EXPECT_EQ(build.stream, nullptr);
    EXPECT_EQ(m_song.Music().IntroLength(), 0) << "nothing was compiled";
  }
  // Without music the stream is sized to the lyrics.
  m_song.SetMusicPath("");
  m_song.Music().SetWorkingMusicPath("");
  const SongBuild lyricsOnly = BuildSong(m_song, m_context);
  ASSERT_TRUE(lyricsOnly) << lyricsOnly.detail;
  EXPECT_GT(lyricsOnly.result.endOffset, 0u);
  EXPECT_EQ(lyricsOnly.UsedBytes(), lyricsOnly.result.endOffset);
}

}  // namespace
}  // namespace lf
