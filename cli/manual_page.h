#pragma once
// The manual pages of both programs (roff, for man), written from the
// command table and its help, so the pages describe what the programs take.
#include <string>

namespace lf::cli {

// The page of "lyricforge-cli" or "lyricforge"; empty for any other name.
std::string ManualPage(const std::string& program, const std::string& version);

}  // namespace lf::cli
