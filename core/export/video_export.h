#pragma once
// The MP4 pipeline: the packet stream played into video frames, as a player
// shows it at each frame's time, with the audio the MP3+G export writes
// (lead-in silence, the working music, the tail) as AAC beside it.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "core/export/export_outcome.h"
#include "core/export/mp4_writer.h"
#include "core/export/video_layout.h"
#include "core/platform/progress.h"

namespace lf {

inline constexpr int kDefaultVideoFps = 30;

struct VideoOptions {
  VideoArea area = VideoArea::Screen;
  int width = 1280, height = 720;
  int fps = kDefaultVideoFps;
  int crf = kDefaultVideoCrf;
  std::string preset = kDefaultVideoPreset;
  int keyframeSeconds = kDefaultKeyframeSeconds;  // 1 .. kMaxKeyframeSeconds
  // Every frame time gets a frame of its own (constant frame rate), for
  // players and editors that take nothing else; otherwise a picture that
  // stays is sent once and lasts until the next change or keyframe.
  bool constantFrameRate = false;
  int audioKbps = kVideoAudioBitRate / 1000;  // AAC, kMinVideoAudioKbps .. kMaxVideoAudioKbps
};

// The frame rates offered: 25, 30 and 60.
const std::vector<int>& VideoFrameRates();

// Frames that cover `audioFrames` samples at `sampleRate`: the last one starts before the audio ends.
int64_t VideoFrameCount(int64_t audioFrames, int64_t sampleRate, int fps);
// Slots a frame shows: every slot before the frame's time, floor(300 x frame / fps).
size_t SlotsBeforeFrame(int64_t frame, int fps);

struct VideoExportJob {
  std::string outputPath;
  std::string workingWavPath;  // the prepared music
  std::string musicPath;       // the project's own music: never overwritten
  std::string title;
  std::string artist;
  int leadIn = 0;                   // silent sample frames before the music
  int musicSilence = 0;             // silence the song counts past the working music's end
  int tail = 0;                     // and after it (the credits)
  double gain = 1.0;                // on the music, for even loudness
  const uint8_t* stream = nullptr;  // the song's output buffer
  int streamSize = 0;
  VideoOptions video;
};

// Writes the MP4 file under a temporary name and renames it into place when
// complete. A failure's outcome tells "Unable to create MP4 file." and why; a
// cancel sets the caption "Process canceled by user..."; neither leaves a file
// at the path.
ExportOutcome ExportVideo(const VideoExportJob& job, ProgressSink& progress);

}  // namespace lf
