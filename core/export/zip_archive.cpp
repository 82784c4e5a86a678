#include "core/export/zip_archive.h"

#include <zip.h>

#include <cstdio>
#include <memory>
#include <vector>

#include "core/platform/staged_output.h"

namespace lf {

namespace {

std::string ZipErrorText(const zip_error_t* error) { return zip_error_strerror(const_cast<zip_error_t*>(error)); }

// Adds the entries to `archive`; "" when all went in, else libzip's reason.
std::string AddEntries(zip_t* archive, const std::vector<ZipArchive::Entry>& entries) {
  for (const ZipArchive::Entry& entry : entries) {
    zip_source_t* source = zip_source_file(archive, entry.sourcePath.c_str(), 0, -1);
    if (!source) return zip_strerror(archive);
    const zip_int64_t index = zip_file_add(archive, entry.name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8);
    if (index < 0) {
      zip_source_free(source);
      return zip_strerror(archive);
    }
    zip_set_file_compression(archive, zip_uint64_t(index), entry.store ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
  }
  return "";
}

// Copies the finished archive out of its memory source into `out`.
bool CopySource(zip_source_t* source, std::FILE* out) {
  if (zip_source_open(source) != 0) return false;
  std::vector<char> block(1 << 16);
  bool ok = true;
  for (;;) {
    const zip_int64_t got = zip_source_read(source, block.data(), block.size());
    if (got < 0) ok = false;
    if (got <= 0) break;
    if (std::fwrite(block.data(), 1, size_t(got), out) != size_t(got)) {
      ok = false;
      break;
    }
  }
  zip_source_close(source);
  return ok;
}

struct SourceFree {
  void operator()(zip_source_t* source) const { zip_source_free(source); }
};

}  // namespace

bool ZipArchive::Create(const StagedOutput& target, const std::vector<Entry>& entries, std::string* error) {
  auto fail = [&](const std::string& why) {
    if (error) *error = "cannot write " + target.FinalPath() + ": " + why;
    return false;
  };
  zip_error_t zipError;
  zip_error_init(&zipError);
  std::unique_ptr<zip_source_t, SourceFree> buffer(zip_source_buffer_create(nullptr, 0, 0, &zipError));
  if (!buffer) return fail(ZipErrorText(&zipError));
  zip_t* archive = zip_open_from_source(buffer.get(), ZIP_TRUNCATE, &zipError);
  if (!archive) return fail(ZipErrorText(&zipError));
  zip_source_keep(buffer.get());  // the archive's close must leave the bytes to copy
  if (std::string why = AddEntries(archive, entries); !why.empty()) {
    zip_discard(archive);
    return fail(why);
  }
  if (zip_close(archive) != 0) {
    std::string why = zip_strerror(archive);
    zip_discard(archive);
    return fail(why);
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> out(target.OpenStream("wb"), &std::fclose);
  if (!out) return fail("its temporary file cannot be written");
  const bool copied = CopySource(buffer.get(), out.get());
  if (std::fclose(out.release()) != 0 || !copied) return fail("the disk is full or cannot be written");
  return true;
}

}  // namespace lf
