#pragma once
// One sung word or syllable of a karaoke line.
#include <cstdint>

#include "core/song/sample_time.h"

namespace lf {

class KaraokeLine;

// A word's times: first and last heard.
struct WordTimes {
  SampleTime start = 0;
  SampleTime end = 0;
  bool operator==(const WordTimes&) const = default;
};

struct WordRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  bool operator==(const WordRect&) const = default;
};

class KaraokeWord {
 public:
  enum Flags : uint32_t {
    kSelected = 1,       // highlighted on a timing screen
    kSyllableBreak = 2,  // ends at a '*'
    kJoinsPrevious = 4,  // continues the previous word without a space
    kNeedsReview = 8,    // timed by the program, not by a tap: the author should look at it
    kRetapped = 16,      // its tap was taken back and tapped again
  };

  virtual ~KaraokeWord() = default;

  bool IsSelected() const { return m_flags & kSelected; }
  bool NeedsReview() const { return m_flags & kNeedsReview; }
  bool WasRetapped() const { return m_flags & kRetapped; }
  bool IsPlaced() const { return m_startTime != 0; }
  // Characters first..last of the line's text; empty when last < first.
  int Length() const { return m_lastChar >= m_firstChar ? m_lastChar - m_firstChar + 1 : 0; }

  int32_t m_firstChar = 0;
  int32_t m_lastChar = -1;     // inclusive
  SampleTime m_startTime = 0;  // 0: not placed
  SampleTime m_endTime = 0;
  KaraokeLine* m_line = nullptr;  // the line whose list holds this word
  WordRect m_rect;                // drawing-bitmap pixels, from CalcWordRectangles
  uint32_t m_flags = 0;
};

// The stored record of a word is 40 bytes.
inline constexpr int kWordRecordSize = 40;

}  // namespace lf
