#pragma once
// Word-synchronised lyrics as TTML with word timing, the form music players
// and streaming services read: a <p> per line carrying its singer's agent, a
// <span> per word or syllable (syllables without a space between spans), the
// singers declared as agents and the title and artist in the head.
#include "core/export/lyric_file_lines.h"

namespace lf {

// The namespace of the <lf:artist> element in the head's metadata.
inline constexpr const char* kTtmlArtistNamespace = "urn:lyricforge:metadata";

// Fixed lines are left out: a line without word times would read as sung.
LyricFileText FormatTtml(const TimedLyrics& lyrics);

// Text as XML character data or attribute value: & < > " ' escaped, and the
// characters XML 1.0 cannot hold dropped.
std::string XmlText(const std::string& text);

}  // namespace lf
