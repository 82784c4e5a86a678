#pragma once
// One line of lyrics on the screen. The line refers to its words; the song's
// word list owns them.
#include <cstdint>
#include <string>
#include <vector>

#include "core/song/karaoke_word.h"
#include "core/song/sample_time.h"

namespace lf {

class KaraokeLine {
 public:
  virtual ~KaraokeLine() = default;

  bool HasWords() const { return !m_words.empty(); }
  KaraokeWord* FirstWord() const { return m_words.empty() ? nullptr : m_words.front(); }
  KaraokeWord* LastWord() const { return m_words.empty() ? nullptr : m_words.back(); }

  int32_t m_page = 0;
  std::string m_text;  // without its leading marker
  int32_t m_colorIndex = ColorIndexSinger1;
  SampleTime m_startTime = 0;  // drawn (set by the compiler)
  SampleTime m_endTime = 0;    // erased (set by the compiler)
  int32_t m_lineInPage = 0;
  std::vector<KaraokeWord*> m_words;
  bool m_placed = false;   // a word of the line was placed
  bool m_newPage = false;  // a '^' line came before it
  bool m_singer2 = false;  // began with '&' in duet mode
  bool m_fixed = false;    // began with '!': fixed colour, never swept
};

}  // namespace lf
