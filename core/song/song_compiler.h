#pragma once
// The song compiler: turns the timed song into one CD+G packet stream (title
// page, lyric lines drawn, swept and erased in time, credits page) and works
// out the lead-in of silence the music needs so the first page fits.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/song/karaoke_word.h"
#include "core/song/sample_time.h"

namespace lf {

class Song;

struct CompileOptions {
  // Fixes the order of Block Dissolve transitions (reproducible streams).
  std::optional<uint32_t> dissolveSeed;
  // Asked between packets; true stops the compilation (the generator's abort routine).
  std::function<bool()> abort;
  // Told how far the compilation is, 0 to 100.
  std::function<void(int percent)> progress;
};

// A line's times as the stream shows it: drawn at `start`, erased at `end`;
// its words' ends may be cut short to leave room for the next page's line.
struct CompiledLineTimes {
  SampleTime start = 0;
  SampleTime end = 0;
  std::vector<WordTimes> words;
};

// What a compilation worked out about the song, for the caller to keep or not.
struct CompiledTimes {
  std::vector<CompiledLineTimes> lines;  // one per line of the song, in order
  int32_t introLength = 0;               // sample frames of the title page
  uint32_t creditsLength = 0;            // sample frames of the credits page
  uint32_t musicBytes = 0;               // working music the stream needs (0 without working music)
};

struct CompileResult {
  int32_t leadIn = 0;      // sample frames of silence before the music
  uint32_t endOffset = 0;  // bytes of stream used, credits included
  bool aborted = false;    // stopped by `abort`: the buffer holds a partial stream
  CompiledTimes times;     // empty when aborted
};

// Compiles `song` into `buffer` (zeroed first), reading the song only. Events
// of lines and words before `fromTime` are left out; pass kCompileEverything
// for a whole song. Throws std::length_error when the timing tables cannot be
// sized.
CompileResult CompileSong(const Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime,
                          const CompileOptions& options = {});

// Writes a compilation's line and word times and its intro and credits
// lengths into the song it was compiled from (nothing when the lines have
// been laid out anew since).
void KeepCompiledTimes(Song& song, const CompiledTimes& times);

// Lengthens the song's working music to what the stream needs (the credits
// may run past the music). False when the working music cannot be changed.
bool FitWorkingMusic(Song& song, const CompiledTimes& times);

// A compilation whose times and music length the song keeps: what playback
// and the timing pages run, as the song's own view of its stream.
CompileResult CompileAndKeep(Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime,
                             const CompileOptions& options = {});

// Compiles the whole song into its own output buffer and keeps what it worked out.
CompileResult CompileWholeSong(Song& song, const CompileOptions& options = {});

}  // namespace lf
