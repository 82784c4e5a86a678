#include "desktop/rules/edit_lyrics_labels.h"

#include <algorithm>
#include <cstdio>

namespace lf {

std::string PageNumberLabel(int currentPage, int lastPage) {
  char text[48];
  std::snprintf(text, sizeof text, "%2d of %2d", currentPage + 1, lastPage + 1);
  return text;
}

std::string MusicNameLabel(const std::string& musicPath) {
  const size_t slash = musicPath.find_last_of('/');
  // The label shows plain text: an '&' is the file's own and stays single.
  return slash == std::string::npos ? musicPath : musicPath.substr(slash + 1);
}

int ClampPage(int page, int lastPage) { return std::min(std::max(page, 0), std::max(lastPage, 0)); }

}  // namespace lf
