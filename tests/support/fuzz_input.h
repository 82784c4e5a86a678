#pragma once
// Mutated input for the readers' fuzz loops: bounded, seeded loops that run in
// every test run (a few hundred inputs) and longer under `make sanitize` or by
// hand (LYRICFORGE_FUZZ_ITERATIONS).
#include <cstdint>
#include <random>
#include <string>

namespace lf::test {

// The loop count: LYRICFORGE_FUZZ_ITERATIONS when set, else `normal`.
int FuzzIterations(int normal);

// `seed` with a few random edits: bytes flipped, runs inserted, deleted or
// repeated, the end cut, or a 32-bit field set to an extreme value (0, -1,
// INT32_MAX, 0x20000004, ...), the kind of value a header field is trusted with.
std::string Mutate(std::string seed, std::mt19937& rng);

// Up to `maxSize` random bytes.
std::string RandomBytes(std::mt19937& rng, size_t maxSize);

}  // namespace lf::test
