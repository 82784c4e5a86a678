#pragma once
// The song compiler: turns the timed song into one CD+G packet stream (title
// page, lyric lines drawn, swept and erased in time, credits page) and works
// out the lead-in of silence the music needs so the first page fits.
#include <cstdint>
#include <functional>
#include <optional>

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

struct CompileResult {
  int32_t leadIn = 0;      // sample frames of silence before the music
  uint32_t endOffset = 0;  // bytes of stream used, credits included
  bool aborted = false;    // stopped by `abort`: the buffer holds a partial stream
};

// Compiles `song` into `buffer` (zeroed first). Events of lines and words
// before `fromTime` are left out; pass kCompileEverything for a whole song.
// A compilation may change the song: line and word times, the intro and
// credits lengths, and the working music with the output buffer (lengthened
// when the credits run past the music). An aborted one puts the times and
// lengths back and leaves the music alone.
// Throws std::length_error when the timing tables cannot be sized.
CompileResult CompileSong(Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime,
                          const CompileOptions& options = {});

// Compiles the whole song into its own output buffer.
CompileResult CompileWholeSong(Song& song, const CompileOptions& options = {});

}  // namespace lf
