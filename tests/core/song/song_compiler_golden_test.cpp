// A fixed song compiles to a fixed stream. When a change to drawing or
// compiling alters the output, this checksum changes and the new value is
// reviewed with the change: run with LF_GOLDEN_STREAM=/tmp/g.cdg, look at
// frames with `lyricforge-cli render /tmp/g.cdg --at SECONDS`, then take the
// printed figures.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/song/song.h"
#include "core/song/song_compiler.h"

namespace lf {
namespace {

uint64_t Fnv1a(const uint8_t* data, size_t size) {
  uint64_t hash = 1469598103934665603ULL;
  for (size_t i = 0; i < size; ++i) {
    hash ^= data[i];
    hash *= 1099511628211ULL;
  }
  return hash;
}

// A 160 x 100 picture of colour bands and a diagonal, made here so the test
// needs no image file.
std::vector<uint32_t> BandPicture(int width, int height) {
  std::vector<uint32_t> argb(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t r = (x * 255 / width) & 0xC0, g = (y * 255 / height) & 0xC0;
      const uint32_t b = (x + y) % 40 < 4 ? 0xFF : 0x40;
      argb[static_cast<size_t>(y) * width + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  return argb;
}

void BuildGoldenSong(Song& song) {
  song.ResetSongDefaults();
  song.Look().Settings().singerMode = 2;
  song.Lyrics().SetDuetLabel(0, "Ann");
  song.Lyrics().SetDuetLabel(1, "Bob");
  song.Lyrics().SetDuetLabel(2, "Both");

  PageRecord* title = song.Look().PageByKind(TitlePage);
  title->m_enabled = 1;
  title->m_pageText = "Golden Song\nTest Singers";
  title->m_style.m_flags |= kTextOutline;
  title->m_drawTransition = BlockDissolve;
  title->m_holdTime = 150;

  PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  const auto picture = BandPicture(160, 100);
  // A picture brings its own colours; the page keeps its text colours (8-15).
  const auto pageColors = lyrics->m_picture.PaletteColors();
  ASSERT_TRUE(lyrics->m_picture.SetPicture(160, 100, picture.data()));
  for (int i = 8; i < kColorCount; ++i) lyrics->m_picture.SetPaletteColor(i, pageColors[i]);
  lyrics->m_hasPicture = 1;
  lyrics->m_lyricsArea = 50;
  lyrics->m_placement = PlacementCenter;

  song.Lyrics().SetRawLyrics("Row row row your boat\n&Gent*ly down the stream\n!Mer*ri*ly\nLife is but a dream");
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  for (int i = 0; i < song.Lyrics().WordCount(); ++i) {
    song.Lyrics().SetWordTimes(i, 44100 * 3 + i * 30000, 44100 * 3 + i * 30000 + 25000);
    song.Lyrics().SetLinePlaced(song.Lyrics().IndexOfLine(song.Lyrics().Word(i)->m_line), true);
  }
}

TEST(SongCompilerGolden, FixedSongCompilesToTheKnownStream) {
  Song song;
  BuildGoldenSong(song);
  std::vector<uint8_t> stream(kStreamBytesPerSecond * 60, 0);
  CompileOptions options;
  options.dissolveSeed = 1234;
  const CompileResult result =
      CompileSong(song, stream.data(), static_cast<uint32_t>(stream.size()), kCompileEverything, options);
  ASSERT_LE(result.endOffset, stream.size());
  const uint64_t checksum = Fnv1a(stream.data(), result.endOffset);
  // LF_GOLDEN_STREAM=path keeps the stream for `lyricforge-cli render`.
  if (const char* keep = std::getenv("LF_GOLDEN_STREAM")) {
    if (FILE* f = std::fopen(keep, "wb")) {
      std::fwrite(stream.data(), 1, result.endOffset, f);
      std::fclose(f);
    }
  }
  std::printf("leadIn %d endOffset %u checksum %016llx\n", result.leadIn, result.endOffset,
              static_cast<unsigned long long>(checksum));
  EXPECT_EQ(result.leadIn, 591969);
  EXPECT_EQ(result.endOffset, 233664u);
  EXPECT_EQ(checksum, 0x9046af18b13ce454ULL);
}

}  // namespace
}  // namespace lf
