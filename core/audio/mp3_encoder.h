#pragma once
// MP3 encoding through the LAME library, which is opened at run time and never
// linked: MP3 support exists only when the library is present and complete.
#include <cstdint>
#include <functional>
#include <string>

namespace lf {

class ProgressSink;

// Opens the encoder library once (again when forceFetch is set), leads the
// user through the missing- or incomplete-library messages, and binds the
// entry points. Returns whether MP3 encoding is available.
bool LoadMp3Encoder(bool forceFetch = false);
// Looks up the entry points in the opened library; true when every required
// one was found. Without a library it says so and returns false.
bool BindMp3Encoder();
void UnloadMp3Encoder();
bool IsMp3EncoderBound();

// The helper program that fetches the library ("OrvandelGetLame.exe") is not
// available on this platform; a front end may install a routine that fetches
// and runs an equivalent. It returns false when nothing could be fetched.
using Mp3HelperRoutine = std::function<bool(const std::string& helperPath)>;
void SetMp3HelperRoutine(Mp3HelperRoutine routine);

// The library file name opened (tests point it at a missing or foreign one).
void SetMp3EncoderLibraryName(const std::string& name);

// Encodes a WAV file (8 or 16 bits, mono or stereo, any rate the encoder
// takes) or a headerless file of 44,100 Hz 16-bit stereo PCM into an MP3 file
// at bitRateKbps, with leadInFrames of silence before the audio,
// musicSilenceFrames after it that still count as music (music read where it
// lies, shorter than the song takes it to be), then tailFrames of silence (the
// end may be trimmed to a whole frame there, never in the music), and ID3
// title and artist when given; every sample of the music is multiplied by
// `gain` (loudness normalisation). Progress goes
// 0..100. True when the MP3 file was completed; otherwise no file is left at
// mp3Path (an earlier file there stays untouched) and *error says why.
bool EncodeWavToMp3(const std::string& sourcePath, const std::string& mp3Path, int bitRateKbps, ProgressSink* progress,
                    const std::string& title, const std::string& artist, int64_t leadInFrames,
                    int64_t musicSilenceFrames, int64_t tailFrames, std::string* error = nullptr, double gain = 1.0);

}  // namespace lf
