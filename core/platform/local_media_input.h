#pragma once
// Opening a file for FFmpeg as a local file and nothing else: names are never
// taken as URLs ("a:b.mp3" is a file), only the file protocol is allowed, and
// only the demuxers a caller names may read it, so a script such as an
// ffconcat list or a playlist cannot make FFmpeg open other files.
#include <string>

struct AVFormatContext;

namespace lf {

// The demuxers of the music the program decodes and of the pictures it reads.
inline constexpr const char* kAudioDemuxers = "mp3,asf,mov,ogg,flac,wav,w64,aac,matroska,aiff";
inline constexpr const char* kPictureDemuxers = "image2,bmp_pipe,jpeg_pipe,gif,gif_pipe,tiff_pipe,png_pipe";

// avformat_open_input on `path` made absolute, under the rules above. Returns
// FFmpeg's result (negative on failure); `*format` is null after a failure.
int OpenLocalMediaInput(AVFormatContext** format, const std::string& path, const char* demuxers);

// FFmpeg's own messages stay quiet: callers report failures in their own words.
void QuietFfmpegLog();

}  // namespace lf
