// CdgPlayer on the dummy sound driver (SDL_AUDIODRIVER=dummy, set by ctest),
// which consumes audio in real time: positions are checked against the clock.
#include "core/playback/cdg_player.h"

#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/cdg/cdg_packet.h"
#include "core/platform/message_sink.h"
#include "core/playback/rw_renderer.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

int ThreadCount() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/task")) {
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') ++n;
    closedir(d);
  }
  return n;
}

template <typename Pred>
bool WaitUntil(Pred pred, std::chrono::milliseconds limit) {
  const auto until = Clock::now() + limit;
  while (!pred()) {
    if (Clock::now() > until) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

// Waits for the position to move off the start, so that measurements begin
// when sound is really coming out.
bool WaitForSound(const CdgPlayer& player, int32_t start) {
  return WaitUntil([&] { return player.Position() > start; }, 3000ms);
}

class CdgPlayerTest : public ::testing::Test {
 protected:
  std::string Tone(const std::string& name, double seconds, int channels = 2, int bits = 16) {
    const std::string path = dir.File(name);
    test::WriteToneWav(path, seconds, 44100, channels, bits);
    return path;
  }
  test::TempDir dir;
  CdgPlayer player;
};

// Over three seconds the position must track the clock. The tolerance of
// 30 ms covers the playback thread's 10 ms update step at each end of the
// measurement and the dummy driver's sleep overshoot per 40 ms period.
TEST_F(CdgPlayerTest, PositionAdvancesWithRealTime) {
  player.SetSource(Tone("five.wav", 5.0), nullptr);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  EXPECT_EQ(player.Length(), 5 * 44100);
  ASSERT_TRUE(WaitForSound(player, 0));
  const auto t0 = Clock::now();
  const int32_t p0 = player.Position();
  std::this_thread::sleep_until(t0 + 3s);
  const int32_t p1 = player.Position();
  const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  const double advancedMs = (p1 - p0) / 44.1;
  EXPECT_NEAR(advancedMs, elapsedMs, 30.0);
  EXPECT_TRUE(player.IsPlaying());
  const std::string text = player.PlayTimeText();
  EXPECT_TRUE(text == "00:01" || text == "00:02") << text;
  player.Stop();
}

// At a tempo change of -50 % the music advances at half the speed of the clock.
TEST_F(CdgPlayerTest, HalfTempoHalvesTheSpeedOfTheMusic) {
  player.SetSource(Tone("slow.wav", 4.0), nullptr);
  player.SetTempoChange(-50);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  ASSERT_TRUE(WaitForSound(player, 0));
  const auto t0 = Clock::now();
  const int32_t p0 = player.Position();
  std::this_thread::sleep_until(t0 + 2s);
  const int32_t p1 = player.Position();
  const double elapsedMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  EXPECT_NEAR((p1 - p0) / 44.1, elapsedMs / 2, 30.0);
  player.Stop();
  player.SetTempoChange(0);
}

// Stop: play-ended, then finished, then the end callback; a restart clears
// both events; the end of the music signals finished and the stop event,
// puts the position at the length and the time left at 00:00.
TEST_F(CdgPlayerTest, StopRestartAndEndSignalInOrder) {
  player.SetSource(Tone("half.wav", 0.5), nullptr);
  Event stopEvent(true);
  player.SetStopEvent(&stopEvent);
  std::vector<std::string> order;
  std::mutex orderMutex;
  auto note = [&](const std::string& what) {
    std::lock_guard lock(orderMutex);
    order.push_back(what);
  };
  // Notes each event once, as it is first seen set; the watcher looks every
  // 200 us, and the callback looks too before it notes itself, since a quick
  // Stop may set the events and call back between two looks.
  bool ended = false, finished = false;
  auto look = [&] {
    if (!ended && player.PlayEndedEvent().IsSet()) ended = true, note("play ended");
    if (!finished && player.FinishedEvent().IsSet()) finished = true, note("finished");
  };
  std::mutex lookMutex;
  auto lookLocked = [&] {
    std::lock_guard lock(lookMutex);
    look();
  };
  std::atomic<int> calls{0};
  auto callback = [&](int code, uintptr_t user) {
    EXPECT_EQ(code, 0);
    EXPECT_EQ(user, 77u);
    ++calls;
    lookLocked();
    note("callback");
  };

  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0, callback, 77));
  ASSERT_TRUE(WaitForSound(player, 0));
  std::atomic<bool> watching{true};
  std::thread watcher([&] {
    while (watching) {
      lookLocked();
      std::this_thread::sleep_for(200us);
    }
  });
  player.Stop();
  std::this_thread::sleep_for(20ms);
  watching = false;
  watcher.join();
  EXPECT_EQ(order, (std::vector<std::string>{"play ended", "finished", "callback"}));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(player.State(), CdgPlayer::kStopped);

  stopEvent.Reset();
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0, callback, 77));
  EXPECT_FALSE(player.PlayEndedEvent().IsSet());
  EXPECT_FALSE(player.FinishedEvent().IsSet());
  EXPECT_EQ(player.PlayTimeText(), "00:00");  // half a second is 0 whole seconds
  ASSERT_TRUE(player.FinishedEvent().WaitFor(3000ms));
  EXPECT_TRUE(stopEvent.IsSet());
  EXPECT_FALSE(player.PlayEndedEvent().IsSet());  // nobody pressed stop
  EXPECT_TRUE(WaitUntil([&] { return calls == 2; }, 1000ms));
  EXPECT_EQ(player.Position(), 22050);
  EXPECT_EQ(player.PlayTimeText(), "00:00");
  EXPECT_FALSE(player.IsPlaying());
  player.Stop();
  EXPECT_EQ(calls, 2);  // the end was reported once
}

