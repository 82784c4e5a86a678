#include "audio/wma_audio_encoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libavutil/error.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <cstdio>

namespace lf {

namespace {

constexpr int kOutRate = 44100;

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  char hr[16];
  std::snprintf(hr, sizeof hr, "0x%08x", static_cast<unsigned>(code));
  return std::string(text) + " (hr=" + hr + ")";
}

}  // namespace

struct WmaAudioEncoder::State {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  SwrContext* resampler = nullptr;
  AVAudioFifo* fifo = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int64_t nextPts = 0;
  int inBits = 16;
  bool fileOpen = false;
  bool headerWritten = false;

  ~State() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    if (fifo) av_audio_fifo_free(fifo);
    swr_free(&resampler);
    avcodec_free_context(&codec);
    if (format) {
      if (fileOpen) avio_closep(&format->pb);
      avformat_free_context(format);
    }
  }
};

WmaAudioEncoder::WmaAudioEncoder() : m_state(std::make_unique<State>()) {}
WmaAudioEncoder::~WmaAudioEncoder() = default;

bool WmaAudioEncoder::Open(const std::string& path, int bitRate, uint32_t inRate, int inChannels, int inBits,
                           const std::vector<std::pair<std::string, std::string>>& metadata) {
  State& s = *m_state;
  s.inBits = inBits;
  int rc = avformat_alloc_output_context2(&s.format, nullptr, "asf", path.c_str());
  if (rc < 0 || !s.format) return m_error = "The ASF writer is not available: " + AvErrorText(rc), false;
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_WMAV2);
  if (!codec) return m_error = "The WMA encoder is not available.", false;
  s.stream = avformat_new_stream(s.format, nullptr);
  s.codec = avcodec_alloc_context3(codec);
  if (!s.stream || !s.codec) return m_error = "Out of memory.", false;

  s.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
  s.codec->sample_rate = kOutRate;
  s.codec->bit_rate = bitRate;
  av_channel_layout_default(&s.codec->ch_layout, 2);
  s.codec->time_base = AVRational{1, kOutRate};
  if (s.format->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  if ((rc = avcodec_open2(s.codec, codec, nullptr)) < 0)
    return m_error = "The WMA encoder refused its settings: " + AvErrorText(rc), false;
  if ((rc = avcodec_parameters_from_context(s.stream->codecpar, s.codec)) < 0)
    return m_error = AvErrorText(rc), false;
  s.stream->time_base = s.codec->time_base;

  AVChannelLayout inLayout;
  av_channel_layout_default(&inLayout, inChannels);
  const AVSampleFormat inFormat = inBits == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  rc = swr_alloc_set_opts2(&s.resampler, &s.codec->ch_layout, AV_SAMPLE_FMT_FLTP, kOutRate, &inLayout, inFormat,
                           static_cast<int>(inRate), 0, nullptr);
  av_channel_layout_uninit(&inLayout);
  if (rc < 0 || (rc = swr_init(s.resampler)) < 0)
    return m_error = "The audio cannot be converted to 44.1 kHz stereo: " + AvErrorText(rc), false;

  s.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, s.codec->frame_size * 4);
  s.frame = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.fifo || !s.frame || !s.packet) return m_error = "Out of memory.", false;
  s.frame->nb_samples = s.codec->frame_size;
  s.frame->format = AV_SAMPLE_FMT_FLTP;
  s.frame->sample_rate = kOutRate;
  av_channel_layout_copy(&s.frame->ch_layout, &s.codec->ch_layout);
  if ((rc = av_frame_get_buffer(s.frame, 0)) < 0) return m_error = AvErrorText(rc), false;
  // The decoder spends the first frame filling its overlap and plays from the
  // second: a frame of silence up front keeps the music at its own time.
  if (av_audio_fifo_realloc(s.fifo, s.codec->frame_size) < 0) return m_error = "Out of memory.", false;
  av_samples_set_silence(s.frame->data, 0, s.codec->frame_size, 2, AV_SAMPLE_FMT_FLTP);
  av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(s.frame->data), s.codec->frame_size);

  for (const auto& [name, value] : metadata) av_dict_set(&s.format->metadata, name.c_str(), value.c_str(), 0);

  if ((rc = avio_open(&s.format->pb, path.c_str(), AVIO_FLAG_WRITE)) < 0)
    return m_error = "Unable to open \"" + path + "\" for writing: " + AvErrorText(rc), false;
  s.fileOpen = true;
  if ((rc = avformat_write_header(s.format, nullptr)) < 0)
    return m_error = "Unable to write the WMA header: " + AvErrorText(rc), false;
  s.headerWritten = true;
  return true;
}

