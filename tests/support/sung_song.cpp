#include "tests/support/sung_song.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <sstream>
#include <stdexcept>

#include "tests/support/media_probe.h"  // ShellQuote
#include "tests/support/wav_fixture.h"

namespace lf::test {

namespace {

constexpr int kRate = 44100;
// espeak-ng peaks near 21000; this leaves the band room under full scale.
constexpr double kVoiceGain = 0.6;
// Quieter sound kept either side of a word's threshold crossings, faded, so a
// word neither clicks in nor stops dead.
constexpr int kEdgeFrames = kRate / 100;
constexpr double kTailSeconds = 2.0;
constexpr double kBandUnderVoiceDb = 6.0;
constexpr double kBeatsPerMinute = 110.0;
constexpr double kChordSeconds = 2.0;

// Uniform numbers from the engine's raw output: std::mt19937 is the same
// everywhere, the standard distributions are not.
class Random {
 public:
  explicit Random(uint32_t seed) : engine_(seed) {}
  double Uniform() { return engine_() / 4294967296.0; }  // [0, 1)

 private:
  std::mt19937 engine_;
};

uint64_t Fnv1a(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
  return h;
}

std::string Hex(uint64_t value) {
  char buffer[17];
  std::snprintf(buffer, sizeof buffer, "%016llx", static_cast<unsigned long long>(value));
  return buffer;
}

uint32_t Le(const std::string& bytes, std::size_t at, int width) {
  uint32_t v = 0;
  for (int i = 0; i < width; ++i) v |= uint32_t(static_cast<unsigned char>(bytes[at + i])) << (8 * i);
  return v;
}

// The samples of a 16-bit mono PCM WAV, as espeak-ng writes them.
std::vector<int16_t> ReadMonoWav(const std::string& path, uint32_t* rate) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
    throw std::runtime_error("espeak-ng wrote no WAV file at " + path);
  bool haveFormat = false;
  for (std::size_t at = 12; at + 8 <= bytes.size();) {
    const std::string label = bytes.substr(at, 4);
    const std::size_t size = std::min<std::size_t>(Le(bytes, at + 4, 4), bytes.size() - at - 8);
    const std::size_t body = at + 8;
    if (label == "fmt " && size >= 16) {
      if (Le(bytes, body, 2) != 1 || Le(bytes, body + 2, 2) != 1 || Le(bytes, body + 14, 2) != 16)
        throw std::runtime_error("espeak-ng wrote a WAV other than 16-bit mono PCM: " + path);
      *rate = Le(bytes, body + 4, 4);
      haveFormat = true;
    } else if (label == "data" && haveFormat) {
      std::vector<int16_t> samples(size / 2);
      std::memcpy(samples.data(), bytes.data() + body, samples.size() * 2);
      return samples;
    }
    at = body + size + (size & 1);
  }
  throw std::runtime_error("espeak-ng's WAV has no format or data chunk: " + path);
}

// Linear interpolation onto kRate.
std::vector<double> Resample(const std::vector<int16_t>& in, uint32_t rate) {
  if (in.empty() || rate == 0) return {};
  const auto frames = static_cast<std::size_t>(std::llround(double(in.size()) * kRate / rate));
  std::vector<double> out(frames);
  for (std::size_t i = 0; i < frames; ++i) {
    const double at = double(i) * rate / kRate;
    const auto j = static_cast<std::size_t>(at);
    const double a = in[std::min(j, in.size() - 1)];
    const double b = in[std::min(j + 1, in.size() - 1)];
    out[i] = a + (b - a) * (at - j);
  }
  return out;
}

// One spoken word at kRate in the written voice's scale, with the offsets of
// its first and last samples at the threshold.
struct WordClip {
  std::vector<double> samples;
  int64_t first = 0;
  int64_t last = 0;
};

std::string SpeakToFile(const std::string& word, int wordsPerMinute, const std::string& folder) {
  std::string path = folder + "/espeak_" + std::to_string(wordsPerMinute) + "_" + Hex(Fnv1a(word)) + ".wav";
  if (std::filesystem::exists(path)) return path;
  // The word goes in a file, so one starting with '-' is not taken for an option.
  const std::string text = path + ".txt";
  const std::string partial = path + ".partial";
  WriteFileBytes(text, word);
  int status = -1;
  const std::string output = RunCommand("espeak-ng -v en-us -s " + std::to_string(wordsPerMinute) + " -w " +
                                            ShellQuote(partial) + " -f " + ShellQuote(text) + " 2>&1",
                                        &status);
  std::filesystem::remove(text);
  if (status != 0) {
    std::filesystem::remove(partial);
    throw std::runtime_error("espeak-ng failed on \"" + word + "\" (status " + std::to_string(status) + "): " + output);
  }
  std::filesystem::rename(partial, path);
  return path;
}

WordClip SpeakWord(const std::string& word, int wordsPerMinute, const std::string& folder) {
  uint32_t rate = 0;
  const std::vector<int16_t> spoken = ReadMonoWav(SpeakToFile(word, wordsPerMinute, folder), &rate);
  const std::vector<double> voice = Resample(spoken, rate);
  std::vector<double> scaled(voice.size());
  for (std::size_t i = 0; i < voice.size(); ++i) scaled[i] = std::nearbyint(voice[i] * kVoiceGain);
  auto loud = [](double v) { return std::abs(v) >= kSungVoiceThreshold; };
  const auto first = std::find_if(scaled.begin(), scaled.end(), loud);
  if (first == scaled.end()) throw std::runtime_error("espeak-ng said nothing audible for \"" + word + "\"");
  const auto last = std::find_if(scaled.rbegin(), scaled.rend(), loud).base() - 1;
  const int64_t firstAt = first - scaled.begin();
  const int64_t lastAt = last - scaled.begin();
  const int64_t begin = std::max<int64_t>(0, firstAt - kEdgeFrames);
  const int64_t end = std::min<int64_t>(int64_t(scaled.size()), lastAt + 1 + kEdgeFrames);
  WordClip clip;
  clip.samples.assign(scaled.begin() + begin, scaled.begin() + end);
  clip.first = firstAt - begin;
  clip.last = lastAt - begin;
  // Fade what lies outside the crossings; it stays under the threshold.
  for (int64_t i = 0; i < clip.first; ++i)
    clip.samples[i] = std::nearbyint(clip.samples[i] * double(i) / double(clip.first));
  const int64_t tail = int64_t(clip.samples.size()) - 1 - clip.last;
  for (int64_t i = 1; i <= tail; ++i)
    clip.samples[clip.last + i] = std::nearbyint(clip.samples[clip.last + i] * double(tail - i) / double(tail));
  return clip;
}

std::vector<std::string> SplitWords(const std::string& line) {
  std::vector<std::string> words;
  std::istringstream in(line);
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

// Equal-power pan: 0 is hard left, 1 hard right.
void AddPanned(std::vector<double>& left, std::vector<double>& right, std::size_t at, double v, double pan) {
  if (at >= left.size()) return;
  left[at] += v * std::cos(pan * M_PI / 2);
  right[at] += v * std::sin(pan * M_PI / 2);
}

double NoteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// Sustained chords changing every kChordSeconds, each note a few harmonics
// with a soft attack, spread wide to the left and right.
void AddChords(std::vector<double>& left, std::vector<double>& right, Random& random) {
  static const std::vector<std::vector<int>> kProgression = {
      {48, 60, 64, 67}, {45, 57, 60, 64}, {41, 57, 60, 65}, {43, 55, 59, 62}};
  const auto offset = static_cast<std::size_t>(random.Uniform() * kProgression.size());
  const auto chordFrames = static_cast<std::size_t>(kChordSeconds * kRate);
  const auto fade = static_cast<std::size_t>(0.15 * kRate);
  for (std::size_t start = 0, k = 0; start < left.size(); start += chordFrames, ++k) {
    const std::vector<int>& chord = kProgression[(k + offset) % kProgression.size()];
    for (std::size_t n = 0; n < chord.size(); ++n) {
      const double hz = NoteHz(chord[n]);
      const double pan = n == 0 ? 0.2 : (n % 2 ? 0.1 : 0.9);
      for (std::size_t i = 0; i < chordFrames + fade; ++i) {
        const double t = double(i) / kRate;
        double envelope = std::min(1.0, double(i) / fade);
        if (i > chordFrames) envelope *= 1.0 - double(i - chordFrames) / fade;
        const double phase = 2 * M_PI * hz * t;
        const double v = std::sin(phase) + 0.25 * std::sin(2 * phase) + 0.1 * std::sin(3 * phase);
        AddPanned(left, right, start + i, 0.15 * envelope * v, pan);
      }
    }
  }
}

// A kick on every beat (a decaying sine sweeping down) and a hi-hat between
// (a short burst of high-passed noise).
void AddDrums(std::vector<double>& left, std::vector<double>& right, Random& random) {
  const double beatFrames = 60.0 / kBeatsPerMinute * kRate;
  const auto kickFrames = static_cast<std::size_t>(0.35 * kRate);
  const auto hatFrames = static_cast<std::size_t>(0.06 * kRate);
  const double highPass = 1.0 / (1.0 + 2 * M_PI * 7000.0 / kRate);
  for (int beat = 0; beat * beatFrames < left.size(); ++beat) {
    const auto kickAt = static_cast<std::size_t>(std::llround(beat * beatFrames));
    double phase = 0;
    for (std::size_t i = 0; i < kickFrames; ++i) {
      const double t = double(i) / kRate;
      phase += 2 * M_PI * (45.0 + 75.0 * std::exp(-t / 0.03)) / kRate;
      AddPanned(left, right, kickAt + i, 0.8 * std::exp(-t / 0.12) * std::sin(phase), 0.3);
    }
    const auto hatAt = static_cast<std::size_t>(std::llround((beat + 0.5) * beatFrames));
    double previousNoise = 0, filtered = 0;
    for (std::size_t i = 0; i < hatFrames; ++i) {
      const double noise = 2 * random.Uniform() - 1;
      filtered = highPass * (filtered + noise - previousNoise);
      previousNoise = noise;
      AddPanned(left, right, hatAt + i, 0.25 * std::exp(-double(i) / kRate / 0.015) * filtered, 0.7);
    }
  }
}

std::string PlanKey(const SungSongPlan& plan) {
  std::ostringstream key;
  for (const std::string& line : plan.lines) key << line << '\n';
  key << plan.firstLineAt << ' ' << plan.lineGap << ' ' << plan.wordsPerMinute << ' ' << plan.stereoAccompaniment << ' '
      << plan.mono << ' ' << plan.seed;
  return key.str();
}

}  // namespace

bool HaveEspeakNg() {
  int status = -1;
  RunCommand("command -v espeak-ng >/dev/null 2>&1", &status);
  return status == 0;
}

SungSong MakeSungSong(const SungSongPlan& plan, const std::string& folder) {
  if (!HaveEspeakNg())
    throw std::runtime_error("espeak-ng is not installed; the sung test songs need it (scripts/install-deps.sh)");

  SungSong song;
  song.sampleRate = kRate;
  std::map<std::string, WordClip> clips;
  // Where each word's clip begins in the song.
  std::vector<std::pair<const WordClip*, int64_t>> placed;
  // The gaps between a line's words, by the line's words, so a repeated line keeps its rhythm.
  std::map<std::vector<std::string>, std::vector<int64_t>> rhythms;
  Random random(plan.seed);
  int64_t lineStart = std::llround(plan.firstLineAt * kRate);
  const int64_t lineGap = std::llround(plan.lineGap * kRate);
  int64_t songEnd = lineStart;

  for (std::size_t l = 0; l < plan.lines.size(); ++l) {
    song.lyrics += (l ? "\n" : "") + plan.lines[l];
    const std::vector<std::string> words = SplitWords(plan.lines[l]);
    SungLine& line = song.lines.emplace_back();
    auto [rhythm, fresh] = rhythms.try_emplace(words);
    if (fresh) {
      for (std::size_t w = 1; w < words.size(); ++w)
        rhythm->second.push_back(std::llround((0.040 + 0.040 * random.Uniform()) * kRate));
    }
    int64_t at = lineStart;
    for (std::size_t w = 0; w < words.size(); ++w) {
      auto clip = clips.find(words[w]);
      if (clip == clips.end()) clip = clips.emplace(words[w], SpeakWord(words[w], plan.wordsPerMinute, folder)).first;
      if (w) at = song.words.back().endFrame + 1 + rhythm->second[w - 1];
      line.words.push_back(static_cast<int>(song.words.size()));
      song.words.push_back({words[w], at, at + clip->second.last - clip->second.first});
      placed.emplace_back(&clip->second, at - clip->second.first);
    }
    if (!words.empty()) songEnd = song.words.back().endFrame + 1;
    lineStart = (words.empty() ? lineStart : songEnd) + lineGap;
  }

  const auto frames = static_cast<std::size_t>(songEnd + std::llround(kTailSeconds * kRate));
  std::vector<double> voice(frames, 0.0);
  for (const auto& [clip, begin] : placed)
    for (std::size_t i = 0; i < clip->samples.size(); ++i)
      if (begin + int64_t(i) >= 0 && begin + i < frames) voice[begin + i] += clip->samples[i];

  std::vector<double> left(frames, 0.0), right(frames, 0.0);
  if (plan.stereoAccompaniment) {
    // Its own numbers, so the words fall at the same times with or without it.
    Random band(plan.seed ^ 0x9E3779B9u);
    AddChords(left, right, band);
    AddDrums(left, right, band);
    double voiceEnergy = 0, bandEnergy = 0;
    int64_t voiceFrames = 0;
    for (const SungWord& word : song.words) {
      for (int64_t f = word.startFrame; f <= word.endFrame; ++f) voiceEnergy += voice[f] * voice[f];
      voiceFrames += word.endFrame - word.startFrame + 1;
    }
    for (std::size_t f = 0; f < frames; ++f) bandEnergy += (left[f] * left[f] + right[f] * right[f]) / 2;
    if (voiceFrames > 0 && bandEnergy > 0) {
      const double gain = std::sqrt(voiceEnergy / voiceFrames) / std::sqrt(bandEnergy / frames) *
                          std::pow(10.0, -kBandUnderVoiceDb / 20);
      for (std::size_t f = 0; f < frames; ++f) {
        left[f] *= gain;
        right[f] *= gain;
      }
    }
  }

  const int channels = plan.mono ? 1 : 2;
  std::vector<int16_t> samples;
  samples.reserve(frames * channels);
  auto put = [&samples](double v) {
    samples.push_back(static_cast<int16_t>(std::clamp<double>(std::nearbyint(v), -32768, 32767)));
  };
  for (std::size_t f = 0; f < frames; ++f) {
    if (plan.mono) {
      put(voice[f] + (left[f] + right[f]) / 2);
    } else {
      put(voice[f] + left[f]);
      put(voice[f] + right[f]);
    }
  }
  song.wavPath = folder + "/sung_song_" + Hex(Fnv1a(PlanKey(plan))) + ".wav";
  WriteFileBytes(song.wavPath, MakeRiffWave({{"fmt ", FmtBody(static_cast<uint16_t>(channels), kRate, 16)},
                                             {"data", PcmBytes(samples, 16)}}));
  return song;
}

}  // namespace lf::test
