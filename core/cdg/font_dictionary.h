#pragma once
// FontDictionary: the installed font families, by face name in byte-wise
// ascending order, each with the character set it was reported under
// (0 text fonts, 2 symbol fonts). The settings dialogs fill their font lists
// from it. Built by MKaraoke_Initialize.
#include <map>
#include <string>

namespace lf {

inline constexpr int kCharsetAnsi = 0;
inline constexpr int kCharsetSymbol = 2;
inline constexpr int kCharsetOem = 255;
inline constexpr int kFontListNameSize = 32;  // bytes a font list name is copied into

class FontDictionary {
 public:
  // Enumerates the scalable fonts installed; replaces what was there.
  void Build();
  void Clear() { m_faces.clear(); }
  // A face reported again keeps the later character set.
  void Add(const std::string& face, int charset) { m_faces[face] = charset; }

  int Count() const { return static_cast<int>(m_faces.size()); }
  bool Contains(const std::string& face) const { return m_faces.count(face) != 0; }
  // -1 when the face is not installed.
  int CharsetOf(const std::string& face) const;
  // Entry n's name cut to fit a 32-byte buffer (31 bytes and the terminator);
  // empty when n is out of range.
  std::string NameAt(int n) const;
  const std::map<std::string, int>& Faces() const { return m_faces; }

 private:
  std::map<std::string, int> m_faces;
};

// The engine's dictionary.
FontDictionary& SharedFontDictionary();

// Engine start-up: builds the font dictionary.
void MKaraoke_Initialize();

}  // namespace lf
