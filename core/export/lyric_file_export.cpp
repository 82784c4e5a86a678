#include "core/export/lyric_file_export.h"

#include <cstdio>

#include "core/export/ass_writer.h"
#include "core/export/enhanced_lrc_writer.h"
#include "core/export/srt_writer.h"
#include "core/export/ttml_writer.h"
#include "core/export/ultrastar_writer.h"
#include "core/export/webvtt_writer.h"
#include "core/platform/staged_output.h"
#include "core/song/song.h"
#include "core/song/song_compiler.h"

namespace lf {

namespace {

// The note pitch asked with the lyrics' times, which run `leadIn` later than
// the music's on the exported audio's timeline.
NotePitch PitchOnLyricsTimeline(const LyricFileOptions& options, Millis leadIn) {
  if (!options.notePitch || options.timing != TimingBase::kExport) return options.notePitch;
  return [pitch = options.notePitch, leadIn](Millis start, Millis end) { return pitch(start - leadIn, end - leadIn); };
}

LyricFileText WriterText(const TimedLyrics& lyrics, ExportType type, const LyricFileOptions& options, Millis leadIn) {
  switch (type) {
    case ExportType::Ass:
      return FormatAss(lyrics, {options.assSweep});
    case ExportType::UltraStar:
      return FormatUltraStar(lyrics, {options.audioFile, options.pitch, PitchOnLyricsTimeline(options, leadIn)});
    case ExportType::Ttml:
      return FormatTtml(lyrics);
    case ExportType::WebVtt:
      return FormatWebVtt(lyrics);
    case ExportType::Srt:
      return FormatSrt(lyrics);
    default:
      return FormatEnhancedLrc(lyrics);
  }
}

Millis LeadInMillis(const Song& song, const CompileResult& compiled) {
  return (int64_t(compiled.leadIn) * 1000 + song.Music().SampleRate() / 2) / song.Music().SampleRate();
}

}  // namespace

std::string LyricFileFormatName(ExportType type) {
  switch (type) {
    case ExportType::Ass:
      return "ASS";
    case ExportType::UltraStar:
      return "UltraStar";
    case ExportType::Ttml:
      return "TTML";
    case ExportType::WebVtt:
      return "WebVTT";
    case ExportType::Srt:
      return "SRT";
    default:
      return "LRC";
  }
}

std::string LyricFileTextOf(const Song& song, const CompileResult& compiled, ExportType type,
                            const LyricFileOptions& options, int* fixedLeftOut) {
  if (fixedLeftOut) *fixedLeftOut = 0;
  if (type == ExportType::Lrc && options.lrc == LrcStyle::Simple) {
    // The audio export's lyric file, unchanged: on the exported audio's
    // timeline only when asked.
    const int leadIn = options.timing == TimingBase::kExport ? compiled.leadIn : 0;
    return FormatLrc(song.Lyrics().LineList(), LrcStyle::Simple,
                     {song.Lyrics().Artist(), song.Lyrics().Title(), leadIn}, song.Music().SampleRate());
  }
  const Millis leadIn = LeadInMillis(song, compiled);
  const TimedLyrics lyrics = TimedLyricsFromSong(song, &compiled.times, {options.timing, leadIn});
  LyricFileText file = WriterText(lyrics, type, options, leadIn);
  if (fixedLeftOut) *fixedLeftOut = file.fixedLinesLeftOut;
  return file.text;
}

ExportOutcome ExportLyricFile(const Song& song, const CompileResult& compiled, ExportType type, const std::string& path,
                              const LyricFileOptions& options) {
  const std::string failure = "Unable to create " + LyricFileFormatName(type) + " file.";
  int fixedLeftOut = 0;
  const std::string text = LyricFileTextOf(song, compiled, type, options, &fixedLeftOut);
  StagedOutput output(path);
  std::FILE* f = std::fopen(output.TempPath().c_str(), "wb");
  bool written = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f && std::fclose(f) != 0) written = false;
  std::string error = "cannot write " + path;
  if (!written || !output.Commit(&error))
    return Outcome::Failure(Reason::WriteFailed, failure, "Error", MessageIcon::Exclamation, error);
  ExportOutcome outcome = Outcome::Success();
  if (fixedLeftOut > 0)
    outcome.text = std::to_string(fixedLeftOut) + (fixedLeftOut == 1 ? " fixed line" : " fixed lines") +
                   " left out: " + LyricFileFormatName(type) + " has no unsung text.";
  return outcome;
}

}  // namespace lf
