#include "core/cdg/font_rasterizer.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H
#include <fontconfig/fontconfig.h>
#include <hb-ft.h>
#include <hb.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <fstream>
#include <map>
#include <mutex>
#include <unordered_map>

#include "core/cdg/draw_bitmap.h"
#include "core/cdg/ink_mask.h"

namespace lf {

namespace {

constexpr int kDefaultCellHeight = 16;  // what a height of 0 asks for
constexpr int kMaxCellHeight = 1024;    // far beyond the 192-pixel screen
// The slant of a synthesised italic (about 12 degrees), in 16.16.
constexpr FT_Fixed kObliqueShear = 0x0366A;

// Where fontconfig found a face; whether bold or italic must be made up is
// decided from the face itself once it is open.
struct ResolvedFace {
  std::string path;
  int index = 0;
  std::string family;
  bool needBold = false;
  bool needItalic = false;
};

// Process-wide font state. FreeType's library object and fontconfig are
// shared, so face creation and lookups go through one lock; a created face is
// then used by one rasterizer only.
class FontSystem {
 public:
  static FontSystem& Instance() {
    static FontSystem system;
    return system;
  }

  std::mutex& Lock() { return m_mutex; }
  bool FontconfigReady() const { return m_fontconfigReady; }
  FT_Library Library() const { return m_library; }

  // Caller holds Lock().
  bool Resolve(const std::string& face, bool bold, bool italic, ResolvedFace& out) {
    std::string key = face;
    key += '\n';
    key += bold ? 'b' : '-';
    key += italic ? 'i' : '-';
    auto found = m_resolved.find(key);
    if (found != m_resolved.end()) {
      out = found->second;
      return !out.path.empty();
    }
    bool ok = Match(face, bold, italic, out);
    // A face that fontconfig cannot place at all falls back to the default sans.
    if (!ok) ok = Match("Liberation Sans", bold, italic, out);
    if (!ok) ok = Match("sans-serif", bold, italic, out);
    if (!ok) out = ResolvedFace{};
    m_resolved[key] = out;
    return ok;
  }

  // A face that has `codePoint`, closest to `face` otherwise. Caller holds Lock().
  bool ResolveCharacter(const std::string& face, bool bold, bool italic, char32_t codePoint, ResolvedFace& out) {
    if (!m_fontconfigReady) return false;
    FcPattern* pattern = FcPatternCreate();
    FcCharSet* wanted = FcCharSetCreate();
    bool ok = false;
    if (pattern != nullptr && wanted != nullptr && FcCharSetAddChar(wanted, codePoint)) {
      FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
      FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
      FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
      FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
      FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
      FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
      FcDefaultSubstitute(pattern);
      FcResult result = FcResultNoMatch;
      FcPattern* match = FcFontMatch(nullptr, pattern, &result);
      FcCharSet* has = nullptr;
      // The best match may still lack the character; then no face has it.
      if (match != nullptr && FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch && has != nullptr &&
          FcCharSetHasChar(has, codePoint))
        ok = Take(match, out);
      if (match != nullptr) FcPatternDestroy(match);
    }
    if (wanted != nullptr) FcCharSetDestroy(wanted);
    if (pattern != nullptr) FcPatternDestroy(pattern);
    return ok;
  }

  // Whole font files, read once; FreeType faces are opened from memory.
  std::shared_ptr<const std::vector<uint8_t>> FileData(const std::string& path) {
    auto found = m_files.find(path);
    if (found != m_files.end()) return found->second;
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    auto data =
        std::make_shared<std::vector<uint8_t>>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (data->empty()) return nullptr;
    m_files[path] = data;
    return data;
  }

 private:
  FontSystem() {
    if (FT_Init_FreeType(&m_library) != 0) m_library = nullptr;
    m_fontconfigReady = FcInit() == FcTrue;
  }
  // FreeType's library and fontconfig are both left to the process exit: a
  // face in another static may outlive this one, and in the desktop program
  // Qt still holds fontconfig patterns, which FcFini would abort on.
  ~FontSystem() = default;

  bool Match(const std::string& face, bool bold, bool italic, ResolvedFace& out) {
    if (!m_fontconfigReady) return false;
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) return false;
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FcPatternDestroy(pattern);
    if (match == nullptr) return false;
    const bool ok = Take(match, out);
    FcPatternDestroy(match);
    return ok;
  }

