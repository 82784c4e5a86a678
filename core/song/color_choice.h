#pragma once
// The settings sheet's colour buttons. Each writes a palette entry of its
// page and puts the matching colour index back to its standard entry, so the
// author changes colours, not indices. "Text:" on the title and credits
// pages writes the entry of the edited line's own index instead.
#include "core/song/song.h"

namespace lf {

enum class ColorRole { Text, Background, Border, Outline, Singer1, Singer2, Both, Sweep, Fixed };

// The palette entry the button of `role` shows and writes; `line` (from 1)
// is the title or credits line whose "Text:" colour is meant.
int ColorEntryOf(const Song& song, int32_t kind, ColorRole role, int line = 1);

// The colour the button shows now (0x00BBGGRR).
Colorref CurrentColorOf(const Song& song, int32_t kind, ColorRole role, int line = 1);

// A confirmed choice of `color` (0x00BBGGRR) on the page of `kind`.
void ApplyColorChoice(Song& song, int32_t kind, ColorRole role, Colorref color, int line = 1);

}  // namespace lf
