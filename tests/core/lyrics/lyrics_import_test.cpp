#include "core/lyrics/lyrics_import.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/lyrics/apply_lyrics_import.h"
#include "core/lyrics/convert_text_lyrics.h"
#include "core/platform/paths.h"
#include "tests/core/lyrics/midi_file_builder.h"
#include "tests/support/wav_fixture.h"

namespace lf {
namespace {

const std::string kData = std::string(LYRICFORGE_SOURCE_DIR) + "/tests/core/lyrics/data/";

class LyricsImportTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, std::string_view bytes) {
    const std::string path = m_dir.File(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
  }
  ScopedTempFolder m_dir{"lyrics-import-test"};
};

TEST(LyricsFileKind, ExtensionDecides) {
  EXPECT_EQ(LyricsFileKindOf("a/song.txt"), LyricsFileKind::Text);
  EXPECT_EQ(LyricsFileKindOf("SONG.TXT"), LyricsFileKind::Text);
  EXPECT_EQ(LyricsFileKindOf("song.Lrc"), LyricsFileKind::Lrc);
  EXPECT_EQ(LyricsFileKindOf("song.kar"), LyricsFileKind::Midi);
  EXPECT_EQ(LyricsFileKindOf("song.mid"), LyricsFileKind::Midi);
  EXPECT_EQ(LyricsFileKindOf("song.midi"), LyricsFileKind::Midi);
  EXPECT_EQ(LyricsFileKindOf("song.text"), LyricsFileKind::Unknown);  // ".tex"
  EXPECT_EQ(LyricsFileKindOf("song.doc"), LyricsFileKind::Unknown);
  EXPECT_EQ(LyricsFileKindOf("folder.txt/song"), LyricsFileKind::Unknown);
  EXPECT_EQ(LyricsFileKindOf("song"), LyricsFileKind::Unknown);
}

TEST(ConvertTextLyrics, LineEndsBecomeLf) {
  EXPECT_EQ(ConvertTextLyrics("a\nb\r\nc\rd"), "a\nb\nc\nd");
  EXPECT_EQ(ConvertTextLyrics("\nx\n"), "\nx\n");
  EXPECT_EQ(ConvertTextLyrics(""), "");
  EXPECT_EQ(ConvertTextLyrics("it\x92s"), "it\xE2\x80\x99s");
}

// Files without a byte-order mark that are not UTF-8: East Asian multi-byte
// encodings are recognised; short Windows-1252 texts stay Windows-1252.
TEST(DecodeLyricsTextFile, EveryEncodingArrivesAsUtf8) {
  struct Case {
    const char* what;
    std::string bytes;
    std::string text;
  };
  const Case cases[] = {
      {"GBK",
       "[00:18.91]\xCB\xFB\xC3\xC7\xD7\xDC\xCA\xC7\xCB\xB5\xCE\xD2\xD3\xD0\xCA\xB1\xB2\xBB\xBB\xE1\xD4\xF5\xC3\xB4\xBD"
       "\xB2\xBB\xB0\n",
       "[00:18.91]他们总是说我有时不会怎么讲话\n"},
      {"Big5",
       "[00:18.91]\xA5L\xAD\xCC\xC1`\xACO\xBB\xA1\xA7\xDA\xA6\xB3\xAE\xC9\xA4\xA3\xB7|"
       "\xAB\xE7\xBB\xF2\xC1\xBF\xB8\xDC\n",
       "[00:18.91]他們總是說我有時不會怎麼講話\n"},
      {"Shift-JIS",
       "[00:01.00]\x8CN\x82\xCC\x96\xBC\x91O\x82\xF0\x8B\xB3\x82\xA6\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\n",
       "[00:01.00]君の名前を教えてください\n"},
      {"EUC-KR",
       "[00:01.00]\xBB\xE7\xB6\xFB\xC7\xD8\xBF\xE4 \xB3\xAA\xC0\xC7 \xBB\xE7\xB6\xFB \xBF\xB5\xBF\xF8\xC8\xF7\n",
       "[00:01.00]사랑해요 나의 사랑 영원히\n"},
      {"UTF-16 little-endian", std::string("\xFF\xFE[\0\x16\x4E]\0", 8), "[世]"},
      {"UTF-16 big-endian", std::string("\xFE\xFF\0[\x4E\x16\0]", 8), "[世]"},
      {"Windows-1252 quotes", "don\x92t \x96 \x93go\x94 caf\xE9", "don’t – “go” café"},
      {"Windows-1252 letters",
       "Gr\xFC\xDF Gott, sch\xF6ne M\xE4"
       "dchen",
       "Grüß Gott, schöne Mädchen"},
      {"one Windows-1252 letter pair", "\xC4\xE9", "Äé"},
      {"one GBK character is too little to tell", "\xCB\xFB", "Ëû"},
  };
  for (const Case& c : cases) EXPECT_EQ(DecodeLyricsTextFile(c.bytes), c.text) << c.what;
}

TEST_F(LyricsImportTest, TextFilesInEveryEncoding) {
  // Windows-1252 with CR LF, from a file as Windows editors save it.
  LyricsImport r = ImportLyricsFile(kData + "windows1252.txt");
  ASSERT_TRUE(r.Ok()) << r.outcome.text;
  EXPECT_EQ(r.kind, LyricsFileKind::Text);
  EXPECT_EQ(r.text,
            "Caf\xC3\xA9 au lait\nDon\xE2\x80\x99t stop \xE2\x80\x93 go on\xE2\x80\xA6\n"
            "\xE2\x80\x9CQuoted\xE2\x80\x9D\n");

  // UTF-8 with a byte-order mark and LF line ends: the mark goes, the characters stay.
  r = ImportLyricsFile(kData + "utf8_bom.txt");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.text, "Caf\xC3\xA9 au lait\nDon\xE2\x80\x99t stop \xE2\x80\x93 go on\xE2\x80\xA6\n");

