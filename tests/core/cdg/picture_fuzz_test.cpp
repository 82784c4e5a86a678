// Mutated pictures of every kind the program reads through the picture
// decoder: refused with a reason or decoded and scaled, never past a buffer
// (run under `make sanitize`).
#include <gtest/gtest.h>

#include <random>

#include "core/cdg/picture_decoder.h"
#include "tests/support/fuzz_input.h"
#include "tests/support/picture_fixtures.h"

namespace lf {
namespace {

TEST(PictureFuzz, MutatedPicturesAreDecodedOrRefused) {
  test::PictureFolder folder;
  std::vector<std::string> seeds;
  for (const char* name : {"p.png", "p.bmp", "p.gif", "p.jpg", "p.tif"}) {
    const std::string file = folder.Synthesise(name, "testsrc=size=48x32");
    ASSERT_FALSE(file.empty()) << name;
    seeds.push_back(test::ReadFileBytes(file));
  }
  std::mt19937 rng(777);
  const int n = test::FuzzIterations(150);
  for (int i = 0; i < n; ++i) {
    const size_t kind = size_t(i) % seeds.size();
    const std::string name = std::string("f") + std::to_string(kind) + (kind == 3 ? ".jpg" : ".png");
    const std::string path = folder.Write(name, test::Mutate(seeds[kind], rng));
    PictureDecoder decoder;
    if (!decoder.Open(path)) {
      ASSERT_FALSE(decoder.Error().empty()) << "iteration " << i;
      continue;
    }
    std::vector<uint32_t> pixels;
    if (decoder.Scale(36, 24, pixels)) {
      ASSERT_EQ(pixels.size(), 36u * 24u);
    }
  }
}

}  // namespace
}  // namespace lf
