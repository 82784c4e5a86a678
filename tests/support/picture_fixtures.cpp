#include "tests/support/picture_fixtures.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lf::test {

PictureFolder::PictureFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "lf-pictures-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data())) m_path = buffer.data();
}

PictureFolder::~PictureFolder() {
  std::error_code ec;
  if (!m_path.empty()) std::filesystem::remove_all(m_path, ec);
}

std::string PictureFolder::Synthesise(const std::string& name, const std::string& source, const std::string& extra) {
  std::string file = File(name);
  std::string command =
      "ffmpeg -nostdin -y -loglevel error -f lavfi -i '" + source + "' " + extra + " -frames:v 1 '" + file + "'";
  if (std::system(command.c_str()) != 0) return {};
  return file;
}

std::string PictureFolder::Write(const std::string& name, const std::string& bytes) {
  std::string file = File(name);
  std::ofstream out(file, std::ios::binary);
  out.write(bytes.data(), std::streamsize(bytes.size()));
  return file;
}

std::vector<uint32_t> PictureFolder::ReferencePixels(const std::string& file, int width, int height) {
  std::string raw = File("reference.raw");
  std::string command = "ffmpeg -nostdin -y -loglevel error -i '" + file + "' -vf scale=" + std::to_string(width) +
                        ":" + std::to_string(height) + ":flags=bicubic -frames:v 1 -f rawvideo -pix_fmt bgra '" + raw +
                        "'";
  if (std::system(command.c_str()) != 0) return {};
  std::string bytes = ReadFileBytes(raw);
  if (bytes.size() != size_t(width) * height * 4) return {};
  std::vector<uint32_t> pixels(size_t(width) * height);
  std::memcpy(pixels.data(), bytes.data(), bytes.size());
  return pixels;
}

}  // namespace lf::test
