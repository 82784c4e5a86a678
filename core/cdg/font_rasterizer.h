#pragma once
// FontRasterizer: one installed font at one size, found by face name through
// fontconfig, shaped with HarfBuzz and rasterised by FreeType in monochrome
// (no anti-aliasing, so every pixel is exactly one palette index). This is the
// only place that knows those libraries.
//
// Sizes follow the Windows convention for a positive font height: the height
// is the font's cell height (ascent + descent, from the OS/2 table when the
// font has one), not its em size.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/cdg/screen_geometry.h"

namespace lf {

class DrawingBitmap;
class InkMask;

struct FontRequest {
  std::string face;  // family name, e.g. "Arial"
  int height = 12;   // > 0 cell height; < 0 em height; 0 a default size
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

// A rendered glyph: one bit per pixel, most significant bit leftmost.
struct GlyphImage {
  int left = 0;  // from the pen position to the first column
  int top = 0;   // from the baseline up to the first row
  int width = 0;
  int rows = 0;
  int pitch = 0;  // bytes per row
  std::vector<uint8_t> bits;
};

// A line of text shaped once and drawable many times (outline stamps).
struct TextRun {
  struct Glyph {
    int x = 0;                          // pen position in pixels from the run's origin
    int y = 0;                          // downward shift from the baseline
    const GlyphImage* image = nullptr;  // owned by the rasterizer's cache
    unsigned cluster = 0;               // byte offset in the shaped text of its character
    int advance = 0;                    // pixels the pen moves on
    bool breakUnsafe = false;           // the text cut before this glyph shapes differently
    bool startsFace = false;            // first glyph of a stretch drawn from another face
    bool scriptDecided = false;         // its stretch's script is set by an earlier character (or none)
  };
  std::vector<Glyph> glyphs;
  int width = 0;  // advance width in pixels
};

// An installed font family as fontconfig reports it.
struct InstalledFamily {
  std::string name;
  bool hasLatin = true;  // false for symbol fonts
};

class FontRasterizer {
 public:
  // Every family name of every outline font installed (unsorted, repeats kept).
  static std::vector<InstalledFamily> InstalledFamilies();

  // nullptr when neither the face nor any fallback face can be loaded.
  static std::unique_ptr<FontRasterizer> Create(const FontRequest& request);
  ~FontRasterizer();
  FontRasterizer(const FontRasterizer&) = delete;
  FontRasterizer& operator=(const FontRasterizer&) = delete;

  int Height() const;  // ascent + descent
  int Ascent() const;
  int Descent() const;
  int AverageCharWidth() const;
  std::string FamilyName() const;  // of the face actually used
  bool SyntheticBold() const;      // emboldened because the family has no bold face
  bool SyntheticItalic() const;    // slanted because it has no italic face
  bool HasCharacter(char32_t codePoint) const;

  // Shapes UTF-8 text (invalid bytes show as the replacement glyph).
  TextRun Shape(std::string_view text) const;
  // Advance width of the text.
  int Measure(std::string_view text) const { return Shape(text).width; }
  // Sets the pixels of `run` (and its underline) to `index`, with the run's
  // cell top-left at (x, y); clipped to the bitmap.
  void Draw(DrawingBitmap& bitmap, int x, int y, const TextRun& run, int index) const;
  // The pixels `run` sets when drawn with its cell's top-left at (0, 0),
  // underline included; empty when it sets none.
  ScreenRect InkOf(const TextRun& run) const;
  // Draws `run` as stamped at every shift of up to `radius` pixels each way
  // (an outline), into the pixels of `clip` only.
  void DrawWidened(DrawingBitmap& bitmap, int x, int y, const TextRun& run, int radius, int index,
                   const ScreenRect& clip) const;

 private:
  struct Impl;
  explicit FontRasterizer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> m;
};

}  // namespace lf