TEST_F(CdgPlayerTest, NoThreadIsLeftRunningAfterStop) {
  player.SetSource(Tone("t.wav", 2.0), nullptr);
  // A first play opens the sound system, whose own threads may stay.
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  player.Stop();
  const int before = ThreadCount();
  std::vector<uint8_t> stream(600 * kPacketSize, 0);
  CdgRenderer renderer;
  player.SetRenderer(&renderer);
  player.SetSource(dir.File("t.wav"), MakePacketStream(stream));
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio | CdgPlayer::kPlayGraphics, 0, 0));
  ASSERT_TRUE(WaitForSound(player, 0));
  EXPECT_GE(ThreadCount(), before + 3);  // reader, playback, graphics (and the device's)
  player.Stop();
  EXPECT_EQ(ThreadCount(), before);
}

// Start and end positions, and a lead-in of silence that counts in the length.
TEST_F(CdgPlayerTest, StartEndAndLeadIn) {
  player.SetSource(Tone("three.wav", 3.0), nullptr);
  std::atomic<int> ended{0};
  const auto t0 = Clock::now();
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 44100, 66150, [&](int, uintptr_t) { ++ended; }));
  EXPECT_GE(player.Position(), 44100);
  ASSERT_TRUE(player.FinishedEvent().WaitFor(3000ms));
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
  EXPECT_GT(ms, 450);   // half a second of music, from start to end
  EXPECT_LT(ms, 2000);  // the dummy device starts on its next period, up to 0.4 s away
  EXPECT_TRUE(WaitUntil([&] { return ended == 1; }, 1000ms));
  player.Stop();

  player.SetLeadIn(22050);
  player.SetSource(Tone("short.wav", 0.25), nullptr);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  EXPECT_EQ(player.Length(), 22050 + 11025);
  ASSERT_TRUE(player.FinishedEvent().WaitFor(3000ms));
  EXPECT_EQ(player.Position(), 33075);
  player.Stop();
  player.SetLeadIn(0);
}

TEST_F(CdgPlayerTest, PauseHoldsThePositionAndResumeGoesOn) {
  player.SetSource(Tone("p.wav", 3.0), nullptr);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  ASSERT_TRUE(WaitForSound(player, 0));
  std::this_thread::sleep_for(200ms);
  player.SetPaused(true);
  EXPECT_EQ(player.State(), CdgPlayer::kPaused);
  const int32_t held = player.Position();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(player.Position(), held);
  player.SetPaused(false);
  std::this_thread::sleep_for(300ms);
  // 300 ms more, give or take the 10 ms update step and a busy machine.
  EXPECT_NEAR((player.Position() - held) / 44.1, 300.0, 60.0);
  player.Stop();
}

// The graphics follow the position of the sound: a stream that changes the
// screen's colour every tenth of a second shows, after the music stopped,
// the colour of the slot where the sound stopped.
TEST_F(CdgPlayerTest, GraphicsFollowTheSound) {
  CdgRenderer renderer;
  player.SetRenderer(&renderer);
  std::vector<uint8_t> stream(900 * kPacketSize, 0);
  for (size_t slot = 0; slot < 900; slot += 30) {
    const CdgPacket p = MakeMemoryPreset(static_cast<int>(slot / 30) % 16, 0);
    std::memcpy(&stream[slot * kPacketSize], &p, kPacketSize);
  }
  player.SetSource(Tone("g.wav", 3.0), MakePacketStream(stream));
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio | CdgPlayer::kPlayGraphics, 0, 0));
  ASSERT_TRUE(WaitForSound(player, 0));
  std::this_thread::sleep_for(700ms);
  const int32_t position = player.Position();
  std::this_thread::sleep_for(30ms);  // the graphics loop looks every 10 ms
  const int shown = renderer.PresetColor();
  player.Stop();
  const int expected = static_cast<int>((position / 147) / 30) % 16;
  // The sound moves on while we look: one step of a tenth of a second either way.
  EXPECT_LE(std::abs(shown - expected), 1) << "position " << position;
  EXPECT_GE(shown, 5);  // at least half a second of graphics were shown
}

