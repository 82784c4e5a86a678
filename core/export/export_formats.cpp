#include "core/export/export_formats.h"

#include <algorithm>
#include <cctype>

namespace lf {

namespace {

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

// The extension of the file name in `path` ("" when it has none; a leading dot
// names a hidden file, not an extension).
std::string ExtensionOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = name.find_last_of('.');
  return dot == std::string::npos || dot == 0 ? std::string() : name.substr(dot);
}

}  // namespace

const std::vector<ExportFormat>& ExportFormats() {
  static const std::vector<ExportFormat> formats = {
      {"bin", ExportType::Bin, ".bin"},    {"mp3g", ExportType::Mp3G, ".mp3"},
      {"wmag", ExportType::WmaG, ".wma"},  {"mp4", ExportType::Mp4, ".mp4"},
      {"ass", ExportType::Ass, ".ass"},    {"ultrastar", ExportType::UltraStar, ".txt"},
      {"ttml", ExportType::Ttml, ".ttml"}, {"vtt", ExportType::WebVtt, ".vtt"},
      {"srt", ExportType::Srt, ".srt"},    {"lrc", ExportType::Lrc, ".lrc"},
  };
  return formats;
}

std::optional<ExportFormat> ExportFormatNamed(const std::string& name) {
  for (const ExportFormat& f : ExportFormats())
    if (name == f.name) return f;
  return std::nullopt;
}

std::string OutputExtension(ExportType type, bool zip) {
  if (zip) return ".zip";
  for (const ExportFormat& f : ExportFormats())
    if (f.type == type) return f.extension;
  return "";
}

std::string ExportFormatNames() {
  const auto& formats = ExportFormats();
  std::string names;
  for (size_t i = 0; i < formats.size(); ++i) {
    if (i > 0) names += i + 1 == formats.size() ? " or " : ", ";
    names += formats[i].name;
  }
  return names;
}

std::string OutputPathWithExtension(const std::string& requested, ExportType type, bool zip, std::string& problem) {
  problem.clear();
  const std::string wanted = OutputExtension(type, zip);
  const std::string given = ExtensionOf(requested);
  if (given.empty()) return requested + wanted;
  if (Lower(given) == wanted) return requested;
  problem = requested + ": this export writes a " + wanted + " file, not " + given;
  return "";
}

}  // namespace lf
