#pragma once
// What Adjust Lyrics draws and snaps to, worked out once per music file: the
// envelope (the loudest sample of each packet's span), the onsets of the whole
// mix and those of the voice alone.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/timing/onset_detector.h"
#include "core/timing/voice_onsets.h"

namespace lf {

struct MusicAnalysis {
  int sampleRate = 0;
  int samplesPerPacket = 0;
  std::vector<uint16_t> peaks;  // 0..32768 per packet, from the music's first frame
  std::vector<Onset> onsets;    // in frame order
  VoicePart voice;              // the voice alone, as far as it can be heard (voice_onsets.h)

  // The loudest peak of packets [from, to), 0 outside the music.
  uint16_t PeakOver(int64_t fromPacket, int64_t toPacket) const;
};

// Reads the WAV file at `path` once; null when it cannot be read or
// `cancelled` (checked between blocks) becomes true. The voice
// onsets come from the file beside it (voice_onset_file.h) when that was
// written for this very file, and are stored there otherwise.
std::shared_ptr<const MusicAnalysis> AnalyseMusic(const std::string& path,
                                                  const std::atomic<bool>* cancelled = nullptr);

// The analyses of the music files met while the program runs, each worked
// out on a worker thread the first time it is asked for. Asking for another
// file (the music changed) cancels the analyses still running, so a worker
// never goes on listening to music nobody uses.
class MusicAnalysisCache {
 public:
  static MusicAnalysisCache& Instance();
  // The analysis when it is ready; otherwise starts it (once) and answers null.
  std::shared_ptr<const MusicAnalysis> Get(const std::string& path);
  // Waits for the analysis (tests and the command line).
  std::shared_ptr<const MusicAnalysis> Wait(const std::string& path);

 private:
  struct Impl;
  MusicAnalysisCache();
  ~MusicAnalysisCache();
  std::unique_ptr<Impl> m;
};

}  // namespace lf
