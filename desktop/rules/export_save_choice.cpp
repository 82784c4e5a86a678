#include "desktop/rules/export_save_choice.h"

namespace lf {

ExportSaveChoice ExportSaveChoiceFor(ExportType type, bool zip) {
  switch (type) {
    case ExportType::Bin:
      return {"Export To BIN File", {"BIN Files (*.bin)", "*.bin"}, "bin", "Exporting project to BIN file..."};
    case ExportType::Mp4:
      return {"Export To MP4 Video", {"MP4 Files (*.mp4)", "*.mp4"}, "mp4", "Exporting project to MP4 video..."};
    case ExportType::WmaG:
    case ExportType::Mp3G:
      break;
  }
  if (zip) return {"Export To Zipped File", {"Zip Files (*.zip)", "*.zip"}, "zip", "Compressing Audio..."};
  if (type == ExportType::Mp3G)
    return {"Export To MP3+G Files", {"MP3 Files (*.mp3)", "*.mp3"}, "mp3", "Compressing Audio..."};
  return {"Export To WMA+G Files", {"WMA Files (*.wma)", "*.wma"}, "wma", "Compressing Audio..."};
}

}  // namespace lf