  r = ImportLyricsFile(Write("plain.txt", "one\ntwo"));
  EXPECT_EQ(r.text, "one\ntwo");

  // UTF-16 LE with its mark, characters beyond U+00FF included.
  const std::string utf16(
      "\xFF\xFE"
      "C\0a\0f\0\xE9\0\r\0\n\0\x16\x04\x19\x20"
      "s\0",
      20);
  r = ImportLyricsFile(Write("wide.txt", utf16));
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.text, "Caf\xC3\xA9\n\xD0\x96\xE2\x80\x99s");

  // UTF-8 without a mark.
  r = ImportLyricsFile(Write("utf8.txt",
                             "na\xC3\xAFve \xE2\x80\x9C"
                             "dream\xE2\x80\x9D\n"));
  EXPECT_EQ(r.text,
            "na\xC3\xAFve \xE2\x80\x9C"
            "dream\xE2\x80\x9D\n");

  // Everything after an old end-of-file mark is not text.
  r = ImportLyricsFile(Write("dos.txt", "words\r\n\x1A garbage"));
  EXPECT_EQ(r.text, "words\n");
}

TEST_F(LyricsImportTest, LrcFilesGiveTextAndTimings) {
  LyricsImport r = ImportLyricsFile(kData + "tags_crlf_windows1252.lrc");
  ASSERT_TRUE(r.Ok()) << r.outcome.text;
  EXPECT_EQ(r.text,
            "Wake up, the sun is high\nDon\xE2\x80\x99t you let it pass you by\n\n"
            "Morning song\xE2\x80\xA6\n");
  EXPECT_EQ(r.lrc.title, "Morning Song");
  EXPECT_EQ(r.lrc.artist, "The Example Band");
  EXPECT_EQ(r.lrc.offset, 120);
  EXPECT_EQ(r.lrc.length, 9000);
  ASSERT_EQ(r.lrc.lines.size(), 4u);
  EXPECT_EQ(r.lrc.lines[0].elements.size(), 6u);
  EXPECT_EQ(r.lrc.lines[0].elements[0].start, 9880);   // shown 120 ms sooner
  EXPECT_EQ(r.lrc.lines[0].elements[1].start, 10630);  // 4500 / 6 a word

  // An LRC file saved as UTF-16 with CR LF line ends.
  std::string wide = "\xFF\xFE";
  for (char c : std::string("[ar:Wide]\r\n[00:01.00]\xC3\xA9t\xC3\xA9\r\n[00:02.00]two\r\n")) {
    // The two-byte é (C3 A9) goes in as the one UTF-16 unit E9 00.
    if (static_cast<uint8_t>(c) == 0xC3) continue;
    wide += (static_cast<uint8_t>(c) == 0xA9) ? '\xE9' : c;
    wide += '\0';
  }
  r = ImportLyricsFile(Write("wide.lrc", wide));
  ASSERT_TRUE(r.Ok()) << r.outcome.text;
  EXPECT_EQ(r.text, "\xC3\xA9t\xC3\xA9\ntwo\n");
  EXPECT_EQ(r.lrc.artist, "Wide");
  EXPECT_EQ(r.lrc.lines.size(), 2u);

  r = ImportLyricsFile(kData + "enhanced_closed.lrc");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.text, "Hello morning light\nStay a while\n");
  ASSERT_EQ(r.lrc.lines.size(), 2u);
  const auto& first = r.lrc.lines[0].elements;
  ASSERT_EQ(first.size(), 3u);  // syllables join their words
  EXPECT_EQ(first[0].text, "Hello");
  EXPECT_EQ(first[2].text, "light");
  EXPECT_EQ(first[2].start, 7000);
  EXPECT_EQ(first[2].end, 8190);
  EXPECT_EQ(r.lrc.lines[1].elements[2].end, 10990);

  r = ImportLyricsFile(kData + "enhanced_open.lrc");
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.text, "Hello morning light\nStay a while\n");
  const auto& open = r.lrc.lines[0].elements;
  EXPECT_EQ(open[2].start, 7000);
  EXPECT_EQ(open[2].end, 8990);  // until the next line
  const auto& lastWord = r.lrc.lines[1].elements[2];
  EXPECT_EQ(lastWord.start, 9800);
  EXPECT_GE(lastWord.end, lastWord.start);
}

