#pragma once
// An MP4 file of H.264 video (libx264) and AAC audio, through FFmpeg: the one
// place that knows the video encoder, the colour conversion and the MP4
// muxer. The caller paints a picture into the frame band by band, sends the
// frame as it stands once per frame time, and feeds the audio alongside.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace lf {

inline constexpr int kDefaultVideoCrf = 20;
// The lowest quality value offered: crf 0 makes lossless H.264 (the High 4:4:4
// Predictive profile), which browsers and most players refuse to play.
inline constexpr int kMinVideoCrf = 1, kMaxVideoCrf = 51;
// A keyframe at least this often, so players and video sites seek quickly.
inline constexpr int kDefaultKeyframeSeconds = 2;
inline constexpr int kMaxKeyframeSeconds = 10;
inline constexpr const char* kDefaultVideoPreset = "veryfast";
inline constexpr int kVideoAudioBitRate = 192000;  // bit/s, unless asked otherwise
// The AAC rates offered (kbit/s): what FFmpeg's AAC encoder gives stereo sound.
inline constexpr int kMinVideoAudioKbps = 32, kMaxVideoAudioKbps = 320;

struct Mp4Settings {
  int width = 1280, height = 720;  // even
  int fps = 30;
  int crf = kDefaultVideoCrf;  // kMinVideoCrf .. kMaxVideoCrf
  std::string preset = kDefaultVideoPreset;
  int keyframeSeconds = kDefaultKeyframeSeconds;  // the longest stretch between two keyframes
  // Where painted rows go: the picture's left edge, top edge and width in the frame (even).
  int pictureLeft = 0, pictureTop = 0, pictureWidth = 0;
  uint32_t audioRate = 44100;             // the PCM that WriteAudio takes
  int audioBitRate = kVideoAudioBitRate;  // AAC, bit/s
  int audioChannels = 2, audioBits = 16;
  std::string title, artist;
};

// x264's speed presets, fastest first.
bool IsVideoPreset(const std::string& name);
const char* VideoPresetList();  // "ultrafast, superfast, ..." for messages

class Mp4Writer {
 public:
  Mp4Writer();
  ~Mp4Writer();  // an unfinished file is closed as it is; the caller removes it
  Mp4Writer(const Mp4Writer&) = delete;
  Mp4Writer& operator=(const Mp4Writer&) = delete;

  // Opens the encoders and the file and writes the header; the frame starts black.
  bool Open(const std::string& path, const Mp4Settings& settings);
  // Converts `rows` rows of RGB0 pixels (`stride` bytes apart, pictureWidth
  // wide) into the frame at picture row `top`. `top` and `rows` are even.
  bool PaintRows(const uint8_t* rgb0, int stride, int top, int rows);
  // Encodes the frame as it stands, shown from frame time `index` (frames
  // since the start, ascending) until the next one sent: a picture that does
  // not change is sent once. Frames that start a keyframe interval
  // (KeyframeDue) are always sent and become keyframes.
  bool WriteVideoFrame(int64_t index);
  bool KeyframeDue(int64_t index) const;
  // Encodes interleaved PCM frames in the settings' format.
  bool WriteAudio(const uint8_t* pcm, std::size_t frames);
  // Flushes both encoders, writes the index (moved to the front for streaming) and closes the file.
  bool Finish();
  const std::string& Error() const { return m_error; }

 private:
  struct State;
  bool Fail(const std::string& what, int code);
  std::unique_ptr<State> m_state;
  std::string m_error;
};

}  // namespace lf
