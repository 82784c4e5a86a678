#include "tests/support/media_probe.h"

#include <cstring>
#include <sstream>

#include "tests/support/wav_fixture.h"

namespace lf::test {

std::string ShellQuote(const std::string& s) {
  std::string out = "'";
  for (char c : s) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

std::map<std::string, std::string> ProbeFields(const std::string& path, const std::string& entries) {
  std::map<std::string, std::string> fields;
  int status = 0;
  const std::string out = RunCommand("ffprobe -v error -show_entries " + ShellQuote(entries) + " -of default=nw=1 " +
                                         ShellQuote(path) + " 2>/dev/null",
                                     &status);
  if (status != 0) return fields;
  std::istringstream lines(out);
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos) fields.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return fields;
}

std::vector<int16_t> DecodeToPcm(const std::string& path) {
  const std::string bytes = RunCommand("ffmpeg -v error -i " + ShellQuote(path) + " -f s16le - 2>/dev/null");
  std::vector<int16_t> pcm(bytes.size() / 2);
  std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
  return pcm;
}

}  // namespace lf::test
