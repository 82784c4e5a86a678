#pragma once
// What the About box and the start-up window say about the program.
namespace lf {

inline constexpr const char* kAboutTagline =
    "Karaoke songs in CD+G form, from your music and the words you type, placed by ear.";

}  // namespace lf
