// AudioPlayer: decoding compressed music into a WAV file, the header
// attributes, the acceptance of formats and playback to the (dummy) device.
#include "core/audio/audio_play.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "core/audio/wav_file.h"
#include "core/platform/event.h"
#include "core/platform/progress.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

using test::MakeEncodedTone;
using test::TempDir;

// Waits for the decoder to finish, as music preparation does.
bool WaitForDecode(const AudioPlayer& player, std::chrono::seconds limit = std::chrono::seconds(60)) {
  const auto until = std::chrono::steady_clock::now() + limit;
  while (!player.DecodeComplete()) {
    if (std::chrono::steady_clock::now() > until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

struct Decoder {
  // The event and the mutex outlive the player, whose threads use them.
  Event state{true};
  std::mutex device;
  AudioPlayer player;
  Decoder(bool acceptAll) {
    player.Initialize();
    player.SetAcceptAnySampleRate(acceptAll);
    player.SetAcceptAnySampleWidth(acceptAll);
    player.SetAcceptAnyChannelCount(acceptAll);
    player.SetStateEvent(&state);
    player.SetDeviceMutex(&device);
  }
};

TEST(AudioPlayTest, RemainingTimeText) {
  constexpr int64_t kSecond = 10'000'000;
  EXPECT_EQ(AudioPlayer::FormatRemainingTime((3600 + 2 * 60 + 5) * kSecond), "1:02:05");
  EXPECT_EQ(AudioPlayer::FormatRemainingTime((59 * 60 + 59) * kSecond), "59:59");
  EXPECT_EQ(AudioPlayer::FormatRemainingTime(0), "00:00");
  EXPECT_EQ(AudioPlayer::FormatRemainingTime(-5 * kSecond), "00:00");
  EXPECT_EQ(AudioPlayer::FormatRemainingTime(10 * 3600 * kSecond + 61 * kSecond), "10:01:01");
}

// Progress may only say 100 once every byte is on disk and the header is in
// place; the file is then a WAV that our reader and ffprobe agree on.
TEST(AudioPlayTest, DecodesMp3ToWavWithProgressReachingHundredAtTheEnd) {
  TempDir dir;
  const std::string mp3 = dir.File("song.mp3"), wav = dir.File("song.wav");
  ASSERT_TRUE(MakeEncodedTone(mp3, 30.0));
  Decoder d(false);
  std::vector<int> reports;
  std::vector<uintmax_t> sizeAtReport;
  FunctionProgress progress([&](int percent) {
    reports.push_back(percent);
    std::error_code ec;
    sizeAtReport.push_back(std::filesystem::file_size(wav, ec));
  });
  ASSERT_TRUE(d.player.Play(mp3, wav, &progress));
  ASSERT_TRUE(WaitForDecode(d.player));
  ASSERT_TRUE(d.player.DecodeSucceeded());
  d.player.Close(true);

  ASSERT_FALSE(reports.empty());
  for (size_t i = 1; i < reports.size(); ++i) EXPECT_GT(reports[i], reports[i - 1]);
  EXPECT_EQ(reports.back(), 100);
  EXPECT_EQ(std::count(reports.begin(), reports.end(), 100), 1);
  const uintmax_t finalSize = std::filesystem::file_size(wav);
  EXPECT_EQ(sizeAtReport.back(), finalSize);
  EXPECT_EQ(finalSize, 44u + static_cast<uintmax_t>(d.player.BytesWritten()));

  WavInFile in(wav);
  ASSERT_TRUE(in.IsOpen());
  EXPECT_EQ(in.SampleRate(), 44100u);
  EXPECT_EQ(in.ChannelCount(), 2);
  EXPECT_EQ(in.BitsPerSample(), 16);
  EXPECT_EQ(in.DataBytes(), finalSize - 44);
  // 30 s of 44,100 Hz stereo: the decoder trims the encoder's padding.
  EXPECT_NEAR(static_cast<double>(in.DataBytes()), 30.0 * 44100 * 4, 44100 * 4 * 0.05);
  const std::string probe = test::RunCommand("ffprobe -v error -show_entries stream=sample_rate,channels -of csv=p=0 " +
                                             test::ShellQuote(wav));
  EXPECT_EQ(probe, "44100,2\n");
}

TEST(AudioPlayTest, RefusesFormatsOutsideTheRulesUnlessAccepted) {
  TempDir dir;
  const std::string at48k = dir.File("48k.m4a"), six = dir.File("six.ogg");
  ASSERT_TRUE(MakeEncodedTone(at48k, 1.0, 48000, 2));
  ASSERT_TRUE(MakeEncodedTone(six, 1.0, 44100, 6, "-c:a libvorbis"));
  {
    Decoder d(false);
    EXPECT_EQ(d.player.Play(at48k, dir.File("a.wav"), nullptr).reason, Reason::NotAllowed);
    EXPECT_EQ(d.player.ErrorText(), "Input stream is not 44,100 samples per second (hr=0x80004001)");
    EXPECT_EQ(d.player.SampleRate(), 48000);
  }
  {
    Decoder d(false);
    EXPECT_EQ(d.player.Play(six, dir.File("b.wav"), nullptr).reason, Reason::NotAllowed);
    EXPECT_EQ(d.player.ErrorText(), "Input music file is not stereo (2 channel) (hr=0x80004001)");
  }
  {
    Decoder d(true);
    ASSERT_TRUE(d.player.Play(at48k, dir.File("c.wav"), nullptr));
    ASSERT_TRUE(WaitForDecode(d.player));
    EXPECT_TRUE(d.player.DecodeSucceeded());
    EXPECT_EQ(d.player.SampleRate(), 48000);
    WavInFile in(dir.File("c.wav"));
    EXPECT_EQ(in.SampleRate(), 48000u);
  }
  {
    Decoder d(true);
    ASSERT_TRUE(d.player.Play(six, dir.File("d.wav"), nullptr));
    ASSERT_TRUE(WaitForDecode(d.player));
    EXPECT_EQ(d.player.ChannelCount(), 6);
    WavInFile in(dir.File("d.wav"));
    EXPECT_EQ(in.ChannelCount(), 6);
    EXPECT_EQ(in.BlockAlign(), 12);
  }
}

TEST(AudioPlayTest, FilesThatAreNotMusicFailWithoutAFormat) {
  TempDir dir;
  test::WriteFileBytes(dir.File("text.mp3"), "These are the words of a song, not its music.\n");
  test::WriteFileBytes(dir.File("empty.mp3"), "");
  for (const std::string name : {"missing.mp3", "text.mp3", "empty.mp3"}) {
    SCOPED_TRACE(name);
    Decoder d(true);
    EXPECT_FALSE(d.player.Play(dir.File(name), dir.File("out.wav"), nullptr));
    EXPECT_EQ(d.player.SampleRate(), 0);
    EXPECT_EQ(d.player.ChannelCount(), 0);
    EXPECT_FALSE(d.player.IsPlaying());
  }
  Decoder d(true);
  EXPECT_EQ(d.player.Play("", dir.File("out.wav"), nullptr).reason, Reason::BadInput);
}

TEST(AudioPlayTest, ReadsHeaderAttributesOfMp3AndWma) {
  TempDir dir;
  const std::string mp3 = dir.File("tags.mp3"), wma = dir.File("tags.wma");
  ASSERT_TRUE(MakeEncodedTone(mp3, 2.0, 44100, 2,
                              "-metadata title='Night Train' -metadata artist='The Lanterns' "
                              "-metadata album='Rails' -metadata publisher='Orvandel Records' -metadata track=7"));
  ASSERT_TRUE(MakeEncodedTone(wma, 2.0, 44100, 2,
                              "-c:a wmav2 -metadata title='Slow Boat' -metadata album_artist='Harbour Band'"));
  AudioPlayer player;
  player.Initialize();
  AudioHeaderAttributes a;
  ASSERT_TRUE(player.ReadHeader(mp3, &a));
  EXPECT_EQ(a.title, "Night Train");
  EXPECT_EQ(a.author, "The Lanterns");
  EXPECT_EQ(a.albumTitle, "Rails");
  EXPECT_EQ(a.publisher, "Orvandel Records");
  EXPECT_EQ(a.track, "7");
  EXPECT_NEAR(player.Duration(), 2000, 60);

  AudioHeaderAttributes w;
  ASSERT_TRUE(player.ReadHeader(wma, &w));
  EXPECT_EQ(w.title, "Slow Boat");
  EXPECT_EQ(w.author, "Harbour Band");  // no Author: the album artist stands in
  EXPECT_NEAR(player.Duration(), 2000, 150);
  EXPECT_EQ(player.RemainingTimeText(), "00:02");

  EXPECT_FALSE(player.ReadHeader(dir.File("missing.wma"), &w));
  EXPECT_EQ(player.LastMessage(), "Could not open the specified file");
}

TEST(AudioPlayTest, AddressesWithAnHttpSchemeAreStreamed) {
  AudioPlayer player;
  player.Initialize();
  std::mutex device;
  player.SetDeviceMutex(&device);
  // Nothing listens on port 1 of the loopback address: the open fails fast,
  // but the address has been taken as a stream.
  EXPECT_FALSE(player.Play("HTTP://127.0.0.1:1/song.mp3", "", nullptr));
  EXPECT_TRUE(player.IsStreaming());
}

// Playback to the dummy device: the state event marks the start and the end,
// the remaining time counts down, and the device closes after the last sample.
TEST(AudioPlayTest, PlaysToTheSoundDeviceUntilTheEnd) {
  TempDir dir;
  const std::string ogg = dir.File("short.ogg");
  ASSERT_TRUE(MakeEncodedTone(ogg, 1.0, 44100, 2, "-c:a libvorbis"));
  Decoder d(false);
  d.state.Reset();
  ASSERT_TRUE(d.player.Play(ogg, "", nullptr));
  ASSERT_TRUE(d.state.WaitFor(std::chrono::seconds(2)));  // started
  d.state.Reset();
  // The dummy device takes its first period up to 0.4 s after the start.
  const auto soundBy = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (d.player.PositionMs() == 0 && std::chrono::steady_clock::now() < soundBy)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  const int64_t p0 = d.player.PositionMs();
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  const int64_t advanced = d.player.PositionMs() - p0;
  // 400 ms of real time, give or take the scheduling of a busy test machine.
  EXPECT_GT(advanced, 330);
  EXPECT_LT(advanced, 470);
  EXPECT_LT(d.player.RemainingTime(), 10'000'000 * 7 / 10);
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (d.player.IsPlaying() && std::chrono::steady_clock::now() < until)
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  EXPECT_FALSE(d.player.IsPlaying());
  EXPECT_TRUE(d.player.IsEndOfFile());
  EXPECT_TRUE(d.state.IsSet());
  EXPECT_EQ(d.player.RemainingTimeText(), "00:01");  // reset to the duration at the end
  d.player.Close(true);
}

}  // namespace
}  // namespace lf
