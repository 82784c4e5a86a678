#include "core/export/zip_archive.h"

#include <zip.h>

#include <cstdio>

namespace lf {

namespace {
std::string ZipErrorText(int code) {
  zip_error_t error;
  zip_error_init_with_code(&error, code);
  std::string text = zip_error_strerror(&error);
  zip_error_fini(&error);
  return text;
}
}  // namespace

bool ZipArchive::Create(const std::string& zipPath, const std::vector<Entry>& entries, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "cannot write " + zipPath + ": " + why;
    std::remove(zipPath.c_str());
    return false;
  };
  int code = 0;
  zip_t* archive = zip_open(zipPath.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) return fail(ZipErrorText(code));
  for (const Entry& entry : entries) {
    zip_source_t* source = zip_source_file(archive, entry.sourcePath.c_str(), 0, -1);
    if (!source) {
      std::string why = zip_strerror(archive);
      zip_discard(archive);
      return fail(why);
    }
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      std::string why = zip_strerror(archive);
      zip_discard(archive);
      return fail(why);
    }
    zip_set_file_compression(archive, zip_uint64_t(index), entry.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
  }
  if (zip_close(archive) != 0) {
    std::string why = zip_strerror(archive);
    zip_discard(archive);
    return fail(why);
  }
  return true;
}

}  // namespace lf
