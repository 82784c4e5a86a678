#pragma once
// The export of a lyric or subtitle file (ASS, UltraStar, TTML, WebVTT, SRT,
// LRC) from a compiled song: its timed words on the music's timeline or on
// the exported audio's, written in one piece or not at all.
#include <string>

#include "core/export/export_choices.h"
#include "core/export/export_outcome.h"
#include "core/export/lrc_writer.h"
#include "core/export/ultrastar_writer.h"
#include "core/lyrics/timed_lyrics.h"

namespace lf {

class Song;
struct CompileResult;

struct LyricFileOptions {
  TimingBase timing = TimingBase::kMusic;
  LrcStyle lrc = LrcStyle::Enhanced;  // Simple: line tags only, as the audio export's lyric file
  bool assSweep = false;              // ASS {\kf} instead of {\k}
  std::string audioFile;              // UltraStar #MP3
  int pitch = 0;                      // UltraStar: every note's pitch (semitones from C4)
  NotePitch notePitch = nullptr;      // UltraStar: each note's pitch, from times on the music's timeline
};

// "ASS", "UltraStar", "TTML", "WebVTT", "SRT" or "LRC".
std::string LyricFileFormatName(ExportType type);

// The file's text: what the writer of `type` makes of the song's timed words.
// `fixedLeftOut` gets the number of fixed lines the format could not carry.
std::string LyricFileTextOf(const Song& song, const CompileResult& compiled, ExportType type,
                            const LyricFileOptions& options, int* fixedLeftOut = nullptr);

// Writes LyricFileTextOf to `path`. The outcome's text notes the fixed lines
// left out ("" when none were).
ExportOutcome ExportLyricFile(const Song& song, const CompileResult& compiled, ExportType type, const std::string& path,
                              const LyricFileOptions& options);

}  // namespace lf
