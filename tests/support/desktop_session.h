#pragma once
// The desktop program under a private X server: Xvfb on a free display, the
// program started there with its own settings folder and the dummy sound
// driver, and xdotool to press keys in it. Everything started is ended by
// the destructor, by process id.
#include <sys/types.h>

#include <string>
#include <vector>

namespace lf::test {

class DesktopSession {
 public:
  // `configHome` holds the program's settings for this run.
  explicit DesktopSession(std::string configHome);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  // False when the X server did not come up.
  bool StartServer();
  // Starts `program` with `args`; false when its window did not appear.
  bool StartProgram(const std::string& program, const std::vector<std::string>& args);
  // Runs xdotool with `args` against the program's window, waiting for it.
  bool Xdotool(const std::string& args);
  // Ends the program as a crash would: SIGKILL, nothing saved or removed.
  void KillProgram();
  // Waits up to `seconds` for the program to end; true when it did.
  bool WaitForExit(double seconds);
  // Saves the screen as PNG.
  bool Screenshot(const std::string& pngPath);

  const std::string& Display() const { return m_display; }
  const std::string& Window() const { return m_window; }

 private:
  std::vector<std::string> Environment() const;

  std::string m_configHome;
  std::string m_display;
  std::string m_window;
  pid_t m_server = -1;
  pid_t m_program = -1;
};

// Milliseconds of the median and the largest of `errors` (absolute values).
struct ErrorFigures {
  double median = 0, worst = 0;
};
ErrorFigures Summarise(std::vector<double> errors);

}  // namespace lf::test