  // The file, index and family of a matched outline face.
  static bool Take(FcPattern* match, ResolvedFace& out) {
    FcChar8* file = nullptr;
    FcBool outline = FcFalse;
    if (FcPatternGetString(match, FC_FILE, 0, &file) != FcResultMatch || file == nullptr ||
        (FcPatternGetBool(match, FC_OUTLINE, 0, &outline) == FcResultMatch && !outline))
      return false;
    out.path = reinterpret_cast<const char*>(file);
    int index = 0;
    FcPatternGetInteger(match, FC_INDEX, 0, &index);
    FcChar8* family = nullptr;
    if (FcPatternGetString(match, FC_FAMILY, 0, &family) == FcResultMatch && family != nullptr)
      out.family = reinterpret_cast<const char*>(family);
    out.index = index;
    return true;
  }

  std::mutex m_mutex;
  FT_Library m_library = nullptr;
  bool m_fontconfigReady = false;
  std::map<std::string, ResolvedFace> m_resolved;
  std::map<std::string, std::shared_ptr<const std::vector<uint8_t>>> m_files;
};

int RoundPixels(FT_Pos value26) { return static_cast<int>((value26 + 32) >> 6); }

}  // namespace

namespace {

constexpr FT_Int32 kLoadFlags = FT_LOAD_TARGET_MONO | FT_LOAD_NO_BITMAP;

// One face opened at the line's size, with its HarfBuzz font and the images
// of the glyphs drawn so far.
struct SizedFace {
  std::shared_ptr<const std::vector<uint8_t>> data;  // keeps the memory face alive
  FT_Face face = nullptr;
  hb_font_t* hbFont = nullptr;
  FT_Pos emboldenStrength = 0;  // 26.6, whole pixels
  bool slant = false;           // a synthesised italic
  mutable std::unordered_map<uint32_t, GlyphImage> glyphs;

  SizedFace() = default;
  SizedFace(const SizedFace&) = delete;
  SizedFace& operator=(const SizedFace&) = delete;
  ~SizedFace() {
    if (hbFont != nullptr) hb_font_destroy(hbFont);
    if (face != nullptr) {
      std::lock_guard<std::mutex> lock(FontSystem::Instance().Lock());
      FT_Done_Face(face);
    }
  }

  // Opens `resolved` from memory; caller holds the font system's lock.
  bool Open(FontSystem& system, const ResolvedFace& resolved) {
    data = system.FileData(resolved.path);
    if (!data) return false;
    if (FT_New_Memory_Face(system.Library(), data->data(), static_cast<FT_Long>(data->size()), resolved.index, &face) !=
        0) {
      face = nullptr;
      return false;
    }
    return true;
  }

  bool IsBold() const {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    return (face->style_flags & FT_STYLE_FLAG_BOLD) != 0 ||
           (os2 && os2->version != 0xFFFF && os2->usWeightClass >= 600);
  }
  bool IsItalic() const { return (face->style_flags & FT_STYLE_FLAG_ITALIC) != 0; }

  // Sizes the face to `ppem26` (26.6 pixels an em) and makes its HarfBuzz font.
  bool SetSize(FT_F26Dot6 ppem26, bool synthBold, bool synthItalic) {
    if (FT_Set_Char_Size(face, 0, ppem26, 72, 72) != 0) return false;
    slant = synthItalic;
    if (synthBold)  // FreeType's own strength: an em / 24, whole pixels
      emboldenStrength =
          std::max<FT_Pos>(64, (FT_MulFix(face->units_per_EM, face->size->metrics.y_scale) / 24 + 32) & ~63);
    hbFont = hb_ft_font_create_referenced(face);
    hb_ft_font_set_load_flags(hbFont, kLoadFlags);
    return true;
  }

  const GlyphImage& Glyph(uint32_t glyphId) const;
};

}  // namespace

struct FontRasterizer::Impl {
  SizedFace main;
  ResolvedFace resolved;
  FontRequest request;
  FT_F26Dot6 ppem26 = 0;
  bool underline = false;
  int height = 0, ascent = 0, descent = 0, averageWidth = 0;
  int underlineTop = 0, underlineRows = 1;  // relative to the baseline, down positive
  // Characters the face lacks are drawn from another face that has them.
  mutable std::vector<std::unique_ptr<SizedFace>> fallbacks;
  mutable std::map<std::string, const SizedFace*> fallbackByFile;
  mutable std::unordered_map<char32_t, const SizedFace*> faceOf;

