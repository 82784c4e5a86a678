#include "core/playback/png_writer.h"

#include <png.h>

#include <cstdio>
#include <cstring>

#include "core/platform/staged_output.h"

namespace lf {

bool WritePng(const std::string& path, const std::vector<Colorref>& pixels, int width, int height, int scale,
              std::string& error) {
  if (width <= 0 || height <= 0 || scale <= 0 || pixels.size() != static_cast<size_t>(width) * height) {
    error = "cannot write '" + path + "': bad image size";
    return false;
  }
  const size_t outWidth = static_cast<size_t>(width) * scale, outHeight = static_cast<size_t>(height) * scale;
  std::vector<uint8_t> rgb(outWidth * outHeight * 3);
  for (size_t y = 0; y < outHeight; ++y) {
    const Colorref* src = &pixels[(y / scale) * width];
    uint8_t* dst = &rgb[y * outWidth * 3];
    for (size_t x = 0; x < outWidth; ++x) {
      const Colorref c = src[x / scale];
      *dst++ = RedOf(c);
      *dst++ = GreenOf(c);
      *dst++ = BlueOf(c);
    }
  }
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(outWidth);
  image.height = static_cast<png_uint_32>(outHeight);
  image.format = PNG_FORMAT_RGB;
  // Staged and renamed: a failure (a full disk, a kill) leaves what was at `path`.
  if (std::string problem = OutputPathProblem(path); !problem.empty()) {
    error = "cannot write '" + path + "': " + problem;
    return false;
  }
  StagedOutput staged(path);
  if (!png_image_write_to_file(&image, staged.DescriptorPath().c_str(), 0, rgb.data(), 0, nullptr)) {
    error = "cannot write '" + path + "': " + image.message;
    png_image_free(&image);
    return false;
  }
  std::string why;
  if (!staged.Commit(&why)) {
    error = why;
    return false;
  }
  return true;
}

bool ReadPng(const std::string& path, std::vector<Colorref>& pixels, int& width, int& height, std::string& error) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) {
    error = "cannot read '" + path + "': " + image.message;
    return false;
  }
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) {
    error = "cannot read '" + path + "': " + image.message;
    png_image_free(&image);
    return false;
  }
  width = static_cast<int>(image.width);
  height = static_cast<int>(image.height);
  pixels.resize(static_cast<size_t>(width) * height);
  for (size_t i = 0; i < pixels.size(); ++i) pixels[i] = MakeRgb(rgb[3 * i], rgb[3 * i + 1], rgb[3 * i + 2]);
  return true;
}

}  // namespace lf
