#include "desktop/app/splash_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPropertyAnimation>

#include "core/platform/paths.h"
#include "desktop/rules/about_text.h"
#include "desktop/rules/window_title.h"
#include "lyricforge_version.h"

namespace lf {
namespace {

constexpr int kWidth = 420, kHeight = 200;
constexpr int kFadeInMs = 1000;

QPixmap SplashPicture() {
  QPixmap picture(kWidth, kHeight);
  QPainter p(&picture);
  QLinearGradient background(0, 0, 0, kHeight);
  background.setColorAt(0, QColor(0x10, 0x1c, 0x5c));
  background.setColorAt(1, QColor(0x02, 0x06, 0x24));
  p.fillRect(picture.rect(), background);
  p.drawImage(QRect(24, 28, 64, 64), QImage(QString::fromStdString(DataFolder() + "/lyricforge.png")));

  p.setPen(Qt::white);
  QFont title = p.font();
  title.setPointSize(26);
  title.setBold(true);
  p.setFont(title);
  p.drawText(QRect(108, 24, kWidth - 120, 48), Qt::AlignLeft | Qt::AlignVCenter, kApplicationName);

  QFont text = p.font();
  text.setPointSize(10);
  text.setBold(false);
  p.setFont(text);
  p.setPen(QColor(0xff, 0xd8, 0x4a));
  p.drawText(QRect(110, 70, kWidth - 120, 20), Qt::AlignLeft, QStringLiteral("Version " LYRICFORGE_VERSION));
  p.setPen(QColor(0xdd, 0xe3, 0xff));
  p.drawText(QRect(24, 112, kWidth - 48, 48), Qt::AlignLeft | Qt::TextWordWrap, QString::fromUtf8(kAboutTagline));
  return picture;
}

}  // namespace

SplashWindow::SplashWindow() : QSplashScreen(SplashPicture(), Qt::WindowStaysOnTopHint) {}

bool SplashWindow::Wanted() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

void SplashWindow::Start() {
  setWindowOpacity(0.0);
  show();
  auto* fade = new QPropertyAnimation(this, "windowOpacity", this);
  fade->setDuration(kFadeInMs);
  fade->setStartValue(0.0);
  fade->setEndValue(1.0);
  fade->start(QAbstractAnimation::DeleteWhenStopped);
  showMessage(QObject::tr("Starting..."), Qt::AlignBottom | Qt::AlignRight, QColor(0x9a, 0xa6, 0xd8));
  QCoreApplication::processEvents();
}

}  // namespace lf
