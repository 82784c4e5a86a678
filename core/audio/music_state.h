#pragma once
// The state of the project's music: the file the user chose, its working copy
// (uncompressed PCM) and that copy's format, and the text of the last failure.
#include <cstdint>
#include <string>

namespace lf {

struct MusicState {
  std::string musicFilePath;    // as the user chose it
  std::string workingFilePath;  // empty when there is no working file
  std::string musicFolder;      // the music path up to and including its last '/'
  int sampleRate = 0;
  int bitsPerSample = 0;
  int channelCount = 0;
  int64_t workingDataBytes = 0;  // sample data in the working file
  int samplesPerPacket = 0;      // sample frames per CD+G packet (rate / 300)
  std::string musicErrorText;    // lines ending in "\n"; empty on success
  std::string extension;         // last three characters of the path, lower-cased
  bool workingIsMusic = false;   // the working file is the user's music itself: never write it
};

}  // namespace lf
