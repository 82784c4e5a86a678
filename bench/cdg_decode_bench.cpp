// Decoding speed of a five-minute packet stream: our decoder and renderer
// against FFmpeg's CD+G decoder on the same file.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/cdg_stream_file.h"
#include "core/playback/cdg_decoder.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"

namespace lf {
namespace {

constexpr size_t kStreamSlots = 5 * 60 * kPacketsPerSecond;

// A song-like stream, busy as dense karaoke graphics are: every 10 seconds a
// new page (colour tables, a preset burst, border, eight lines of two-colour
// text: each tile drawn, then its outline XORed in), each line swept tile by
// tile with XOR tiles, the page leaving by scrolling. Nine slots in ten carry a packet.
std::vector<uint8_t> RealisticStream() {
  std::vector<uint8_t> stream(kStreamSlots * kPacketSize, 0);
  std::mt19937 rng(7);
  size_t slot = 0;
  auto put = [&](const CdgPacket& p) {
    if (slot < kStreamSlots) std::memcpy(&stream[slot * kPacketSize], &p, kPacketSize);
    ++slot;
  };
  auto glyph = [&] {
    CdgTileRows rows;
    for (auto& b : rows.bits) b = static_cast<uint8_t>(rng() & 0x3F);
    return rows;
  };
  const size_t pageSlots = 10 * kPacketsPerSecond;
  for (size_t page = 0; page * pageSlots < kStreamSlots; ++page) {
    slot = page * pageSlots;
    Colorref low[8], high[8];
    for (int i = 0; i < 8; ++i) {
      low[i] = MakeRgb(static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()));
      high[i] = MakeRgb(static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()), static_cast<uint8_t>(rng()));
    }
    put(MakeLoadColorTable(CdgInstruction::LoadColorTableLow, low));
    put(MakeLoadColorTable(CdgInstruction::LoadColorTableHigh, high));
    for (int i = 0; i < 16; ++i) put(MakeMemoryPreset(15, i));
    put(MakeBorderPreset(11));
    for (int row = 1; row <= kDrawRows; ++row)
      for (int column = 1; column <= kDrawColumns; ++column) {
        put(MakeTileBlock(CdgInstruction::TileBlockNormal, 15, 12, row, column, glyph()));
        put(MakeTileBlock(CdgInstruction::TileBlockXor, 0, 12 ^ 13, row, column, glyph()));
      }
    // The sweep, line by line (two tile rows), with singing time between steps.
    for (int row = 1; row <= kDrawRows; row += 2)
      for (int column = 1; column <= kDrawColumns; ++column) {
        put(MakeTileBlock(CdgInstruction::TileBlockXor, 0, 12 ^ 14, row, column, glyph()));
        put(MakeTileBlock(CdgInstruction::TileBlockXor, 0, 12 ^ 14, row + 1, column, glyph()));
        slot += rng() % 2;
      }
    // The page leaves: scroll presets upwards, and a copy back and forth.
    for (int i = 0; i < 16; ++i) put(MakeScroll(CdgInstruction::ScrollPreset, 15, 0, 0, kScrollUp, 0));
    put(MakeScroll(CdgInstruction::ScrollCopy, 0, kScrollLeft, 0, 0, 0));
    put(MakeScroll(CdgInstruction::ScrollCopy, 0, kScrollRight, 0, 0, 0));
  }
  return stream;
}

size_t GraphicsPackets(const std::vector<uint8_t>& stream) {
  size_t n = 0;
  for (size_t k = 0; k < stream.size(); k += kPacketSize) n += IsGraphicsCommand(stream[k]);
  return n;
}

const std::vector<uint8_t>& Stream() {
  static const std::vector<uint8_t> stream = RealisticStream();
  return stream;
}

// A window that only takes note of what it is told changed.
class CountingView : public RendererView {
 public:
  void ScreenChanged(const ScreenRect& region) override { area += region.Width() * region.Height(); }
  int64_t area = 0;
};

// As the play loop decodes once it runs: a batch per 10 ms pass (3 slots),
// each presented to a view.
void BM_DecodeFiveMinutesShown(benchmark::State& state) {
  const std::vector<uint8_t>& stream = Stream();
  constexpr size_t kSlotsPerPass = kPacketsPerSecond / 100;
  for (auto _ : state) {
    CdgRenderer renderer;
    CountingView view;
    renderer.AttachView(&view);
    CdgDecoder decoder;
    for (size_t k = 0; k < kStreamSlots; k += kSlotsPerPass) {
      decoder.DecodeSlots(stream.data(), stream.size(), k, k + kSlotsPerPass, renderer);
      renderer.Present();
    }
    benchmark::DoNotOptimize(view.area);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * GraphicsPackets(stream)));
}
BENCHMARK(BM_DecodeFiveMinutesShown)->Unit(benchmark::kMillisecond);

void BM_DecodeFiveMinutes(benchmark::State& state) {
  const std::vector<uint8_t>& stream = Stream();
  for (auto _ : state) {
    CdgRenderer renderer;
    DecodeStreamPrefix(renderer, stream.data(), stream.size(), kStreamSlots);
    benchmark::DoNotOptimize(renderer.PixelAt(100, 100));
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * GraphicsPackets(stream)));
  state.counters["graphics_packets"] = static_cast<double>(GraphicsPackets(stream));
}
BENCHMARK(BM_DecodeFiveMinutes)->Unit(benchmark::kMillisecond);

double SecondsOf(const std::function<void()>& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool RunFfmpeg(const std::string& path) {
  const std::string command = "ffmpeg -nostdin -v error -f cdg -i '" + path + "' -f null - >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

// The same file through both decoders, from reading it to the last packet.
// FFmpeg runs as a separate program, so its time includes starting up; the
// time for a one-packet file is reported too, and the ratio without it.
void BM_VersusFfmpeg(benchmark::State& state) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("lf-cdg-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string full = (dir / "five_minutes.cdg").string(), tiny = (dir / "one_packet.cdg").string();
  std::string error;
  const std::vector<uint8_t>& stream = Stream();
  if (!WriteCdgStreamFile(full, stream, error) ||
      !WriteCdgStreamFile(tiny, std::vector<uint8_t>(stream.begin(), stream.begin() + kPacketSize), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  if (!RunFfmpeg(tiny)) {
    state.SkipWithError("ffmpeg cannot run");
    return;
  }
  const double packets = static_cast<double>(GraphicsPackets(stream));
  double ours = 0, theirs = 0, startup = 0;
  for (auto _ : state) {
    const double t = SecondsOf([&] {
      CdgStreamFile file;
      if (!ReadCdgStreamFile(full, file)) return;
      CdgRenderer renderer;
      DecodeStreamPrefix(renderer, file.bytes.data(), file.bytes.size(), file.PacketCount());
      benchmark::DoNotOptimize(renderer.PixelAt(100, 100));
    });
    state.SetIterationTime(t);
    ours += t;
    theirs += SecondsOf([&] { RunFfmpeg(full); });
    startup += SecondsOf([&] { RunFfmpeg(tiny); });
  }
  const double n = static_cast<double>(state.iterations());
  ours /= n;
  theirs /= n;
  startup /= n;
  state.counters["ours_pkt_per_s"] = packets / ours;
  state.counters["ffmpeg_pkt_per_s"] = packets / theirs;
  state.counters["ffmpeg_startup_s"] = startup;
  state.counters["speedup"] = theirs / ours;
  state.counters["speedup_no_startup"] = theirs > startup ? (theirs - startup) / ours : 0;
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_VersusFfmpeg)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace lf
