#include "desktop/widgets/cdg_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <atomic>
#include <chrono>
#include <thread>

#include "core/playback/cdg_player.h"
#include "core/playback/stream_decode.h"
#include "tests/support/cli_runner.h"

namespace lf::test {
namespace {

std::string DemoStream(const TempDir& dir) {
  const std::string cdg = dir.File("demo.cdg");
  EXPECT_EQ(RunCli({"demo-stream", "-o", cdg}).exitCode, 0);
  return cdg;
}

// Pixels that differ between two images of the same size.
int DifferingPixels(const QImage& a, const QImage& b) {
  const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
  if (x.size() != y.size()) return -1;
  int n = 0;
  for (int row = 0; row < x.height(); ++row)
    for (int col = 0; col < x.width(); ++col) n += x.pixel(col, row) != y.pixel(col, row);
  return n;
}

// The view shows what `lyricforge-cli render` writes for the same stream and
// moment, at the size of the screen and scaled up.
TEST(CdgView, PaintsWhatTheRenderCommandWritesForTheSameMoment) {
  TempDir dir;
  const std::string cdg = DemoStream(dir);
  const std::string bytes = ReadFileBytes(cdg);
  for (int scale : {1, 2}) {
    for (const char* at : {"0.5", "3"}) {
      const std::string png = dir.File("ref.png");
      ASSERT_EQ(RunCli({"render", cdg, "--at", at, "-o", png, "--scale", std::to_string(scale)}).exitCode, 0);
      CdgRenderer renderer;
      CdgView view;
      view.resize(kScreenWidth * scale, kScreenHeight * scale);
      view.SetRenderer(&renderer);
      DecodeStreamPrefix(renderer, reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(),
                         SlotsBefore(std::stod(at)));
      QApplication::processEvents();
      const QImage shown = view.grab().toImage();
      // A moment with something drawn, so agreeing means something.
      ASSERT_NE(shown.pixel(0, 0), shown.pixel(shown.width() / 2, shown.height() / 2)) << at;
      EXPECT_EQ(DifferingPixels(shown, QImage(QString::fromStdString(png))), 0) << "scale " << scale << " at " << at;
    }
  }
}

// A player's thread feeds the renderer while the GUI resizes the view and
// then lets it go; nothing may touch the view after it is detached.
TEST(CdgView, SurvivesResizesAndDetachWhileAThreadFeedsTheRenderer) {
  TempDir dir;
  const std::string bytes = ReadFileBytes(DemoStream(dir));
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  CdgRenderer renderer;
  auto view = std::make_unique<CdgView>();
  view->resize(300, 216);
  view->SetRenderer(&renderer);
  // Shown, so the GUI thread really paints from the renderer while it is fed.
  view->show();
  std::atomic<bool> stop{false};
  std::atomic<int> rounds{0};
  std::thread feeder([&] {
    for (size_t slotEnd = 300; !stop; slotEnd = slotEnd % (bytes.size() / 24) + 300, ++rounds)
      DecodeStreamPrefix(renderer, data, bytes.size(), slotEnd);
  });
  for (int i = 0; i < 40; ++i) {
    view->resize(300 + i * 7, 216 + i * 5);
    QApplication::processEvents();
    if (i % 8 == 0) {
      EXPECT_FALSE(view->grab().isNull());
    }
  }
  EXPECT_GT(rounds.load(), 0) << "the feeder ran while the view was attached";
  view->SetRenderer(nullptr);
  view.reset();
  for (int i = 0; i < 10; ++i) QApplication::processEvents();
  stop = true;
  feeder.join();
}

// The same with the real player (its reader and playback threads, a tone for
// music, the sound device a dummy): the view is shown, resized while the
// song plays into it, and let go of mid-play.
TEST(CdgView, SurvivesAPlayerFeedingItWhileResizedAndDetached) {
  TempDir dir;
  const std::string bytes = ReadFileBytes(DemoStream(dir));
  CdgRenderer renderer;
  auto view = std::make_unique<CdgView>();
  view->resize(300, 216);
  view->SetRenderer(&renderer);
  view->show();
  CdgPlayer player(&renderer);
  WriteFileBytes(dir.File("tone.wav"), ToneWav(44100, 16, 2, 44100 * 5));
  player.SetSource(dir.File("tone.wav"), reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  ASSERT_TRUE(player.Play(CdgPlayer::kPlayAudio | CdgPlayer::kPlayGraphics, 0, 0));
  // Resized until the song is a second in, when it has drawn something; the
  // deadline only stops a broken player from hanging the test.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  for (int i = 0; player.Position() < 44100; ++i) {
    ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "the player never reached a second";
    view->resize(300 + (i % 40) * 7, 216 + (i % 40) * 5);
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  QApplication::processEvents();
  const QImage shown = view->grab().toImage();
  EXPECT_NE(shown.pixel(0, 0), shown.pixel(shown.width() / 2, shown.height() / 2)) << "the song reached the view";
  view->SetRenderer(nullptr);
  view.reset();
  for (int i = 0; i < 20; ++i) {
    QApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_TRUE(player.IsPlaying());
  player.Stop();
}

}  // namespace
}  // namespace lf::test
