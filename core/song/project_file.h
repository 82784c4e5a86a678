#pragma once
// The project file (.lfp): a flat little-endian record of the song. It begins
// with the 52-byte settings block, whose first field is the version; versions
// 400 to 601 are read, 601 is written. Song::LoadProject and
// SaveProject are built on the functions here.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cdg/image_struct.h"
#include "core/platform/outcome.h"
#include "core/song/song_settings_block.h"

namespace lf {

class Song;

inline constexpr int32_t kOldestProjectVersion = 400;
inline constexpr size_t kSettingsBlockSize = 52;
inline constexpr size_t kPageBlockSize = PageRecord::kPageBlockSize;  // 249172
inline constexpr size_t kOldPageExtraSize = 16;                       // version 500 only

inline constexpr const char* kProjectCannotOpen = "Cannot open the project file.";
inline constexpr const char* kProjectCorrupted = "The project file has been corrupted.";
inline constexpr const char* kProjectTooNew =
    "The project file is from a newer version of Lyricforge.\nIt cannot be opened by this version.";
inline constexpr const char* kProjectTooOld =
    "The project file is from an old version of Lyricforge.\n"
    "It cannot be migrated to the current version.";
inline constexpr const char* kProjectEndsEarly = "the file ends early";

void EncodeSettingsBlock(const SongSettingsBlock& block, uint8_t* out);  // 52 bytes
void DecodeSettingsBlock(const uint8_t* in, SongSettingsBlock& block);

// Writes the song to `path` through a temporary file beside it, so that a
// failed write leaves any previous file whole. False when it cannot be written.
bool WriteProjectFile(const Song& song, const std::string& path);
// Reads `path` into the song. A failure carries the message to show (none for
// a file that ends early) and leaves the song for the caller to reset. A field
// outside what the program takes refuses the file, the message naming it.
Outcome ReadProjectFile(Song& song, const std::string& path);

// What to tell the author about a failed load: its message, or for a file
// that ends early (a quiet failure) that it was cut short.
std::string ProjectLoadFailureText(const Outcome& failed);

}  // namespace lf
