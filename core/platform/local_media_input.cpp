#include "core/platform/local_media_input.h"

#include <filesystem>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
#include <libavutil/log.h>
}

namespace lf {

int OpenLocalMediaInput(AVFormatContext** format, const std::string& path, const char* demuxers) {
  *format = nullptr;
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec || path.empty()) return AVERROR(ENOENT);
  const std::string url = "file:" + absolute.string();
  AVDictionary* options = nullptr;
  av_dict_set(&options, "protocol_whitelist", "file", 0);
  av_dict_set(&options, "format_whitelist", demuxers, 0);
  // The picture reader must not take '%d' or '*' in a name as a sequence of files.
  av_dict_set(&options, "pattern_type", "none", 0);
  const int rc = avformat_open_input(format, url.c_str(), nullptr, &options);
  av_dict_free(&options);
  if (rc < 0) *format = nullptr;
  return rc;
}

void QuietFfmpegLog() {
  static const bool once = [] {
    av_log_set_level(AV_LOG_QUIET);
    return true;
  }();
  (void)once;
}

}  // namespace lf
