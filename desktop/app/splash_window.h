#pragma once
// SplashWindow: the About picture shown while the program starts, fading
// in; closed as soon as the main window is on the screen. Never shown where
// nobody can see it (offscreen runs, tests).
#include <QSplashScreen>

namespace lf {

class SplashWindow : public QSplashScreen {
  Q_OBJECT

 public:
  SplashWindow();
  // False on platforms without a screen to show it on.
  static bool Wanted();
  // Shows it and starts the fade-in.
  void Start();
};

}  // namespace lf
