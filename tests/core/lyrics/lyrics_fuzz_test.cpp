// Random and mutated input for the lyric readers. Whatever the bytes, the
// readers must stay inside their buffers (run under the sanitizer build) and
// hand back well-formed results.
#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <random>

#include "core/lyrics/lyrics_import.h"
#include "core/lyrics/parse_lrc.h"
#include "core/lyrics/scan_midi_lyrics.h"
#include "core/lyrics/timed_format_readers.h"
#include "core/lyrics/timed_raw_text.h"
#include "core/platform/text_encoding.h"
#include "tests/core/lyrics/midi_file_builder.h"

namespace lf {
namespace {

int Iterations() {
  const char* env = std::getenv("LYRICFORGE_FUZZ_ITERATIONS");
  return env ? std::max(1, std::atoi(env)) : 10000;
}

std::string Mutate(std::string s, std::mt19937& rng) {
  const int edits = 1 + static_cast<int>(rng() % 8);
  for (int e = 0; e < edits; ++e) {
    const size_t at = s.empty() ? 0 : rng() % (s.size() + 1);
    switch (rng() % 5) {
      case 0:  // flip a byte
        if (at < s.size()) s[at] = static_cast<char>(rng());
        break;
      case 1: {  // insert a byte the readers care about
        static constexpr std::string_view kSpecial = "[]<>:.\xFF\x01\x03\x05\x2F\x80\r\n/\\@ 0";
        s.insert(at, 1, kSpecial[rng() % kSpecial.size()]);
        break;
      }
      case 2:  // delete a run
        if (at < s.size()) s.erase(at, rng() % 16);
        break;
      case 3:  // truncate
        s.resize(at);
        break;
      case 4:  // duplicate a run
        if (at < s.size()) s.insert(at, s.substr(at, rng() % 32));
        break;
    }
  }
  return s;
}

std::string RandomBytes(std::mt19937& rng) {
  std::string s(rng() % 512, '\0');
  for (char& c : s) c = static_cast<char>(rng());
  return s;
}

void CheckLrc(std::string_view data) {
  std::string text;
  LrcFile lrc;
  const size_t n = ParseLrc(data, text, lrc);
  ASSERT_EQ(n, text.size());
  ASSERT_EQ(n == 0, lrc.lines.empty());
  ASSERT_TRUE(IsValidUtf8(text));
  for (const auto& line : lrc.lines) {
    ASSERT_GE(line.singer, 1);
    ASSERT_LE(line.singer, 3);
    for (const auto& e : line.elements) {
      ASSERT_GE(e.start, 0);
      ASSERT_LE(e.start, kLrcMaxTime);
      ASSERT_LE(e.end, kLrcMaxTime);
    }
  }
}

void CheckMidi(std::string_view data) {
  const std::string text = ScanMidiLyrics(data);
  ASSERT_TRUE(IsValidUtf8(text));
  ASSERT_EQ(text.find('\0'), std::string::npos);
}

TEST(LyricsFuzz, ParseLrcOnRandomAndMutatedInput) {
  const std::string seeds[] = {
      "[ar:Artist]\n[offset:-20]\n[00:01.00]Hello world\n[00:02.50]F:Second line\n",
      "[00:10.00]<00:10.00>Hel<00:10.40>lo <00:11.00>you<00:11.80>\r\n[00:12.00]<00:12.00>again\r\n",
      "[00:05.00][00:45.00]Chorus \x93quoted\x94\n[length:3:20]\n[00:99]\n",
      // Times far past any music.
      "[00:01.00]<00:01.00>first <00:02.00>word<00:03.00>\n[800:00.00]<800:00.00>late <800:01.00>word<800:02.00>\n",
      "[00:01.00]<99:99.99>x <00:01.00>y\n[99:99.99]z\n",
  };
  // One line of 900,000 timed words (10.8 MB), read once as it is.
  std::string longLine = "[00:01.00]";
  for (int w = 0; w < 900000; ++w) longLine += "<00:01.00>la ";
  CheckLrc(longLine);
  std::mt19937 rng(20261208);
  const int n = Iterations();
  for (int i = 0; i < n; ++i) {
    CheckLrc(RandomBytes(rng));
    CheckLrc(Mutate(seeds[static_cast<size_t>(i) % std::size(seeds)], rng));
    if (HasFatalFailure()) FAIL() << "iteration " << i;
  }
}

TEST(LyricsFuzz, ScanMidiLyricsOnRandomAndMutatedInput) {
  test::MidiTrack header, words;
  header.Text("@KMIDI KARAOKE FILE").Text("@TTitle").Tempo(500000).End();
  words.Name("Words").Text("/Hel").Note(60).Text("lo ").Lyric(std::string(200, 'x')).Text("\\end\r").End();
  const std::string seed = test::MidiFile({header, words});
  const std::string midiHead = seed.substr(0, 22);
  std::mt19937 rng(8122026);
  const int n = Iterations();
  for (int i = 0; i < n; ++i) {
    CheckMidi(RandomBytes(rng));
    CheckMidi(midiHead + RandomBytes(rng));  // past the header check, into the scan
    CheckMidi(Mutate(seed, rng));
    if (HasFatalFailure()) FAIL() << "iteration " << i;
  }
}

// Whatever the bytes, a timed reader gives lyrics the song can take (valid
// UTF-8 words, ends not before starts) or one line that names the file.
void CheckTimed(Outcome (*read)(std::string_view, const std::string&, TimedLyrics&), std::string_view data) {
  TimedLyrics out;
  const Outcome o = read(data, "f", out);
  if (!o.Ok()) {
    ASSERT_EQ(o.text.rfind("f: ", 0), 0u) << o.text;
    ASSERT_EQ(o.text.find('\n'), std::string::npos) << o.text;
    ASSERT_TRUE(out.lines.empty());
    return;
  }
  std::string raw;
  ASSERT_TRUE(WriteRawLyrics(out, raw));
  for (const TimedLine& line : out.lines)
    for (const TimedWord& w : line.words) {
      ASSERT_TRUE(IsValidUtf8(w.text));
      if (w.IsTimed()) {
        ASSERT_LE(w.start, w.end) << w.text;
      }
    }
}

TEST(LyricsFuzz, TimedReadersOnRandomAndMutatedInput) {
  using Read = Outcome (*)(std::string_view, const std::string&, TimedLyrics&);
  test::MidiTrack melody;
  melody.Text("@TTitle").Tempo(400000).Lyric("/Hel", 0).Note(60, 40).Lyric("lo ", 56).Note(62).End();
  const std::pair<Read, std::string> seeds[] = {
      {ReadAss,
       "[Script Info]\n[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\n"
       "Dialogue: 0,0:00:01.00,0:00:04.00,Singer 2,,0,0,0,,{\\k50}Hel{\\kf20}lo {\\k30}you\\Nthere\n"},
      {ReadUltraStar, "#TITLE:t\n#BPM:250,5\n#GAP:120\nP1\n: 0 4 1 Hel\n* 4 4 2 lo \n- 9\nP2\nF 10 2 0 ~\nE\n"},
      {ReadTtml,
       "<tt xmlns=\"http://www.w3.org/ns/ttml\"><head><agent xml:id=\"v1\"/></head><body><p begin=\"1s\" "
       "end=\"00:00:02:10\" agent=\"v1\"><span begin=\"1.2s\" end=\"300t\">a</span> b</p></body></tt>"},
      {ReadWebVtt, "WEBVTT\n\n1\n00:01.000 --> 00:04.000\n<v A><00:01.500>Hel<00:02.000>lo &amp; you\n"},
      {ReadSrt, "1\n00:00:01,000 --> 00:00:02,500\n<b>one</b> two\nthree\n\n2\n00:00:03,000 --> 00:00:04,000\nfour\n"},
      {ReadMidiLyrics, test::MidiFile({melody})},
  };
  std::mt19937 rng(9122026);
  const int n = Iterations() / 4;
  for (int i = 0; i < n; ++i) {
    const auto& [read, seed] = seeds[static_cast<size_t>(i) % std::size(seeds)];
    CheckTimed(read, RandomBytes(rng));
    CheckTimed(read, Mutate(seed, rng));
    if (HasFatalFailure()) FAIL() << "iteration " << i;
  }
}

TEST(LyricsFuzz, TextFileDecodingOnRandomInput) {
  std::mt19937 rng(42);
  const int n = Iterations();
  for (int i = 0; i < n; ++i) {
    std::string bytes = RandomBytes(rng);
    if (i % 3 == 0) bytes.insert(0, "\xFF\xFE");
    const std::string text = DecodeLyricsTextFile(bytes);
    ASSERT_TRUE(IsValidUtf8(text));
    ASSERT_EQ(text.find('\0'), std::string::npos);
    ASSERT_EQ(text.find('\r'), std::string::npos);
  }
}

}  // namespace
}  // namespace lf
