// Mutated project files through the loader, the line layout and the compiler:
// nothing may read outside its buffers (run under `make sanitize`), and a
// project that loads holds only values a song can use.
#include <gtest/gtest.h>

#include <memory>
#include <random>

#include "core/platform/settings.h"
#include "core/song/binary_reader.h"
#include "core/song/song.h"
#include "core/song/song_compiler.h"
#include "tests/support/cli_runner.h"
#include "tests/support/fuzz_input.h"

namespace lf {
namespace {

// A project with something in each part: texts, pages, timed lines and words.
// With `extreme`, the last line's page and the first word's times take it.
std::string SeedProject(const std::string& path, int32_t extreme = 0) {
  Song song(path);
  song.ResetSongDefaults();
  song.Lyrics().SetRawLyrics("Twin*kle twinkle little star\n&how I wonder\n^\n!what you are\ncaf\xC3\xA9 &&rock");
  song.Lyrics().SetTitle("Title");
  song.Lyrics().SetArtist("Artist");
  song.Look().PageByKind(TitlePage)->m_enabled = 1;
  song.Look().PageByKind(TitlePage)->m_pageText = "Title\nArtist";
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  for (int i = 0; i < song.Lyrics().WordCount(); ++i) {
    song.Lyrics().SetWordStart(i, 44100 * (i + 1));
    song.Lyrics().SetWordEnd(i, 44100 * (i + 1) + 30000);
  }
  if (extreme != 0) {
    song.Lyrics().EditLines([extreme](KaraokeLineList& lines) { lines.lines.back()->m_page = extreme; });
    song.Lyrics().SetWordTimes(0, extreme, extreme);
  }
  EXPECT_TRUE(song.SaveProject());
  return test::ReadFileBytes(path);
}

TEST(ProjectFuzz, MutatedProjectsLoadWithUsableValuesOrFail) {
  SetAppSettings(std::make_unique<MemorySettings>());
  test::TempDir dir;
  const std::string seed = SeedProject(dir.File("seed.lfp"));
  std::string hugePages = seed;  // lines per page 0x20000004: once a minute-long, 4 GB layout
  StoreInt32(reinterpret_cast<uint8_t*>(&hugePages[8]), 0x20000004);
  std::string extremes = seed;  // sweep advance INT_MAX (an overflow in the sweeps), as a hand-made file has
  StoreInt32(reinterpret_cast<uint8_t*>(&extremes[20]), INT32_MAX);
  const std::string lateWords = SeedProject(dir.File("late.lfp"), INT32_MAX);  // a line page and times of INT_MAX
  // The page blocks are mostly picture bytes: the texts before them and the
  // lines after them are where the counts and indices are.
  constexpr size_t kHead = 400, kTail = 3000;
  ASSERT_GT(seed.size(), kHead + kTail);

  std::mt19937 rng(18181818);
  Song song(dir.File("fuzz.lfp"));
  std::vector<uint8_t> buffer(60 * 300 * 24);
  const int n = test::FuzzIterations(150);
  int loaded = 0;
  for (int i = 0; i < n; ++i) {
    const std::string& base = i % 5 == 0 ? hugePages : i % 5 == 2 ? extremes : i % 5 == 4 ? lateWords : seed;
    std::string head = base.substr(0, kHead), middle = base.substr(kHead, base.size() - kHead - kTail),
                tail = base.substr(base.size() - kTail);
    if (i % 3 != 1) head = test::Mutate(head, rng);
    if (i % 3 != 0) tail = test::Mutate(tail, rng);
    test::WriteFileBytes(dir.File("fuzz.lfp"), head + middle + tail);
    if (!song.LoadProject()) continue;
    ++loaded;
    ASSERT_GE(song.Look().LinesPerPage(), 1) << "iteration " << i;
    ASSERT_LE(song.Look().LinesPerPage(), kDrawRows) << "iteration " << i;
    ASSERT_GE(song.Look().Settings().sweepAdvance, -500) << "iteration " << i;
    ASSERT_LE(song.Look().Settings().sweepAdvance, 0) << "iteration " << i;
    for (const auto& line : song.Lyrics().Lines())
      ASSERT_LE(line->m_page, song.Lyrics().LineCount()) << "iteration " << i;
    song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
    if (loaded % 10 == 1) CompileSong(song, buffer.data(), static_cast<uint32_t>(buffer.size()), kCompileEverything);
  }
  EXPECT_GT(loaded, 0) << "the mutations never left a loadable project";
}

}  // namespace
}  // namespace lf
