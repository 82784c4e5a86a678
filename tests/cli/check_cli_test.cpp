// lyricforge-cli check on projects made to break one rule each: the problem
// is found once, at its line and word, and a clean project passes in silence.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <regex>

#include "core/cdg/bitmap.h"
#include "core/song/page_picture.h"
#include "core/song/song.h"
#include "tests/support/cli_runner.h"
#include "tests/support/media_fixture.h"

namespace lf {
namespace {

using test::RunCli;

constexpr int kRate = 44100;
constexpr double kMusicSeconds = 60;

// Two pages of four lines; words 0-3, 4-9, 10-15, 16-21 | 22-27, 28-32, 33-38, 39-43.
const char* const kLyrics =
    "Twinkle twinkle little star\nHow I wonder what you are\nUp above the world so high\nLike a diamond in the sky\n"
    "When the hot sun is gone\nWhen he shines on all\nThen you show me a light\n"
    "Twinkle twinkle all the night";

struct Times {
  SampleTime start, end;
};
using TimeTable = std::vector<Times>;

SampleTime At(double seconds) { return SampleTime(seconds * kRate); }

// Each word 0.45 s of every half second from 3 s on, 1.5 s between lines.
TimeTable EvenTimes(const Song& song) {
  TimeTable times;
  double t = 3.0;
  for (const auto& line : song.Lyrics().Lines()) {
    for (size_t w = 0; w < line->m_words.size(); ++w, t += 0.5) times.push_back({At(t), At(t + 0.45)});
    t += 1.5;
  }
  return times;
}

// Moves every word from `first` on by `frames`.
void Shift(TimeTable& times, size_t first, SampleTime frames) {
  for (size_t i = first; i < times.size(); ++i) times[i] = {times[i].start + frames, times[i].end + frames};
}

// A picture of `columns` upright stripes, colour `colour(i)` each.
Bitmap Stripes(int columns, const std::function<uint32_t(int)>& colour) {
  std::vector<uint32_t> argb(288 * 192);
  for (int y = 0; y < 192; ++y)
    for (int x = 0; x < 288; ++x) argb[size_t(y) * 288 + x] = 0xFF000000u | colour(x * columns / 288);
  Bitmap picture;
  picture.SetPicture(288, 192, argb.data());
  return picture;
}

uint32_t Hue(int i) {  // fully saturated, 48 steps round the colour circle
  const double h = i / 8.0;
  const int sector = int(h) % 6;
  const auto f = uint32_t(255 * (h - int(h)));
  const uint32_t r[] = {255, 255 - f, 0, 0, f, 255}, g[] = {f, 255, 255, 255 - f, 0, 0},
                 b[] = {0, 0, f, 255, 255, 255 - f};
  return r[sector] << 16 | g[sector] << 8 | b[sector];
}

struct Project {
  std::string lyrics = kLyrics;
  std::function<void(Song&)> look = [](Song&) {};  // settings and pages, before the times
  std::function<void(TimeTable&)> retime = [](TimeTable&) {};
};

// Writes the project the way the program saves one: lines laid out, words timed.
void WriteProject(const std::string& path, const std::string& music, const Project& p) {
  Song song(path);
  song.ResetSongDefaults();
  song.SetMusicPath(music);
  song.Lyrics().SetRawLyrics(p.lyrics);
  // A few flat colours lose nothing in 16: every project has this title picture.
  ApplyPagePicture(song, TitlePage, Stripes(4, [](int i) { return 0x203040u * uint32_t(i + 1); }));
  song.Look().PageByKind(TitlePage)->m_enabled = 1;
  p.look(song);
  song.GenerateKaraokeLineList({.keepTimings = false, .convertMarkers = true});
  TimeTable times = EvenTimes(song);
  p.retime(times);
  for (int i = 0; i < song.Lyrics().WordCount(); ++i) {
    song.Lyrics().SetWordStart(i, times[size_t(i)].start);
    song.Lyrics().SetWordEnd(i, times[size_t(i)].end);
  }
  for (const auto& line : song.Lyrics().Lines()) line->m_placed = true;
  ASSERT_TRUE(song.SaveProject());
}

struct Found {
  std::string severity, kind;
  int line, word;
  bool operator==(const Found&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Found& f) {
  return out << f.severity << " " << f.kind << " line " << f.line << " word " << f.word;
}

std::vector<Found> Problems(const std::string& json) {
  static const std::regex problem(
      R"re(\{"severity":"(\w+)","kind":"([\w-]+)"(?:,"line":(\d+))?(?:,"word":(\d+))?,"message":"[^"]+"\})re");
  std::vector<Found> found;
  for (auto it = std::sregex_iterator(json.begin(), json.end(), problem); it != std::sregex_iterator(); ++it) {
    const std::smatch& m = *it;
    found.push_back({m[1], m[2], m[3].matched ? std::stoi(m[3]) : -1, m[4].matched ? std::stoi(m[4]) : -1});
  }
  return found;
}

class CheckCli : public ::testing::Test {
 protected:
  void SetUp() override { test::WriteToneWav(Music(), kMusicSeconds); }
  std::string Music() const { return m_dir.File("music.wav"); }
  std::string Path() const { return m_dir.File("song.lfp"); }
  test::TempDir m_dir;
};

TEST_F(CheckCli, ACleanSongPassesInSilence) {
  WriteProject(Path(), Music(), {});
  const auto text = RunCli({"check", Path()});
  EXPECT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out, "");
  const auto json = RunCli({"check", Path(), "--json"});
  EXPECT_EQ(json.exitCode, 0) << json.err;
  EXPECT_EQ(json.out, "{\"problems\":[]}\n");
}

TEST_F(CheckCli, EachRuleFindsItsProblemOnceWhereItIs) {
  const SampleTime tenth = At(0.1);
  struct Case {
    const char* name;
    Project project;
    std::vector<Found> expected;
  };
  const Case cases[] = {
      {"a word without a time",
       {.retime =
            [](TimeTable& t) {
              t[2] = {0, 0};
            }},
       {{"warning", "untimed", 0, 2}}},
      {"a line without times",
       {.retime =
            [](TimeTable& t) {
              std::fill(t.begin() + 39, t.end(), Times{0, 0});
            }},
       {{"warning", "untimed", 7, -1}}},
      {"a word before the one before it",
       {.retime = [=](TimeTable& t) { t[12].start = t[11].start - tenth; }},
       {{"error", "out-of-order", 2, 12}}},
      {"a word ending before it starts",
       {.retime = [=](TimeTable& t) { t[20].end = t[20].start - tenth; }},
       {{"error", "out-of-order", 3, 20}}},
      {"a word starting while the one before is sung",
       {.retime = [=](TimeTable& t) { t[5].start = t[4].end - 2 * tenth; }},
       {{"warning", "overlap", 1, 5}}},
      {"a word sung before its page is on the screen",
       {.retime = [](TimeTable& t) { t[22].start = t[14].start; }},
       {{"error", "out-of-order", 4, 22}, {"error", "before-shown", 4, 22}}},
      {"a line on a page of its own shown half a second before it is sung",
       {.lyrics = "one two\n^\nthree four",
        .retime = [=](TimeTable& t) { Shift(t, 2, t[1].end + 5 * tenth - t[2].start); }},
       {{"warning", "shown-late", 1, 2}}},
      {"a highlight of seven letters in a tenth of a second",
       {.retime = [=](TimeTable& t) { t[1].end = t[1].start + tenth; }},
       {{"warning", "too-fast", 0, 1}}},
      {"a line too long for the screen",
       {.lyrics = std::string("Twinkle twinkle little star\nHow I wonder what you are up above the world so very "
                              "high\n") +
                  (std::strchr(std::strchr(kLyrics, '\n') + 1, '\n') + 1)},
       {{"warning", "too-wide", 1, 10}}},
      {"a slanted line set against the right edge",
       {.lyrics = "Hi\n^\nhe is a chef",
        .look =
            [](Song& s) {
              s.Look().PageByKind(LyricsPage)->m_style.m_hAlign = kAlignRight;
              s.Look().PageByKind(LyricsPage)->m_style.m_flags |= kTextItalic;
            }},
       {{"warning", "clipped", 1, -1}}},
      {"lines taller than the page's rows",
       {.lyrics = "la la\nla la\nla la\nla la\nla la\nla la\nla la\nla la",
        .look = [](Song& s) { s.Look().PageByKind(LyricsPage)->m_style.m_height = 60; }},
       {{"warning", "too-many-lines", 3, -1}}},
      {"a word timed after the music",
       {.retime =
            [](TimeTable& t) {
              t[43] = {At(kMusicSeconds + 10), At(kMusicSeconds + 10.5)};
            }},
       {{"error", "past-music", 7, 43}}},
      {"a title page held longer than the stream's room",
       {.look = [](Song& s) { s.Look().PageByKind(TitlePage)->m_holdTime = 200 * 100; }},
       {{"error", "stream-short", -1, -1}}},
      {"a picture of more hues than 16 colours hold",
       {.look =
            [](Song& s) {
              ApplyPagePicture(s, CreditsPage, Stripes(48, Hue));
              s.Look().PageByKind(CreditsPage)->m_enabled = 1;
            }},
       {{"warning", "picture-colours", -1, -1}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteProject(Path(), Music(), c.project);
    const auto run = RunCli({"check", Path(), "--json"});
    const bool error =
        std::any_of(c.expected.begin(), c.expected.end(), [](const Found& f) { return f.severity == "error"; });
    EXPECT_EQ(run.exitCode, error ? 1 : 0) << run.err;
    EXPECT_EQ(Problems(run.out), c.expected) << run.out;
  }
}

TEST_F(CheckCli, ExportRefusesWordsPastTheMusicAndLeavesItsLength) {
  WriteProject(Path(), Music(), {.retime = [](TimeTable& t) {
                 t[43] = {At(kMusicSeconds + 1500), At(kMusicSeconds + 1501)};
               }});
  const auto before = std::filesystem::file_size(Music());
  const auto run = RunCli({"export", Path(), "--format", "mp3g", "-o", m_dir.File("out.mp3")});
  EXPECT_EQ(run.exitCode, 3) << run.err;
  EXPECT_NE(run.err.find("line 7, word 43"), std::string::npos) << run.err;
  EXPECT_FALSE(std::filesystem::exists(m_dir.File("out.mp3")));
  EXPECT_FALSE(std::filesystem::exists(m_dir.File("out.cdg")));
  EXPECT_EQ(std::filesystem::file_size(Music()), before);
}

}  // namespace
}  // namespace lf
