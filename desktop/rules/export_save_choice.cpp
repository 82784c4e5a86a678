#include "desktop/rules/export_save_choice.h"

#include "core/export/export_formats.h"

namespace lf {

namespace {

bool PairedAudio(ExportType type) { return type == ExportType::WmaG || type == ExportType::Mp3G; }

}  // namespace

ExportSaveChoice ExportSaveChoiceFor(ExportType type, bool zip) {
  switch (type) {
    case ExportType::Bin:
      return {"Export To BIN File", {"BIN Files (*.bin)", "*.bin"}, "bin", "Exporting project to BIN file..."};
    case ExportType::Mp4:
      return {"Export To MP4 Video", {"MP4 Files (*.mp4)", "*.mp4"}, "mp4", "Exporting project to MP4 video..."};
    case ExportType::Ass:
      return {"Export To ASS Subtitles", {"ASS Subtitles (*.ass)", "*.ass"}, "ass", "Writing ASS subtitles..."};
    case ExportType::UltraStar:
      return {"Export To UltraStar File", {"UltraStar Files (*.txt)", "*.txt"}, "txt", "Writing UltraStar file..."};
    case ExportType::Ttml:
      return {"Export To TTML Lyrics", {"TTML Files (*.ttml)", "*.ttml"}, "ttml", "Writing TTML lyrics..."};
    case ExportType::WebVtt:
      return {"Export To WebVTT Captions", {"WebVTT Files (*.vtt)", "*.vtt"}, "vtt", "Writing WebVTT captions..."};
    case ExportType::Srt:
      return {"Export To SRT Captions", {"SubRip Files (*.srt)", "*.srt"}, "srt", "Writing SRT captions..."};
    case ExportType::Lrc:
      return {"Export To Lyric File", {"Lyric Files (*.lrc)", "*.lrc"}, "lrc", "Writing lyric file..."};
    case ExportType::WmaG:
    case ExportType::Mp3G:
      break;
  }
  if (zip) return {"Export To Zipped File", {"Zip Files (*.zip)", "*.zip"}, "zip", "Compressing Audio..."};
  if (type == ExportType::Mp3G)
    return {"Export To MP3+G Files", {"MP3 Files (*.mp3)", "*.mp3"}, "mp3", "Compressing Audio..."};
  return {"Export To WMA+G Files", {"WMA Files (*.wma)", "*.wma"}, "wma", "Compressing Audio..."};
}

ExportSaveLocation ExportSaveLocationFor(ExportType type, const std::string& musicPath, const std::string& lastFolder) {
  if (!IsLyricFileType(type) || musicPath.empty()) return {lastFolder, ""};
  const size_t slash = musicPath.find_last_of('/');
  const std::string folder = slash == std::string::npos ? lastFolder : musicPath.substr(0, slash + 1);
  std::string name = musicPath.substr(slash == std::string::npos ? 0 : slash + 1);
  const size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return {folder, name + OutputExtension(type, false)};
}

ExportOptionStates ExportOptionStatesFor(ExportType type, bool lrcFileChecked) {
  ExportOptionStates states;
  states.lrcFile = PairedAudio(type);
  states.lrcStyle = type == ExportType::Lrc || (PairedAudio(type) && lrcFileChecked);
  states.zip = PairedAudio(type);
  states.timing = IsLyricFileType(type);
  states.sweep = type == ExportType::Ass;
  states.sungPitch = type == ExportType::UltraStar;
  return states;
}

LrcStyle ExportLrcStyle(ExportType type, bool lrcFileChecked, bool simpleChecked) {
  if (type != ExportType::Lrc && !(PairedAudio(type) && lrcFileChecked)) return LrcStyle::None;
  return simpleChecked ? LrcStyle::Simple : LrcStyle::Enhanced;
}

}  // namespace lf