  const SizedFace& FaceFor(char32_t codePoint) const;
};

// Control characters and blanks stay with the line's own face.
const SizedFace& FontRasterizer::Impl::FaceFor(char32_t codePoint) const {
  if (codePoint < 0x20 || codePoint == ' ' || FT_Get_Char_Index(main.face, codePoint) != 0) return main;
  if (auto found = faceOf.find(codePoint); found != faceOf.end()) return *found->second;
  const SizedFace* chosen = &main;  // no face has it: the face's own missing-glyph box
  FontSystem& system = FontSystem::Instance();
  std::lock_guard<std::mutex> lock(system.Lock());
  ResolvedFace other;
  if (system.ResolveCharacter(request.face, request.bold, request.italic, codePoint, other)) {
    const std::string key = other.path + '\n' + std::to_string(other.index);
    if (auto known = fallbackByFile.find(key); known != fallbackByFile.end()) {
      chosen = known->second;
    } else {
      auto face = std::make_unique<SizedFace>();
      if (face->Open(system, other) && FT_IS_SCALABLE(face->face) &&
          face->SetSize(ppem26, request.bold && !face->IsBold(), request.italic && !face->IsItalic())) {
        chosen = face.get();
        fallbacks.push_back(std::move(face));
      }
      fallbackByFile[key] = chosen;
    }
  }
  faceOf[codePoint] = chosen;
  return *chosen;
}

const GlyphImage& SizedFace::Glyph(uint32_t glyphId) const {
  auto found = glyphs.find(glyphId);
  if (found != glyphs.end()) return found->second;
  GlyphImage& image = glyphs[glyphId];
  if (FT_Load_Glyph(face, glyphId, kLoadFlags) != 0) return image;  // drawn as nothing
  FT_GlyphSlot slot = face->glyph;
  if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
    if (emboldenStrength > 0) {
      FT_Outline_EmboldenXY(&slot->outline, emboldenStrength, 0);
      // Emboldening grows the outline both ways; keep the left edge in place.
      FT_Outline_Translate(&slot->outline, emboldenStrength / 2, 0);
    }
    if (slant) {
      FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
      FT_Outline_Transform(&slot->outline, &shear);
    }
  }
  if (FT_Render_Glyph(slot, FT_RENDER_MODE_MONO) != 0) return image;
  const FT_Bitmap& bitmap = slot->bitmap;
  if (bitmap.pixel_mode != FT_PIXEL_MODE_MONO || bitmap.buffer == nullptr) return image;
  image.left = slot->bitmap_left;
  image.top = slot->bitmap_top;
  image.width = static_cast<int>(bitmap.width);
  image.rows = static_cast<int>(bitmap.rows);
  image.pitch = (image.width + 7) / 8;
  image.bits.resize(static_cast<size_t>(image.pitch) * image.rows);
  const int sourcePitch = std::abs(bitmap.pitch);
  for (int row = 0; row < image.rows; ++row) {
    const int sourceRow = bitmap.pitch >= 0 ? row : image.rows - 1 - row;
    std::memcpy(&image.bits[static_cast<size_t>(row) * image.pitch],
                bitmap.buffer + static_cast<size_t>(sourceRow) * sourcePitch, image.pitch);
  }
  return image;
}

FontRasterizer::FontRasterizer(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}
FontRasterizer::~FontRasterizer() = default;

