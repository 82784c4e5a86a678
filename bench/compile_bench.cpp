// Compiling a whole song, as Adjust Lyrics does at every loop pass: a
// four-minute song of 60 lines and 300 words in outlined text, with title and
// credits pages drawn with Fill Down.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/song/song.h"
#include "core/song/song_compiler.h"

namespace lf {
namespace {

// Times every word: word i starts at startOf(i) samples and lasts `length`.
template <typename StartOf>
void PlaceEveryWord(Song& song, StartOf startOf, int length) {
  for (int i = 0; i < song.WordCount(); ++i) {
    KaraokeWord* word = song.Word(i);
    word->m_startTime = startOf(i);
    word->m_endTime = word->m_startTime + length;
    word->m_line->m_placed = true;
  }
}

// The timed loop: the whole song compiled into a stream of `seconds`.
void CompileRepeatedly(benchmark::State& state, Song& song, int seconds) {
  std::vector<uint8_t> stream(static_cast<size_t>(kStreamBytesPerSecond) * seconds, 0);
  for (auto _ : state) {
    CompileResult result = CompileSong(song, stream.data(), static_cast<uint32_t>(stream.size()), kCompileEverything);
    benchmark::DoNotOptimize(result);
  }
}

void BuildFourMinuteSong(Song& song) {
  song.ResetSongDefaults();
  for (int kind : {TitlePage, CreditsPage}) {
    PageRecord* page = song.PageByKind(kind);
    page->m_enabled = 1;
    page->m_drawTransition = FillDown;
    page->m_eraseTransition = FillDown;
    page->m_style.m_flags |= kTextOutline;
    page->m_pageText = kind == TitlePage ? "A Long Song\nThe Benchmark Band" : "Thanks for singing";
  }
  song.PageByKind(LyricsPage)->m_style.m_flags |= kTextOutline;

  static const char* kWords[] = {"sing", "along", "with", "me", "tonight"};
  std::string text;
  for (int line = 0; line < 60; ++line) {
    for (int w = 0; w < 5; ++w) {
      if (w) text += ' ';
      text += kWords[(line + w) % 5];
    }
    text += '\n';
  }
  song.SetRawLyrics(text);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  // 300 words over four minutes, from 5 s on.
  PlaceEveryWord(
      song, [](int i) { return 44100 * 5 + i * 33000; }, 28000);
}

void BM_CompileFourMinuteSong(benchmark::State& state) {
  Song song;
  BuildFourMinuteSong(song);
  CompileRepeatedly(state, song, 420);
  state.SetLabel("60 lines, 300 words, outlined, title and credits");
}
BENCHMARK(BM_CompileFourMinuteSong)->Unit(benchmark::kMillisecond);

// 3,000 lines of six words, a line every 0.7 s: the packets of one line's
// drawing, sweeps and erasing overlap the next ones', so most writes land on
// taken slots and look for the next free one.
void BM_CompileThreeThousandDenseLines(benchmark::State& state) {
  Song song;
  song.ResetSongDefaults();
  std::string text;
  for (int line = 0; line < 3000; ++line) text += "word" + std::to_string(line) + " and more words here\n";
  song.SetRawLyrics(text);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  PlaceEveryWord(
      song, [](int i) { return 44100 + (i / 6) * 30870 + (i % 6) * 5000; }, 4500);
  CompileRepeatedly(state, song, 2200);
  state.SetLabel("3,000 lines, 18,000 words (goal: under 1 s)");
}
BENCHMARK(BM_CompileThreeThousandDenseLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// One line of N words a hundredth of a second apart, as an LRC file with a
// time tag before every word gives: each sweep must cost its word, not the
// line so far, so the time grows with N, not with its square.
void BM_CompileOneLongLine(benchmark::State& state) {
  const int words = static_cast<int>(state.range(0));
  Song song;
  song.ResetSongDefaults();
  song.PageByKind(LyricsPage)->m_style.m_flags |= kTextOutline;
  std::string text;
  for (int w = 0; w < words; ++w) text += w ? " la" : "la";
  song.SetRawLyrics(text);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  PlaceEveryWord(
      song, [](int i) { return 44100 + i * 441; }, 400);
  CompileRepeatedly(state, song, 400);
  state.SetLabel("1 line, " + std::to_string(words) + " words, outlined");
}
BENCHMARK(BM_CompileOneLongLine)->Arg(20000)->Arg(60000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace lf