TEST_F(LyricsImportTest, KaraokeFiles) {
  using test::MidiTrack;
  MidiTrack header;
  header.Text("@KMIDI KARAOKE FILE").Text("@TSong").End();
  MidiTrack words;
  words.Name("Words").Text("\\Sing ").Text("a").Text("long").Text("/Now").End();
  LyricsImport r = ImportLyricsFile(Write("song.kar", test::MidiFile({header, words})));
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.kind, LyricsFileKind::Midi);
  // Each syllable keeps its own time: "a" and "long" are syllables of one word.
  EXPECT_EQ(r.text, "\nSing a*long\nNow");
  EXPECT_TRUE(r.lrc.lines.empty());

  MidiTrack lyricEvents;
  lyricEvents.Lyric("Hey ").Lyric("there").End();
  r = ImportLyricsFile(Write("song.midi", test::MidiFile({lyricEvents}, 0)));
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.text, "Hey there");

  // Cut short inside a length or inside a text: what came before is kept.
  MidiTrack cut;
  cut.Lyric("kept ").Lyric(std::string(300, 'z')).End();
  const std::string whole = test::MidiFile({cut});
  const size_t longEvent = whole.find(std::string("\xFF\x05\x82", 3));
  ASSERT_NE(longEvent, std::string::npos);
  r = ImportLyricsFile(Write("cut1.kar", whole.substr(0, longEvent + 3)));
  EXPECT_EQ(r.text, "kept");
  r = ImportLyricsFile(Write("cut2.kar", whole.substr(0, longEvent + 100)));
  EXPECT_EQ(r.text, "kept");
  MidiTrack onlyLong;
  onlyLong.Lyric(std::string(300, 'z')).End();
  const std::string lone = test::MidiFile({onlyLong});
  r = ImportLyricsFile(Write("cut3.kar", lone.substr(0, lone.size() - 10)));
  EXPECT_EQ(r.outcome.reason, Reason::BadInput);

  MidiTrack noText;
  noText.Name("Piano").Note(60).End();
  r = ImportLyricsFile(Write("music.mid", test::MidiFile({noText})));
  EXPECT_EQ(r.outcome.reason, Reason::BadInput);
}

