// The free-slot finder must answer exactly what a straight scan of the stream
// answers, however the slots were filled before and between the questions.
#include "core/cdg/free_slot_finder.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/cdg/cdg_packet.h"

namespace lf {
namespace {

int64_t ScanForEmpty(const std::vector<uint8_t>& stream, int64_t slots, int64_t from) {
  while (from < slots && stream[static_cast<size_t>(from) * kPacketSize] != 0) ++from;
  return from;
}

TEST(FreeSlotFinderTest, AgreesWithAScanWhileSlotsFillInEveryPattern) {
  struct Case {
    const char* name;
    int slots;
    int prefilledPercent;
    int window;
  };
  const Case cases[] = {
      {"empty stream, writes pile up at one place", 400, 0, 1},
      {"half full, writes scattered", 400, 50, 400},
      {"nearly full, writes near each other", 400, 90, 8},
      {"one slot", 1, 0, 1},
  };
  for (const Case& c : cases) {
    std::mt19937 random(static_cast<unsigned>(c.slots * 31 + c.prefilledPercent));
    std::vector<uint8_t> stream(static_cast<size_t>(c.slots) * kPacketSize, 0);
    for (int s = 0; s < c.slots; ++s)
      if (static_cast<int>(random() % 100) < c.prefilledPercent) stream[static_cast<size_t>(s) * kPacketSize] = 9;
    FreeSlotFinder finder;
    finder.Reset(stream.data(), c.slots);
    const int64_t base = static_cast<int64_t>(random() % static_cast<unsigned>(c.slots));
    for (int question = 0; question < c.slots * 2; ++question) {
      const int64_t from = (base + static_cast<int64_t>(random() % static_cast<unsigned>(c.window))) % c.slots;
      const int64_t expected = ScanForEmpty(stream, c.slots, from);
      ASSERT_EQ(finder.FirstEmptyFrom(from), expected) << c.name << ", question " << question;
      if (expected < c.slots) stream[static_cast<size_t>(expected) * kPacketSize] = 9;  // fill it, as a write does
    }
    EXPECT_EQ(finder.FirstEmptyFrom(0), ScanForEmpty(stream, c.slots, 0)) << c.name;
  }
}

}  // namespace
}  // namespace lf
