// Lyric lines as the song compiler draws them: a 30-character line at height
// 24 with outline, drawn and swept into a memory stream.
#include <benchmark/benchmark.h>

#include <vector>

#include "core/cdg/rw_generator.h"

namespace {

constexpr const char* kLine = "Tonight we sing under the moon";  // 30 characters
constexpr int kBackground = 15, kSweep = 14;

lf::TextType BenchLineStyle() {
  lf::TextType style;
  style.SetFaceName("Arial");
  style.m_height = 24;
  style.m_flags = lf::kTextOutline;
  style.m_hAlign = lf::kAlignCenter;
  style.m_vAlign = lf::kAlignVCenter;
  style.m_color = 12;
  style.m_outlineColor = 13;
  style.m_backgroundColor = kBackground;
  return style;
}

// One second of stream per operation, cleared when it fills up.
struct BenchStream {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(lf::kStreamBytesPerSecond * 60, 0);
  int offset = 0;
  int Next(int span) {
    if (offset + 2 * span >= static_cast<int>(bytes.size())) {
      std::fill(bytes.begin(), bytes.end(), 0);
      offset = 0;
    }
    const int at = offset;
    offset += span;
    return at;
  }
};

void BM_DrawText(benchmark::State& state) {
  BenchStream stream;
  lf::CdgGenerator gen(stream.bytes.data(), static_cast<int32_t>(stream.bytes.size()));
  const lf::TextType style = BenchLineStyle();
  for (auto _ : state) {
    const int written = gen.DrawText(4, 1, kLine, style, kBackground, stream.Next(lf::kStreamBytesPerSecond));
    benchmark::DoNotOptimize(written);
  }
  state.counters["ops/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawText);

void BM_SweepText(benchmark::State& state) {
  BenchStream stream;
  lf::CdgGenerator gen(stream.bytes.data(), static_cast<int32_t>(stream.bytes.size()));
  const lf::TextType style = BenchLineStyle();
  for (auto _ : state) {
    const int at = stream.Next(lf::kStreamBytesPerSecond);
    const int written = gen.SweepText(4, 1, kLine, 0, 29, style, kBackground, kSweep, false, at,
                                      at + lf::kStreamBytesPerSecond, nullptr);
    benchmark::DoNotOptimize(written);
  }
  state.counters["ops/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_SweepText);

}  // namespace
