#pragma once
// Picture files for tests, made with the ffmpeg tool in a private folder that
// is removed afterwards. Nothing here is committed media.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/wav_fixture.h"  // ReadFileBytes

namespace lf::test {

class PictureFolder {
 public:
  PictureFolder();
  ~PictureFolder();
  PictureFolder(const PictureFolder&) = delete;
  PictureFolder& operator=(const PictureFolder&) = delete;

  const std::string& Path() const { return m_path; }
  std::string File(const std::string& name) const { return m_path + "/" + name; }

  // Runs `ffmpeg -y -loglevel error -f lavfi -i <source> <extra> <file>`;
  // `source` is a lavfi source such as "testsrc=size=576x384".
  // Returns the file's path, or "" when ffmpeg failed.
  std::string Synthesise(const std::string& name, const std::string& source, const std::string& extra = "");
  // Writes raw bytes.
  std::string Write(const std::string& name, const std::string& bytes);

  // ffmpeg's own reading of a picture file, scaled bicubically to w x h, as
  // 0xAARRGGBB values; empty when ffmpeg fails.
  std::vector<uint32_t> ReferencePixels(const std::string& file, int width, int height);

 private:
  std::string m_path;
};

}  // namespace lf::test
