// Stop-then-play on the CD+G player: from Stop() to the moment the listener
// hears the music again, at a place in the middle of a song, with graphics.
// Loop play restarts this way after every pass. Run with SDL_AUDIODRIVER=dummy.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "core/audio/wav_out_file.h"
#include "core/cdg/cdg_packet.h"
#include "core/platform/paths.h"
#include "core/playback/cdg_player.h"
#include "core/playback/rw_renderer.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRate = 44100;
constexpr int kSeconds = 60;
constexpr int32_t kStart = 40 * kRate;  // far enough in that skipping to it costs something

void WriteTone(const std::string& path) {
  lf::WavOutFile wav(path, kRate, 16, 2);
  std::vector<int16_t> block(static_cast<size_t>(kRate) * 2);
  for (int f = 0; f < kRate; ++f)
    block[f * 2] = block[f * 2 + 1] = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 220.0 * f / kRate));
  for (int s = 0; s < kSeconds; ++s) wav.WriteSamples(block.data(), static_cast<int>(block.size()));
}

// A tile in every fourth slot, a preset every ten seconds: a busy song's stream.
std::vector<uint8_t> Stream() {
  std::vector<uint8_t> stream(static_cast<size_t>(kSeconds) * lf::kStreamBytesPerSecond, 0);
  lf::CdgTileRows rows;
  rows.bits.fill(0x2A);
  for (size_t k = 0; k * lf::kPacketSize < stream.size(); k += 4) {
    const lf::CdgPacket p =
        k % 3000 == 0 ? lf::MakeMemoryPreset(1, 0)
                      : lf::MakeTileBlock(lf::CdgInstruction::TileBlockXor, 0, k % 16, 1 + k % 16, 1 + k % 48, rows);
    std::memcpy(&stream[k * lf::kPacketSize], &p, lf::kPacketSize);
  }
  return stream;
}

bool WaitUntilHeard(const lf::CdgPlayer& player, Clock::time_point since) {
  while (player.Position() <= kStart) {
    if (Clock::now() - since > std::chrono::seconds(2)) return false;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
  return true;
}

void BM_StopThenPlay(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  lf::ScopedTempFolder folder("lfbench");
  const std::string wav = folder.File("music.wav");
  WriteTone(wav);
  const std::vector<uint8_t> stream = Stream();
  lf::CdgRenderer renderer;
  lf::CdgPlayer player(&renderer);
  player.SetSource(wav, stream.data(), stream.size());
  const int flags = lf::CdgPlayer::kPlayAudio | lf::CdgPlayer::kPlayGraphics;
  if (!player.Play(flags, kStart, 0) || !WaitUntilHeard(player, Clock::now())) {
    state.SkipWithError("the player did not start");
    return;
  }
  for (auto _ : state) {
    const auto before = Clock::now();
    player.Stop();
    if (!player.Play(flags, kStart, 0) || !WaitUntilHeard(player, before)) {
      state.SkipWithError("the player did not start again");
      break;
    }
    state.SetIterationTime(std::chrono::duration<double>(Clock::now() - before).count());
  }
  player.Stop();
}
BENCHMARK(BM_StopThenPlay)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

}  // namespace
