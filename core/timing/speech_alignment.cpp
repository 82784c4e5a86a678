#include "core/timing/speech_alignment.h"

#include <pocketsphinx.h>
#include <sphinxbase/err.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <unordered_set>

#include "core/audio/wav_in_file.h"
#include "core/song/song.h"
#include "core/timing/word_spread.h"

namespace lf {

namespace {

constexpr const char* kCaption = "Automatic First Pass";
constexpr int kRecogniserRate = 16000;
constexpr int kFramesPerSecond = 100;  // the recogniser's frames

// A word as it is spoken: the song's words joined by syllable breaks.
struct SpokenWord {
  int first = 0, last = 0;  // the song's words
  std::string token;        // lower case, letters and apostrophes
};

std::vector<SpokenWord> SpokenWords(const SongLyrics& lyrics) {
  std::vector<SpokenWord> spoken;
  for (int i = 0; i < lyrics.WordCount(); ++i) {
    const KaraokeWord& w = *lyrics.Word(i);
    if (spoken.empty() || !(w.m_flags & KaraokeWord::kJoinsPrevious) ||
        lyrics.Word(spoken.back().last)->m_line != w.m_line)
      spoken.push_back({i, i, {}});
    spoken.back().last = i;
    const std::string& text = w.m_line->m_text;
    for (int c = w.m_firstChar; c <= w.m_lastChar && c < static_cast<int>(text.size()); ++c) {
      const auto byte = static_cast<unsigned char>(text[static_cast<size_t>(c)]);
      if (std::isalpha(byte) || byte == '\'') spoken.back().token += static_cast<char>(std::tolower(byte));
    }
  }
  return spoken;
}

std::unordered_set<std::string> DictionaryWords(const std::string& path) {
  std::unordered_set<std::string> words;
  std::ifstream file(path);
  std::string line;
  while (std::getline(file, line)) {
    std::string word = line.substr(0, line.find_first_of(" \t"));
    if (const size_t paren = word.find('('); paren != std::string::npos) word.resize(paren);
    if (!word.empty()) words.insert(word);
  }
  return words;
}

// The music's centre (all channels averaged) at the recogniser's rate, low-passed first.
std::vector<int16_t> CentreAtRecogniserRate(const std::string& wavPath, int& musicRate) {
  WavInFile wav(wavPath);
  const int channels = wav.ChannelCount();
  musicRate = static_cast<int>(wav.SampleRate());
  if (!wav.IsOpen() || channels <= 0 || musicRate <= 0) return {};
  std::vector<float> centre;
  std::vector<int16_t> block(static_cast<size_t>(4096 * channels));
  while (true) {
    const int got = wav.ReadSamples(block.data(), static_cast<int>(block.size())) / channels;
    if (got <= 0) break;
    for (int f = 0; f < got; ++f) {
      int sum = 0;
      for (int c = 0; c < channels; ++c) sum += block[static_cast<size_t>(f) * channels + c];
      centre.push_back(static_cast<float>(sum) / static_cast<float>(channels));
    }
  }
  // A windowed sinc, cut off below the new Nyquist, evaluated at each output instant.
  const double step = static_cast<double>(musicRate) / kRecogniserRate;
  const double cutoff = 0.45 / std::max(step, 1.0);  // cycles per input sample
  constexpr int kHalfTaps = 24;
  std::vector<int16_t> out(static_cast<size_t>(static_cast<double>(centre.size()) / step));
  for (size_t n = 0; n < out.size(); ++n) {
    const double t = static_cast<double>(n) * step;
    const auto middle = static_cast<int64_t>(t);
    double sum = 0, weight = 0;
    for (int64_t k = middle - kHalfTaps + 1; k <= middle + kHalfTaps; ++k) {
      if (k < 0 || k >= static_cast<int64_t>(centre.size())) continue;
      const double x = t - static_cast<double>(k);
      const double sinc = x == 0 ? 1.0 : std::sin(2 * M_PI * cutoff * x) / (M_PI * x) / (2 * cutoff);
      const double window = 0.5 + 0.5 * std::cos(M_PI * x / kHalfTaps);
      sum += centre[static_cast<size_t>(k)] * sinc * window;
      weight += sinc * window;
    }
    // A least-significant bit of noise: the recogniser cannot take the log of digital silence.
    const double dither = ((n * 2654435761u) >> 16 & 1) ? 0.5 : -0.5;
    out[n] =
        static_cast<int16_t>(std::clamp<long>(std::lround((weight != 0 ? sum / weight : 0.0) + dither), -32768, 32767));
  }
  return out;
}

struct HeardWord {
  std::string token;
  int startFrame = 0, endFrame = 0;
};

// The recogniser run over the whole song with the words as its only grammar.
Outcome Recognise(const SpeechModel& model, const std::vector<std::string>& tokens, const std::vector<int16_t>& audio,
                  bool everyWord, std::vector<HeardWord>& heard) {
  err_set_logfp(nullptr);
  // Wide beams: the grammar is narrow, and a song is one long utterance.
  cmd_ln_t* config = cmd_ln_init(nullptr, ps_args(), TRUE, "-hmm", model.acousticModel.c_str(), "-dict",
                                 model.dictionary.c_str(), "-samprate", "16000", "-beam", "1e-80", "-wbeam", "1e-60",
                                 "-maxhmmpf", "-1", "-remove_silence", "no", nullptr);
  if (!config) return Outcome::Failure(Reason::Failed, "The speech recogniser could not be set up.", kCaption);
  ps_decoder_t* decoder = ps_init(config);
  if (!decoder) {
    cmd_ln_free_r(config);
    return Outcome::Failure(Reason::Failed, "The speech model could not be loaded.", kCaption);
  }
  std::string grammar = "#JSGF V1.0;\ngrammar lyrics;\npublic <lyrics> =";
  // Every word in turn; or, when that cannot be followed to the end, each one
  // may be missed (sung past recognition).
  for (const std::string& token : tokens) grammar += everyWord ? " " + token : " [" + token + "]";
  grammar += ";\n";
  Outcome outcome = Outcome::Success();
  if (ps_set_jsgf_string(decoder, "lyrics", grammar.c_str()) < 0 || ps_set_search(decoder, "lyrics") < 0) {
    outcome = Outcome::Failure(Reason::Failed, "The song's words could not be given to the recogniser.", kCaption);
  } else {
    ps_start_utt(decoder);
    ps_process_raw(decoder, audio.data(), audio.size(), FALSE, TRUE);
    ps_end_utt(decoder);
    for (ps_seg_t* seg = ps_seg_iter(decoder); seg; seg = ps_seg_next(seg)) {
      std::string word = ps_seg_word(seg);
      if (const size_t paren = word.find('('); paren != std::string::npos && paren > 0) word.resize(paren);
      if (word.empty() || word[0] == '<' || word[0] == '[' || word[0] == '(' || word[0] == '+') continue;
      int start = 0, end = 0;
      ps_seg_frames(seg, &start, &end);
      heard.push_back({word, start, end});
    }
    if (heard.empty())
      outcome = Outcome::Failure(Reason::Failed, "The recogniser could not follow the words in this music.", kCaption);
  }
  ps_free(decoder);
  cmd_ln_free_r(config);
  return outcome;
}

SampleTime FrameTime(int frame, int rate) {
  return static_cast<SampleTime>(std::max<int64_t>(1, int64_t{frame} * rate / kFramesPerSecond));
}

}  // namespace

SpeechModel DefaultSpeechModel() {
  const std::string root = "/usr/share/pocketsphinx/model/en-us/";
  return {root + "en-us", root + "cmudict-en-us.dict"};
}

AlignResult AlignLyricsToSpeech(Song& song, const std::string& wavPath, const SpeechModel& model,
                                const AlignOptions& options) {
  AlignResult result;
  std::error_code error;
  if (!std::filesystem::is_directory(model.acousticModel, error) ||
      !std::filesystem::is_regular_file(model.dictionary, error)) {
    result.outcome = Outcome::Failure(
        Reason::NotFound, "The English speech model is not installed (the pocketsphinx-en-us package).", kCaption);
    return result;
  }
  SongLyrics& lyrics = song.Lyrics();
  const std::vector<SpokenWord> spoken = SpokenWords(lyrics);
  const std::unordered_set<std::string> dictionary = DictionaryWords(model.dictionary);
  std::vector<std::string> tokens;
  std::vector<size_t> tokenWord;  // the spoken word of each token
  for (size_t i = 0; i < spoken.size(); ++i) {
    if (dictionary.count(spoken[i].token)) {
      tokens.push_back(spoken[i].token);
      tokenWord.push_back(i);
    } else {
      ++result.unknown;
    }
  }
  if (tokens.empty()) {
    result.outcome =
        Outcome::Failure(Reason::NotAllowed, "None of the song's words is in the English dictionary.", kCaption);
    return result;
  }
  int rate = 0;
  const std::vector<int16_t> audio = CentreAtRecogniserRate(wavPath, rate);
  if (audio.empty()) {
    result.outcome =
        Outcome::Failure(Reason::BadInput, "The music cannot be read.", kCaption, MessageIcon::Exclamation, wavPath);
    return result;
  }
  std::vector<HeardWord> heard;
  result.outcome = Recognise(model, tokens, audio, true, heard);
  if (!result.outcome) result.outcome = Recognise(model, tokens, audio, false, heard);
  if (!result.outcome) return result;

  // The grammar allows the words only in order (each may be skipped): each
  // word heard is the next token with its spelling.
  std::vector<std::pair<SampleTime, SampleTime>> found(spoken.size(), {0, 0});
  size_t next = 0;
  for (const HeardWord& word : heard) {
    size_t n = next;
    while (n < tokens.size() && tokens[n] != word.token) ++n;
    if (n == tokens.size()) continue;
    found[tokenWord[n]] = {FrameTime(word.startFrame, rate), FrameTime(word.endFrame + 1, rate)};
    next = n + 1;
  }

  TimingEdit edit(song, kCaption);
  const LyricTimes before = lyrics.Times();
  auto place = [&](size_t first, size_t last, SampleTime start, SampleTime end) {
    SpreadWords(lyrics, spoken[first].first, spoken[last].last, start, end, rate);
    for (int w = spoken[first].first; w <= spoken[last].last; ++w) lyrics.MarkForReview(w, true);
  };
  // Words not heard share the time between the heard ones around them; those
  // before the first or after the last take a plain pace there.
  const auto plainPace = static_cast<SampleTime>(rate * 2 / 5);
  size_t previous = SIZE_MAX;  // the last spoken word found
  for (size_t i = 0; i < spoken.size(); ++i) {
    if (found[i].first == 0) continue;
    const size_t gapFirst = previous == SIZE_MAX ? 0 : previous + 1;
    if (i > gapFirst) {
      const auto count = static_cast<SampleTime>(i - gapFirst);
      const SampleTime from =
          previous == SIZE_MAX ? std::max<SampleTime>(1, found[i].first - count * plainPace) : found[previous].second;
      place(gapFirst, i - 1, from, std::max(from, found[i].first));
      result.spread += count;
    }
    place(i, i, found[i].first, found[i].second);
    ++result.found;
    previous = i;
  }
  if (previous == SIZE_MAX) {
    result.outcome = Outcome::Failure(Reason::Failed, "The recogniser heard none of the song's words.", kCaption);
    lyrics.RestoreTimes(before);
    return result;
  }
  if (previous + 1 < spoken.size()) {
    const auto count = static_cast<SampleTime>(spoken.size() - previous - 1);
    place(previous + 1, spoken.size() - 1, found[previous].second, found[previous].second + count * plainPace);
    result.spread += count;
  }
  // Times tapped before stay, unless they are to be replaced.
  for (int w = 0; w < lyrics.WordCount() && !options.replaceTimed; ++w) {
    const WordTimes& old = before.words[static_cast<size_t>(w)];
    if (old.start != 0) {
      lyrics.SetWordTimes(w, old.start, old.end);
      lyrics.MarkForReview(w, false);
    }
  }
  for (int l = 0; l < lyrics.LineCount(); ++l)
    for (const KaraokeWord* w : lyrics.Line(l)->m_words)
      if (w->IsPlaced()) lyrics.SetLinePlaced(l, true);
  song.SetModified(true);
  return result;
}

}  // namespace lf
