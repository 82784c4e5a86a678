#pragma once
// A PulseAudio daemon of the test's own: a private runtime folder, one null
// sink (what it plays is heard by nobody, on the sink's own clock), its
// monitor to record from. While it runs, this process's sound goes to it.
#include <sys/types.h>

#include <optional>
#include <string>

namespace lf::test {

class PrivateSoundServer {
 public:
  PrivateSoundServer() = default;
  // Stops the daemon and puts PULSE_SERVER and SDL_AUDIODRIVER back.
  ~PrivateSoundServer();
  PrivateSoundServer(const PrivateSoundServer&) = delete;
  PrivateSoundServer& operator=(const PrivateSoundServer&) = delete;

  // False (Error says why) when pulseaudio is missing or does not answer.
  bool Start();
  const std::string& Error() const { return m_error; }
  static const char* MonitorName() { return "lyricforge_null.monitor"; }

 private:
  void Stop();

  pid_t m_pid = -1;
  std::string m_dir, m_error;
  std::optional<std::string> m_savedServer, m_savedDriver;
  bool m_environmentSet = false;
};

}  // namespace lf::test
