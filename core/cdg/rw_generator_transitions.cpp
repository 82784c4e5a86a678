// The eleven ways a full-screen picture is turned into packets. Each encodes
// the drawing bitmap's cells in its own order (or moves them in by scrolling,
// or ramps the colour table); only the top ScreenPercent() of the rows is
// covered.
#include <algorithm>
#include <array>
#include <chrono>

#include "core/cdg/rw_generator.h"

namespace lf {
namespace {

constexpr int kCellCount = kDrawColumns * kDrawRows;  // 768

// Block Dissolve's random numbers: 0 ... 32767.
class DissolveRandom {
 public:
  explicit DissolveRandom(uint32_t seed) : m_state(seed) {}
  int Next() {
    m_state = m_state * 214013u + 2531011u;
    return int((m_state >> 16) & 0x7FFF);
  }

 private:
  uint32_t m_state;
};

// Per component: (a * wa + b * wb) / 8.
Colorref Blend(Colorref a, int wa, Colorref b, int wb) {
  auto mix = [&](uint8_t ca, uint8_t cb) { return uint8_t((ca * wa + cb * wb) / 8); };
  return MakeRgb(mix(RedOf(a), RedOf(b)), mix(GreenOf(a), GreenOf(b)), mix(BlueOf(a), BlueOf(b)));
}

// The scroll offsets reach across one tile: 0 to 5 pixels sideways, 0 to 11 down.
constexpr int kMaxHOffset = kTileWidth - 1;
constexpr int kMaxVOffset = kTileHeight - 1;
// H offset steps written after these rows of a column in the horizontal scrolls.
constexpr int kHStepRows[kMaxHOffset] = {3, 5, 8, 10, 13};
// In the vertical scrolls the V offset steps after every fourth cell of a row,
// kMaxVOffset times, the last after cell 44.
constexpr int kVStepCells = 4;
constexpr int kLastVStepCell = kVStepCells * kMaxVOffset;

}  // namespace

// Rows 0 .. CoveredRows() - 1 are drawn by the top-down orders.
int CdgGenerator::CoveredRows() const { return std::clamp(m_screenPercent * kDrawRows / 100, 0, kDrawRows); }

// The first row of the bottom-up orders (Fill Up, Scroll Down).
int CdgGenerator::LastCoveredRow() const {
  return std::clamp(m_screenPercent * (kDrawRows - 1) / 100, 0, kDrawRows - 1);
}

int CdgGenerator::EmitTransition(const DrawingBitmap& bitmap, int transition, const Colorref* colors16,
                                 int backgroundIndex, int offset) {
  switch (transition) {
    case FillRight:
    case FillLeft:
    case FillDown:
    case FillUp:
      return FillTransition(bitmap, transition, offset);
    case ScrollRight:
      return HorizontalScroll(bitmap, true, offset);
    case ScrollLeft:
      return HorizontalScroll(bitmap, false, offset);
    case ScrollDown:
      return VerticalScroll(bitmap, true, offset);
    case ScrollUp:
      return VerticalScroll(bitmap, false, offset);
    case BlockDissolve:
      return DissolveTransition(bitmap, offset);
    case FadeIn:
      return FadeTransition(bitmap, true, colors16, backgroundIndex, offset);
    case FadeOut:
      return FadeTransition(bitmap, false, colors16, backgroundIndex, offset);
    default:
      return 0;
  }
}

int CdgGenerator::FillTransition(const DrawingBitmap& bitmap, int transition, int offset) {
  int written = 0;
  auto cell = [&](int column, int row) {
    if (Aborted()) return false;
    written += EncodeCell(bitmap, column, row, column + 1, row + 1, offset + written);
    return true;
  };
  const int rows = CoveredRows();
  switch (transition) {
    case FillRight:
      for (int column = 0; column < kDrawColumns; ++column)
        for (int row = 0; row < rows; ++row)
          if (!cell(column, row)) return written;
      break;
    case FillLeft:
      for (int column = kDrawColumns - 1; column >= 0; --column)
        for (int row = 0; row < rows; ++row)
          if (!cell(column, row)) return written;
      break;
    case FillDown:
      for (int row = 0; row < rows; ++row)
        for (int column = 0; column < kDrawColumns; ++column)
          if (!cell(column, row)) return written;
      break;
    case FillUp:
      for (int row = LastCoveredRow(); row >= 0; --row)
        for (int column = 0; column < kDrawColumns; ++column)
          if (!cell(column, row)) return written;
      break;
  }
  return written;
}

int CdgGenerator::DissolveTransition(const DrawingBitmap& bitmap, int offset) {
  uint32_t seed =
      m_dissolveSeed ? *m_dissolveSeed : uint32_t(std::chrono::system_clock::now().time_since_epoch().count());
  DissolveRandom random(seed);
  std::array<bool, kCellCount> visited{};
  const int rows = CoveredRows();
  int written = 0;
  for (int remaining = kCellCount; remaining > 0;) {
    if (Aborted()) break;
    int d = int(int64_t(remaining) * random.Next() / 32767);
    int chosen = -1;
    for (int index = 0; index < kCellCount; ++index) {
      if (visited[index]) continue;
      if (d == 0) {
        chosen = index;
        break;
      }
      --d;
    }
    if (chosen < 0) continue;  // d reached past the last unvisited cell: draw again
    visited[chosen] = true;
    --remaining;
    const int column = chosen % kDrawColumns, row = chosen / kDrawColumns;
    if (row < rows) written += EncodeCell(bitmap, column, row, column + 1, row + 1, offset + written);
  }
  return written;
}

// The picture slides in sideways: each column is drawn into tile column 0
// (the border) and moved in by ScrollCopy, with the H offset stepping so that
// it moves one pixel at a time.
int CdgGenerator::HorizontalScroll(const DrawingBitmap& bitmap, bool right, int offset) {
  const int rows = CoveredRows();
  const int command = right ? kScrollRight : kScrollLeft;
  int written = 0;
  auto scroll = [&](int hCommand, int hOffset) {
    written += EmitScroll(hCommand, hOffset, kScrollNoneV, 0, offset + written);
  };
  scroll(kScrollNone, right ? kMaxHOffset : 0);
  for (int n = 0; n < kDrawColumns; ++n) {
    const int column = right ? kDrawColumns - 1 - n : n;
    int step = 0;
    for (int row = 0; row < rows; ++row) {
      if (Aborted()) return written;
      written += EncodeCell(bitmap, column, row, 0, row + 1, offset + written);
      if (step < kMaxHOffset && row == kHStepRows[step]) {
        ++step;
        scroll(kScrollNone, right ? kMaxHOffset - step : step);
      }
    }
    scroll(command, right ? kMaxHOffset : 0);
  }
  if (right) {
    for (int h = kMaxHOffset - 1; h >= 0; --h) scroll(kScrollNone, h);
  } else {
    for (int h = 0; h <= kMaxHOffset; ++h) scroll(kScrollNone, h);
    scroll(command, 0);
  }
  return written;
}

// The picture slides in vertically: each row is drawn into tile row 0 and
// moved in by ScrollCopy, the V offset stepping every four cells.
int CdgGenerator::VerticalScroll(const DrawingBitmap& bitmap, bool down, int offset) {
  const int command = down ? kScrollDown : kScrollUp;
  int written = 0;
  auto scroll = [&](int vCommand, int vOffset) {
    written += EmitScroll(kScrollNone, 0, vCommand, vOffset, offset + written);
  };
  auto drawRow = [&](int row) {
    int step = 0;
    for (int column = 0; column < kDrawColumns; ++column) {
      if (Aborted()) return false;
      written += EncodeCell(bitmap, column, row, column + 1, 0, offset + written);
      if (column > 0 && column % kVStepCells == 0 && column <= kLastVStepCell) {
        ++step;
        scroll(kScrollNoneV, down ? kMaxVOffset - step : step);
      }
    }
    scroll(command, down ? kMaxVOffset : 0);
    return true;
  };
  scroll(kScrollNoneV, down ? kMaxVOffset : 0);
  if (down) {
    for (int row = LastCoveredRow(); row >= 0; --row)
      if (!drawRow(row)) return written;
    for (int v = kMaxVOffset - 1; v >= 0; --v) scroll(kScrollNoneV, v);
  } else {
    for (int row = 0; row < CoveredRows(); ++row)
      if (!drawRow(row)) return written;
    for (int v = 1; v <= kMaxVOffset; ++v) scroll(kScrollNoneV, v);
    scroll(command, 0);
  }
  return written;
}

// Fade In draws the picture while every colour equals the background colour,
// then moves each entry towards its own colour in eight steps; Fade Out moves
// every entry to the background colour and draws nothing.
int CdgGenerator::FadeTransition(const DrawingBitmap& bitmap, bool fadeIn, const Colorref* colors16,
                                 int backgroundIndex, int offset) {
  if (!colors16) return 0;
  const Colorref background = colors16[backgroundIndex & 0x0F];
  std::array<Colorref, kColorCount> table{};
  int written = 0;
  if (fadeIn) {
    table.fill(background);
    written += LoadColorTable(table.data(), offset);
    written += FillTransition(bitmap, FillDown, offset + written);
  } else {
    std::copy(colors16, colors16 + kColorCount, table.begin());
  }
  const int firstStep = fadeIn ? 1 : 0;
  for (int f = firstStep; f <= 8; ++f) {
    for (int k = 0; k < kColorCount; ++k) {
      if (Aborted()) return written;
      table[k] = fadeIn ? Blend(colors16[k], f, background, 8 - f) : Blend(colors16[k], 8 - f, background, f);
      written += LoadColorTable(table.data(), offset + written);
    }
  }
  return written;
}

}  // namespace lf
