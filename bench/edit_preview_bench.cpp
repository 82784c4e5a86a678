// The Edit Lyrics page after each key press: the raw lyrics laid out again
// and the shown page redrawn on the preview. Must stay well under 5 ms for a
// 200-line song so the preview follows typing.
#include <benchmark/benchmark.h>

#include <string>

#include "core/playback/rw_renderer.h"
#include "core/song/settings_preview.h"
#include "core/song/song.h"
#include "core/song/song_drawing.h"

namespace {

std::string SongLyrics(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) {
    if (i % 4 == 0 && i > 0) text += "^\n";
    text += "Twin*kle twin*kle lit*tle star how I won*der " + std::to_string(i) + "\n";
  }
  return text;
}

void BM_EditPreviewRelayoutAndRedraw(benchmark::State& state) {
  lf::Song song;
  song.ResetSongDefaults();
  const std::string lyrics = SongLyrics(static_cast<int>(state.range(0)));
  lf::CdgRenderer renderer;
  int key = 0;
  for (auto _ : state) {
    // One typed character more each time, as the editor hands it over.
    song.SetRawLyrics(lyrics + std::string(1 + key++ % 8, 'a'));
    song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
    DrawPage(song, renderer, song.LastPage() / 2);
    benchmark::DoNotOptimize(renderer.PixelAt(100, 100));
  }
  state.counters["pages"] = song.LastPage() + 1;
}
// 200 lines: a long song; 120,000 lines: a 5 MB paste.
BENCHMARK(BM_EditPreviewRelayoutAndRedraw)->Arg(200)->Arg(120000)->Unit(benchmark::kMillisecond);

void BM_LyricsSettingsPreview(benchmark::State& state) {
  lf::Song song;
  song.ResetSongDefaults();
  lf::CdgRenderer renderer;
  for (auto _ : state) lf::DrawLyricsPreview(song, renderer);
}
BENCHMARK(BM_LyricsSettingsPreview)->Unit(benchmark::kMillisecond);

}  // namespace
