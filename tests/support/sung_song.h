#pragma once
// A song whose word times are known: every word spoken by espeak-ng, laid out
// line by line at chosen times over a synthetic band, for measuring how close
// automatic lyric timing gets to the truth.
#include <cstdint>
#include <string>
#include <vector>

namespace lf::test {

// One sung word and where its voice is, in frames of the song's rate. The
// start is the first frame whose voice sample reaches kSungVoiceThreshold, the
// end the last such frame (inclusive).
struct SungWord {
  std::string text;
  int64_t startFrame = 0;
  int64_t endFrame = 0;
};

// One lyric line: indices into SungSong::words, in order. An empty line has
// none and only adds one more lineGap of silence.
struct SungLine {
  std::vector<int> words;
};

struct SungSongPlan {
  std::vector<std::string> lines;   // lyric lines, words separated by spaces
  double firstLineAt = 2.0;         // seconds to the first word's start
  double lineGap = 0.6;             // seconds from a line's last word end to the next line's first start
  int wordsPerMinute = 150;         // espeak-ng's speed
  bool stereoAccompaniment = true;  // chords and drums panned off-centre; false: the voice alone
  bool mono = false;                // fold the mix to one channel, (L+R)/2
  uint32_t seed = 1;                // the gaps between words and the band's noise
};

struct SungSong {
  std::string wavPath;  // 16-bit PCM, sampleRate, two channels (one with mono)
  std::string lyrics;   // the lines joined by '\n'
  std::vector<SungWord> words;
  std::vector<SungLine> lines;
  int sampleRate = 44100;
};

// The level (of 32767) at which the voice counts as sounding, in the written
// voice's scale: the voice is the same in both channels, so in the mid channel
// (L+R)/2 too.
constexpr int kSungVoiceThreshold = 300;

// True when the espeak-ng program can be run.
bool HaveEspeakNg();

// Speaks every distinct word once with espeak-ng (cached as WAV files in
// `folder`, which must exist), lays the words out line by line at known
// times, mixes the band under them and writes `folder`/sung_song.wav. A line
// repeating an earlier one is sung in the same rhythm, as a chorus is. The
// same plan gives the same song. Throws std::runtime_error when espeak-ng is
// missing or fails.
SungSong MakeSungSong(const SungSongPlan& plan, const std::string& folder);

}  // namespace lf::test
