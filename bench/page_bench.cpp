// Full-screen pages: a photograph-like 288 x 192 picture drawn with DrawPage
// through Fill Down (the default transition), and the other steps a picture
// page costs (quantisation, placement, encoding).
#include <benchmark/benchmark.h>

#include <vector>

#include "core/cdg/bitmap.h"
#include "core/cdg/rw_generator.h"

namespace {

using namespace lf;

// Smooth gradients with noise and a few shapes: many colours per cell, as in
// a photograph.
std::vector<uint32_t> PhotoPixels(int width, int height) {
  std::vector<uint32_t> pixels(size_t(width) * height);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      noise = noise * 1103515245u + 12345u;
      int n = int((noise >> 16) % 24) - 12;
      int dx = x - width / 3, dy = y - height / 2;
      bool sun = dx * dx + dy * dy < (height / 5) * (height / 5);
      auto clamp = [](int v) { return v < 0 ? 0 : v > 255 ? 255 : v; };
      int r = clamp((sun ? 250 : 40 + 150 * y / height) + n);
      int g = clamp((sun ? 220 : 80 + 100 * x / width) + n);
      int b = clamp((sun ? 60 : 200 - 120 * y / height) - n);
      pixels[size_t(y) * width + x] = 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
    }
  return pixels;
}

PageRecord PhotoPage() {
  PageRecord page;
  page.m_kind = TitlePage;
  auto pixels = PhotoPixels(288, 192);
  page.m_picture.SetPicture(288, 192, pixels.data());
  page.m_hasPicture = 1;
  page.m_drawTransition = FillDown;
  return page;
}

// The whole page into a fresh stream, as the song compiler draws it; the
// quantisation is cached after the first pass, as it is in a song.
void BM_DrawPagePhotoFillDown(benchmark::State& state) {
  PageRecord page = PhotoPage();
  std::vector<uint8_t> stream(7200 * 20, 0);
  int64_t packets = 0;
  for (auto _ : state) {
    std::fill(stream.begin(), stream.end(), 0);
    CdgGenerator generator(stream.data(), int32_t(stream.size()));
    benchmark::DoNotOptimize(generator.DrawPage(page, false, 0));
    for (size_t off = 0; off < stream.size(); off += kPacketSize) packets += stream[off] != 0;
  }
  state.counters["packets/page"] = benchmark::Counter(double(packets) / double(state.iterations()));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawPagePhotoFillDown)->Unit(benchmark::kMillisecond);

// Re-quantising with dithering (a new picture or a new mode).
void BM_QuantiseDithered(benchmark::State& state) {
  Bitmap picture;
  auto pixels = PhotoPixels(288, 192);
  picture.SetPicture(288, 192, pixels.data());
  int mode = 1;
  for (auto _ : state) {
    mode = mode == 1 ? 2 : 1;  // a mode change forces the quantisation
    benchmark::DoNotOptimize(picture.ToBitmap(mode));
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QuantiseDithered)->Unit(benchmark::kMillisecond);

// Palette building of a full-size picture.
void BM_BuildPalette(benchmark::State& state) {
  auto pixels = PhotoPixels(288, 192);
  Bitmap picture;
  for (auto _ : state) benchmark::DoNotOptimize(picture.SetPicture(288, 192, pixels.data()));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_BuildPalette)->Unit(benchmark::kMillisecond);

}  // namespace
