#pragma once
// One song build, as every front end runs it: the project's music prepared as
// the working file, the output buffer sized from it, the lines laid out and
// the whole song compiled into a stream of its own.
//
// Compiling may rewrite the working music (silence is appended when the
// credits run past its end; a read-only one only counts that silence) and
// reallocate the song's output buffer: no pointer into RwMemory() outlives a
// build. Hold the build's shared stream instead; it never changes and never
// moves.
#include <cstdint>
#include <string>

#include "core/audio/music_preparation.h"
#include "core/cdg/shared_stream.h"
#include "core/platform/outcome.h"
#include "core/platform/progress.h"
#include "core/song/song_compiler.h"

namespace lf {

class Song;

struct SongBuild : Outcome {
  CompileResult result;  // lead-in and end offset
  SharedStream stream;   // the whole output buffer; result.endOffset bytes of it are used
  MusicState music;      // the working music, when the build prepared it

  SongBuild() = default;
  SongBuild(Outcome outcome) : Outcome(std::move(outcome)) {}  // NOLINT: a failed build is its outcome
  // The used part of the stream: up to the end offset, never past the buffer.
  uint32_t UsedBytes() const;
};

// Prepares the song's music into `context.workingFolder`, makes it the song's
// working music and sizes the output buffer from it. Fails with the music
// error text, or quietly (BadInput, `detail` naming the file) when the working
// copy cannot be measured.
Outcome PrepareSongMusic(Song& song, const MusicPreparationContext& context, MusicState& state);

// Lays out the lines and compiles the whole song. With a working music the
// stream has the size of the song's output buffer (after any lengthening);
// without music it is sized to the lyrics. `progress` is told 0 to 100 and
// asked for cancel between packets: a cancelled build hands back no stream
// and leaves the song's times, lengths, buffer and working music as they were.
SongBuild CompileSongStream(Song& song, ProgressSink* progress = nullptr, const CompileOptions& options = {});

// The same compilation of the lines as they are laid out now, for a timing
// session that holds word indexes across its plays.
SongBuild CompileLaidOutSong(Song& song, ProgressSink* progress = nullptr, const CompileOptions& options = {});

// Both steps: music preparation when the song has music, then the compilation.
SongBuild BuildSong(Song& song, const MusicPreparationContext& context, ProgressSink* progress = nullptr,
                    const CompileOptions& options = {});

}  // namespace lf
