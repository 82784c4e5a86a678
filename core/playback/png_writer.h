#pragma once
// PNG files of screens and frames (libpng), 8-bit RGB.
#include <cstdint>
#include <string>
#include <vector>

#include "core/cdg/cdg_packet.h"

namespace lf {

// Writes `width` x `height` pixels of 0x00BBGGRR values, each scaled up to a
// `scale` x `scale` block (nearest neighbour). False with a one-line message
// in `error` on failure, when whatever was at `path` is left as it was.
bool WritePng(const std::string& path, const std::vector<Colorref>& pixels, int width, int height, int scale,
              std::string& error);

// Reads an 8-bit RGB or RGBA PNG back as 0x00BBGGRR values (tests and tools).
bool ReadPng(const std::string& path, std::vector<Colorref>& pixels, int& width, int& height, std::string& error);

}  // namespace lf
