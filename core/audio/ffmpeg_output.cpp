#include "core/audio/ffmpeg_output.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/error.h>
}

#include <cstdio>

namespace lf {

std::string FfmpegErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  char hr[16];
  std::snprintf(hr, sizeof hr, "0x%08x", static_cast<unsigned>(code));
  return std::string(text) + " (hr=" + hr + ")";
}

int EncodeAndWrite(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame, AVPacket* packet) {
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

}  // namespace lf
