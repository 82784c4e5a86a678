// The readers of the timed formats, each on small files written here, and
// the detection of a file's format from its content.
#include <gtest/gtest.h>

#include <functional>

#include "core/lyrics/lyrics_import.h"
#include "core/lyrics/sniff_lyrics_format.h"
#include "core/lyrics/timed_format_readers.h"
#include "tests/core/lyrics/midi_file_builder.h"

namespace lf {
namespace {

using Reader = std::function<Outcome(std::string_view, const std::string&, TimedLyrics&)>;

// One line per lyric line: its singer (1, 2, B(oth), F(ixed)) and each word
// as text@start-end, a syllable that continues its word led by '*'.
std::string Describe(const TimedLyrics& lyrics) {
  std::string out;
  for (const TimedLine& line : lyrics.lines) {
    out += line.fixed ? "F" : line.singer == Singer::kSinger1 ? "1" : line.singer == Singer::kSinger2 ? "2" : "B";
    for (const TimedWord& w : line.words) {
      out += w.joinsPrevious ? " *" : " ";
      out += w.text + "@";
      out += w.IsTimed() ? std::to_string(w.start) + "-" + std::to_string(w.end) : "-";
    }
    out += "\n";
  }
  return out;
}

struct Case {
  const char* what;
  Reader read;
  std::string file;
  std::string lines;  // as Describe gives them
  std::string title;
  std::string artist;
};

TEST(TimedReaders, EachFormatGivesWordsSyllablesSingersAndTimes) {
  const Case cases[] = {
      {"ASS: \\k runs from the line's start, gaps as empty runs, styles as singers", ReadAss,
       "[Script Info]\r\nTitle: Song Title\r\nScriptType: v4.00+\r\n\r\n[V4+ Styles]\r\n"
       "Format: Name, Fontname, Fontsize\r\nStyle: Singer 1,Arial,20\r\nStyle: Singer 2,Arial,20\r\n\r\n"
       "[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
       "Comment: 0,0:00:00.00,0:00:01.00,Singer 1,,0,0,0,,not sung\r\n"
       "Dialogue: 0,0:00:01.00,0:00:04.00,Singer 1,,0,0,0,,{\\k50}{\\k30}Hel{\\k20}lo {\\kf40}world, "
       "{\\k10}{\\ko60}friend\r\n"
       "Dialogue: 0,0:00:03.00,0:00:06.00,Singer 2,,0,0,0,,{\\k100}{\\K50}sing{\\k50}\r\n"
       "Dialogue: 0,0:00:07.00,0:00:09.00,Both,,0,0,0,,{\\k20}all{\\k30} to{\\b1}ge{\\k25}ther\r\n"
       "Dialogue: 0,0:00:09.00,0:00:10.00,Fixed,,0,0,0,,{\\an8}Cho\\Nrus\r\n"
       "Dialogue: 0,0:00:10.00,0:00:12.50,Singer 1,,0,0,0,,no tags, a span\r\n",
       "1 Hel@1500-1800 *lo@1800-2000 world,@2000-2400 friend@2500-3100\n"
       "2 sing@4000-4500\n"
       "B all@7000-7200 toge@7200-7500 *ther@7500-7750\n"
       "F Cho@- rus@-\n"
       "1 no@10000-10416 tags,@10416-11458 a@11458-11666 span@11666-12500\n",
       "Song Title", ""},
      {"UltraStar: beats through BPM and GAP, the joining rule, holds, both voices", ReadUltraStar,
       "#TITLE:Star Song\n#ARTIST:The Band\n#MP3:song.mp3\n#BPM:300,0\n#GAP:1000\nP1\n"
       ": 0 4 5 Hel\n: 4 4 5 lo \n* 8 8 7 world\n: 16 2 7 ~\n- 20\n: 24 4 5 Both\n: 28 4 5  sing\n"
       "P2\n: 24 4 5 Both\n: 28 4 5  sing\n- 30\n: 40 4 3 Me\nF 44 2 0  too\nR 46 2 0 tal\nE\nignored after E\n",
       "1 Hel@1000-1200 *lo@1200-1400 world@1400-1900\n"
       "B Both@2200-2400 sing@2400-2600\n"
       "2 Me@3000-3200 too@3200-3300 *tal@3300-3400\n",
       "Star Song", "The Band"},
      {"TTML: clock, offset, frame and tick times; agents; an untimed line is fixed", ReadTtml,
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<tt xmlns=\"http://www.w3.org/ns/ttml\" xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\"\n"
       "    xmlns:ttp=\"http://www.w3.org/ns/ttml#parameter\" "
       "xmlns:itunes=\"http://music.apple.com/lyric-ttml-internal\"\n"
       "    itunes:timing=\"Word\" ttp:frameRate=\"25\" ttp:tickRate=\"1000\">\n"
       "<head><metadata><ttm:title>Tide</ttm:title>\n"
       "<ttm:agent xml:id=\"v1\" type=\"person\"><ttm:name>Ann</ttm:name></ttm:agent>\n"
       "<ttm:agent xml:id=\"v2\" type=\"person\"><ttm:name>Bo</ttm:name></ttm:agent></metadata></head>\n"
       "<body><div>\n"
       "<p begin=\"00:00:01.000\" end=\"00:00:03.5\" ttm:agent=\"v1\" itunes:key=\"L1\"><span begin=\"1s\" "
       "end=\"1500ms\">Hel</span><span begin=\"1.5s\" end=\"00:00:02:00\">lo</span>\n  <span begin=\"2000t\" "
       "end=\"0.05m\">world &amp;</span></p>\n"
       "<p begin=\"4s\" dur=\"2s\" ttm:agent=\"v2\"><span begin=\"100f\" end=\"00:00:04:15\">sing</span></p>\n"
       "<p begin=\"6s\" end=\"8s\" ttm:agent=\"v1 v2\">all <br/>together</p>\n"
       "<p>Chorus</p>\n"
       "</div></body></tt>\n",
       "1 Hel@1000-1500 *lo@1500-2000 world@2000-2833 &@2833-3000\n"
       "2 sing@4000-4600\n"
       "B all@6000-6545 together@6545-8000\n"
       "F Chorus@-\n",
       "Tide", ""},
      {"TTML: spans timed from their line's begin, as the TTML rule has it", ReadTtml,
       "<tt xmlns=\"http://www.w3.org/ns/ttml\"><body><div><p begin=\"10s\" end=\"12s\"><span begin=\"0s\" "
       "end=\"0.5s\">Re</span><span begin=\"0.5s\" end=\"1s\">la</span> <span begin=\"1s\" "
       "end=\"2s\">tive</span></p></div></body></tt>",
       "1 Re@10000-10500 *la@10500-11000 tive@11000-12000\n", "", ""},
      {"WebVTT: inline timestamps start syllables, voices are singers", ReadWebVtt,
       "\xEF\xBB\xBFWEBVTT - lyrics\n\nNOTE a comment\nthat spans lines\n\nSTYLE\n::cue { color: white }\n\n"
       "1\n00:00:01.000 --> 00:00:04.000 align:start\n"
       "<v Ann><00:00:01.200>Hel<00:00:01.500>lo <00:00:02.000><c.x>world</c> &amp; <00:00:03.000>you\n\n"
       "00:05.000 --> 00:07.000\n<v Bo>no stamps here\n",
       "1 Hel@1200-1500 *lo@1500-2000 world@2000-2833 &@2833-3000 you@3000-4000\n"
       "2 no@5000-5333 stamps@5333-6333 here@6333-7000\n",
       "", ""},
      {"SRT: cue lines share the cue by letters, tags dropped", ReadSrt,
       "1\r\n00:00:01,000 --> 00:00:03,000\r\n<i>Twinkle twinkle</i>\r\nlittle star\r\n\r\n"
       "2\r\n00:00:04,500 --> 00:00:05,500 X1:10 X2:20\r\n{\\an8}How I\r\n",
       "1 Twinkle@1000-1576 twinkle@1576-2153\n"
       "1 little@2153-2661 star@2661-3000\n"
       "1 How@4500-5250 I@5250-5500\n",
       "", ""},
  };
  for (const Case& c : cases) {
    TimedLyrics out;
    const Outcome o = c.read(c.file, "song", out);
    ASSERT_TRUE(o.Ok()) << c.what << ": " << o.text;
    EXPECT_EQ(Describe(out), c.lines) << c.what;
    EXPECT_EQ(out.title, c.title) << c.what;
    EXPECT_EQ(out.artist, c.artist) << c.what;
  }
}

TEST(TimedReaders, TtmlAndUltraStarNameTheSingersAndDuetsAreDuets) {
  TimedLyrics out;
  ASSERT_TRUE(ReadTtml("<tt xmlns=\"http://www.w3.org/ns/ttml\" xmlns:ttm=\"http://www.w3.org/ns/ttml#metadata\">"
                       "<head><ttm:agent xml:id=\"a\" type=\"person\"><ttm:name>Ann</ttm:name></ttm:agent>"
                       "<ttm:agent xml:id=\"b\"><ttm:name>Bo</ttm:name></ttm:agent>"
                       "<ttm:agent xml:id=\"g\" type=\"group\"><ttm:name>All</ttm:name></ttm:agent></head>"
                       "<body ttm:agent=\"b\"><div><p begin=\"1s\" end=\"2s\">x</p>"
                       "<p begin=\"2s\" end=\"3s\" ttm:agent=\"g\">y</p></div></body></tt>",
                       "t", out)
                  .Ok());
  EXPECT_EQ((std::array<std::string, 3>{"Ann", "Bo", "All"}), out.singerNames);
  EXPECT_EQ(Describe(out), "2 x@1000-2000\nB y@2000-3000\n");
  EXPECT_TRUE(out.duet);
  ASSERT_TRUE(
      ReadUltraStar("#BPM:60\n#DUETSINGERP1:Ann\n#DUETSINGERP2:Bo\nP1\n: 0 1 0 a\nP2\n: 4 1 0 b\nE\n", "u", out).Ok());
  EXPECT_EQ(out.singerNames[0], "Ann");
  EXPECT_EQ(out.singerNames[1], "Bo");
  EXPECT_EQ(Describe(out), "1 a@0-250\n2 b@1000-1250\n");
  EXPECT_TRUE(out.duet);
}

// A karaoke file's syllables at their ticks through every tempo change: 96
// ticks a quarter, 500,000 us a quarter until tick 192, then 250,000.
TEST(TimedReaders, MidiSyllablesFollowTheTempoMapAndTheirNotes) {
  using test::MidiTrack;
  MidiTrack conductor;
  conductor.Text("@KMIDI KARAOKE FILE", 0).Text("@TMy Song", 0).Text("@TThe Singer", 0).Tempo(500000);
  conductor.Meta(0x51, std::string("\x03\xD0\x90", 3), 192).End();
  MidiTrack melody;
  melody.Lyric("Hel", 0).Note(60, 48).Lyric("lo ", 48).Note(62, 96);
  melody.Lyric("/world", 0).Note(64, 192).Lyric(" again", 96).End();
  TimedLyrics out;
  ASSERT_TRUE(ReadMidiLyrics(test::MidiFile({conductor, melody}), "song.kar", out).Ok());
  EXPECT_EQ(Describe(out), "1 Hel@0-250 *lo@500-1000\n1 world@1000-1500 again@1750-2250\n");
  EXPECT_EQ(out.title, "My Song");
  EXPECT_EQ(out.artist, "The Singer");

  // SMPTE division: 25 frames a second of 40 ticks, 1000 ticks a second; a
  // words track of text events, ended by the next syllable.
  MidiTrack words;
  words.Name("Words").Text("\\a", 0).Text(" b", 500).Text("c\r", 250).Text("d", 250).End();
  std::string smpte = test::MidiFile({words});
  smpte[12] = static_cast<char>(0xE7);
  smpte[13] = 40;
  ASSERT_TRUE(ReadMidiLyrics(smpte, "smpte.mid", out).Ok());
  EXPECT_EQ(Describe(out), "1\n1 a@0-500 b@500-750 *c@750-1000\n1 d@1000-1500\n");
}

TEST(SniffLyricsFormat, TheContentTellsTheFormat) {
  const std::pair<std::string, LyricsFileKind> cases[] = {
      {"MThd\0\0\0\x06", LyricsFileKind::Midi},
      {"\xEF\xBB\xBFWEBVTT\n\n00:01.000 --> 00:02.000\nhi\n", LyricsFileKind::WebVtt},
      {"\n[Script Info]\nTitle: x\n", LyricsFileKind::Ass},
      {"[Events]\nFormat: Layer, Start, End, Style, Text\nDialogue: 0,0:00:01.00,0:00:02.00,Default,hi\n",
       LyricsFileKind::Ass},
      {"<?xml version=\"1.0\"?>\n<tt xmlns=\"http://www.w3.org/ns/ttml\" xml:lang=\"en\">", LyricsFileKind::Ttml},
      {"#TITLE:x\r\n#ARTIST:y\r\n#BPM:200\r\n: 0 2 0 la\r\nE\r\n", LyricsFileKind::UltraStar},
      {"1\n00:00:01,000 --> 00:00:02,000\nhi\n", LyricsFileKind::Srt},
      {"[ar:someone]\n[00:01.00]hello\n", LyricsFileKind::Lrc},
      {"plain words\n1\nmore words --> there\n", LyricsFileKind::Unknown},
      {"<tt>not xml lyrics</tt>\n", LyricsFileKind::Unknown},
      {"", LyricsFileKind::Unknown},
  };
  for (const auto& [bytes, kind] : cases) EXPECT_EQ(SniffLyricsFormat(bytes), kind) << bytes;
}

}  // namespace
}  // namespace lf
