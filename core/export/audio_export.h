#pragma once
// The MP3+G and WMA+G pipelines: the working WAV encoded with the lead-in
// before it and the tail after it, the packet stream cut to the audio's
// playing time into a `.cdg` beside it, optionally an `.lrc`, optionally all
// of them packed into one zip file.
#include <cstdint>
#include <functional>
#include <string>

#include "core/export/export_choices.h"
#include "core/export/export_outcome.h"
#include "core/export/lrc_writer.h"
#include "core/platform/progress.h"

namespace lf {

// One encoder run, as the pipeline asks for it.
struct EncodeRequest {
  ExportType type = ExportType::Mp3G;
  std::string sourceWav;
  std::string target;
  int bitRate = kDefaultExportBitRate;  // kbit/s; WMA maps it to a profile number
  std::string title;
  std::string artist;
  int leadIn = 0;        // silent frames before the music
  int musicSilence = 0;  // silent frames that end the music (music read where it lies)
  int tail = 0;          // silent frames after it
  double gain = 1.0;     // every sample of the music multiplied by it (loudness normalisation)
};

// What the pipeline needs from the audio layer; Default...() binds the real encoders.
struct AudioExportServices {
  // False on failure, with the reason in the string.
  std::function<bool(const EncodeRequest&, ProgressSink&, std::string&)> encode;
  std::function<int64_t(const std::string&)> durationMs;  // GetMediaDuration in ms
};
AudioExportServices DefaultAudioExportServices();

struct AudioExportJob {
  ExportType type = ExportType::Mp3G;
  std::string outputPath;  // the audio file, or the zip file when `zip`
  bool zip = false;
  std::string workingWavPath;  // the prepared music
  std::string musicPath;       // the project's own music: never overwritten
  int bitRate = kDefaultExportBitRate;
  std::string title;
  std::string artist;
  int leadIn = 0;
  int musicSilence = 0;             // silence the song counts past the working music's end
  int tail = 0;                     // the song's credits length
  double gain = 1.0;                // on the music, for even loudness
  const uint8_t* stream = nullptr;  // the song's output buffer
  int streamSize = 0;
  // Lyric file: the song's lines with their word times.
  LrcStyle lrc = LrcStyle::None;
  const KaraokeLineList* lines = nullptr;
  int sampleRate = kDefaultSampleRate;
};

// The files an export of `job` produces (audio, cdg, lrc beside the audio;
// or the single zip).
struct AudioExportPaths {
  std::string audio, cdg, lrc, zip;
};
AudioExportPaths PathsOf(const AudioExportJob& job);

// Runs the pipeline. Nothing appears at the final paths unless every step
// succeeded; a failure carries the message to show ("Unable to create MP3 file.", ...).
ExportOutcome ExportAudio(const AudioExportJob& job, const AudioExportServices& services, ProgressSink& progress);

}  // namespace lf
