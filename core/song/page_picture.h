#pragma once
// A page's background picture as the settings sheet loads and removes it.
// Decoding is split from applying so the desktop program can decode a large
// picture on a worker thread and apply it on its own thread.
#include <optional>
#include <string>

#include "core/cdg/bitmap.h"
#include "core/song/song.h"

namespace lf {

inline constexpr const char* kPictureLoadFailedText = "Please ensure the file is a valid image.";
inline constexpr const char* kPictureLoadFailedCaption = "Could Not Load Image File";
inline constexpr const char* kPictureLineStylesWarning =
    "Choosing a graphic image will mean\nthat only one line style will apply\nto the lines of text.\n\n"
    "Do you want to continue?";
inline constexpr const char* kPictureFileFilter = "Image Files (*.bmp, *.jpg, *.gif, *.tif, *.png)";
inline constexpr const char* kPictureFilePatterns = "*.bmp;*.jpg;*.gif;*.tif;*.png";

// The picture of `path`, shrunk to fit the screen; nullopt when it cannot be
// read (`error` then says why). Touches no song: safe on any thread.
std::optional<Bitmap> DecodePagePicture(const std::string& path, std::string* error = nullptr);

// A title or credits page with extra line styles asks before a picture
// replaces them.
bool PictureNeedsLineStyleWarning(const PageRecord& page);

// Gives the page of `kind` the picture: entries 9-15 of its palette keep
// their colours (the picture's own take 0-8), and on the lyrics page entry
// 8 too, so fixed lines keep theirs. The lyrics page's lyrics area becomes
// the lower half, and the lines list is rebuilt.
void ApplyPagePicture(Song& song, int32_t kind, const Bitmap& picture);

// Takes the picture away. The lyrics page gets back the whole screen and
// its standard colour indices, and the lines list is rebuilt.
void RemovePagePicture(Song& song, int32_t kind);

}  // namespace lf