TEST_F(LyricsImportTest, FailuresCarryTheirMessages) {
  LyricsImport r = ImportLyricsFile(m_dir.File("missing.txt"));
  EXPECT_EQ(r.outcome.reason, Reason::NotFound);
  EXPECT_EQ(r.outcome.text, "Error: Unable to open lyric file.");
  EXPECT_EQ(r.outcome.icon, MessageIcon::Warning);

  std::filesystem::create_directory(m_dir.File("folder.lrc"));
  EXPECT_EQ(ImportLyricsFile(m_dir.File("folder.lrc")).outcome.reason, Reason::NotFound);

  for (const char* name : {"empty.txt", "empty.lrc", "empty.kar"}) {
    r = ImportLyricsFile(Write(name, ""));
    EXPECT_EQ(r.outcome.reason, Reason::BadInput) << name;
    EXPECT_EQ(r.outcome.text,
              "There was an error opening or reading the Lyrics file,\nor the Lyrics file contained no "
              "Lyrics.\n\nPlease check the file and try again.");
    EXPECT_EQ(r.outcome.icon, MessageIcon::Error);
    EXPECT_TRUE(r.text.empty());
  }

  r = ImportLyricsFile(Write("song.text", "words"));
  EXPECT_EQ(r.outcome.reason, Reason::NotHandled);
  EXPECT_TRUE(r.outcome.text.empty());

  EXPECT_EQ(ImportLyricsFile(Write("tags.lrc", "[ar:x]\n[ti:y]\n")).outcome.reason, Reason::BadInput);

  r = ImportLyricsFile(Write("typo.lrc", "[00:01.00]one\r\n[00:02.00]two\r\n[00:3O.00]three\r\n"));
  EXPECT_EQ(r.outcome.reason, Reason::BadInput);
  EXPECT_EQ(r.outcome.text,
            "There was an error reading the Lyrics file at line 3: \"[00:3O.00]\" is not a time tag (m:ss.xx)."
            "\n\nPlease check the file and try again.");
}

// Word times are frames of the song's music: a new project with 22,050 Hz
// music times its LRC words at 22,050 frames a second.
TEST_F(LyricsImportTest, LrcTimesAreFramesOfTheSongsMusic) {
  for (const int rate : {44100, 22050}) {
    const std::string music = m_dir.File("music" + std::to_string(rate) + ".wav");
    test::WriteFileBytes(music, test::ToneWav(uint32_t(rate), 16, 2, uint32_t(rate) * 3));
    const LyricsImport r = ImportLyricsFile(Write("timed.lrc", "[00:01.00]<00:01.00>one <00:02.00>two<00:02.50>\n"));
    ASSERT_TRUE(r.Ok()) << r.outcome.text;
    Song song;
    song.SetMusicPath(music);
    ASSERT_TRUE(ApplyLyricsImport(r, song));
    EXPECT_EQ(song.Lyrics().LineList().words.at(0)->m_startTime, rate) << rate;
    EXPECT_EQ(song.Lyrics().LineList().words.at(1)->m_startTime, 2 * rate) << rate;
  }
}

