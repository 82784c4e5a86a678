#pragma once
// Shell completion scripts for lyricforge-cli, written from the command table
// and its help: the commands, each command's options, the words an option or
// argument may be, and file names with the endings it reads.
#include <string>

namespace lf::cli {

std::string BashCompletion();
std::string ZshCompletion();

}  // namespace lf::cli
