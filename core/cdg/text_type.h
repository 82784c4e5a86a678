#pragma once
// Text style records: TextType (one style), TextTypeVer5 (the three duet
// colour indices) and TextTypeVer6 (the styles of a page text's second and
// following lines). They are stored field by field in the project file.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lf {

// Style flags.
inline constexpr uint32_t kTextBold = 1;
inline constexpr uint32_t kTextItalic = 2;
inline constexpr uint32_t kTextOutline = 4;
inline constexpr uint32_t kTextUnderline = 8;

// Horizontal alignment.
inline constexpr int kAlignCenter = 0;
inline constexpr int kAlignLeft = 1;
inline constexpr int kAlignRight = 2;
// Vertical alignment.
inline constexpr int kAlignVCenter = 0;
inline constexpr int kAlignTop = 1;
inline constexpr int kAlignBottom = 2;

inline constexpr int kFaceNameSize = 128;  // bytes, terminator included
inline constexpr const char* kDefaultFaceName = "Arial";

class TextType {
 public:
  TextType();
  virtual ~TextType() = default;
  TextType(const TextType&) = default;
  TextType& operator=(const TextType&) = default;

  // The face name, cut to 127 bytes (never inside a UTF-8 sequence).
  void SetFaceName(std::string_view face);
  std::string FaceName() const { return std::string(m_faceName); }

  bool IsBold() const { return (m_flags & kTextBold) != 0; }
  bool IsItalic() const { return (m_flags & kTextItalic) != 0; }
  bool IsOutlined() const { return (m_flags & kTextOutline) != 0; }
  bool IsUnderlined() const { return (m_flags & kTextUnderline) != 0; }
  // Outline thickness in pixels: a tenth of the height, at least one.
  int OutlineThickness() const { return m_height / 10 > 1 ? m_height / 10 : 1; }

  bool operator==(const TextType& other) const;

  char m_faceName[kFaceNameSize];  // zero-terminated
  int32_t m_color = 0;             // colour index of the text
  int32_t m_height = 12;           // font cell height in drawing-bitmap pixels
  uint32_t m_flags = 0;            // kTextBold | kTextItalic | kTextOutline | kTextUnderline
  int32_t m_hAlign = kAlignLeft;   // kAlignCenter, kAlignLeft, kAlignRight
  int32_t m_vAlign = kAlignTop;    // kAlignVCenter, kAlignTop, kAlignBottom
  int32_t m_outlineColor = 0;      // colour index of the outline
  int32_t m_backgroundBox = 0;     // 1: text on an opaque box of the background colour
  int32_t m_backgroundColor = 0;   // box colour index (and the base colour of a sweep)
};

// The text colours of the duet parts.
class TextTypeVer5 {
 public:
  virtual ~TextTypeVer5() = default;
  TextTypeVer5() = default;
  TextTypeVer5(const TextTypeVer5&) = default;
  TextTypeVer5& operator=(const TextTypeVer5&) = default;
  bool operator==(const TextTypeVer5&) const = default;

  int32_t m_singer1Color = 12;
  int32_t m_singer2Color = 9;
  int32_t m_bothColor = 10;
};

// One extra line's style.
struct LineStyle {
  int32_t color = 0;
  int32_t height = 0;
  uint32_t flags = 0;
  std::string faceName = kDefaultFaceName;
  int32_t hAlign = kAlignLeft;
  bool operator==(const LineStyle&) const = default;
};

// Styles of lines 2, 3, ... of a multi-line page text. Reading past the end
// gives the default LineStyle (colour 0, height 0, flags 0, "Arial", left).
class TextTypeVer6 {
 public:
  virtual ~TextTypeVer6() = default;
  TextTypeVer6() = default;
  TextTypeVer6(const TextTypeVer6&) = default;
  TextTypeVer6& operator=(const TextTypeVer6&) = default;
  bool operator==(const TextTypeVer6& other) const { return m_lines == other.m_lines; }

  // Inserts at `position`; a negative or too large position appends.
  void Add(const LineStyle& style, int position = -1);
  void Add(int color, int height, uint32_t flags, std::string_view faceName, int hAlign, int position = -1);
  void RemoveAt(int index);
  void Clear() { m_lines.clear(); }
  int Count() const { return static_cast<int>(m_lines.size()); }
  bool IsEmpty() const { return m_lines.empty(); }

  LineStyle At(int index) const;
  int Color(int index) const { return At(index).color; }
  int Height(int index) const { return At(index).height; }
  uint32_t Flags(int index) const { return At(index).flags; }
  std::string FaceName(int index) const { return At(index).faceName; }
  int HAlign(int index) const { return At(index).hAlign; }

  // Setters change one entry and ignore an index out of range.
  void SetColor(int index, int color);
  void SetHeight(int index, int height);
  void SetFlags(int index, uint32_t flags);
  void SetFaceName(int index, std::string_view faceName);
  void SetHAlign(int index, int hAlign);

  const std::vector<LineStyle>& Lines() const { return m_lines; }

 private:
  LineStyle* Entry(int index);
  std::vector<LineStyle> m_lines;
};

}  // namespace lf
