#pragma once
// The export formats by the names the command line gives them, and the file
// extension each one's output carries. One table: a new format is one row.
#include <optional>
#include <string>
#include <vector>

#include "core/export/export_choices.h"

namespace lf {

struct ExportFormat {
  const char* name;  // as `export --format` takes it
  ExportType type;
  const char* extension;  // of the file the export writes, with its dot
};

const std::vector<ExportFormat>& ExportFormats();
std::optional<ExportFormat> ExportFormatNamed(const std::string& name);
// The extension of what an export writes: the format's, or ".zip" when packed.
std::string OutputExtension(ExportType type, bool zip);
// "bin, mp3g or wmag": the names for a message.
std::string ExportFormatNames();

// The output path an export of `type` writes for `requested`: the extension
// added when the name has none. Sets `problem` (and returns "") when the name
// carries another extension: an MP3 written into "x.wma" helps nobody.
std::string OutputPathWithExtension(const std::string& requested, ExportType type, bool zip, std::string& problem);

}  // namespace lf
