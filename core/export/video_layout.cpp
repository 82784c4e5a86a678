#include "core/export/video_layout.h"

#include <algorithm>

#include "core/cdg/cdg_packet.h"

namespace lf {

const std::vector<VideoFrameSize>& VideoFrameSizes() {
  static const std::vector<VideoFrameSize> sizes{{"720p", 1280, 720}, {"1080p", 1920, 1080}, {"2160p", 3840, 2160}};
  return sizes;
}

std::string VideoFrameSizeList() {
  const std::vector<VideoFrameSize>& sizes = VideoFrameSizes();
  std::string list;
  for (size_t i = 0; i < sizes.size(); ++i)
    list += (i == 0 ? "" : i + 1 == sizes.size() ? " or " : ", ") + sizes[i].name;
  return list;
}

std::optional<VideoFrameSize> VideoFrameSizeNamed(const std::string& name) {
  for (const VideoFrameSize& size : VideoFrameSizes())
    if (size.name == name) return size;
  return std::nullopt;
}

VideoLayout LayOutVideo(VideoArea area, int width, int height) {
  VideoLayout layout;
  layout.width = width;
  layout.height = height;
  if (area == VideoArea::Visible) {
    layout.sourceLeft = kVisibleLeft;
    layout.sourceTop = kVisibleTop;
    layout.sourceWidth = kVisibleRight - kVisibleLeft;
    layout.sourceHeight = kVisibleBottom - kVisibleTop;
  } else {
    layout.sourceWidth = kScreenWidth;
    layout.sourceHeight = kScreenHeight;
  }
  if (width % 2 != 0 || height % 2 != 0 || width <= 0 || height <= 0) return layout;
  layout.scale = std::min(width / layout.sourceWidth, height / layout.sourceHeight);
  // Even offsets keep every 2 x 2 chroma block inside one side of the picture's edge.
  layout.left = (width - layout.PictureWidth()) / 4 * 2;
  layout.top = (height - layout.PictureHeight()) / 4 * 2;
  return layout;
}

}  // namespace lf
