#include "core/audio/media_reader.h"

#include <algorithm>
#include <cstring>

#include "core/platform/local_media_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace lf {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;  // 100-nanosecond units

std::string AvErrorText(int err) {
  char buf[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(err, buf, sizeof buf);
  return buf;
}

// The tags each attribute may be stored under: ASF names as FFmpeg keeps them,
// and the generic names its demuxers map ID3, MP4 and Vorbis comments to.
std::vector<const char*> TagKeysFor(const std::string& name) {
  if (name == "Title") return {"title", "Title"};
  if (name == "Author") return {"artist", "author", "Author"};
  if (name == "WM/AlbumArtist") return {"album_artist", "WM/AlbumArtist"};
  if (name == "WM/Publisher") return {"publisher", "WM/Publisher"};
  if (name == "WM/AlbumTitle") return {"album", "WM/AlbumTitle"};
  if (name == "WM/Track") return {"WM/Track", "track"};
  if (name == "WM/TrackNumber") return {"WM/TrackNumber", "track"};
  return {name.c_str()};
}

}  // namespace

struct MediaReader::Impl {
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  SwrContext* swr = nullptr;
  // What the resampler was set up for: a stream may change any of these
  // between frames (a stereo MP3 followed by a mono one).
  int swrRate = 0;
  int swrFormat = -1;
  AVChannelLayout swrLayout{};
  AVPacket* packet = nullptr;
  AVFrame* frame = nullptr;
  int stream = -1;
  MediaFormat out;
  AVChannelLayout outLayout{};
  bool inputDone = false;    // the demuxer reached its end and the decoder was told
  bool decoderDone = false;  // the decoder gave its last frame
  bool swrFlushed = false;
  int64_t dropUntil100ns = -1;  // after a seek: samples before this are dropped
  int64_t errors = 0;
  int64_t nextTime100ns = 0;

  ~Impl() { Close(); }

  void Close() {
    swr_free(&swr);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    av_packet_free(&packet);
    av_frame_free(&frame);
    av_channel_layout_uninit(&outLayout);
    av_channel_layout_uninit(&swrLayout);
    stream = -1;
    out = {};
    inputDone = decoderDone = swrFlushed = false;
    dropUntil100ns = -1;
    errors = 0;
    nextTime100ns = 0;
  }

  int64_t FrameTime100ns(const AVFrame* f) const {
    const AVStream* s = format->streams[stream];
    int64_t pts = f->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) return nextTime100ns;
    int64_t t = av_rescale_q(pts, s->time_base, AVRational{1, static_cast<int>(kTicksPerSecond)});
    if (s->start_time != AV_NOPTS_VALUE)
      t -= av_rescale_q(s->start_time, s->time_base, AVRational{1, static_cast<int>(kTicksPerSecond)});
    return std::max<int64_t>(t, 0);
  }

  bool ResamplerFits(const AVFrame* f, const AVChannelLayout& layout) const {
    return swr && swrRate == f->sample_rate && swrFormat == f->format &&
           av_channel_layout_compare(&swrLayout, &layout) == 0;
  }

  // Sets the resampler up for this frame's rate, layout and sample format, anew
  // whenever they differ from the last frame's. What the old one still held is
  // dropped: a few samples at the seam, never a crash.
  bool EnsureResampler(const AVFrame* f) {
    AVChannelLayout inLayout{};
    if (f->ch_layout.order != AV_CHANNEL_ORDER_UNSPEC && f->ch_layout.nb_channels > 0)
      av_channel_layout_copy(&inLayout, &f->ch_layout);
    else
      av_channel_layout_default(&inLayout, f->ch_layout.nb_channels > 0 ? f->ch_layout.nb_channels : out.channels);
    if (ResamplerFits(f, inLayout)) {
      av_channel_layout_uninit(&inLayout);
      return true;
    }
    swr_free(&swr);
    av_channel_layout_uninit(&swrLayout);
    bool ok = f->sample_rate > 0 && inLayout.nb_channels > 0 &&
              swr_alloc_set_opts2(&swr, &outLayout, AV_SAMPLE_FMT_S16, out.sampleRate, &inLayout,
                                  static_cast<AVSampleFormat>(f->format), f->sample_rate, 0, nullptr) >= 0 &&
              swr_init(swr) >= 0;
    if (ok) {
      swrRate = f->sample_rate;
      swrFormat = f->format;
      av_channel_layout_copy(&swrLayout, &inLayout);
    } else {
      swr_free(&swr);
    }
    av_channel_layout_uninit(&inLayout);
    return ok;
  }

  // Converts `f` (or, with nullptr, what the resampler still holds) to S16.
  int64_t Convert(const AVFrame* f, std::vector<uint8_t>& dst) {
    const int inSamples = f ? f->nb_samples : 0;
    const int maxOut = swr_get_out_samples(swr, inSamples) + 32;
    if (maxOut <= 0) return 0;
    const int block = out.BlockAlign();
    dst.resize(static_cast<size_t>(maxOut) * block);
    uint8_t* planes[1] = {dst.data()};
    int got = swr_convert(swr, planes, maxOut, f ? const_cast<const uint8_t**>(f->extended_data) : nullptr, inSamples);
    if (got < 0) return got;
    dst.resize(static_cast<size_t>(got) * block);
    return static_cast<int64_t>(dst.size());
  }

  // Drops the samples that lie before a seek target.
  void DropBeforeTarget(std::vector<uint8_t>& dst, int64_t time100ns) {
    if (dropUntil100ns < 0) return;
    const int block = out.BlockAlign();
    const int64_t frames = static_cast<int64_t>(dst.size()) / block;
    const int64_t end = time100ns + frames * kTicksPerSecond / out.sampleRate;
    if (end <= dropUntil100ns) {
      dst.clear();
      return;
    }
    if (time100ns < dropUntil100ns) {
      int64_t drop = (dropUntil100ns - time100ns) * out.sampleRate / kTicksPerSecond;
      drop = std::clamp<int64_t>(drop, 0, frames);
      dst.erase(dst.begin(), dst.begin() + drop * block);
    }
    dropUntil100ns = -1;
  }
};

