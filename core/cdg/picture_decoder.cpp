#include "core/cdg/picture_decoder.h"

#include <algorithm>

#include "core/platform/local_media_input.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/pixdesc.h>
#include <libswscale/swscale.h>
}

namespace lf {
namespace {

constexpr int kMaxPacketsBeforePicture = 64;

bool IsPictureCodec(AVCodecID id) {
  switch (id) {
    case AV_CODEC_ID_BMP:
    case AV_CODEC_ID_MJPEG:
    case AV_CODEC_ID_GIF:
    case AV_CODEC_ID_TIFF:
    case AV_CODEC_ID_PNG:
      return true;
    default:
      return false;
  }
}

std::string AvError(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

// Width and height from a JPEG's start-of-frame marker, read before decoding
// so that a huge photograph can be decoded at a reduced scale.
bool JpegSize(const uint8_t* data, int size, int& width, int& height) {
  if (size < 4 || data[0] != 0xFF || data[1] != 0xD8) return false;
  int pos = 2;
  while (pos + 4 <= size) {
    if (data[pos] != 0xFF) return false;
    uint8_t marker = data[pos + 1];
    if (marker == 0xFF) {  // fill byte
      ++pos;
      continue;
    }
    int length = (data[pos + 2] << 8) | data[pos + 3];
    if (length < 2) return false;
    bool isFrame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (isFrame) {
      if (pos + 9 > size) return false;
      height = (data[pos + 5] << 8) | data[pos + 6];
      width = (data[pos + 7] << 8) | data[pos + 8];
      return true;
    }
    if (marker == 0xDA || marker == 0xD9) return false;  // scan before any frame header
    pos += 2 + length;
  }
  return false;
}

// The deprecated full-range YUV formats: the same layout, range set separately.
AVPixelFormat PlainFormat(AVPixelFormat format, bool& fullRange) {
  fullRange = true;
  switch (format) {
    case AV_PIX_FMT_YUVJ420P:
      return AV_PIX_FMT_YUV420P;
    case AV_PIX_FMT_YUVJ422P:
      return AV_PIX_FMT_YUV422P;
    case AV_PIX_FMT_YUVJ444P:
      return AV_PIX_FMT_YUV444P;
    case AV_PIX_FMT_YUVJ440P:
      return AV_PIX_FMT_YUV440P;
    case AV_PIX_FMT_YUVJ411P:
      return AV_PIX_FMT_YUV411P;
    default:
      fullRange = false;
      return format;
  }
}

bool ScalePlanes(const uint8_t* const* srcData, const int* srcLinesize, int width, int height, AVPixelFormat format,
                 bool fullRange, int toWidth, int toHeight, std::vector<uint32_t>& out) {
  if (width <= 0 || height <= 0 || toWidth <= 0 || toHeight <= 0) return false;
  SwsContext* sws =
      sws_getContext(width, height, format, toWidth, toHeight, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr);
  if (!sws) return false;
  if (fullRange) {
    int* invTable = nullptr;
    int* table = nullptr;
    int srcRange = 0, dstRange = 0, brightness = 0, contrast = 0, saturation = 0;
    if (sws_getColorspaceDetails(sws, &invTable, &srcRange, &table, &dstRange, &brightness, &contrast, &saturation) >=
        0)
      sws_setColorspaceDetails(sws, invTable, 1, table, dstRange, brightness, contrast, saturation);
  }
  out.assign(static_cast<size_t>(toWidth) * toHeight, 0);
  uint8_t* dst[4] = {reinterpret_cast<uint8_t*>(out.data()), nullptr, nullptr, nullptr};
  int dstLinesize[4] = {toWidth * 4, 0, 0, 0};
  int rows = sws_scale(sws, srcData, srcLinesize, 0, height, dst, dstLinesize);
  sws_freeContext(sws);
  if (rows != toHeight) return false;
  // Transparent pixels carry no colour of their own.
  for (uint32_t& v : out)
    if ((v >> 24) == 0) v = 0;
  return true;
}

}  // namespace

struct PictureDecoder::Impl {
  AVFrame* frame = nullptr;
  ~Impl() { av_frame_free(&frame); }
};

PictureDecoder::PictureDecoder() : m(std::make_unique<Impl>()) { QuietFfmpegLog(); }
PictureDecoder::~PictureDecoder() = default;

int PictureDecoder::Width() const { return m->frame ? m->frame->width : 0; }
int PictureDecoder::Height() const { return m->frame ? m->frame->height : 0; }

bool PictureDecoder::Open(const std::string& path) {
  av_frame_free(&m->frame);
  m_error.clear();
  AVFormatContext* format = nullptr;
  AVCodecContext* codec = nullptr;
  AVPacket* packet = av_packet_alloc();
  AVFrame* frame = av_frame_alloc();
  auto finish = [&](bool ok, const std::string& why) {
    if (!ok) {
      m_error = why.empty() ? "cannot read the picture " + path : why;
      av_frame_free(&frame);
    } else {
      m->frame = frame;
    }
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return ok;
  };
  if (!packet || !frame) return finish(false, "out of memory");

  int rc = OpenLocalMediaInput(&format, path, kPictureDemuxers);
  if (rc < 0) return finish(false, path + ": " + AvError(rc));
  int streamIndex = -1;
  for (unsigned i = 0; i < format->nb_streams; ++i) {
    if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_VIDEO) {
      streamIndex = int(i);
      break;
    }
  }
  if (streamIndex < 0 || !IsPictureCodec(format->streams[streamIndex]->codecpar->codec_id))
    return finish(false, path + ": not a BMP, JPEG, GIF, TIFF or PNG picture");
  const AVCodecParameters* params = format->streams[streamIndex]->codecpar;
  const AVCodec* decoder = avcodec_find_decoder(params->codec_id);
  if (!decoder) return finish(false, path + ": no decoder for this picture format");
  codec = avcodec_alloc_context3(decoder);
  if (!codec || avcodec_parameters_to_context(codec, params) < 0) return finish(false, "out of memory");
  codec->max_pixels = kMaxSourcePixels;
  codec->thread_count = 1;

