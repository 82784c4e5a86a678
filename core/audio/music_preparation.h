#pragma once
// Music preparation: turns the music file the user chose into the working file
// "lyricforge_music.wav" (a PCM copy) and records its format in the music
// state; and the media-duration query.
#include <cstdint>
#include <functional>
#include <string>

#include "core/audio/music_state.h"
#include "core/platform/outcome.h"

namespace lf {

class ProgressSink;

inline constexpr const char* kWorkingMusicFileName = "lyricforge_music.wav";
inline constexpr const char* kMusicFileNotFound = "File not found\n";
inline constexpr const char* kMusicErrorCaption = "Error in Music File";

// What the front end lends to a preparation. Everything is optional except the
// folder, which must be private to the run (no other user can put a link or a
// file in it): the desktop program and the command-line tool each pass a
// folder of their own (ScopedTempFolder).
struct MusicPreparationContext {
  std::string workingFolder;
  // The progress window: opened with its caption, fed percentages from the
  // decoding thread, closed at the end.
  std::function<void(const std::string& caption)> openProgress;
  ProgressSink* progress = nullptr;
  std::function<void()> closeProgress;
  // Called on the calling thread while it waits, so the interface stays painted.
  std::function<void()> processMessages;
  // Told the new sample rate and samples per packet (the CD+G player, the page).
  std::function<void(int sampleRate, int samplesPerPacket)> formatChanged;
  // A whole WAV is read where it lies instead of copied
  // (MusicState::workingIsMusic), for a run that never writes its working
  // music, such as an export.
  bool wavWhereItLies = false;
};

// The formats a song can carry: at least one sample frame per packet, and no
// more rate, channels or width than real music has. A file declaring other
// values is refused as unusable music (it would make packet timing divide by
// zero or the buffers grow without bound).
inline constexpr int kMinMusicSampleRate = 8000;
inline constexpr int kMaxMusicSampleRate = 192000;
inline constexpr int kMaxMusicChannels = 8;
bool IsCarriedMusicFormat(int sampleRate, int bitsPerSample, int channels);

inline constexpr const char* kWorkingCopyNotWritten = "The working copy of the music could not be written\n";

std::string WorkingMusicFilePath(const std::string& folder);

// Success when a working file is ready and `state` describes it. A failure
// carries the music error text (also kept in state.musicErrorText), which the
// caller wraps in its own question ("Would you like to choose another file?"):
// NotFound for a missing file, BadInput for music that cannot be read or used,
// WriteFailed (kWorkingCopyNotWritten) when the working copy cannot be
// written (no folder, a full disk), Failed when the decoder cannot start.
Outcome PrepareMusic(const std::string& path, MusicState& state, const MusicPreparationContext& context);

// Playing time of an audio or BIN file, in milliseconds or whole seconds; 0
// when it cannot tell.
int64_t GetMediaDuration(const std::string& path, bool inMilliseconds);

// True when `path` holds an audio stream the decoder can open (whatever its
// length): what tells a silent or empty file from one that is no music.
bool HasReadableAudio(const std::string& path);

}  // namespace lf
