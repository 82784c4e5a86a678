#include "tests/support/private_sound_server.h"

#include <fcntl.h>
#include <pulse/simple.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace lf::test {

namespace {

std::optional<std::string> Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::optional<std::string>(value) : std::nullopt;
}

void Restore(const char* name, const std::optional<std::string>& value) {
  if (value)
    setenv(name, value->c_str(), 1);
  else
    unsetenv(name);
}

// The server answers once a client can open a stream on its monitor.
bool Answers(const std::string& server) {
  pa_sample_spec sampleFormat{PA_SAMPLE_S16NE, 44100, 2};
  int error = 0;
  pa_simple* probe = pa_simple_new(server.c_str(), "probe", PA_STREAM_RECORD, PrivateSoundServer::MonitorName(),
                                   "probe", &sampleFormat, nullptr, nullptr, &error);
  if (!probe) return false;
  pa_simple_free(probe);
  return true;
}

}  // namespace

PrivateSoundServer::~PrivateSoundServer() { Stop(); }

bool PrivateSoundServer::Start() {
  char pattern[] = "/tmp/lyricforge-pulse-XXXXXX";
  if (!mkdtemp(pattern)) {
    m_error = "no temporary folder";
    return false;
  }
  m_dir = pattern;
  const std::string socket = m_dir + "/native", script = m_dir + "/server.pa";
  {
    std::ofstream out(script);
    out << "load-module module-null-sink sink_name=lyricforge_null rate=44100 channels=2\n"
        << "load-module module-native-protocol-unix auth-anonymous=1 socket=" << socket << "\n"
        << "set-default-sink lyricforge_null\n";
  }
  const std::string home = "HOME=" + m_dir, runtime = "XDG_RUNTIME_DIR=" + m_dir,
                    pulseRuntime = "PULSE_RUNTIME_PATH=" + m_dir + "/run", log = m_dir + "/server.log";
  const std::string scriptArg = "--file=" + script;  // nothing is allocated after the fork
  m_pid = fork();
  if (m_pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that is killed takes its server with it
    const int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd >= 0) {
      dup2(fd, 1);
      dup2(fd, 2);
    }
    char* const env[] = {const_cast<char*>("PATH=/usr/bin:/bin"), const_cast<char*>(home.c_str()),
                         const_cast<char*>(runtime.c_str()), const_cast<char*>(pulseRuntime.c_str()), nullptr};
    char* const argv[] = {const_cast<char*>("pulseaudio"),
                          const_cast<char*>("-n"),
                          const_cast<char*>(scriptArg.c_str()),
                          const_cast<char*>("--daemonize=no"),
                          const_cast<char*>("--exit-idle-time=-1"),
                          const_cast<char*>("--use-pid-file=no"),
                          const_cast<char*>("--disable-shm=yes"),
                          const_cast<char*>("--log-target=stderr"),
                          nullptr};
    execve("/usr/bin/pulseaudio", argv, env);
    _exit(127);
  }
  if (m_pid < 0) {
    m_error = "cannot fork";
    return false;
  }
  const std::string server = "unix:" + socket;
  for (int i = 0; i < 100; ++i) {
    int status = 0;
    if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
      m_pid = -1;
      m_error = "pulseaudio exited (is it installed? see " + log + ")";
      return false;
    }
    if (std::filesystem::exists(socket) && Answers(server)) {
      m_savedServer = Environment("PULSE_SERVER");
      m_savedDriver = Environment("SDL_AUDIODRIVER");
      m_environmentSet = true;
      setenv("PULSE_SERVER", server.c_str(), 1);
      setenv("SDL_AUDIODRIVER", "pulseaudio", 1);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  m_error = "pulseaudio did not answer within 5 s";
  Stop();
  return false;
}

void PrivateSoundServer::Stop() {
  if (m_environmentSet) {
    Restore("PULSE_SERVER", m_savedServer);
    Restore("SDL_AUDIODRIVER", m_savedDriver);
    m_environmentSet = false;
  }
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    int status = 0;
    waitpid(m_pid, &status, 0);
    m_pid = -1;
  }
  if (!m_dir.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
    m_dir.clear();
  }
}

}  // namespace lf::test
