#pragma once
// Packs finished export files into one zip file (libzip). Audio is stored as
// it is (it does not shrink); other files are deflated.
#include <string>
#include <vector>

namespace lf {

class ZipArchive {
 public:
  struct Entry {
    std::string name;        // the name inside the archive
    std::string sourcePath;  // the file on disk that holds its bytes
    bool store = false;      // keep uncompressed
  };

  // Writes `zipPath` holding `entries`; false (and a reason) when any step fails,
  // in which case no archive is left at `zipPath`.
  static bool Create(const std::string& zipPath, const std::vector<Entry>& entries, std::string* error);
};

}  // namespace lf