TEST_F(LyricsImportTest, LrcAsFoundInTheWildArrivesWholeAndInTimeOrder) {
  // Saved on Windows: byte-order mark, CR LF, Windows-1252 apostrophe; a
  // repeated chorus on one line, inline square word tags, syllable tags.
  const std::string file =
      "\xEF\xBB\xBF[ti:Wild One]\r\n[ar:Some Band]\r\n[offset:-100]\r\n"
      "[00:30.00][00:10.00]Chorus line\r\n"
      "[00:20.000] don\x92t [00:21.000] stop\r\n"
      "[0:25.5]<0:25.50>Hel<0:25.90>lo <0:26.40>world<0:27.00>\r\n";
  // The Windows-1252 byte makes the whole file Windows-1252: write it without the UTF-8 mark.
  const LyricsImport r = ImportLyricsFile(Write("wild.lrc", file.substr(3)));
  ASSERT_TRUE(r.Ok()) << r.outcome.text;
  EXPECT_EQ(r.text, "Chorus line\ndon\xE2\x80\x99t stop\nHello world\nChorus line\n");
  EXPECT_EQ(r.lrc.title, "Wild One");
  ASSERT_EQ(r.lrc.lines.size(), 4u);
  auto start = [&](size_t line, size_t word) { return r.lrc.lines[line].elements.at(word).start; };
  EXPECT_EQ(start(0, 0), 10100);  // the offset of -100 shows every line 100 ms later
  EXPECT_EQ(start(1, 0), 20100);
  EXPECT_EQ(start(1, 1), 21100);
  EXPECT_EQ(start(2, 0), 25600);
  EXPECT_EQ(start(2, 1), 26500);
  EXPECT_EQ(start(3, 0), 30100);

  // The same with the mark and UTF-8 text reads the same.
  std::string utf8 = file;
  utf8.replace(utf8.find('\x92'), 1, "\xE2\x80\x99");
  EXPECT_EQ(ImportLyricsFile(Write("wild8.lrc", utf8)).text, r.text);

  // Its title and artist name a song that has none, and leave a named one alone.
  Song song;
  song.Lyrics().SetTitle("Mine");
  ASSERT_TRUE(ApplyLyricsImport(r, song));
  EXPECT_EQ(song.Lyrics().Title(), "Mine");
  EXPECT_EQ(song.Lyrics().Artist(), "Some Band");
  EXPECT_EQ(song.Lyrics().LineList().words.at(0)->m_startTime, 10100 * 441 / 10);
}

TEST_F(LyricsImportTest, BinaryFileNamedLrc) {
  std::mt19937 rng(7);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  // Whatever the bytes give, the text is valid, zero-free text.
  LyricsImport r = ImportLyricsFile(Write("binary.lrc", bytes));
  if (r.Ok()) {
    EXPECT_EQ(r.text.find('\0'), std::string::npos);
    EXPECT_FALSE(r.lrc.lines.empty());
  } else {
    EXPECT_EQ(r.outcome.reason, Reason::BadInput);
  }
  // A PNG header and friends: no timed line, so the import says so.
  r = ImportLyricsFile(Write("picture.lrc", std::string("\x89PNG\r\n\x1A\n\0\0\0\rIHDR", 16)));
  EXPECT_EQ(r.outcome.reason, Reason::BadInput);
}

