#include "tests/support/desktop_session.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "tests/support/media_probe.h"  // ShellQuote
#include "tests/support/wav_fixture.h"  // RunCommand

extern char** environ;

namespace lf::test {

namespace {

pid_t Spawn(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
  std::vector<char*> args, envp;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  for (const std::string& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  pid_t pid = -1;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

void End(pid_t& pid) {
  if (pid <= 0) return;
  kill(pid, SIGTERM);
  for (int i = 0; i < 50 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  if (waitpid(pid, nullptr, WNOHANG) == 0) {
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
  }
  pid = -1;
}

}  // namespace

DesktopSession::DesktopSession(std::string configHome) : m_configHome(std::move(configHome)) {}

DesktopSession::~DesktopSession() {
  End(m_program);
  End(m_server);
}

std::vector<std::string> DesktopSession::Environment() const {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    const std::string entry = *e;
    const std::string name = entry.substr(0, entry.find('='));
    if (name != "DISPLAY" && name != "QT_QPA_PLATFORM" && name != "XDG_CONFIG_HOME" && name != "XDG_STATE_HOME" &&
        name != "SDL_AUDIODRIVER")
      env.push_back(entry);
  }
  env.push_back("DISPLAY=" + m_display);
  env.push_back("QT_QPA_PLATFORM=xcb");
  env.push_back("XDG_CONFIG_HOME=" + m_configHome);
  // Recovery files of a killed run stay with the test that killed it.
  env.push_back("XDG_STATE_HOME=" + m_configHome + "/state");
  env.push_back("SDL_AUDIODRIVER=dummy");
  return env;
}

bool DesktopSession::StartServer() {
  // A display number no other server holds, from the process id so that parallel runs differ.
  for (int n = 100 + getpid() % 400, tries = 0; tries < 50; ++n, ++tries) {
    if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n)) ||
        std::filesystem::exists("/tmp/.X" + std::to_string(n) + "-lock"))
      continue;
    m_display = ":" + std::to_string(n);
    m_server = Spawn({"Xvfb", m_display, "-screen", "0", "1024x768x24", "-nolisten", "tcp"}, Environment());
    if (m_server <= 0) return false;
    for (int i = 0; i < 100; ++i) {
      if (std::filesystem::exists("/tmp/.X11-unix/X" + std::to_string(n))) return true;
      if (waitpid(m_server, nullptr, WNOHANG) != 0) break;  // lost the race for this display
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    End(m_server);
  }
  return false;
}

bool DesktopSession::StartProgram(const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv = {program};
  argv.insert(argv.end(), args.begin(), args.end());
  m_program = Spawn(argv, Environment());
  if (m_program <= 0) return false;
  int status = 0;
  const std::string found =
      RunCommand("DISPLAY=" + m_display +
                     " timeout 30 xdotool search --sync --onlyvisible --name '^Lyricforge' 2>/dev/null | head -n 1",
                 &status);
  m_window = found.substr(0, found.find('\n'));
  return !m_window.empty();
}

bool DesktopSession::Xdotool(const std::string& args) {
  int status = 0;
  RunCommand("DISPLAY=" + m_display + " xdotool windowfocus --sync " + m_window + " " + args, &status);
  return status == 0;
}

void DesktopSession::KillProgram() {
  if (m_program <= 0) return;
  kill(m_program, SIGKILL);
  waitpid(m_program, nullptr, 0);
  m_program = -1;
}

bool DesktopSession::WaitForExit(double seconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (waitpid(m_program, nullptr, WNOHANG) == m_program) {
      m_program = -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

bool DesktopSession::Screenshot(const std::string& pngPath) {
  int status = 0;
  RunCommand("import -display " + m_display + " -window root " + ShellQuote(pngPath) + " 2>/dev/null", &status);
  return status == 0;
}

ErrorFigures Summarise(std::vector<double> errors) {
  if (errors.empty()) return {};
  for (double& e : errors) e = std::fabs(e);
  std::sort(errors.begin(), errors.end());
  const size_t n = errors.size();
  const double median = n % 2 ? errors[n / 2] : (errors[n / 2 - 1] + errors[n / 2]) / 2;
  return {median, errors.back()};
}

}  // namespace lf::test
