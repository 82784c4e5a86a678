#pragma once
// The save dialog that names an export's output, by export type and zip.
#include "core/export/export_choices.h"
#include "desktop/rules/music_file_filters.h"

namespace lf {

struct ExportSaveChoice {
  const char* title;
  FileFilter filter;
  const char* suffix;  // without the dot
  const char* progressCaption;
};

ExportSaveChoice ExportSaveChoiceFor(ExportType type, bool zip);

}  // namespace lf
