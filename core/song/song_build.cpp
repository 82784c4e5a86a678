#include "core/song/song_build.h"

#include <algorithm>
#include <exception>

#include "core/cdg/packet_time.h"
#include "core/song/song.h"

namespace lf {

namespace {

// A song without music gets room for every word plus the same spare time a
// music-sized buffer has (kRwMemorySpareSeconds).
uint32_t LyricsOnlyBufferSize(const Song& song) {
  int64_t lastEnd = 0;
  for (int i = 0; i < song.Lyrics().WordCount(); ++i)
    lastEnd = std::max<int64_t>(lastEnd, song.Lyrics().Word(i)->m_endTime);
  const int64_t packets =
      PacketSlotAt(lastEnd, song.Music().SampleRate()) + int64_t(kRwMemorySpareSeconds) * kPacketsPerSecond;
  return static_cast<uint32_t>(std::min<int64_t>(packets * kPacketSize, INT32_MAX / 2));
}

}  // namespace

uint32_t SongBuild::UsedBytes() const {
  if (!stream) return 0;
  return std::min<uint32_t>(result.endOffset, static_cast<uint32_t>(stream->size()));
}

Outcome PrepareSongMusic(Song& song, const MusicPreparationContext& context, MusicState& state) {
  if (Outcome prepared = PrepareMusic(song.MusicPath(), state, context); !prepared) return prepared;
  song.Music().SetWorkingMusicPath(state.workingFilePath, state.workingIsMusic);
  song.Music().AllocateRwMemory(true);
  if (song.Music().RwMemorySize() == 0)
    return Outcome::Quiet(Reason::BadInput, state.workingFilePath + ": the working music cannot be read");
  return Outcome::Success();
}

SongBuild CompileSongStream(Song& song, ProgressSink* progress, const CompileOptions& options) {
  song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = true});
  return CompileLaidOutSong(song, progress, options);
}

SongBuild CompileLaidOutSong(Song& song, ProgressSink* progress, const CompileOptions& options) {
  const bool withMusic = !song.Music().WorkingMusicPath().empty();
  if (withMusic && song.Music().RwMemorySize() == 0)
    song.Music().AllocateRwMemory(song.Music().MusicLengthAtLoad() == 0);
  if (withMusic && song.Music().RwMemorySize() == 0)
    return Outcome::Quiet(Reason::BadInput, song.Music().WorkingMusicPath() + ": the working music cannot be read");

  CompileOptions withProgress = options;
  if (progress) {
    withProgress.abort = [progress, abort = options.abort] {
      return progress->CancelRequested() || (abort && abort());
    };
    withProgress.progress = [progress](int percent) { progress->Report(percent); };
  }
  // Compiled apart from the song's buffer, so a cancel or a failure leaves no partial stream anywhere.
  auto buffer =
      std::make_shared<std::vector<uint8_t>>(withMusic ? song.Music().RwMemorySize() : LyricsOnlyBufferSize(song));
  SongBuild build;
  try {
    build.result =
        CompileSong(song, buffer->data(), static_cast<uint32_t>(buffer->size()), kCompileEverything, withProgress);
  } catch (const std::exception& e) {
    return Outcome::Quiet(Reason::Failed, e.what());
  }
  if (build.result.aborted) return Outcome::Quiet(Reason::Cancelled, "cancelled");
  // The song keeps what the compilation worked out: its times, and working
  // music as long as the stream. Lengthening the music grows the song's
  // buffer; the stream follows it (the rest is silence).
  KeepCompiledTimes(song, build.result.times);
  if (withMusic) {
    FitWorkingMusic(song, build.result.times);
    buffer->resize(std::max<size_t>(buffer->size(), song.Music().RwMemorySize()), 0);
  }
  build.stream = std::move(buffer);
  return build;
}

SongBuild BuildSong(Song& song, const MusicPreparationContext& context, ProgressSink* progress,
                    const CompileOptions& options) {
  MusicState music;
  if (!song.MusicPath().empty()) {
    if (Outcome prepared = PrepareSongMusic(song, context, music); !prepared) return prepared;
  }
  SongBuild build = CompileSongStream(song, progress, options);
  build.music = std::move(music);
  return build;
}

}  // namespace lf
