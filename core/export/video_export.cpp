#include "core/export/video_export.h"

#include <algorithm>
#include <vector>

#include "core/audio/padded_pcm.h"
#include "core/audio/pcm_source.h"
#include "core/export/video_canvas.h"
#include "core/platform/staged_output.h"
#include "core/playback/cdg_decoder.h"
#include "core/playback/rw_renderer.h"

namespace lf {

namespace {

constexpr const char* kMp4CreateError = "Unable to create MP4 file.";
constexpr const char* kExportCaption = "Exporting project to MP4 file...";
constexpr const char* kCancelCaption = "Process canceled by user...";
constexpr int64_t kClosingFrames = 4;  // more than x264's B-frame delay (2 with the pyramid)

ExportOutcome Fail(const std::string& why, Reason reason = Reason::WriteFailed) {
  return Outcome::Failure(reason, kMp4CreateError, "Error", MessageIcon::Exclamation, why);
}

std::string OptionsProblem(const VideoOptions& video, const VideoLayout& layout) {
  const auto& rates = VideoFrameRates();
  if (std::find(rates.begin(), rates.end(), video.fps) == rates.end())
    return "the frame rate " + std::to_string(video.fps) + " is not offered (25, 30 or 60)";
  if (!layout.Fits())
    return "a " + std::to_string(video.width) + " x " + std::to_string(video.height) +
           " frame cannot hold the screen (even sides, at least " + std::to_string(layout.sourceWidth) + " x " +
           std::to_string(layout.sourceHeight) + ")";
  if (video.crf == 0)
    return "the quality (crf) 0 is lossless H.264, which browsers and most players do not play; 1 is the finest "
           "offered";
  if (video.crf < kMinVideoCrf || video.crf > kMaxVideoCrf)
    return "the quality (crf) " + std::to_string(video.crf) + " is not within " + std::to_string(kMinVideoCrf) + "-" +
           std::to_string(kMaxVideoCrf);
  if (video.keyframeSeconds < 1 || video.keyframeSeconds > kMaxKeyframeSeconds)
    return "the keyframe interval " + std::to_string(video.keyframeSeconds) + " s is not within 1-" +
           std::to_string(kMaxKeyframeSeconds);
  if (video.audioKbps < kMinVideoAudioKbps || video.audioKbps > kMaxVideoAudioKbps)
    return "the audio bit rate " + std::to_string(video.audioKbps) + " kbit/s is not within " +
           std::to_string(kMinVideoAudioKbps) + "-" + std::to_string(kMaxVideoAudioKbps);
  if (!IsVideoPreset(video.preset)) return "the preset '" + video.preset + "' is not one of " + VideoPresetList();
  return "";
}

// True when a packet of slots from .. to - 1 is a graphics packet (the rest change nothing).
bool AnyGraphics(const uint8_t* stream, size_t from, size_t to) {
  for (size_t slot = from; slot < to; ++slot)
    if ((stream[slot * kPacketSize] & kSixBitMask) == kTvGraphics) return true;
  return false;
}

// The pieces of one run: the screen as a player builds it, the picture of
// it, and the file the frames and the audio go into.
class VideoRun {
 public:
  VideoRun(const VideoExportJob& job, const VideoLayout& layout, PcmSource& music)
      : m_job(job),
        m_layout(layout),
        m_streamSize(size_t(std::max(0, job.streamSize))),
        m_canvas(layout),
        m_audio(music, job.leadIn, job.musicSilence + job.tail),
        m_pcm(size_t(music.Format().sampleRate) / 10 * size_t(music.Format().BlockAlign())),
        m_rate(music.Format().sampleRate),
        m_block(music.Format().BlockAlign()) {
    m_renderer.SetHoldDisplay(true);  // nothing is attached to it: no repaints to work out
  }

  bool Open(const std::string& path, const PcmFormat& format) {
    Mp4Settings settings;
    settings.width = m_layout.width;
    settings.height = m_layout.height;
    settings.fps = m_job.video.fps;
    settings.crf = m_job.video.crf;
    settings.preset = m_job.video.preset;
    settings.keyframeSeconds = m_job.video.keyframeSeconds;
    settings.audioBitRate = m_job.video.audioKbps * 1000;
    settings.pictureLeft = m_layout.left;
    settings.pictureTop = m_layout.top;
    settings.pictureWidth = m_layout.PictureWidth();
    settings.audioRate = format.sampleRate;
    settings.audioChannels = format.channels;
    settings.audioBits = format.bits;
    settings.title = m_job.title;
    settings.artist = m_job.artist;
    return m_writer.Open(path, settings);
  }

  int64_t FrameCount() const { return VideoFrameCount(m_audio.TotalFrames(), m_rate, m_job.video.fps); }