std::unique_ptr<FontRasterizer> FontRasterizer::Create(const FontRequest& request) {
  auto impl = std::make_unique<Impl>();
  FontSystem& system = FontSystem::Instance();
  {
    std::lock_guard<std::mutex> lock(system.Lock());
    if (system.Library() == nullptr) return nullptr;
    if (!system.Resolve(request.face, request.bold, request.italic, impl->resolved)) return nullptr;
    if (!impl->main.Open(system, impl->resolved)) return nullptr;
  }
  impl->request = request;
  FT_Face face = impl->main.face;
  if (!FT_IS_SCALABLE(face) || face->units_per_EM == 0) return nullptr;
  const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
  const bool hasOs2 = os2 != nullptr && os2->version != 0xFFFF;

  // fontconfig answers a family without a bold or italic face with its
  // regular face (marking it for synthesis); the face itself tells.
  impl->resolved.needBold = request.bold && !impl->main.IsBold();
  impl->resolved.needItalic = request.italic && !impl->main.IsItalic();

  // Cell height in font units: the Windows ascent and descent when present.
  long cellAscent = face->ascender, cellDescent = -face->descender;
  if (hasOs2 && os2->usWinAscent + os2->usWinDescent > 0) {
    cellAscent = os2->usWinAscent;
    cellDescent = os2->usWinDescent;
  }
  long cellUnits = cellAscent + cellDescent;
  if (cellUnits <= 0) {
    cellAscent = face->units_per_EM;
    cellDescent = 0;
    cellUnits = face->units_per_EM;
  }

  int height = request.height;
  if (height == 0) height = kDefaultCellHeight;
  if (height < 0)  // an em height: the cell is taller by the font's own ratio
    height = static_cast<int>(std::lround(double(-static_cast<long>(height)) * cellUnits / face->units_per_EM));
  height = std::clamp(height, 1, kMaxCellHeight);

  const double ppem = double(height) * face->units_per_EM / cellUnits;
  impl->ppem26 = static_cast<FT_F26Dot6>(std::lround(ppem * 64));
  if (!impl->main.SetSize(impl->ppem26, impl->resolved.needBold, impl->resolved.needItalic)) return nullptr;

  impl->height = height;
  impl->ascent = std::clamp(static_cast<int>(std::lround(double(cellAscent) * height / cellUnits)), 0, height);
  impl->descent = height - impl->ascent;
  const FT_Fixed xScale = face->size->metrics.x_scale, yScale = face->size->metrics.y_scale;
  if (hasOs2 && os2->xAvgCharWidth > 0) impl->averageWidth = RoundPixels(FT_MulFix(os2->xAvgCharWidth, xScale));
  impl->underline = request.underline;
  const FT_Pos underlinePosition = FT_MulFix(face->underline_position, yScale);
  const FT_Pos underlineThickness = FT_MulFix(face->underline_thickness, yScale);
  impl->underlineRows = std::max(1, RoundPixels(underlineThickness));
  impl->underlineTop = RoundPixels(-underlinePosition) - impl->underlineRows / 2;

  auto font = std::unique_ptr<FontRasterizer>(new FontRasterizer(std::move(impl)));
  if (font->m->averageWidth <= 0) font->m->averageWidth = std::max(1, font->Measure("x"));
  return font;
}

std::vector<InstalledFamily> FontRasterizer::InstalledFamilies() {
  std::vector<InstalledFamily> families;
  FontSystem& system = FontSystem::Instance();
  std::lock_guard<std::mutex> lock(system.Lock());
  if (!system.FontconfigReady()) return families;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, FC_OUTLINE, nullptr);
  if (pattern != nullptr) FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);  // outline fonts only
  FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
  if (fonts != nullptr) {
    for (int i = 0; i < fonts->nfont; ++i) {
      FcCharSet* charset = nullptr;
      const bool latin = FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch &&
                         charset != nullptr && FcCharSetHasChar(charset, 'A') && FcCharSetHasChar(charset, 'z');
      // A face can carry several family names ("DejaVu Sans" and "DejaVu
      // Sans Condensed"); each is a name the user may pick.
      FcChar8* family = nullptr;
      for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n)
        if (family != nullptr && *family != 0) families.push_back({reinterpret_cast<const char*>(family), latin});
    }
    FcFontSetDestroy(fonts);
  }
  if (objects != nullptr) FcObjectSetDestroy(objects);
  if (pattern != nullptr) FcPatternDestroy(pattern);
  return families;
}

int FontRasterizer::Height() const { return m->height; }
int FontRasterizer::Ascent() const { return m->ascent; }
int FontRasterizer::Descent() const { return m->descent; }
int FontRasterizer::AverageCharWidth() const { return m->averageWidth; }
std::string FontRasterizer::FamilyName() const { return m->resolved.family; }
bool FontRasterizer::SyntheticBold() const { return m->resolved.needBold; }
bool FontRasterizer::SyntheticItalic() const { return m->resolved.needItalic; }

bool FontRasterizer::HasCharacter(char32_t codePoint) const { return FT_Get_Char_Index(m->main.face, codePoint) != 0; }

