#pragma once
// The voice onsets and levels of a music file kept beside it ("song.wav.voice"), so a
// project opened again does not listen to the whole song again. The file
// names the size and time of the WAV it was made from; a WAV written since
// makes it stale, and a stale or damaged file is simply not used.
#include <optional>
#include <string>
#include <vector>

#include "core/timing/voice_onsets.h"

namespace lf {

std::string VoiceOnsetFilePath(const std::string& wavPath);

// The voice stored for the WAV at `wavPath` as it is now; none when the
// file is missing, stale or damaged.
std::optional<VoicePart> ReadVoiceOnsetFile(const std::string& wavPath);

// Stores `voice` for the WAV as it is now; false when the file cannot be
// written (nothing half-written is left).
bool WriteVoiceOnsetFile(const std::string& wavPath, const VoicePart& voice);

}  // namespace lf
