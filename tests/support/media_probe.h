#pragma once
// Reads what the independent ffprobe/ffmpeg tools see in a media file.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace lf::test {

// "key=value" lines of `ffprobe -show_entries ENTRIES -of default=nw=1`, tag
// keys as "TAG:title". Empty when ffprobe could not read the file.
std::map<std::string, std::string> ProbeFields(const std::string& path, const std::string& entries);

// The whole file decoded by ffmpeg to interleaved 16-bit PCM at its own rate
// and channel count.
std::vector<int16_t> DecodeToPcm(const std::string& path);

// Quotes a path for the shell.
std::string ShellQuote(const std::string& s);

}  // namespace lf::test
