// Mutated and foreign .cdg files through the reader and the decoder: files are
// either refused in one line or decoded without leaving screen memory (run
// under `make sanitize`).
#include <gtest/gtest.h>

#include <random>

#include "core/cdg/cdg_demo_stream.h"
#include "core/cdg/cdg_stream_file.h"
#include "core/playback/rw_renderer.h"
#include "core/playback/stream_decode.h"
#include "tests/support/cli_runner.h"
#include "tests/support/fuzz_input.h"

namespace lf {
namespace {

TEST(CdgFileFuzz, MutatedStreamsAreRefusedOrDecodedSafely) {
  test::TempDir dir;
  const std::vector<uint8_t> demo = MakeDemoStream();
  const std::string seeds[] = {
      std::string(demo.begin(), demo.end()), std::string(demo.begin(), demo.begin() + 24 * 40),
      test::ToneWav(44100, 16, 2, 600),         // music is no stream
      std::string(24 * 64, '\0') + "\x09\x01",  // empty slots and a cut packet
  };
  std::mt19937 rng(12121212);
  const int n = test::FuzzIterations(300);
  for (int i = 0; i < n; ++i) {
    const std::string bytes = i % 7 == 6 ? test::RandomBytes(rng, 24 * 200) : test::Mutate(seeds[i % 4], rng);
    test::WriteFileBytes(dir.File("f.cdg"), bytes);
    CdgStreamFile file;
    const CdgReadResult read = ReadCdgStreamFile(dir.File("f.cdg"), file);
    if (!read) {
      ASSERT_FALSE(read.message.empty());
      ASSERT_EQ(read.message.find('\n'), std::string::npos) << read.message;
      continue;
    }
    ASSERT_EQ(file.bytes.size() % 24, 0u);
    CdgRenderer renderer;
    DecodeStreamPrefix(renderer, file.bytes.data(), file.bytes.size(), file.PacketCount());
    for (Colorref c : renderer.DisplayColors()) ASSERT_EQ(c & 0xFF000000u, 0u);
  }
}

}  // namespace
}  // namespace lf