namespace {

// Sends one frame (or the end, when frame is null) and writes every packet
// the encoder has ready.
int EncodeAndWrite(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame,
                   AVPacket* packet) {
  int rc = avcodec_send_frame(codec, frame);
  if (rc < 0) return rc;
  for (;;) {
    rc = avcodec_receive_packet(codec, packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF) return 0;
    if (rc < 0) return rc;
    av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
    packet->stream_index = stream->index;
    rc = av_interleaved_write_frame(format, packet);
    if (rc < 0) return rc;
  }
}

}  // namespace

bool WmaAudioEncoder::Write(const uint8_t* pcm, std::size_t frames) {
  State& s = *m_state;
  if (!s.headerWritten) return m_error = "The WMA file is not open.", false;
  // Resampled output of these frames, plus what the resampler still holds.
  const int outCapacity = swr_get_out_samples(s.resampler, static_cast<int>(frames));
  if (outCapacity < 0) return m_error = AvErrorText(outCapacity), false;
  if (av_audio_fifo_realloc(s.fifo, av_audio_fifo_size(s.fifo) + outCapacity) < 0)
    return m_error = "Out of memory.", false;

  uint8_t** out = nullptr;
  int rc = av_samples_alloc_array_and_samples(&out, nullptr, 2, outCapacity > 0 ? outCapacity : 1,
                                              AV_SAMPLE_FMT_FLTP, 0);
  if (rc < 0) return m_error = AvErrorText(rc), false;
  const uint8_t* in[1] = {pcm};
  const int converted = swr_convert(s.resampler, out, outCapacity, pcm ? in : nullptr, static_cast<int>(frames));
  if (converted > 0) av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(out), converted);
  av_freep(&out[0]);
  av_freep(&out);
  if (converted < 0) return m_error = AvErrorText(converted), false;

  while (av_audio_fifo_size(s.fifo) >= s.codec->frame_size) {
    if ((rc = av_frame_make_writable(s.frame)) < 0) return m_error = AvErrorText(rc), false;
    av_audio_fifo_read(s.fifo, reinterpret_cast<void**>(s.frame->data), s.codec->frame_size);
    s.frame->pts = s.nextPts;
    s.nextPts += s.codec->frame_size;
    if ((rc = EncodeAndWrite(s.format, s.codec, s.stream, s.frame, s.packet)) < 0)
      return m_error = "The WMA encoder failed: " + AvErrorText(rc), false;
  }
  return true;
}

bool WmaAudioEncoder::Finish() {
  State& s = *m_state;
  if (!s.headerWritten) return m_error = "The WMA file is not open.", false;
  if (!Write(nullptr, 0)) return false;  // drains the resampler
  const int left = av_audio_fifo_size(s.fifo);
  int rc = 0;
  if (left > 0) {
    // The encoder takes whole frames only: pad the last one with silence.
    if ((rc = av_frame_make_writable(s.frame)) < 0) return m_error = AvErrorText(rc), false;
    av_samples_set_silence(s.frame->data, 0, s.codec->frame_size, 2, AV_SAMPLE_FMT_FLTP);
    av_audio_fifo_read(s.fifo, reinterpret_cast<void**>(s.frame->data), left);
    s.frame->pts = s.nextPts;
    s.nextPts += s.codec->frame_size;
    if ((rc = EncodeAndWrite(s.format, s.codec, s.stream, s.frame, s.packet)) < 0)
      return m_error = "The WMA encoder failed: " + AvErrorText(rc), false;
  }
  if ((rc = EncodeAndWrite(s.format, s.codec, s.stream, nullptr, s.packet)) < 0)
    return m_error = "The WMA encoder failed: " + AvErrorText(rc), false;
  if ((rc = av_write_trailer(s.format)) < 0) return m_error = "Unable to finish the WMA file: " + AvErrorText(rc), false;
  s.headerWritten = false;
  s.fileOpen = false;
  if ((rc = avio_closep(&s.format->pb)) < 0)
    return m_error = "Unable to finish the WMA file (disk full?): " + AvErrorText(rc), false;
  return true;
}

}  // namespace lf
