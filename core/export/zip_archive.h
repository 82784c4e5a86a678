#pragma once
// Packs finished export files into one zip file (libzip). Audio is stored as
// it is (it does not shrink); other files are deflated.
#include <string>
#include <vector>

namespace lf {

class StagedOutput;

class ZipArchive {
 public:
  struct Entry {
    std::string name;        // the name inside the archive
    std::string sourcePath;  // the file on disk that holds its bytes
    bool store = false;      // keep uncompressed
  };

  // Writes the archive holding `entries` into the staged file `target`,
  // through the file it created (the archive is put together in memory, so
  // libzip makes no file of its own beside it); false (and a reason) when any
  // step fails.
  static bool Create(const StagedOutput& target, const std::vector<Entry>& entries, std::string* error);
};

}  // namespace lf
