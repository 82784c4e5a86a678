#pragma once
// An automatic first pass over untimed lyrics (English): a speech recogniser
// listens to the centre of the mix and may only hear the song's own words,
// in their order, with pauses and noises between them, so all it decides is
// where each word lies. Words it finds are timed and marked for review;
// the rest are spread between them. Times an author tapped are kept unless
// the caller asks for them to be replaced.
#include <string>
#include <vector>

#include "core/platform/outcome.h"
#include "core/song/sample_time.h"

namespace lf {

class Song;

struct SpeechModel {
  std::string acousticModel;  // folder of the acoustic model
  std::string dictionary;     // pronunciations, one word a line
};

// The English model Debian installs (pocketsphinx-en-us).
SpeechModel DefaultSpeechModel();

struct AlignOptions {
  bool replaceTimed = false;  // also retime words that already have times
};

struct AlignResult {
  Outcome outcome;
  int found = 0;    // words placed where the recogniser heard them
  int spread = 0;   // words spread between found ones
  int unknown = 0;  // words missing from the dictionary (spread too)
};

// Times the song's words from the music file `wavPath` (the working WAV), as one undo step.
AlignResult AlignLyricsToSpeech(Song& song, const std::string& wavPath, const SpeechModel& model,
                                const AlignOptions& options = {});

}  // namespace lf
