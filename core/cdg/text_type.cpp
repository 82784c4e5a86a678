#include "core/cdg/text_type.h"

#include <cstring>

namespace lf {

TextType::TextType() { SetFaceName(kDefaultFaceName); }

void TextType::SetFaceName(std::string_view face) {
  size_t n = face.size();
  if (n > kFaceNameSize - 1) {
    n = kFaceNameSize - 1;
    // Back off continuation bytes so a multi-byte character is not split.
    while (n > 0 && (static_cast<unsigned char>(face[n]) & 0xC0) == 0x80) --n;
  }
  std::memset(m_faceName, 0, sizeof m_faceName);
  std::memcpy(m_faceName, face.data(), n);
  // An embedded zero ends the name, as it would in the stored record.
}

bool TextType::operator==(const TextType& other) const {
  return std::strncmp(m_faceName, other.m_faceName, kFaceNameSize) == 0 && m_color == other.m_color &&
         m_height == other.m_height && m_flags == other.m_flags && m_hAlign == other.m_hAlign &&
         m_vAlign == other.m_vAlign && m_outlineColor == other.m_outlineColor &&
         m_backgroundBox == other.m_backgroundBox && m_backgroundColor == other.m_backgroundColor;
}

void TextTypeVer6::Add(const LineStyle& style, int position) {
  if (position < 0 || position > Count())
    m_lines.push_back(style);
  else
    m_lines.insert(m_lines.begin() + position, style);
}

void TextTypeVer6::Add(int color, int height, uint32_t flags, std::string_view faceName, int hAlign, int position) {
  Add(LineStyle{color, height, flags, std::string(faceName), hAlign}, position);
}

void TextTypeVer6::RemoveAt(int index) {
  if (index >= 0 && index < Count()) m_lines.erase(m_lines.begin() + index);
}

LineStyle TextTypeVer6::At(int index) const {
  if (index < 0 || index >= Count()) return LineStyle{};
  return m_lines[index];
}

LineStyle* TextTypeVer6::Entry(int index) {
  if (index < 0 || index >= Count()) return nullptr;
  return &m_lines[index];
}

void TextTypeVer6::SetColor(int index, int color) {
  if (LineStyle* e = Entry(index)) e->color = color;
}
void TextTypeVer6::SetHeight(int index, int height) {
  if (LineStyle* e = Entry(index)) e->height = height;
}
void TextTypeVer6::SetFlags(int index, uint32_t flags) {
  if (LineStyle* e = Entry(index)) e->flags = flags;
}
void TextTypeVer6::SetFaceName(int index, std::string_view faceName) {
  if (LineStyle* e = Entry(index)) e->faceName = std::string(faceName);
}
void TextTypeVer6::SetHAlign(int index, int hAlign) {
  if (LineStyle* e = Entry(index)) e->hAlign = hAlign;
}

}  // namespace lf