namespace {

// Plain text output does not kern; widths then match a character-by-character sum.
// Ligatures are off too, so a prefix of a line draws exactly as it does
// inside the line (sweeps redraw and measure prefixes).
const std::array<hb_feature_t, 3>& ShapingFeatures() {
  static const std::array<hb_feature_t, 3> kFeatures = [] {
    std::array<hb_feature_t, 3> features{};
    hb_feature_from_string("-kern", -1, &features[0]);
    hb_feature_from_string("-liga", -1, &features[1]);
    hb_feature_from_string("-clig", -1, &features[2]);
    return features;
  }();
  return kFeatures;
}

// A stretch of the text drawn from one face: bytes [begin, end).
struct FaceSpan {
  const SizedFace* face;
  unsigned begin, end;
  // Where the first character that decides the stretch's script (and so its
  // direction) starts; HarfBuzz guesses them from it. None: never decided.
  unsigned firstDeciding = kNoCharacter;
  static constexpr unsigned kNoCharacter = ~0u;
};

bool DecidesScript(hb_codepoint_t codePoint) {
  const hb_script_t script = hb_unicode_script(hb_unicode_funcs_get_default(), codePoint);
  return script != HB_SCRIPT_COMMON && script != HB_SCRIPT_INHERITED && script != HB_SCRIPT_UNKNOWN;
}

}  // namespace

TextRun FontRasterizer::Shape(std::string_view text) const {
  TextRun run;
  if (text.empty()) return run;
  const int length = static_cast<int>(text.size());

  // The characters (HarfBuzz decodes the UTF-8) decide the face of each stretch.
  std::vector<FaceSpan> spans;
  {
    hb_buffer_t* chars = hb_buffer_create();
    hb_buffer_add_utf8(chars, text.data(), length, 0, length);
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(chars, &count);
    for (unsigned i = 0; i < count; ++i) {
      const SizedFace* face = &m->FaceFor(infos[i].codepoint);
      const unsigned end = i + 1 < count ? infos[i + 1].cluster : static_cast<unsigned>(length);
      if (!spans.empty() && spans.back().face == face)
        spans.back().end = end;
      else
        spans.push_back({face, infos[i].cluster, end});
      if (spans.back().firstDeciding == FaceSpan::kNoCharacter && DecidesScript(infos[i].codepoint))
        spans.back().firstDeciding = infos[i].cluster;
    }
    hb_buffer_destroy(chars);
  }

  FT_Pos pen = 0;
  for (const FaceSpan& span : spans) {
    hb_buffer_t* buffer = hb_buffer_create();
    // The whole line is context; only the span is shaped.
    hb_buffer_add_utf8(buffer, text.data(), length, span.begin, static_cast<int>(span.end - span.begin));
    hb_buffer_guess_segment_properties(buffer);
    hb_shape(span.face->hbFont, buffer, ShapingFeatures().data(), static_cast<unsigned>(ShapingFeatures().size()));
    unsigned count = 0;
    const hb_glyph_info_t* infos = hb_buffer_get_glyph_infos(buffer, &count);
    const hb_glyph_position_t* positions = hb_buffer_get_glyph_positions(buffer, &count);
    run.glyphs.reserve(run.glyphs.size() + count);
    for (unsigned i = 0; i < count; ++i) {
      TextRun::Glyph glyph;
      glyph.x = RoundPixels(pen + positions[i].x_offset);
      glyph.y = -RoundPixels(positions[i].y_offset);
      glyph.image = &span.face->Glyph(infos[i].codepoint);
      glyph.cluster = infos[i].cluster;
      glyph.breakUnsafe = (hb_glyph_info_get_glyph_flags(&infos[i]) & HB_GLYPH_FLAG_UNSAFE_TO_BREAK) != 0;
      glyph.startsFace = i == 0 && &span != &spans.front();
      glyph.scriptDecided = span.firstDeciding == FaceSpan::kNoCharacter || span.firstDeciding < glyph.cluster;
      // Hinted monochrome advances are whole pixels; keep them so.
      FT_Pos advance = (positions[i].x_advance + 32) & ~63;
      if (positions[i].x_advance != 0) advance += span.face->emboldenStrength;
      glyph.advance = RoundPixels(advance);
      pen += advance;
      run.glyphs.push_back(glyph);
    }
    hb_buffer_destroy(buffer);
  }
  run.width = std::max(0, RoundPixels(pen));
  return run;
}

