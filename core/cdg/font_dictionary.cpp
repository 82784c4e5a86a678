#include "core/cdg/font_dictionary.h"

#include <iterator>
#include <vector>

#include "core/cdg/font_rasterizer.h"

namespace lf {

void FontDictionary::Build() {
  m_faces.clear();
  // Text fonts are reported first and symbol fonts after them, so a name
  // that is both keeps the symbol set, as a later report does.
  const std::vector<InstalledFamily> families = FontRasterizer::InstalledFamilies();
  for (const InstalledFamily& family : families)
    if (family.hasLatin && !Contains(family.name)) Add(family.name, kCharsetAnsi);
  for (const InstalledFamily& family : families)
    if (!family.hasLatin) Add(family.name, kCharsetSymbol);
}

int FontDictionary::CharsetOf(const std::string& face) const {
  auto found = m_faces.find(face);
  return found == m_faces.end() ? -1 : found->second;
}

std::string FontDictionary::NameAt(int n) const {
  if (n < 0 || n >= Count()) return {};
  std::string name = std::next(m_faces.begin(), n)->first;
  if (name.size() > kFontListNameSize - 1) {
    size_t cut = kFontListNameSize - 1;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}

FontDictionary& SharedFontDictionary() {
  static FontDictionary dictionary;
  return dictionary;
}

void MKaraoke_Initialize() { SharedFontDictionary().Build(); }

}  // namespace lf
