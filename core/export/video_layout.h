#pragma once
// Where the CD+G screen goes in a video frame: the whole 300 x 216 screen or
// its 288 x 192 visible area, enlarged by the largest whole factor that fits
// (sharp pixels, nearest neighbour) and centred on black.
#include <optional>
#include <string>
#include <vector>

namespace lf {

enum class VideoArea { Screen, Visible };

struct VideoFrameSize {
  std::string name;  // "720p"
  int width = 0;
  int height = 0;
};

// The frame sizes offered, smallest first: 720p (1280 x 720), 1080p (1920 x 1080), 2160p (3840 x 2160).
const std::vector<VideoFrameSize>& VideoFrameSizes();
std::string VideoFrameSizeList();  // "720p, 1080p or 2160p" for messages
std::optional<VideoFrameSize> VideoFrameSizeNamed(const std::string& name);

struct VideoLayout {
  int width = 0, height = 0;          // the frame
  int sourceLeft = 0, sourceTop = 0;  // the part of the screen shown
  int sourceWidth = 0, sourceHeight = 0;
  int scale = 0;          // a screen pixel becomes scale x scale frame pixels
  int left = 0, top = 0;  // the enlarged picture's place in the frame (even, for 4:2:0)
  int PictureWidth() const { return sourceWidth * scale; }
  int PictureHeight() const { return sourceHeight * scale; }
  bool Fits() const { return scale >= 1; }
};

// The layout of `area` in a width x height frame; Fits() is false when the
// frame is smaller than the area or its sides are not even.
VideoLayout LayOutVideo(VideoArea area, int width, int height);

}  // namespace lf