MediaReader::MediaReader() : m(std::make_unique<Impl>()) { QuietFfmpegLog(); }

MediaReader::~MediaReader() = default;

Outcome MediaReader::Open(const std::string& path) {
  Close();
  m_error.clear();
  int err = OpenLocalMediaInput(&m->format, path, kAudioDemuxers);
  if (err < 0) return Refuse(Reason::NotFound, AvErrorText(err));
  err = avformat_find_stream_info(m->format, nullptr);
  if (err < 0) {
    Close();
    return Refuse(Reason::BadInput, AvErrorText(err));
  }
  return Outcome::Success();
}

Outcome MediaReader::Refuse(Reason reason, std::string why) {
  m_error = why;
  return Outcome::Quiet(reason, std::move(why));
}

void MediaReader::Close() { m->Close(); }

bool MediaReader::IsOpen() const { return m->format != nullptr; }

std::optional<std::string> MediaReader::Attribute(const std::string& name) const {
  if (!m->format) return std::nullopt;
  std::vector<AVDictionary*> dicts{m->format->metadata};
  // Ogg and some MP4 files keep their tags on the stream rather than the file.
  for (unsigned i = 0; i < m->format->nb_streams; ++i)
    if (m->format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO)
      dicts.push_back(m->format->streams[i]->metadata);
  for (const char* key : TagKeysFor(name))
    for (AVDictionary* d : dicts)
      if (const AVDictionaryEntry* e = av_dict_get(d, key, nullptr, 0)) return std::string(e->value);
  return std::nullopt;
}

int64_t MediaReader::Duration100ns() const {
  if (!m->format) return 0;
  if (m->format->duration != AV_NOPTS_VALUE && m->format->duration > 0)
    return m->format->duration * (kTicksPerSecond / AV_TIME_BASE);
  for (unsigned i = 0; i < m->format->nb_streams; ++i) {
    const AVStream* s = m->format->streams[i];
    if (s->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && s->duration != AV_NOPTS_VALUE && s->duration > 0)
      return av_rescale_q(s->duration, s->time_base, AVRational{1, static_cast<int>(kTicksPerSecond)});
  }
  return 0;
}

