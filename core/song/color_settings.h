#pragma once
// The sixteen stored default colours ("ColorTitleBckgnd" ... "ColorLyricsFixed",
// section "Settings"): which palette entry of which page each one fills, and
// its built-in value. New projects read them; the settings sheet's "Save
// Colors as default" writes them; "Restore Default Colors" deletes them.
#include <span>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/image_struct.h"

namespace lf {

struct ColorSetting {
  int index;          // palette entry of the page
  const char* key;    // value name in section "Settings"
  Colorref fallback;  // built-in colour, 0x00BBGGRR
};

inline constexpr Colorref kDefaultBackgroundColor = 0x661100;
inline constexpr Colorref kDefaultSweepColor = 0x00EEFF;

// The stored colours of one page kind, in the order "Restore Default Colors"
// deletes them; empty for an unknown kind.
std::span<const ColorSetting> ColorSettingsOf(int32_t pageKind);

// All sixteen, title page first, then credits, then lyrics.
std::span<const ColorSetting> AllColorSettings();

// Fills the page's palette entries from the stored colours of its kind.
void ApplyStoredColors(PageRecord& page);

// Writes the page's palette entries as the stored defaults of its kind.
void SaveColorsAsDefault(const PageRecord& page);

// A colour as the CD+G palette shows it: 4 bits a component (value / 17 x 17).
Colorref RoundToCdgColor(Colorref color);

}  // namespace lf
