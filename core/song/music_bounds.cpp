#include "core/song/music_bounds.h"

#include <algorithm>
#include <limits>

#include "core/audio/media_reader.h"
#include "core/song/song.h"

namespace lf {

namespace {

bool PastTime(const KaraokeWord& word, SampleTime latest) {
  return latest > 0 && (word.m_startTime > latest || word.m_endTime > latest);
}

// The span the music file's headers give (FFmpeg reads every kind we take).
MusicSpan FileMusicSpan(const std::string& path) {
  MediaReader reader;
  MediaFormat format;
  if (!reader.Open(path) || !reader.SelectAudioOutput(&format) || format.sampleRate <= 0) return {};
  const int64_t duration100ns = reader.Duration100ns();
  if (duration100ns <= 0) return {format.sampleRate, 0};
  constexpr int64_t kTicksPerSecond = 10'000'000;
  const int64_t frames = static_cast<int64_t>(static_cast<double>(duration100ns) * format.sampleRate / kTicksPerSecond);
  return {format.sampleRate, frames};
}

}  // namespace

SampleTime MusicSpan::LatestWordTime() const {
  if (!Known()) return 0;
  const int64_t latest = frames + int64_t{kWordTimeAfterMusicSeconds} * sampleRate;
  return static_cast<SampleTime>(std::min<int64_t>(latest, std::numeric_limits<SampleTime>::max()));
}

MusicSpan SongMusicSpan(const Song& song) {
  const int bytesPerFrame = song.Music().MusicBytesPerFrame();
  if (song.Music().MusicLengthAtLoad() > 0 && bytesPerFrame > 0)
    return {song.Music().SampleRate(),
            static_cast<int64_t>(song.Music().MusicLengthAtLoad() / static_cast<uint32_t>(bytesPerFrame))};
  if (song.MusicPath().empty()) return {};
  return FileMusicSpan(song.MusicPath());
}

int WordsPastTime(const KaraokeLineList& lines, SampleTime latest) {
  return static_cast<int>(
      std::count_if(lines.words.begin(), lines.words.end(), [&](const auto& word) { return PastTime(*word, latest); }));
}

int ClampWordTimes(KaraokeLineList& lines, SampleTime latest) {
  int changed = 0;
  for (auto& word : lines.words) {
    if (!PastTime(*word, latest)) continue;
    word->m_startTime = std::min(word->m_startTime, latest);
    word->m_endTime = std::min(word->m_endTime, latest);
    ++changed;
  }
  return changed;
}

int BoundWordTimesByMusic(Song& song) {
  const SampleTime latest = SongMusicSpan(song).LatestWordTime();
  int moved = 0;
  song.Lyrics().EditLines([&](KaraokeLineList& lines) { moved = ClampWordTimes(lines, latest); });
  if (moved > 0) song.SetModified(true);
  return moved;
}

std::string WordsPastMusicText(int words) {
  return std::to_string(words) + (words == 1 ? " word was" : " words were") +
         " timed past the end of the music; the times are moved to its end";
}

}  // namespace lf
