#include "tests/support/fuzz_input.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace lf::test {

int FuzzIterations(int normal) {
  const char* env = std::getenv("LYRICFORGE_FUZZ_ITERATIONS");
  return env ? std::max(1, std::atoi(env)) : normal;
}

std::string Mutate(std::string s, std::mt19937& rng) {
  static constexpr uint32_t kExtremes[] = {0, 1, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x20000004u, 0xFFFFu, 299};
  const int edits = 1 + static_cast<int>(rng() % 6);
  for (int e = 0; e < edits; ++e) {
    const size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 6) {
      case 0:
        if (at < s.size()) s[at] = static_cast<char>(rng());
        break;
      case 1:
        s.insert(at, 1 + rng() % 4, static_cast<char>(rng()));
        break;
      case 2:
        if (at < s.size()) s.erase(at, 1 + rng() % 64);
        break;
      case 3:
        if (rng() % 4 == 0) s.resize(at);
        break;
      case 4:
        if (at < s.size()) s.insert(at, s.substr(at, 1 + rng() % 64));
        break;
      case 5:
        if (at + 4 <= s.size()) {
          const uint32_t v = kExtremes[rng() % std::size(kExtremes)];
          std::memcpy(&s[at], &v, 4);  // little-endian, as the files store it
        }
        break;
    }
  }
  return s;
}

std::string RandomBytes(std::mt19937& rng, size_t maxSize) {
  std::string s(rng() % (maxSize + 1), '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

}  // namespace lf::test
