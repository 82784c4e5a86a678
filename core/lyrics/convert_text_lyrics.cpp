#include "core/lyrics/convert_text_lyrics.h"

#include "core/lyrics/decode_lyrics_text.h"

namespace lf {

// Decoding already gives the text in the form the song keeps.
std::string ConvertTextLyrics(std::string_view bytes) { return DecodeLyricsTextFile(bytes); }

}  // namespace lf