namespace {

// The drawing bitmap as a place to draw a run.
struct BitmapTarget {
  DrawingBitmap& bitmap;
  int Left() const { return 0; }
  int Top() const { return 0; }
  int Right() const { return DrawingBitmap::kWidth; }
  int Bottom() const { return DrawingBitmap::kHeight; }
  uint8_t* RowFrom(int y) { return bitmap.Row(y); }
  void FillRect(int left, int top, int right, int bottom, uint8_t value) {
    bitmap.FillRect(left, top, right, bottom, value);
  }
};

// Sets the pixels of `run`'s glyphs, with the cell top-left at (x, y), to
// `value`, within the target's rectangle.
template <typename Target>
void DrawGlyphs(Target& target, int x, int baseline, const TextRun& run, uint8_t value) {
  for (const TextRun::Glyph& glyph : run.glyphs) {
    const GlyphImage& image = *glyph.image;
    const int left = x + glyph.x + image.left;
    const int top = baseline + glyph.y - image.top;
    const int firstRow = std::max(0, target.Top() - top), lastRow = std::min(image.rows, target.Bottom() - top);
    const int firstColumn = std::max(0, target.Left() - left);
    const int lastColumn = std::min(image.width, target.Right() - left);
    const int shift = left - target.Left();
    for (int row = firstRow; row < lastRow; ++row) {
      const uint8_t* bits = &image.bits[static_cast<size_t>(row) * image.pitch];
      uint8_t* targetRow = target.RowFrom(top + row);
      for (int column = firstColumn; column < lastColumn; ++column)
        if (bits[column >> 3] & (0x80 >> (column & 7))) targetRow[shift + column] = value;
    }
  }
}

}  // namespace

void FontRasterizer::Draw(DrawingBitmap& bitmap, int x, int y, const TextRun& run, int index) const {
  BitmapTarget target{bitmap};
  const auto value = static_cast<uint8_t>(index & 0x0F);
  DrawGlyphs(target, x, y + m->ascent, run, value);
  if (m->underline && run.width > 0) {
    const int top = y + m->ascent + m->underlineTop;
    bitmap.FillRect(x, top, x + run.width, top + m->underlineRows, value);
  }
}

ScreenRect FontRasterizer::InkOf(const TextRun& run) const {
  ScreenRect ink;
  for (const TextRun::Glyph& glyph : run.glyphs) {
    if (glyph.image->rows <= 0 || glyph.image->width <= 0) continue;
    const int left = glyph.x + glyph.image->left, top = m->ascent + glyph.y - glyph.image->top;
    ink = ink.United({left, top, left + glyph.image->width, top + glyph.image->rows});
  }
  if (m->underline && run.width > 0) {
    const int top = m->ascent + m->underlineTop;
    ink = ink.United({0, top, run.width, top + m->underlineRows});
  }
  return ink;
}

void FontRasterizer::DrawWidened(DrawingBitmap& bitmap, int x, int y, const TextRun& run, int radius, int index,
                                 const ScreenRect& clip) const {
  const int baseline = y + m->ascent;
  // The rows the run's ink covers, so the mask is no taller than the text.
  int inkTop = y, inkBottom = y;
  for (const TextRun::Glyph& glyph : run.glyphs) {
    const int top = baseline + glyph.y - glyph.image->top;
    if (glyph.image->rows <= 0) continue;
    inkTop = std::min(inkTop, top);
    inkBottom = std::max(inkBottom, top + glyph.image->rows);
  }
  const int underlineTop = baseline + m->underlineTop;
  const bool underline = m->underline && run.width > 0;
  if (underline) {
    inkTop = std::min(inkTop, underlineTop);
    inkBottom = std::max(inkBottom, underlineTop + m->underlineRows);
  }
  // Ink up to `radius` outside the painted pixels still reaches them.
  const ScreenRect painted{std::max(clip.left, 0), std::max({clip.top, inkTop - radius, 0}),
                           std::min(clip.right, static_cast<int>(DrawingBitmap::kWidth)),
                           std::min({clip.bottom, inkBottom + radius, static_cast<int>(DrawingBitmap::kHeight)})};
  if (painted.IsEmpty()) return;
  InkMask mask({painted.left - radius, painted.top - radius, painted.right + radius, painted.bottom + radius});
  DrawGlyphs(mask, x, baseline, run, 1);
  if (underline) mask.FillRect(x, underlineTop, x + run.width, underlineTop + m->underlineRows, 1);
  mask.Widen(radius);
  mask.PaintOnto(bitmap, painted, index);
}

}  // namespace lf
