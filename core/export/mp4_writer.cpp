#include "core/export/mp4_writer.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <array>
#include <cstring>

#include "core/audio/encoded_audio_stream.h"
#include "core/audio/ffmpeg_output.h"
#include "core/platform/local_media_input.h"

namespace lf {

namespace {

constexpr std::array<const char*, 10> kPresets{"ultrafast", "superfast", "veryfast", "faster",   "fast",
                                               "medium",    "slow",      "slower",   "veryslow", "placebo"};
// Black in limited-range YUV.
constexpr uint8_t kBlackLuma = 16, kNeutralChroma = 128;
constexpr int kConverterSlack = 64;  // pixels past a row's end the converter may write

}  // namespace

bool IsVideoPreset(const std::string& name) {
  for (const char* preset : kPresets)
    if (name == preset) return true;
  return false;
}

const char* VideoPresetList() {
  return "ultrafast, superfast, veryfast, faster, fast, medium, slow, slower, veryslow, placebo";
}

struct Mp4Writer::State {
  Mp4Settings settings;
  AVFormatContext* format = nullptr;
  AVCodecContext* video = nullptr;
  AVStream* videoStream = nullptr;
  EncodedAudioStream audio;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  SwsContext* converter = nullptr;
  int converterRows = 0;
  // The converter writes past the right edge of its rows (whole SIMD blocks):
  // it fills this band, whose rows are then copied into the frame.
  uint8_t* band[4] = {};
  int bandStride[4] = {};
  int64_t nextPts = 0;  // the first frame time not yet sent
  bool fileOpen = false;
  bool headerWritten = false;

  ~State() {
    sws_freeContext(converter);
    av_freep(&band[0]);
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&video);
    if (format) {
      if (fileOpen) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }

  // A converter for bands of `rows` rows: RGB0 (full range) to BT.709 limited-range 4:2:0, same size.
  bool ConverterFor(int rows) {
    if (converter && converterRows == rows) return true;
    sws_freeContext(converter);
    av_freep(&band[0]);
    if (av_image_alloc(band, bandStride, settings.pictureWidth + kConverterSlack, rows, AV_PIX_FMT_YUV420P, 64) < 0)
      return false;
    converter = sws_getContext(settings.pictureWidth, rows, AV_PIX_FMT_RGB0, settings.pictureWidth, rows,
                               AV_PIX_FMT_YUV420P, SWS_POINT | SWS_ACCURATE_RND, nullptr, nullptr, nullptr);
    converterRows = converter ? rows : 0;
    if (!converter) return false;
    const int* bt709 = sws_getCoefficients(SWS_CS_ITU709);
    sws_setColorspaceDetails(converter, sws_getCoefficients(SWS_CS_DEFAULT), 1, bt709, 0, 0, 1 << 16, 1 << 16);
    return true;
  }
};

Mp4Writer::Mp4Writer() : m_state(std::make_unique<State>()) {}
Mp4Writer::~Mp4Writer() = default;

bool Mp4Writer::Fail(const std::string& what, int code) {
  m_error = code < 0 ? what + ": " + FfmpegErrorText(code) : what;
  return false;
}

bool Mp4Writer::Open(const std::string& path, const Mp4Settings& settings) {
  QuietFfmpegLog();
  State& s = *m_state;
  s.settings = settings;
  int rc = avformat_alloc_output_context2(&s.format, nullptr, "mp4", path.c_str());
  if (rc < 0 || !s.format) return Fail("The MP4 writer is not available", rc);

  const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
  if (!codec) return Fail("The H.264 encoder (libx264) is not available.", 0);
  s.videoStream = avformat_new_stream(s.format, nullptr);
  s.video = avcodec_alloc_context3(codec);
  if (!s.videoStream || !s.video) return Fail("Out of memory.", 0);
  s.video->width = settings.width;
  s.video->height = settings.height;
  s.video->pix_fmt = AV_PIX_FMT_YUV420P;
  s.video->time_base = AVRational{1, settings.fps};
  s.video->framerate = AVRational{settings.fps, 1};
  s.video->sample_aspect_ratio = AVRational{1, 1};
  // Tagged as converted, so players do not guess between BT.601 and BT.709.
  s.video->color_range = AVCOL_RANGE_MPEG;
  s.video->colorspace = AVCOL_SPC_BT709;
  s.video->color_primaries = AVCOL_PRI_BT709;
  s.video->color_trc = AVCOL_TRC_BT709;
  if (s.format->oformat->flags & AVFMT_GLOBALHEADER) s.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  av_opt_set(s.video->priv_data, "preset", settings.preset.c_str(), 0);
  av_opt_set(s.video->priv_data, "crf", std::to_string(settings.crf).c_str(), 0);
  // x264 places its own keyframes (scene cuts) too; the interval is a bound, kept by KeyframeDue.
  s.video->gop_size = settings.keyframeSeconds * settings.fps;
  av_opt_set(s.video->priv_data, "forced-idr", "1", 0);  // a keyframe asked for is one a player can start at
  s.video->thread_count = 0;                             // x264's frame threads, one set per core
  if ((rc = avcodec_open2(s.video, codec, nullptr)) < 0) return Fail("The H.264 encoder refused its settings", rc);
  if ((rc = avcodec_parameters_from_context(s.videoStream->codecpar, s.video)) < 0) return Fail("Out of memory", rc);
  s.videoStream->time_base = s.video->time_base;
  s.videoStream->avg_frame_rate = s.video->framerate;

  const AudioStreamSettings audio{"aac", settings.audioBitRate, 0, false};
  if (!s.audio.Open(s.format, audio, settings.audioRate, settings.audioChannels, settings.audioBits))
    return Fail(s.audio.Error(), 0);

  if (!settings.title.empty()) av_dict_set(&s.format->metadata, "title", settings.title.c_str(), 0);
  if (!settings.artist.empty()) av_dict_set(&s.format->metadata, "artist", settings.artist.c_str(), 0);

  s.frame = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.frame || !s.packet) return Fail("Out of memory.", 0);
  s.frame->format = AV_PIX_FMT_YUV420P;
  s.frame->width = settings.width;
  s.frame->height = settings.height;
  if ((rc = av_frame_get_buffer(s.frame, 0)) < 0) return Fail("Out of memory", rc);
  std::memset(s.frame->data[0], kBlackLuma, size_t(s.frame->linesize[0]) * size_t(settings.height));
  for (int plane = 1; plane <= 2; ++plane)
    std::memset(s.frame->data[plane], kNeutralChroma, size_t(s.frame->linesize[plane]) * size_t(settings.height / 2));

