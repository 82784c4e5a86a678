#pragma once
// PictureDecoder: reads the first picture of an image file (BMP, JPEG, GIF,
// TIFF, PNG) and hands it out as 32-bit BGRA pixels at a chosen size, scaled
// bicubically. The only place that talks to the image decoding library.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace lf {

class PictureDecoder {
 public:
  // Pictures above this many pixels are refused rather than decoded; JPEG
  // files are decoded at a reduced scale first when that brings them under it.
  static constexpr int64_t kMaxSourcePixels = 40'000'000;
  static constexpr int kMaxSourceSide = 32768;

  PictureDecoder();
  virtual ~PictureDecoder();
  PictureDecoder(const PictureDecoder&) = delete;
  PictureDecoder& operator=(const PictureDecoder&) = delete;

  // Decodes the file's first picture. False, with Error() set, when the file
  // is missing, empty, not a picture, damaged or too large.
  bool Open(const std::string& path);

  // Size of the decoded picture (after any reduced-scale decoding).
  int Width() const;
  int Height() const;
  const std::string& Error() const { return m_error; }

  // The picture at width x height as 0xAARRGGBB values, rows from the top.
  // Pixels that are fully transparent come out as 0.
  bool Scale(int width, int height, std::vector<uint32_t>& out);

  // Scales a picture already in memory (0xAARRGGBB values, rows from the top)
  // the same way.
  static bool ScalePixels(const uint32_t* argb, int width, int height, int toWidth, int toHeight,
                          std::vector<uint32_t>& out);

 private:
  struct Impl;
  std::unique_ptr<Impl> m;
  std::string m_error;
};

}  // namespace lf