  // The first packet of the picture stream.
  bool havePacket = false;
  for (int n = 0; n < kMaxPacketsBeforePicture && !havePacket; ++n) {
    rc = av_read_frame(format, packet);
    if (rc < 0) break;
    if (packet->stream_index == streamIndex && packet->size > 0)
      havePacket = true;
    else
      av_packet_unref(packet);
  }
  if (!havePacket) return finish(false, path + ": the file holds no picture data");

  if (params->codec_id == AV_CODEC_ID_MJPEG) {
    int w = 0, h = 0;
    if (JpegSize(packet->data, packet->size, w, h) && w > 0 && h > 0) {
      int lowres = 0;
      while (lowres < decoder->max_lowres && lowres < 3 &&
             int64_t(w >> lowres) * int64_t(h >> lowres) > kMaxSourcePixels)
        ++lowres;
      if (lowres > 0) {
        codec->lowres = lowres;
        // The size check sees the full size; the reduced decode is what is held.
        codec->max_pixels = std::max<int64_t>(kMaxSourcePixels, int64_t(w) * h + 1);
      }
    }
  }
  if ((rc = avcodec_open2(codec, decoder, nullptr)) < 0) return finish(false, path + ": " + AvError(rc));

  bool haveFrame = false;
  bool draining = false;
  for (int n = 0; n < kMaxPacketsBeforePicture && !haveFrame; ++n) {
    if (!draining) {
      rc = avcodec_send_packet(codec, havePacket ? packet : nullptr);
      if (havePacket) av_packet_unref(packet);
      if (!havePacket) draining = true;
      if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) break;
    }
    rc = avcodec_receive_frame(codec, frame);
    if (rc == 0) {
      haveFrame = true;
      break;
    }
    if (rc != AVERROR(EAGAIN)) break;
    // More input needed: the next packet of the stream, or end of input.
    havePacket = false;
    while (!draining) {
      int readRc = av_read_frame(format, packet);
      if (readRc < 0) break;
      if (packet->stream_index == streamIndex) {
        havePacket = true;
        break;
      }
      av_packet_unref(packet);
    }
  }
  if (!haveFrame) return finish(false, path + ": the picture is damaged or too large");
  if (frame->width <= 0 || frame->height <= 0 || frame->width > kMaxSourceSide || frame->height > kMaxSourceSide ||
      int64_t(frame->width) * frame->height > kMaxSourcePixels)
    return finish(false, path + ": the picture is too large");
  return finish(true, {});
}

bool PictureDecoder::Scale(int width, int height, std::vector<uint32_t>& out) {
  if (!m->frame) {
    if (m_error.empty()) m_error = "no picture";
    return false;
  }
  bool fullRange = false;
  AVPixelFormat format = PlainFormat(AVPixelFormat(m->frame->format), fullRange);
  const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(format);
  bool isYuvOrGray = desc && !(desc->flags & (AV_PIX_FMT_FLAG_RGB | AV_PIX_FMT_FLAG_PAL));
  if (isYuvOrGray && m->frame->color_range == AVCOL_RANGE_JPEG) fullRange = true;
  if (!ScalePlanes(m->frame->data, m->frame->linesize, m->frame->width, m->frame->height, format, fullRange, width,
                   height, out)) {
    m_error = "the picture cannot be converted";
    return false;
  }
  return true;
}

bool PictureDecoder::ScalePixels(const uint32_t* argb, int width, int height, int toWidth, int toHeight,
                                 std::vector<uint32_t>& out) {
  if (!argb) return false;
  const uint8_t* src[4] = {reinterpret_cast<const uint8_t*>(argb), nullptr, nullptr, nullptr};
  int srcLinesize[4] = {width * 4, 0, 0, 0};
  return ScalePlanes(src, srcLinesize, width, height, AV_PIX_FMT_BGRA, false, toWidth, toHeight, out);
}

}  // namespace lf
