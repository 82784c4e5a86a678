#include "engine/cdg/font_dictionary.h"

#include <fontconfig/fontconfig.h>

#include <iterator>

namespace lf {

void MFontDictionary::Build() {
  m_faces.clear();
  if (FcInit() != FcTrue) return;
  FcPattern* pattern = FcPatternCreate();
  FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_CHARSET, FC_OUTLINE, nullptr);
  FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);  // outline fonts only, as the renderer needs
  FcFontSet* fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
  if (fonts != nullptr) {
    for (int i = 0; i < fonts->nfont; ++i) {
      // Text fonts are reported first; a face without Latin letters is a
      // symbol font, reported after them, so its set is the one kept.
      FcCharSet* charset = nullptr;
      const bool latin = FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &charset) == FcResultMatch &&
                         charset != nullptr && FcCharSetHasChar(charset, 'A') &&
                         FcCharSetHasChar(charset, 'z');
      // A face can carry several family names ("DejaVu Sans" and "DejaVu Sans
      // Condensed"); each is a name the user may pick.
      FcChar8* family = nullptr;
      for (int n = 0; FcPatternGetString(fonts->fonts[i], FC_FAMILY, n, &family) == FcResultMatch; ++n) {
        if (family == nullptr || *family == 0) continue;
        const std::string name(reinterpret_cast<const char*>(family));
        auto found = m_faces.find(name);
        if (found == m_faces.end())
          m_faces[name] = latin ? kCharsetAnsi : kCharsetSymbol;
        else if (!latin)
          found->second = kCharsetSymbol;
      }
    }
    FcFontSetDestroy(fonts);
  }
  if (objects) FcObjectSetDestroy(objects);
  if (pattern) FcPatternDestroy(pattern);
}

int MFontDictionary::CharsetOf(const std::string& face) const {
  auto found = m_faces.find(face);
  return found == m_faces.end() ? -1 : found->second;
}

std::string MFontDictionary::NameAt(int n) const {
  if (n < 0 || n >= Count()) return {};
  std::string name = std::next(m_faces.begin(), n)->first;
  if (name.size() > kFontListNameSize - 1) {
    size_t cut = kFontListNameSize - 1;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
    name.resize(cut);
  }
  return name;
}

MFontDictionary& FontDictionary() {
  static MFontDictionary dictionary;
  return dictionary;
}

void MKaraoke_Initialize() { FontDictionary().Build(); }

}  // namespace lf
