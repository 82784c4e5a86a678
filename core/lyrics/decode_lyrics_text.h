#pragma once
// The one place where the bytes of a text or LRC lyric file become text.
#include <string>
#include <string_view>

namespace lf {

// A UTF-16 file of either byte order (with its byte-order mark) or a UTF-8
// file (with or without one) becomes UTF-8 text. Other text is detected: a
// Chinese, Japanese or Korean multi-byte encoding (GBK, Big5, Shift-JIS,
// EUC-KR, ...) is converted when every byte reads in it; anything else is
// read as Windows-1252.
// Every line end (CR LF, LF, a lone CR) becomes the LF the song keeps; the text
// ends at a byte 1A (an old end-of-file mark) and holds no zero bytes.
std::string DecodeLyricsTextFile(std::string_view bytes);

}  // namespace lf