int64_t MediaReader::ScanDuration100ns() {
  if (!m->format || m->codec) return 0;
  int index = av_find_best_stream(m->format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
  if (index < 0) return 0;
  const AVStream* s = m->format->streams[index];
  AVPacket* packet = av_packet_alloc();
  if (!packet) return 0;
  int64_t end = 0;
  while (av_read_frame(m->format, packet) >= 0) {
    if (packet->stream_index == index && packet->pts != AV_NOPTS_VALUE)
      end = std::max(end, packet->pts + packet->duration - (s->start_time != AV_NOPTS_VALUE ? s->start_time : 0));
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  av_seek_frame(m->format, index, s->start_time != AV_NOPTS_VALUE ? s->start_time : 0, AVSEEK_FLAG_BACKWARD);
  return av_rescale_q(end, s->time_base, AVRational{1, static_cast<int>(kTicksPerSecond)});
}

Outcome MediaReader::SelectAudioOutput(MediaFormat* format) {
  if (!m->format) return Refuse(Reason::BadInput, "no file is open");
  if (m->codec) {
    if (format) *format = m->out;
    return Outcome::Success();
  }
  const AVCodec* decoder = nullptr;
  int index = av_find_best_stream(m->format, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
  if (index < 0 || !decoder) {
    return Refuse(Reason::BadInput,
                  index == AVERROR_DECODER_NOT_FOUND ? "no decoder for the audio stream" : "no audio stream");
  }
  const AVCodecParameters* par = m->format->streams[index]->codecpar;
  if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0) {
    return Refuse(Reason::BadInput, "the audio stream has no sample rate or channels");
  }
  m->codec = avcodec_alloc_context3(decoder);
  if (!m->codec || avcodec_parameters_to_context(m->codec, par) < 0 || avcodec_open2(m->codec, decoder, nullptr) < 0) {
    avcodec_free_context(&m->codec);
    return Refuse(Reason::BadInput, "the audio decoder cannot be opened");
  }
  m->stream = index;
  m->out.sampleRate = par->sample_rate;
  m->out.channels = par->ch_layout.nb_channels;
  if (m_songFormat) {
    constexpr int kMostSongChannels = 2, kHighestSongRate = 48000, kCdRate = 44100;
    m->out.channels = std::min(m->out.channels, kMostSongChannels);
    if (m->out.sampleRate > kHighestSongRate)
      m->out.sampleRate = m->out.sampleRate % kCdRate == 0 ? kCdRate : kHighestSongRate;
  }
  m->out.bitsPerSample = 16;
  av_channel_layout_default(&m->outLayout, m->out.channels);
  m->packet = av_packet_alloc();
  m->frame = av_frame_alloc();
  if (!m->packet || !m->frame) {
    return Refuse(Reason::Failed, "out of memory");
  }
  for (unsigned i = 0; i < m->format->nb_streams; ++i)
    if (static_cast<int>(i) != index) m->format->streams[i]->discard = AVDISCARD_ALL;
  if (format) *format = m->out;
  return Outcome::Success();
}

Outcome MediaReader::SeekTo(int64_t time100ns) {
  if (!m->codec) return Refuse(Reason::BadInput, "no audio stream is selected");
  if (time100ns <= 0) return Outcome::Success();
  const int64_t target = time100ns / (kTicksPerSecond / AV_TIME_BASE);
  if (av_seek_frame(m->format, -1, target, AVSEEK_FLAG_BACKWARD) < 0)
    return Refuse(Reason::Failed, "the music cannot be sought");
  avcodec_flush_buffers(m->codec);
  if (m->swr) swr_free(&m->swr);
  m->inputDone = m->decoderDone = m->swrFlushed = false;
  m->dropUntil100ns = time100ns;
  return Outcome::Success();
}

int64_t MediaReader::ReadPcm(std::vector<uint8_t>& out, int64_t* time100ns) {
  out.clear();
  if (!m->codec) {
    m_error = "no audio stream is selected";
    return kReadFailed;
  }
  for (;;) {
    if (!m->decoderDone) {
      int err = avcodec_receive_frame(m->codec, m->frame);
      if (err == 0) {
        const int64_t t = m->FrameTime100ns(m->frame);
        if (!m->EnsureResampler(m->frame)) {
          av_frame_unref(m->frame);
          m_error = "the audio cannot be converted to 16-bit samples";
          return kReadFailed;
        }
        int64_t got = m->Convert(m->frame, out);
        av_frame_unref(m->frame);
        if (got < 0) {
          m_error = "the audio cannot be converted to 16-bit samples";
          return kReadFailed;
        }
        m->DropBeforeTarget(out, t);
        m->nextTime100ns =
            t + static_cast<int64_t>(out.size() / m->out.BlockAlign()) * kTicksPerSecond / m->out.sampleRate;
        if (out.empty()) continue;
        if (time100ns) *time100ns = t;
        return static_cast<int64_t>(out.size());
      }
      if (err == AVERROR_EOF) {
        m->decoderDone = true;
        continue;
      }
      if (err != AVERROR(EAGAIN)) {
        // A frame the decoder could not make: skip it as the ffmpeg tool does.
        ++m->errors;
        continue;
      }
      if (m->inputDone) {
        m->decoderDone = true;
        continue;
      }
      err = av_read_frame(m->format, m->packet);
      if (err < 0) {
        if (err != AVERROR_EOF && !(m->format->pb && avio_feof(m->format->pb))) {
          // A read error other than the end: report what was decoded so far as
          // the end, counting the failure.
          ++m->errors;
        }
        m->inputDone = true;
        avcodec_send_packet(m->codec, nullptr);
        continue;
      }
      if (m->packet->stream_index == m->stream) {
        if (avcodec_send_packet(m->codec, m->packet) < 0) ++m->errors;
      }
      av_packet_unref(m->packet);
      continue;
    }
    // Decoder drained: whatever the resampler still holds comes last.
    if (m->swr && !m->swrFlushed) {
      m->swrFlushed = true;
      int64_t got = m->Convert(nullptr, out);
      if (got > 0) {
        if (time100ns) *time100ns = m->nextTime100ns;
        return got;
      }
    }
    return 0;
  }
}

int64_t MediaReader::DecodeErrors() const { return m->errors; }

}  // namespace lf
