#pragma once
// Texts the Edit Lyrics page shows: the page number under the preview and
// the music file's name.
#include <string>

namespace lf {

// "%2d of %2d" for the page shown (from 0) and the last page.
std::string PageNumberLabel(int currentPage, int lastPage);

// The file name of `musicPath` with each '&' doubled, so that a label shows
// it instead of taking it as a mnemonic.
std::string MusicNameLabel(const std::string& musicPath);

// The page to show after a re-layout: `page` kept between 0 and `lastPage`.
int ClampPage(int page, int lastPage);

}  // namespace lf
