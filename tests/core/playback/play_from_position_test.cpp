// Playing a compiled song from a place in its middle shows what
// `lyricforge-cli render --at` shows there, and plays on from it; the player's
// clock and the thread of its end notice are the caller's to choose.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <functional>
#include <regex>
#include <string>
#include <thread>

#include "core/playback/cdg_player.h"
#include "core/playback/png_writer.h"
#include "core/playback/rw_player.h"
#include "core/playback/rw_renderer.h"
#include "tests/support/cli_runner.h"

namespace lf {
namespace {

using test::RunCli;
using namespace std::chrono_literals;

template <typename Pred>
bool WaitUntil(Pred pred) {
  const auto until = std::chrono::steady_clock::now() + 5s;
  while (!pred()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// The demo song, compiled by the command-line tool, with its music and lead-in.
class CompiledSong : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    s_dir = new test::TempDir;
    const std::string project = s_dir->File("demo.lfp");
    ASSERT_EQ(RunCli({"synth-demo", "-o", s_dir->File("demo.wav"), "--lrc", s_dir->File("demo.lrc")}).exitCode, 0);
    ASSERT_EQ(RunCli({"new", "-o", project, "--music", s_dir->File("demo.wav"), "--lyrics", s_dir->File("demo.lrc")})
                  .exitCode,
              0);
    ASSERT_EQ(RunCli({"set", project, "titlePage.enabled=1", "titlePage.text=Demo"}).exitCode, 0);
    const test::CliResult r = RunCli({"compile", project, "-o", s_dir->File("demo.cdg"), "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("\"leadIn\":([0-9]+)")));
    s_leadIn = std::stoi(m[1]);
    const std::string bytes = test::ReadFileBytes(s_dir->File("demo.cdg"));
    s_stream = MakePacketStream(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  }
  static void TearDownTestSuite() {
    delete s_dir;
    s_stream.reset();
  }

  // The screen `render --at` writes for slot `slot` (the time slot / 300 s).
  static std::vector<Colorref> RenderedAt(size_t slot) {
    char at[32];
    std::snprintf(at, sizeof at, "%.6f", static_cast<double>(slot) / kPacketsPerSecond);
    const std::string png = s_dir->File("at.png");
    const test::CliResult r = RunCli({"render", s_dir->File("demo.cdg"), "--at", at, "-o", png});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    std::vector<Colorref> pixels;
    int w = 0, h = 0;
    std::string error;
    EXPECT_TRUE(ReadPng(png, pixels, w, h, error)) << error;
    return pixels;
  }

  static inline test::TempDir* s_dir = nullptr;
  static inline PacketStream s_stream;
  static inline int32_t s_leadIn = 0;
};

// Graphics on the player's clock, which moves only when the test moves it.
TEST_F(CompiledSong, PlayFromTheMiddleShowsTheRenderedScreenAndPlaysOn) {
  ASSERT_GT(s_stream->size(), static_cast<size_t>(40 * kStreamBytesPerSecond));
  for (const double seconds : {12.0, 20.5, 33.25}) {
    ManualClock clock;
    CdgRenderer renderer;
    CdgPlayer player(&renderer, clock);
    player.SetSource("", s_stream);
    const int32_t start = static_cast<int32_t>(seconds * kDefaultSampleRate);
    const size_t slot = static_cast<size_t>(start / kSamplesPerPacket);
    const std::vector<Colorref> atStart = RenderedAt(slot), aSecondLater = RenderedAt(slot + kPacketsPerSecond);
    // A screen left over from an earlier play must not show through.
    renderer.MemoryPreset(9);
    ASSERT_TRUE(player.Play(CdgPlayer::kPlayGraphics, start, 0));
    EXPECT_EQ(renderer.DisplayColors(), atStart) << "as Play returns, at " << seconds << " s";

    clock.Advance(1000);
    ASSERT_TRUE(WaitUntil([&] { return player.GraphicsPlayer()->LastPosition() == start + kDefaultSampleRate; }));
    EXPECT_EQ(renderer.DisplayColors(), aSecondLater) << "a second after " << seconds << " s";
    player.Stop();
  }
}

// With the music: sought to the start, the screen follows the sound from there.
TEST_F(CompiledSong, PlayWithMusicFromTheMiddleShowsWhatIsHeard) {
  CdgRenderer renderer;
  CdgPlayer player(&renderer);
  player.SetSource(s_dir->File("demo.wav"), s_stream);
  player.SetLeadIn(s_leadIn);
  const int32_t start = 25 * kDefaultSampleRate;
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio | CdgPlayer::kPlayGraphics, start, 0));
  ASSERT_TRUE(WaitUntil([&] { return player.Position() > start + kDefaultSampleRate / 4; }));
  player.SetPaused(true);
  SubcodePlayer& graphics = *player.GraphicsPlayer();
  // Paused, the graphics catch up with the held position and stay there.
  ASSERT_TRUE(WaitUntil([&] { return graphics.LastPosition() == player.Position(); }));
  const int32_t heard = graphics.LastPosition();
  EXPECT_LT(heard - start, 2 * kDefaultSampleRate);
  EXPECT_EQ(renderer.DisplayColors(), RenderedAt(static_cast<size_t>(heard / kSamplesPerPacket)));
  player.Stop();
}

// A play that ends by itself hands its end notice to the dispatcher; a notice
// that arrives after the next Play began is dropped.
TEST_F(CompiledSong, EndNoticeGoesThroughTheDispatcherAndStaleOnesAreDropped) {
  ManualClock clock;
  CdgPlayer player(nullptr, clock);
  std::deque<std::function<void()>> queue;  // the "GUI thread"'s pending calls
  std::mutex queueMutex;
  player.SetEndDispatcher([&](std::function<void()> call) {
    std::lock_guard lock(queueMutex);
    queue.push_back(std::move(call));
  });
  std::vector<uintptr_t> ended;
  auto onEnd = [&](int, uintptr_t user) { ended.push_back(user); };
  auto runQueue = [&] {
    std::deque<std::function<void()>> calls;
    {
      std::lock_guard lock(queueMutex);
      calls.swap(queue);
    }
    for (auto& call : calls) call();
  };
  player.SetSource("", s_stream);
  const int32_t nearEnd = static_cast<int32_t>(s_stream->size() / kPacketSize) * kSamplesPerPacket - 1000;

  struct Case {
    bool playAgainFirst;
    std::vector<uintptr_t> expected;
  };
  for (const Case& c : {Case{false, {1}}, Case{true, {}}}) {
    ended.clear();
    ASSERT_TRUE(player.Play(CdgPlayer::kPlayGraphics, nearEnd, 0, onEnd, 1));
    clock.Advance(1000);
    ASSERT_TRUE(player.FinishedEvent().WaitFor(5000ms));
    ASSERT_TRUE(WaitUntil([&] {
      std::lock_guard lock(queueMutex);
      return !queue.empty();
    }));
    EXPECT_TRUE(ended.empty()) << "not on the player's thread";
    if (c.playAgainFirst) {
      ASSERT_TRUE(player.Play(CdgPlayer::kPlayGraphics, 0, 0, onEnd, 2));
    }
    runQueue();
    EXPECT_EQ(ended, c.expected) << (c.playAgainFirst ? "stale" : "fresh");
    player.Stop();
    runQueue();
  }
  // Stop itself reports on the caller's thread at once.
  EXPECT_EQ(ended, (std::vector<uintptr_t>{2}));
}

}  // namespace
}  // namespace lf
