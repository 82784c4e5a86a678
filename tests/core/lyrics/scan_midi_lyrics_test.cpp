#include "core/lyrics/scan_midi_lyrics.h"

#include <gtest/gtest.h>

#include <vector>

#include "tests/core/lyrics/midi_file_builder.h"

namespace lf {
namespace {

using test::MidiFile;
using test::MidiTrack;

TEST(ScanMidiLyrics, KaraokeFileTakesOnlyTheWordsTrack) {
  MidiTrack header;
  header.Name("Song").Text("@KMIDI KARAOKE FILE").Text("@V0100").Text("@TA title").Tempo(500000).End();
  MidiTrack music;
  music.Name("Piano").Note(60).Note(62).End();
  MidiTrack words;
  words.Name("Words").Text("@LENGL").Text("/Hel").Text("lo ").Text("world").Text("\\There").End();
  MidiTrack after;
  after.Name("More").Text("not lyrics").End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({header, music, words, after})), "\nHello world\nThere");
}

TEST(ScanMidiLyrics, LyricEventsOfEveryTrackJoinInTimeOrder) {
  MidiTrack first;
  first.Name("Melody").Lyric("Hap").Note(60).Lyric("py ").Note(62).Lyric("day").End();  // ticks 96, 288, 480
  MidiTrack second;
  second.Lyric(" to you", 600).End();
  MidiTrack third;
  third.Lyric("birth", 400).End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({first, second, third})), "Happy birthday to you");
}

TEST(ScanMidiLyrics, LyricsTrackNameIsFoundInAnyCase) {
  MidiTrack header;
  header.Text("@Iinfo").Text("Sequenced by someone").End();
  MidiTrack lyrics;
  lyrics.Name("LYRICS").Text("sung ").Text("words").End();
  MidiTrack later;
  later.Text("never read").End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({header, lyrics, later})), "sung words");
  // Without a named track, the first track with text.
  lyrics.Name("Voice");
  EXPECT_EQ(ScanMidiLyrics(MidiFile({lyrics, later})), "sung words");
}

TEST(ScanMidiLyrics, FilesAsFoundInTheWild) {
  struct Case {
    const char* what;
    std::vector<MidiTrack> tracks;
    std::string lyrics;
  };
  MidiTrack conductor;
  conductor.Name("Conductor").Text("Sequenced by A. Person").Text("@TTitle").Tempo(500000).End();
  MidiTrack doubled;
  doubled.Name("Vocals").Text("la ").Lyric("la ", 0).Text("/li").Lyric("/li", 0).End();
  MidiTrack words;
  words.Name("Words").Text("@LENGL").Text("@KMIDI KARAOKE FILE").Text("/Sing ").Text("it").End();
  MidiTrack vocalLyrics;
  vocalLyrics.Name("Melody").Note(60).Lyric("Sing ").Lyric("it").End();
  const Case cases[] = {
      {"conductor text beside lyric events", {conductor, vocalLyrics}, "Sing it"},
      {"every syllable as text and as lyric", {doubled}, "la \nli"},
      {"conductor text and a Words track of texts", {conductor, words}, "\nSing it"},
      {"header fields in lyric events", {MidiTrack().Lyric("@TTitle").Lyric("@IInfo").Lyric("Hey").End()}, "Hey"},
  };
  for (const Case& c : cases) EXPECT_EQ(ScanMidiLyrics(MidiFile(c.tracks)), c.lyrics) << c.what;
}

TEST(ScanMidiLyrics, LongEventIsReadWhole) {
  const std::string long200(200, 'x');
  MidiTrack t;
  t.Text(long200).End();
  const std::string file = MidiFile({t});
  // 200 needs two bytes of length: 0x81 0x48.
  ASSERT_NE(file.find(std::string("\xFF\x01\x81\x48", 4)), std::string::npos);
  EXPECT_EQ(ScanMidiLyrics(file), long200);
}

TEST(ScanMidiLyrics, LineEndsInsideTextsBecomeLf) {
  MidiTrack t;
  t.Text("one\r").Text("two\r\n").Text("three\n").Text(std::string("cut\0here", 8)).End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({t})), "one\ntwo\nthree\ncut");
}

TEST(ScanMidiLyrics, TextEncodings) {
  MidiTrack utf8;
  utf8.Lyric("don\xE2\x80\x99t ").Lyric("caf\xC3\xA9").End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({utf8})), "don\xE2\x80\x99t caf\xC3\xA9");
  MidiTrack cp1252;
  cp1252.Lyric("don\x92t ").Lyric("caf\xE9 ").Lyric("\x93hi\x94").End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({cp1252})), "don\xE2\x80\x99t caf\xC3\xA9 \xE2\x80\x9Chi\xE2\x80\x9D");
}

TEST(ScanMidiLyrics, NotAMidiFileGivesNothing) {
  EXPECT_EQ(ScanMidiLyrics(""), "");
  EXPECT_EQ(ScanMidiLyrics("MThd"), "");
  EXPECT_EQ(ScanMidiLyrics("RIFF0000WAVEfmt \xFF\x01\x03"
                           "abc and more bytes"),
            "");
  MidiTrack t;
  t.Text("words").End();
  std::string file = MidiFile({t});
  file.replace(14, 4, "XTrk");
  EXPECT_EQ(ScanMidiLyrics(file), "");
}

TEST(ScanMidiLyrics, TruncatedFilesKeepWhatCameBefore) {
  MidiTrack t;
  t.Lyric("one ").Lyric("two ").Lyric(std::string(300, 'y')).End();
  const std::string file = MidiFile({t});
  const size_t longEvent = file.find(std::string("\xFF\x05\x82\x2C", 4));
  ASSERT_NE(longEvent, std::string::npos);
  // Cut inside the two-byte length, then inside the text: no read past the end.
  EXPECT_EQ(ScanMidiLyrics(file.substr(0, longEvent + 3)), "one two ");
  EXPECT_EQ(ScanMidiLyrics(file.substr(0, longEvent + 50)), "one two ");
  // A length whose quantity never ends.
  std::string endless = file.substr(0, longEvent + 2) + std::string(8, '\xFF');
  EXPECT_EQ(ScanMidiLyrics(endless), "one two ");
}

TEST(ScanMidiLyrics, StrayMetaBytesInsideOtherDataArePassedOver) {
  // A tempo whose bytes happen to read FF 01 with a huge length.
  MidiTrack t;
  t.Meta(0x51, std::string("\xFF\x01\x7F", 3)).Lyric("still ").Lyric("here").End();
  EXPECT_EQ(ScanMidiLyrics(MidiFile({t})), "still here");
}

}  // namespace
}  // namespace lf
