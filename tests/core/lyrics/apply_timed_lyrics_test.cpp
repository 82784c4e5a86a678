#include "core/lyrics/apply_timed_lyrics.h"

#include <gtest/gtest.h>

#include <tuple>

#include "core/lyrics/apply_lyrics_import.h"
#include "core/lyrics/lyrics_import.h"
#include "core/lyrics/timed_raw_text.h"
#include "core/platform/paths.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

TimedWord Word(std::string text, Millis start = kUntimed, Millis end = kUntimed, bool joins = false) {
  return {std::move(text), start, end, joins};
}

// Every kind of line the editor's markers can say, as the song takes it.
TEST(ApplyTimedLyrics, MarkersSingersTimesAndNamesReachTheSong) {
  TimedLyrics lyrics;
  lyrics.title = "Tide";
  lyrics.artist = "Ann and Bo";
  lyrics.singerNames = {"Ann", "Bo", ""};
  lyrics.lines = {
      {{Word("Hel", 0, 250), Word("lo", 250, 500, true), Word("ice cream", 600, 1000)}, Singer::kSinger1},
      {{Word("!yes", 1000, 1500)}, Singer::kSinger2},
      {{Word("all", 2000, 2500)}, Singer::kBoth, false, true},
      {{Word("Chorus")}, Singer::kSinger2, true},
      {{}, Singer::kSinger1},
      {{Word("late", 3000, 4000), Word("unsung")}, Singer::kSinger1},
  };
  Song song;
  song.Lyrics().SetTitle("Mine");
  ASSERT_TRUE(ApplyTimedLyrics(lyrics, song).Ok());
  EXPECT_EQ(song.Lyrics().RawLyrics(), "Hel*lo ice_cream\n&!yes\n^\nall\n!Chorus\n\nlate unsung");
  EXPECT_TRUE(song.Look().IsDuet());
  EXPECT_EQ(song.Lyrics().Title(), "Mine");  // the author's own title stays
  EXPECT_EQ(song.Lyrics().Artist(), "Ann and Bo");
  EXPECT_EQ(song.Lyrics().DuetLabel(1), "Bo");

  const auto& lines = song.Lyrics().LineList().lines;
  ASSERT_EQ(lines.size(), 6u);
  const int colors[] = {ColorIndexSinger1, ColorIndexSinger2, ColorIndexDuet,
                        ColorIndexFixed,   ColorIndexSinger1, ColorIndexSinger1};
  for (size_t i = 0; i < lines.size(); ++i) EXPECT_EQ(lines[i]->m_colorIndex, colors[i]) << i;
  EXPECT_TRUE(lines[1]->m_singer2);
  EXPECT_EQ(lines[1]->m_text, "!yes");
  EXPECT_TRUE(lines[2]->m_newPage);
  EXPECT_TRUE(lines[3]->m_fixed);
  EXPECT_EQ(lines[0]->m_text, "Hello ice cream");
  // Milliseconds become frames at 44,100 Hz; a word at 0 takes the first frame.
  const auto& first = lines[0]->m_words;
  ASSERT_EQ(first.size(), 3u);
  EXPECT_EQ(first[0]->m_startTime, 1);
  EXPECT_EQ(first[0]->m_endTime, 11025);
  EXPECT_TRUE(first[1]->m_flags & KaraokeWord::kJoinsPrevious);
  EXPECT_EQ(first[2]->m_startTime, 26460);
  EXPECT_EQ(first[2]->m_endTime, 44100);
  EXPECT_TRUE(lines[0]->m_placed);
  EXPECT_FALSE(lines[3]->m_placed);
  EXPECT_EQ(lines[5]->m_words[0]->m_startTime, 132300);
  EXPECT_FALSE(lines[5]->m_words[1]->IsPlaced());
  EXPECT_TRUE(song.IsModified());
}

TEST(ApplyTimedLyrics, TextTheLyricsCannotHoldChangesNothing) {
  const char* unwritable[] = {"f*ck", "page^break", "snake_case", "", "two\nlines"};
  for (const char* text : unwritable) {
    TimedLyrics lyrics;
    lyrics.lines = {{{Word(text, 0, 100)}}};
    Song song;
    song.Lyrics().SetRawLyrics("kept");
    const Outcome o = ApplyTimedLyrics(lyrics, song);
    EXPECT_EQ(o.reason, Reason::BadInput) << text;
    EXPECT_EQ(song.Lyrics().RawLyrics(), "kept") << text;
  }
  // A singer-1 line may not start with a mark; a singer-2 line may start with '!'.
  using Start = std::tuple<const char*, Singer, bool>;
  for (const auto& [first, singer, ok] : {Start{"&x", Singer::kSinger1, false}, Start{"!x", Singer::kBoth, false},
                                          Start{"&x", Singer::kSinger2, false}, Start{"!x", Singer::kSinger2, true}}) {
    TimedLine line{{Word(first)}, singer};
    EXPECT_EQ(RawLineProblem(line).empty(), ok) << first;
  }
}

// LRC singer marks of both kinds: the lines' singers, and the song a duet.
TEST(ApplyTimedLyrics, LrcSingerMarksBecomeLineSingers) {
  ScopedTempFolder dir("apply-timed-lyrics-test");
  const std::string path = dir.File("duet.lrc");
  test::WriteFileBytes(path,
                       "[00:01.00]v1:one\n[00:02.00]v2:two\n[00:03.00]D:three\n[00:04.00]M:four\n[00:04.00]F:tr\n");
  const LyricsImport import = ImportLyricsFile(path);
  ASSERT_TRUE(import.Ok()) << import.outcome.text;
  EXPECT_EQ(import.text, "one\n&two\nthree\nfour\n!tr\n");
  Song song;
  ASSERT_TRUE(ApplyLyricsImport(import, song));
  EXPECT_TRUE(song.Look().IsDuet());
  const auto& lines = song.Lyrics().LineList().lines;
  ASSERT_GE(lines.size(), 5u);
  const int colors[] = {ColorIndexSinger1, ColorIndexSinger2, ColorIndexDuet, ColorIndexSinger1, ColorIndexFixed};
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(lines[i]->m_colorIndex, colors[i]) << i;
  EXPECT_EQ(lines[1]->m_words.at(0)->m_startTime, 2 * 44100);
}

}  // namespace
}  // namespace lf
