// The lyric readers on large inputs: a long enhanced LRC file, a karaoke
// MIDI file with many syllables, and a long Windows-1252 text file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "core/lyrics/convert_text_lyrics.h"
#include "core/lyrics/parse_lrc.h"
#include "core/lyrics/scan_midi_lyrics.h"

namespace {

std::string Timestamp(int cs, char open, char close) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%c%02d:%02d.%02d%c", open, cs / 6000 % 100, cs / 100 % 60, cs % 100, close);
  return buf;
}

std::string EnhancedLrc(int lines) {
  std::string out = "[ar:Bench]\n[ti:Long song]\n";
  int t = 0;
  for (int i = 0; i < lines; ++i) {
    out += Timestamp(t, '[', ']');
    for (const char* w : {"Sing ", "a ", "long ", "song ", "to", "night"}) {
      out += Timestamp(t, '<', '>');
      out += w;
      t += 37;
    }
    out += Timestamp(t, '<', '>') + "\r\n";
  }
  return out;
}

std::string KaraokeMidi(int syllables) {
  std::string events;
  auto meta = [&](char type, const std::string& text) {
    events += '\x40';
    events += '\xFF';
    events += type;
    events += static_cast<char>(text.size());  // short texts: one length byte
    events += text;
  };
  meta('\x03', "Words");
  for (int i = 0; i < syllables; ++i) {
    meta('\x01', i % 8 == 0 ? "/Twin" : "kle ");
    events += "\x00\x90\x3C\x64\x40\x80\x3C\x40";
  }
  meta('\x2F', "");
  const auto n = static_cast<uint32_t>(events.size());
  std::string out("MThd\0\0\0\x06\0\x01\0\x01\0\x60MTrk", 18);
  out += {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8), static_cast<char>(n)};
  return out + events;
}

void BM_ParseLrc(benchmark::State& state) {
  const std::string data = EnhancedLrc(static_cast<int>(state.range(0)));
  std::string text;
  lf::LrcFile lrc;
  for (auto _ : state) benchmark::DoNotOptimize(lf::ParseLrc(data, text, lrc));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ParseLrc)->Arg(100)->Arg(10000);

void BM_ScanMidiLyrics(benchmark::State& state) {
  const std::string data = KaraokeMidi(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(lf::ScanMidiLyrics(data));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ScanMidiLyrics)->Arg(1000)->Arg(100000);

void BM_ConvertTextLyrics(benchmark::State& state) {
  std::string data;
  while (data.size() < static_cast<size_t>(state.range(0))) data += "Don\x92t stop \x96 caf\xE9 au lait\n";
  for (auto _ : state) benchmark::DoNotOptimize(lf::ConvertTextLyrics(data));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
}
BENCHMARK(BM_ConvertTextLyrics)->Arg(1 << 20);

}  // namespace