TEST_F(CdgPlayerTest, ChannelModeVolumeAndLevels) {
  // Left a tone, right its negative: mixing the two gives silence.
  std::vector<int16_t> samples = test::SineSamples(44100, 2, 44100, 440.0);
  for (size_t i = 1; i < samples.size(); i += 2) samples[i] = static_cast<int16_t>(-samples[i - 1]);
  test::WriteFileBytes(dir.File("anti.wav"), test::MakeRiffWave({{"fmt ", test::FmtBody(2, 44100, 16)},
                                                                 {"data", test::PcmBytes(samples, 16)}}));
  std::atomic<int> all{-1}, right{-1}, left{-1}, volume{50};
  player.SetLevelOutputs(&all, &right, &left);
  player.SetSource(dir.File("anti.wav"), nullptr);
  player.SetChannelMode(4);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return all >= 0; }, 2000ms));
  EXPECT_EQ(all, 0);
  player.Stop();

  player.SetChannelMode(0);
  player.SetVolumeSource(&volume);
  all = -1;
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  ASSERT_TRUE(WaitUntil([&] { return all >= 0; }, 2000ms));
  const int peak = *std::max_element(samples.begin(), samples.end());
  EXPECT_NEAR(all, peak / 4, 2);  // 50 % volume is a quarter of the amplitude
  EXPECT_NEAR(left, peak / 4, 2);
  EXPECT_NEAR(right, peak / 4, 2);
  player.Stop();
  player.SetVolumeSource(nullptr);
  player.SetLevelOutputs(nullptr, nullptr, nullptr);
}

TEST_F(CdgPlayerTest, MusicThatCannotBePlayedIsRefusedClearly) {
  player.SetSource(dir.File("missing.wav"), nullptr);
  const Outcome missing = player.Play(CdgPlayer::kPlayAudio, 0, 0);
  EXPECT_EQ(missing.reason, Reason::BadInput);
  EXPECT_FALSE(missing.text.empty());
  test::WriteFileBytes(dir.File("empty.wav"), "");
  player.SetSource(dir.File("empty.wav"), nullptr);
  EXPECT_FALSE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  player.SetSource(Tone("wide.wav", 0.5, 2, 24), nullptr);
  EXPECT_EQ(player.Play(CdgPlayer::kPlayAudio, 0, 0).text, "Bits per Sample must be 8 or 16");
  EXPECT_EQ(player.State(), CdgPlayer::kStopped);

  // Six channels and 8-bit samples play.
  player.SetSource(Tone("six.wav", 0.3, 6), nullptr);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  EXPECT_TRUE(player.FinishedEvent().WaitFor(3000ms));
  player.Stop();
  player.SetSource(Tone("eight.wav", 0.3, 1, 8), nullptr);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  EXPECT_TRUE(player.FinishedEvent().WaitFor(3000ms));
  player.Stop();

  // A data chunk that claims a second but holds a quarter: the music ends
  // with the data that is there.
  std::string wav = test::ToneWav(44100, 16, 2, 44100);
  wav.resize(44 + 11025 * 4);
  test::WriteFileBytes(dir.File("liar.wav"), wav);
  player.SetSource(dir.File("liar.wav"), nullptr);
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio, 0, 0));
  EXPECT_EQ(player.Length(), 11025);
  EXPECT_TRUE(player.FinishedEvent().WaitFor(3000ms));
  player.Stop();
}

TEST(CdgPlayerDeviceTest, NoSoundDeviceIsReported) {
  ScopedMessageRecorder recorder;
  RecordingMessageSink* seen = &recorder.Sink();
  const char* old = std::getenv("SDL_AUDIODRIVER");
  const std::string saved = old ? old : "";
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  Outcome played;
  {
    CdgPlayer player;
    played = player.Play(CdgPlayer::kPlayAudio, 0, 0);
  }
  if (old)
    setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
  else
    unsetenv("SDL_AUDIODRIVER");
  // The player tells its caller, once, and shows nothing itself.
  EXPECT_EQ(seen->Count(), 0);
  EXPECT_EQ(played.reason, Reason::Failed);
  EXPECT_EQ(played.caption, "Sound Device Not Detected");
  EXPECT_EQ(played.detail.rfind("Sound Device Not Detected: ", 0), 0u);
  EXPECT_EQ(played.text,
            "An audio sound card is not installed in this computer.\nYou will not be able to hear the audio when you "
            "play Karaoke CDG or Audio CD files.");
}

TEST(CdgPlayerGlobalTest, CreatingTheGlobalPlayerReplacesThePreviousOne) {
  CdgPlayer* first = CdgPlayer::CreateGlobal(nullptr);
  EXPECT_EQ(CdgPlayer::Global(), first);
  CdgPlayer* second = CdgPlayer::CreateGlobal(nullptr);
  EXPECT_EQ(CdgPlayer::Global(), second);
  CdgPlayer::DestroyGlobal();
  EXPECT_EQ(CdgPlayer::Global(), nullptr);
}

}  // namespace
}  // namespace lf