  if ((rc = avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
    return Fail("Unable to open \"" + path + "\" for writing", rc);
  s.fileOpen = true;
  AVDictionary* options = nullptr;
  av_dict_set(&options, "movflags", "+faststart", 0);  // the index first: players start before the download ends
  rc = avformat_write_header(s.format, &options);
  av_dict_free(&options);
  if (rc < 0) return Fail("Unable to write the MP4 header", rc);
  s.headerWritten = true;
  return true;
}

bool Mp4Writer::PaintRows(const uint8_t* rgb0, int stride, int top, int rows) {
  State& s = *m_state;
  if (!s.headerWritten) return Fail("The MP4 file is not open.", 0);
  if (rows <= 0) return true;
  // The encoder may still hold the last frame sent; then this gives us a copy to change.
  int rc = av_frame_make_writable(s.frame);
  if (rc < 0) return Fail("Out of memory", rc);
  if (!s.ConverterFor(rows)) return Fail("The picture cannot be converted for the H.264 encoder.", 0);
  const uint8_t* source[4] = {rgb0, nullptr, nullptr, nullptr};
  const int sourceStride[4] = {stride, 0, 0, 0};
  sws_scale(s.converter, source, sourceStride, 0, rows, s.band, s.bandStride);
  for (int plane = 0; plane < 3; ++plane) {
    const int shift = plane == 0 ? 0 : 1;  // chroma is half size both ways
    const int y = (s.settings.pictureTop + top) >> shift, x = s.settings.pictureLeft >> shift;
    const int width = s.settings.pictureWidth >> shift;
    uint8_t* into = s.frame->data[plane] + ptrdiff_t(y) * s.frame->linesize[plane] + x;
    for (int r = 0; r < rows >> shift; ++r)
      std::memcpy(into + ptrdiff_t(r) * s.frame->linesize[plane], s.band[plane] + ptrdiff_t(r) * s.bandStride[plane],
                  size_t(width));
  }
  return true;
}

bool Mp4Writer::KeyframeDue(int64_t index) const {
  const int64_t interval = int64_t(m_state->settings.keyframeSeconds) * m_state->settings.fps;
  return interval > 0 && index % interval == 0;
}

bool Mp4Writer::WriteVideoFrame(int64_t index) {
  State& s = *m_state;
  if (!s.headerWritten) return Fail("The MP4 file is not open.", 0);
  if (index < s.nextPts) return Fail("A video frame came out of order.", 0);
  s.frame->pts = index;
  s.frame->pict_type = KeyframeDue(index) ? AV_PICTURE_TYPE_I : AV_PICTURE_TYPE_NONE;
  s.nextPts = index + 1;
  const int rc = EncodeAndWrite(s.format, s.video, s.videoStream, s.frame, s.packet);
  return rc >= 0 || Fail("Unable to write the video", rc);
}

bool Mp4Writer::WriteAudio(const uint8_t* pcm, std::size_t frames) {
  State& s = *m_state;
  if (!s.headerWritten) return Fail("The MP4 file is not open.", 0);
  return s.audio.Write(pcm, frames) || Fail(s.audio.Error(), 0);
}

bool Mp4Writer::Finish() {
  State& s = *m_state;
  if (!s.headerWritten) return Fail("The MP4 file is not open.", 0);
  if (!s.audio.Finish()) return Fail(s.audio.Error(), 0);
  int rc = EncodeAndWrite(s.format, s.video, s.videoStream, nullptr, s.packet);
  if (rc < 0) return Fail("Unable to write the video", rc);
  if ((rc = av_write_trailer(s.format)) < 0) return Fail("Unable to finish the MP4 file", rc);
  s.headerWritten = false;
  s.fileOpen = false;
  if ((rc = avio_closep(&s.format->pb)) < 0) return Fail("Unable to finish the MP4 file (disk full?)", rc);
  return true;
}

}  // namespace lf
