#include "core/audio/encoded_audio_stream.h"

#include "core/audio/ffmpeg_output.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/channel_layout.h>
#include <libswresample/swresample.h>
}

namespace lf {

namespace {

constexpr int kFallbackRate = 44100;

// `wanted` when the encoder lists it (or lists nothing), else 44,100.
int RateTheEncoderTakes(const AVCodec* codec, int wanted) {
  if (!codec->supported_samplerates) return wanted;
  for (const int* r = codec->supported_samplerates; *r; ++r)
    if (*r == wanted) return wanted;
  return kFallbackRate;
}

}  // namespace

struct EncodedAudioStream::State {
  AVFormatContext* format = nullptr;  // not owned
  AVCodecContext* codec = nullptr;
  AVStream* stream = nullptr;
  SwrContext* resampler = nullptr;
  AVAudioFifo* fifo = nullptr;
  AVFrame* frame = nullptr;
  AVPacket* packet = nullptr;
  int64_t nextPts = 0;
  bool open = false;

  ~State() {
    av_packet_free(&packet);
    av_frame_free(&frame);
    if (fifo) av_audio_fifo_free(fifo);
    swr_free(&resampler);
    avcodec_free_context(&codec);
  }
};

EncodedAudioStream::EncodedAudioStream() : m_state(std::make_unique<State>()) {}
EncodedAudioStream::~EncodedAudioStream() = default;

int EncodedAudioStream::OutRate() const { return m_state->codec ? m_state->codec->sample_rate : 0; }

bool EncodedAudioStream::Open(AVFormatContext* format, const AudioStreamSettings& settings, uint32_t inRate,
                              int inChannels, int inBits) {
  State& s = *m_state;
  s.format = format;
  const AVCodec* codec = avcodec_find_encoder_by_name(settings.encoder.c_str());
  if (!codec) return m_error = "The " + settings.encoder + " audio encoder is not available.", false;
  s.stream = avformat_new_stream(format, nullptr);
  s.codec = avcodec_alloc_context3(codec);
  if (!s.stream || !s.codec) return m_error = "Out of memory.", false;

  const int outRate = RateTheEncoderTakes(codec, settings.outRate > 0 ? settings.outRate : int(inRate));
  s.codec->sample_fmt = AV_SAMPLE_FMT_FLTP;
  s.codec->sample_rate = outRate;
  s.codec->bit_rate = settings.bitRate;
  av_channel_layout_default(&s.codec->ch_layout, 2);
  s.codec->time_base = AVRational{1, outRate};
  if (format->oformat->flags & AVFMT_GLOBALHEADER) s.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  int rc = avcodec_open2(s.codec, codec, nullptr);
  if (rc < 0)
    return m_error = "The " + settings.encoder + " encoder refused its settings: " + FfmpegErrorText(rc), false;
  if ((rc = avcodec_parameters_from_context(s.stream->codecpar, s.codec)) < 0)
    return m_error = FfmpegErrorText(rc), false;
  s.stream->time_base = s.codec->time_base;

  AVChannelLayout inLayout;
  av_channel_layout_default(&inLayout, inChannels);
  const AVSampleFormat inFormat = inBits == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16;
  rc = swr_alloc_set_opts2(&s.resampler, &s.codec->ch_layout, AV_SAMPLE_FMT_FLTP, outRate, &inLayout, inFormat,
                           static_cast<int>(inRate), 0, nullptr);
  av_channel_layout_uninit(&inLayout);
  if (rc < 0 || (rc = swr_init(s.resampler)) < 0)
    return m_error =
               "The audio cannot be converted to " + std::to_string(outRate) + " Hz stereo: " + FfmpegErrorText(rc),
           false;

  s.fifo = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, s.codec->frame_size * 4);
  s.frame = av_frame_alloc();
  s.packet = av_packet_alloc();
  if (!s.fifo || !s.frame || !s.packet) return m_error = "Out of memory.", false;
  s.frame->nb_samples = s.codec->frame_size;
  s.frame->format = AV_SAMPLE_FMT_FLTP;
  s.frame->sample_rate = outRate;
  av_channel_layout_copy(&s.frame->ch_layout, &s.codec->ch_layout);
  if ((rc = av_frame_get_buffer(s.frame, 0)) < 0) return m_error = FfmpegErrorText(rc), false;
  if (settings.leadingSilentFrame) {
    av_samples_set_silence(s.frame->data, 0, s.codec->frame_size, 2, AV_SAMPLE_FMT_FLTP);
    av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(s.frame->data), s.codec->frame_size);
  }
  s.open = true;
  return true;
}

bool EncodedAudioStream::EncodeFifo(bool padLast) {
  State& s = *m_state;
  const int frameSize = s.codec->frame_size;
  while (av_audio_fifo_size(s.fifo) >= frameSize || (padLast && av_audio_fifo_size(s.fifo) > 0)) {
    int rc = av_frame_make_writable(s.frame);
    if (rc < 0) return m_error = FfmpegErrorText(rc), false;
    // The encoder takes whole frames only: the last one is padded with silence.
    av_samples_set_silence(s.frame->data, 0, frameSize, 2, AV_SAMPLE_FMT_FLTP);
    av_audio_fifo_read(s.fifo, reinterpret_cast<void**>(s.frame->data), frameSize);
    s.frame->pts = s.nextPts;
    s.nextPts += frameSize;
    if ((rc = EncodeAndWrite(s.format, s.codec, s.stream, s.frame, s.packet)) < 0)
      return m_error = "The " + std::string(s.codec->codec->name) + " encoder failed: " + FfmpegErrorText(rc), false;
  }
  return true;
}

bool EncodedAudioStream::Write(const uint8_t* pcm, std::size_t frames) {
  State& s = *m_state;
  if (!s.open) return m_error = "The audio stream is not open.", false;
  // Converted output of these frames, plus what the resampler still holds.
  const int outCapacity = swr_get_out_samples(s.resampler, static_cast<int>(frames));
  if (outCapacity < 0) return m_error = FfmpegErrorText(outCapacity), false;
  if (av_audio_fifo_realloc(s.fifo, av_audio_fifo_size(s.fifo) + outCapacity) < 0)
    return m_error = "Out of memory.", false;

  uint8_t** out = nullptr;
  int rc =
      av_samples_alloc_array_and_samples(&out, nullptr, 2, outCapacity > 0 ? outCapacity : 1, AV_SAMPLE_FMT_FLTP, 0);
  if (rc < 0) return m_error = FfmpegErrorText(rc), false;
  const uint8_t* in[1] = {pcm};
  const int converted = swr_convert(s.resampler, out, outCapacity, pcm ? in : nullptr, static_cast<int>(frames));
  if (converted > 0) av_audio_fifo_write(s.fifo, reinterpret_cast<void**>(out), converted);
  av_freep(&out[0]);
  av_freep(&out);
  if (converted < 0) return m_error = FfmpegErrorText(converted), false;
  return EncodeFifo(false);
}

bool EncodedAudioStream::Finish() {
  State& s = *m_state;
  if (!s.open) return m_error = "The audio stream is not open.", false;
  if (!Write(nullptr, 0) || !EncodeFifo(true)) return false;  // drains the resampler, then the last partial frame
  s.open = false;
  if (const int rc = EncodeAndWrite(s.format, s.codec, s.stream, nullptr, s.packet); rc < 0)
    return m_error = "The " + std::string(s.codec->codec->name) + " encoder failed: " + FfmpegErrorText(rc), false;
  return true;
}

}  // namespace lf