  // The audio up to the end of frame `frame`, then the frame itself.
  bool WriteFrame(int64_t frame) {
    const int64_t fps = m_job.video.fps;
    const int64_t audioEnd = std::min(m_audio.TotalFrames(), ((frame + 1) * m_rate + fps - 1) / fps);
    while (m_audio.FramesRead() < audioEnd) {
      const size_t want = size_t(std::min<int64_t>(audioEnd - m_audio.FramesRead(), int64_t(m_pcm.size() / m_block)));
      const size_t got = m_audio.Read(m_pcm.data(), want);
      if (got == 0) break;
      if (!m_writer.WriteAudio(m_pcm.data(), got)) return false;
    }
    // A frame where no packet arrived repeats the last one as it stands.
    const size_t from = m_slot;
    m_slot = m_decoder.DecodeSlots(m_job.stream, m_streamSize, from, SlotsBeforeFrame(frame, int(fps)), m_renderer);
    bool changed = frame == 0;
    if (AnyGraphics(m_job.stream, from, m_slot) || frame == 0) {
      for (int band : m_canvas.Update(m_renderer.DisplayColors())) {
        const int top = band * m_canvas.BandHeight();
        if (!m_writer.PaintRows(m_canvas.Pixels() + size_t(top) * size_t(m_canvas.Stride()), m_canvas.Stride(), top,
                                m_canvas.BandHeight()))
          return false;
        changed = true;
      }
    }
    // The closing frames are always sent: a file's video ends where its last
    // frame is decoded, which B-frames hold back by a frame or two.
    const bool send = changed || m_job.video.constantFrameRate || m_writer.KeyframeDue(frame) ||
                      frame + kClosingFrames >= FrameCount();
    return !send || m_writer.WriteVideoFrame(frame);
  }

  bool Finish() { return m_writer.Finish(); }
  const std::string& Error() const { return m_writer.Error(); }

 private:
  const VideoExportJob& m_job;
  VideoLayout m_layout;
  CdgRenderer m_renderer;
  size_t m_streamSize;
  CdgDecoder m_decoder;
  size_t m_slot = 0;  // the first slot not yet decoded
  VideoCanvas m_canvas;
  PaddedPcm m_audio;
  std::vector<uint8_t> m_pcm;  // a tenth of a second
  int64_t m_rate;
  int m_block;
  Mp4Writer m_writer;
};

}  // namespace

const std::vector<int>& VideoFrameRates() {
  static const std::vector<int> rates{25, 30, 60};
  return rates;
}

int64_t VideoFrameCount(int64_t audioFrames, int64_t sampleRate, int fps) {
  if (audioFrames <= 0 || sampleRate <= 0 || fps <= 0) return 0;
  return (audioFrames * fps + sampleRate - 1) / sampleRate;
}

size_t SlotsBeforeFrame(int64_t frame, int fps) {
  if (frame <= 0 || fps <= 0) return 0;
  return size_t(frame * kPacketsPerSecond / fps);
}

ExportOutcome ExportVideo(const VideoExportJob& job, ProgressSink& progress) {
  const VideoLayout layout = LayOutVideo(job.video.area, job.video.width, job.video.height);
  if (std::string problem = OptionsProblem(job.video, layout); !problem.empty())
    return Fail(problem, Reason::NotAllowed);
  if (std::string problem = OutputPathProblem(job.outputPath); !problem.empty()) return Fail(problem);
  if (SameFile(job.outputPath, job.musicPath) || SameFile(job.outputPath, job.workingWavPath)) {
    return Outcome::Failure(Reason::WriteFailed,
                            "The export would replace the project's music file.\nPlease choose another name.", "Error",
                            MessageIcon::Exclamation, job.outputPath + " is the project's music file");
  }
  PcmSource music;
  std::string error;
  if (!music.Open(job.workingWavPath, &error, false)) return Fail(error, Reason::Failed);
  music.SetGain(job.gain);

  progress.SetCaption(kExportCaption);
  StagedOutput staged(job.outputPath);
  VideoRun run(job, layout, music);
  if (!run.Open(staged.DescriptorPath(), music.Format())) return Fail(run.Error() + " (" + job.outputPath + ")");
  const int64_t frames = run.FrameCount();
  int lastPercent = -1;
  for (int64_t frame = 0; frame < frames; ++frame) {
    if (progress.CancelRequested()) {
      progress.SetCaption(kCancelCaption);
      return ExportOutcome::Cancelled();  // `staged` removes the partial file
    }
    if (!run.WriteFrame(frame)) return Fail(run.Error() + " (" + job.outputPath + ")");
    const int percent = int((frame + 1) * 100 / frames);
    if (percent != lastPercent) progress.Report(lastPercent = percent);
  }
  if (!run.Finish()) return Fail(run.Error() + " (" + job.outputPath + ")");
  if (!staged.Commit(&error)) return Fail(error);
  if (lastPercent < 100) progress.Report(100);
  return Outcome::Success();
}

}  // namespace lf