// Files larger than any song's words are refused before they are read: no
// minute-long parse, no project of hundreds of megabytes.
TEST_F(LyricsImportTest, FilesLargerThanAnySongNeedsAreRefused) {
  constexpr size_t kSize = 2 * static_cast<size_t>(kMaxLyricsFileBytes);
  std::string bytes(kSize, '\0');
  std::mt19937 rng(11);
  for (size_t i = 0; i < kSize; i += 4) {
    const uint32_t v = rng();
    std::memcpy(&bytes[i], &v, 4);
  }
  const std::string line = "la la la\n";
  std::string text;
  while (text.size() + line.size() <= kSize) text += line;
  for (const auto& [name, content] : {std::pair{"huge.lrc", &bytes}, {"huge.kar", &bytes}, {"huge.txt", &text}}) {
    const LyricsImport r = ImportLyricsFile(Write(name, *content));
    EXPECT_EQ(r.outcome.reason, Reason::BadInput) << name;
    EXPECT_EQ(r.outcome.text, kLyricsTooLargeError) << name;
    std::filesystem::remove(m_dir.File(name));
  }
  // Just under the limit, real lines come through whole.
  text.resize(static_cast<size_t>(kMaxLyricsFileBytes) / line.size() * line.size());
  const LyricsImport r = ImportLyricsFile(Write("large.txt", text));
  ASSERT_TRUE(r.Ok());
  EXPECT_EQ(r.text.size(), text.size());
}

// What is not a regular file is refused before it is opened: a pipe with no
// writer would hold the import (and the desktop's interface) for ever.
TEST_F(LyricsImportTest, PipesAndDevicesAreRefusedAtOnce) {
  const std::string fifo = m_dir.File("pipe.lrc"), device = m_dir.File("zero.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  std::filesystem::create_symlink("/dev/zero", device);
  for (const std::string& path : {fifo, device}) {
    const LyricsImport r = ImportLyricsFile(path);
    EXPECT_EQ(r.outcome.reason, Reason::NotFound) << path;
    EXPECT_EQ(r.outcome.text, kLyricsOpenError) << path;
  }
}

// Lines timed past the end of the music are left untimed and counted; the
// lines before them keep their times.
TEST_F(LyricsImportTest, LinesPastTheEndOfTheMusicAreLeftUntimed) {
  const std::string music = m_dir.File("short.wav");
  test::WriteFileBytes(music, test::ToneWav(44100, 16, 2, 44100 * 28));
  const struct {
    const char* name;
    const char* text;
  } files[] = {
      {"late.lrc",
       "[00:01.00]<00:01.00>first <00:02.00>word<00:03.00>\n"
       "[00:20.00]<00:20.00>ends <00:21.00>late<99:00.00>\n"
       "[00:29.00]<00:29.00>held <00:30.00>over<00:30.50>\n"
       "[800:00.00]<800:00.00>late <800:01.00>word<800:02.00>\n"},
      {"late.srt",
       "1\n00:00:01,000 --> 00:00:03,000\nfirst word\n\n"
       "2\n00:00:20,000 --> 01:39:00,000\nends late\n\n"
       "3\n00:00:29,000 --> 00:00:30,500\nheld over\n\n"
       "4\n13:20:00,000 --> 13:20:02,000\nlate word\n"},
  };
  for (const auto& file : files) {
    const LyricsImport r = ImportLyricsFile(Write(file.name, file.text));
    ASSERT_TRUE(r.Ok()) << file.name << ": " << r.outcome.text;
    Song song;
    song.SetMusicPath(music);
    int untimed = -1;
    ASSERT_TRUE(ApplyLyricsImport(r, song, &untimed)) << file.name;
    EXPECT_EQ(untimed, 2) << file.name;
    EXPECT_EQ(LinesPastMusicText(untimed), "2 lines are timed past the end of the music and left untimed");
    const auto& words = song.Lyrics().LineList().words;
    ASSERT_EQ(words.size(), 8u) << file.name;
    const bool placed[] = {true, true, false, false, true, true, false, false};
    for (size_t i = 0; i < 8; ++i) EXPECT_EQ(words[i]->IsPlaced(), placed[i]) << file.name << " word " << i;
    EXPECT_EQ(words[0]->m_startTime, 44100) << file.name;
    EXPECT_NEAR(words[5]->m_endTime, 44100 * 30.5, 441) << file.name;  // within the seconds a word may be held
  }
}

}  // namespace
}  // namespace lf
