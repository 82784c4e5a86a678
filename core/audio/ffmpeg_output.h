#pragma once
// What every file FFmpeg writes for us shares: error texts, and handing an
// encoder's packets to the muxer.
#include <string>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct AVStream;

namespace lf {

// FFmpeg's text for an error code, with the code as a hex number.
std::string FfmpegErrorText(int code);

// Sends one frame to `codec` (or the end, when `frame` is null) and writes
// every packet it has ready into `stream` of `format`, interleaved with the
// file's other streams. Returns 0 or FFmpeg's negative error code.
int EncodeAndWrite(AVFormatContext* format, AVCodecContext* codec, AVStream* stream, AVFrame* frame, AVPacket* packet);

}  // namespace lf
