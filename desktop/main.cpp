// lyricforge: the desktop program. `lyricforge [PROJECT.lfp | FOLDER]`.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <cstring>
#include <memory>

#include "core/audio/mp3_encoder.h"
#include "core/playback/cdg_player.h"
#include "core/song/song.h"
#include "desktop/app/lyricforge_app.h"
#include "desktop/app/main_frame.h"
#include "desktop/app/message_box_sink.h"
#include "desktop/app/single_instance.h"
#include "desktop/app/splash_window.h"
#include "desktop/rules/window_title.h"
#include "lyricforge_version.h"
#include "settings_store/qsettings_store.h"

namespace {

// Paths handed to another instance must not depend on this one's folder.
QString AbsoluteArgument(int argc, char** argv) {
  if (argc < 2) return {};
  return QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
}

// `lyricforge --version` answers before Qt starts, so it needs no display.
bool AsksForVersion(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (std::strcmp(argv[i], "--version") == 0) return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForVersion(argc, argv)) {
    const bool written = std::printf("lyricforge %s\n", LYRICFORGE_VERSION) > 0 && std::fflush(stdout) == 0;
    return written ? 0 : 1;
  }
  QApplication qapp(argc, argv);
  QApplication::setApplicationName(lf::kApplicationName);
  QApplication::setOrganizationName("Orvandel");
  QApplication::setApplicationVersion(LYRICFORGE_VERSION);

  auto store = std::make_unique<lf::QtSettingsStore>();
  const QString argument = AbsoluteArgument(argc, argv);
  lf::SingleInstance instance(QString::fromStdString(store->Path()));
  if (instance.HandOverToFirst(argument)) return 0;
  instance.Listen();

  // Shown while the program loads; the main window's first showing closes it.
  std::unique_ptr<lf::SplashWindow> splash;
  if (lf::SplashWindow::Wanted()) {
    splash = std::make_unique<lf::SplashWindow>();
    splash->Start();
  }

  lf::SettingsStore& settings = *store;
  lf::SetAppSettings(std::move(store));
  lf::SetMessageSink(std::make_unique<lf::QtMessageSink>());
  lf::LoadMp3Encoder();

  int code = 0;
  {
    lf::LyricforgeApp app(settings);
    QObject::connect(&instance, &lf::SingleInstance::ArgumentReceived, &app,
                     [&app](const QString& handed) { app.HandOver(handed.toStdString()); });
    QObject::connect(&app, &lf::LyricforgeApp::WindowShown, &app, [&app, &splash] {
      if (splash) splash->finish(&app.MainWindow());
      splash.reset();
    });
    app.Start(argument.toStdString());
    splash.reset();
    code = QApplication::exec();
  }
  lf::CdgPlayer::DestroyGlobal();
  lf::DestroySong();
  lf::UnloadMp3Encoder();
  return code;
}
