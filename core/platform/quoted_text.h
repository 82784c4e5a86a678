#pragma once
// Text that names things users typed or files they own, made safe to show on
// one line: control characters become visible escapes ("\n", "\t", "\x1b").
#include <string>

namespace lf {

std::string QuoteControlCharacters(const std::string& text);

}  // namespace lf
