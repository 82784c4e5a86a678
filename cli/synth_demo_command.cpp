// synth-demo: the demo song's music, synthesised: "Twinkle, Twinkle, Little
// Star" (words by Jane Taylor, 1806; traditional melody) as soft tones, and its
// lyrics as an enhanced LRC file whose word times are the note starts.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/command.h"
#include "core/audio/wav_file.h"

namespace lf::cli {
namespace {

constexpr int kRate = 44100;
constexpr double kBeatSeconds = 0.5;   // 120 beats a minute
constexpr double kIntroSeconds = 2.0;  // silence before the first note
constexpr double kOutroSeconds = 2.0;  // the last note rings out

struct Syllable {
  int midi;      // pitch
  double beats;  // length
};
struct Word {
  const char* text;
  std::vector<Syllable> syllables;
};
using Line = std::vector<Word>;

const std::vector<Line>& Song() {
  static const std::vector<Line> song = [] {
    const Line first{{"Twinkle,", {{60, 1}, {60, 1}}},
                     {"twinkle,", {{67, 1}, {67, 1}}},
                     {"little", {{69, 1}, {69, 1}}},
                     {"star,", {{67, 2}}}};
    const Line second{{"How", {{65, 1}}},  {"I", {{65, 1}}},   {"wonder", {{64, 1}, {64, 1}}},
                      {"what", {{62, 1}}}, {"you", {{62, 1}}}, {"are!", {{60, 2}}}};
    const Line third{{"Up", {{67, 1}}}, {"above", {{67, 1}, {65, 1}}}, {"the", {{65, 1}}}, {"world", {{64, 1}}},
                     {"so", {{64, 1}}}, {"high,", {{62, 2}}}};
    const Line fourth{{"Like", {{67, 1}}}, {"a", {{67, 1}}},   {"diamond", {{65, 1}, {65, 1}}},
                      {"in", {{64, 1}}},   {"the", {{64, 1}}}, {"sky.", {{62, 2}}}};
    return std::vector<Line>{first, second, third, fourth, first, second};
  }();
  return song;
}

// The song sung `verses` times in a row (longer material for benchmarks).
std::vector<Line> Verses(int verses) {
  std::vector<Line> all;
  for (int v = 0; v < verses; ++v) all.insert(all.end(), Song().begin(), Song().end());
  return all;
}

struct Note {
  double start, length;
  int midi;
};

std::vector<Note> Notes(int verses) {
  std::vector<Note> notes;
  double t = kIntroSeconds;
  for (const Line& line : Verses(verses))
    for (const Word& word : line)
      for (const Syllable& s : word.syllables) {
        notes.push_back({t, s.beats * kBeatSeconds, s.midi});
        t += s.beats * kBeatSeconds;
      }
  return notes;
}

std::string Tag(double seconds) {
  const long cs = std::lround(seconds * 100);
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld.%02ld", cs / 6000, cs / 100 % 60, cs % 100);
  return text;
}

std::string DemoLrc(int verses) {
  std::string out =
      "[ti:Twinkle, Twinkle, Little Star]\n[ar:Traditional]\n[au:Jane Taylor (1806)]\n[re:Lyricforge demo]\n";
  double t = kIntroSeconds;
  for (const Line& line : Verses(verses)) {
    std::string text(1, '[');
    text += Tag(t);
    text += ']';
    for (size_t w = 0; w < line.size(); ++w) {
      text += '<';
      text += Tag(t);
      text += '>';
      text += line[w].text;
      if (w + 1 < line.size()) text += ' ';
      for (const Syllable& s : line[w].syllables) t += s.beats * kBeatSeconds;
    }
    text += '<';
    text += Tag(t);
    text += ">\n";
    out += text;
  }
  return out;
}

// A soft plucked tone: a few harmonics under a quick attack and a slow decay,
// released just before the note's end so that the next note starts clean.
void AddNote(std::vector<float>& mix, const Note& n) {
  constexpr double kRelease = 0.05, kGap = 0.01;
  const double freq = 440.0 * std::pow(2.0, (n.midi - 69) / 12.0);
  const double held = n.length - kRelease - kGap;
  const int first = int(std::lround(n.start * kRate));
  const int count = int((n.length - kGap) * kRate);
  for (int i = 0; i < count && first + i < int(mix.size()); ++i) {
    const double t = double(i) / kRate;
    double env = std::min(1.0, t / 0.012) * std::exp(-t / 0.7);
    if (t > held) env *= std::max(0.0, 1.0 - (t - held) / kRelease);
    const double w = 2 * M_PI * freq * t;
    mix[size_t(first + i)] += float(env * (std::sin(w) + 0.35 * std::sin(2 * w) + 0.12 * std::sin(3 * w)));
  }
}

bool WriteDemoWav(const std::string& path, int verses) {
  const auto notes = Notes(verses);
  const double end = notes.back().start + notes.back().length + kOutroSeconds;
  std::vector<float> mix(size_t(end * kRate), 0.0f);
  for (const Note& n : notes) AddNote(mix, n);
  std::vector<int16_t> samples(mix.size() * 2);
  for (size_t i = 0; i < mix.size(); ++i) {
    const int16_t v = int16_t(std::lround(std::clamp(mix[i] * 0.25f, -1.0f, 1.0f) * 32767));
    samples[2 * i] = samples[2 * i + 1] = v;
  }
  WavOutFile out(path, kRate, 16, 2);
  out.WriteSamples(samples.data(), int(samples.size()));
  return out.Good();
}

int Run(const std::vector<std::string>& argv) {
  Args args(argv, {}, {"--lrc", "--verses"});
  const std::string wav = args.Required("-o");
  const double verses = args.Number("--verses", 1);
  if (verses < 1 || verses > 100 || verses != int(verses)) throw CliError(kExitUsage, "--verses takes 1 to 100");
  if (!WriteDemoWav(wav, int(verses))) throw CliError(kExitOutput, "cannot write " + wav);
  if (auto lrc = args.Option("--lrc")) {
    std::FILE* f = std::fopen(lrc->c_str(), "wb");
    const std::string text = DemoLrc(int(verses));
    const bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
    if (f && std::fclose(f) != 0) throw CliError(kExitOutput, "cannot write " + *lrc);
    if (!ok) throw CliError(kExitOutput, "cannot write " + *lrc);
  }
  return kExitOk;
}

}  // namespace

LF_CLI_COMMAND(synth_demo, "synth-demo", "synth-demo -o MUSIC.wav [--lrc LYRICS.lrc] [--verses N]", Run);

}  // namespace lf::cli
