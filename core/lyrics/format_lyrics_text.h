#pragma once
// The lyrics editor's three case commands (Capitalize, Lowercase, Capitalize
// First Word) as a plain function on UTF-8 text and a selection, and the
// labels their menu items carry.
#include <cstddef>
#include <string>
#include <string_view>

namespace lf {

enum class FormatCommand { Capitalize, Lowercase, CapitalizeFirstWord };

// `text` has LF line ends; [start, end) is the selection in bytes. An empty
// selection means the whole text. Characters whose other case has a
// different UTF-8 length keep their case, so the text keeps its length and
// the caller's selection stays valid.
std::string FormatLyricsText(std::string_view text, size_t start, size_t end, FormatCommand command);

// True when a selection is neither empty nor the whole text: menu items then
// act on the "Selection", otherwise on "All".
bool IsPartialSelection(size_t textLength, size_t start, size_t end);

// "&Capitalize Selection", "&Lowercase All", "Capitalize &First Word" for the
// Edit menu; without mnemonics ("Capitalize All") for the context menu.
std::string FormatCommandLabel(FormatCommand command, bool partialSelection, bool withMnemonic);

}  // namespace lf
