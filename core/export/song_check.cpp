#include "core/export/song_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "core/cdg/packet_time.h"
#include "core/cdg/rw_generator.h"
#include "core/playback/rw_renderer.h"
#include "core/song/song.h"
#include "core/song/song_compiler.h"

namespace lf {

namespace {

// --- the song as the rules see it --------------------------------------------

struct CheckedWord {
  int index = 0;  // in the song's word list
  std::string text;
  SampleTime start = 0, end = 0;
  bool Timed() const { return start != 0 && end != 0; }
};

struct CheckedLine {
  int index = 0;
  std::string text;
  int page = 0, row = 0;
  bool placed = false, fixed = false;
  std::vector<CheckedWord> words;
};

struct CheckedSong {
  std::vector<CheckedLine> lines;
  int rate = kDefaultSampleRate;
  int64_t musicFrames = 0;  // 0: no measured music
  bool sweepEntireWord = false;
};

std::string WordText(const KaraokeLine& line, const KaraokeWord& word) {
  if (word.m_firstChar < 0 || word.Length() == 0 || size_t(word.m_lastChar) >= line.m_text.size()) return {};
  return line.m_text.substr(size_t(word.m_firstChar), size_t(word.Length()));
}

// The one place that reads the song's lines, words and times.
CheckedSong ReadSong(const Song& song) {
  CheckedSong checked;
  checked.rate = song.Music().SampleRate();
  checked.sweepEntireWord = song.Look().SweepEntireWord();
  if (!song.Music().WorkingMusicPath().empty() && song.Music().MusicBytesPerFrame() > 0)
    checked.musicFrames = int64_t(song.Music().MusicLengthAtLoad()) / song.Music().MusicBytesPerFrame();
  int wordIndex = 0;
  for (const auto& line : song.Lyrics().Lines()) {
    CheckedLine& out = checked.lines.emplace_back();
    out.index = int(checked.lines.size()) - 1;
    out.text = line->m_text;
    out.page = line->m_page;
    out.row = line->m_lineInPage;
    out.placed = line->m_placed;
    out.fixed = line->m_fixed;
    for (const KaraokeWord* word : line->m_words)
      out.words.push_back({wordIndex++, WordText(*line, *word), word->m_startTime, word->m_endTime});
  }
  return checked;
}

// Where each line lands on the screen, as the compiler draws it.
struct LineLook {
  TextRect ink;                     // before the drawing area clips it
  std::vector<TextRect> wordRects;  // clipped to the drawing area
};

struct PageLook {
  int rows = 1;        // bands of the screen the rows are laid in
  int lyricRows = 1;   // those the lyrics may use
  int lineHeight = 0;  // of the lyrics style, outline included
};

PageLook MeasurePage(const Song& song, CdgGenerator& generator) {
  PageLook look;
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  int row = 0;
  song.Look().LyricsRow(0, row, look.rows);
  look.lyricRows = std::max(1, look.rows - row);
  if (lyrics) look.lineHeight = generator.LineHeight(lyrics->m_style);
  return look;
}

std::vector<LineLook> MeasureLines(const Song& song, CdgGenerator& generator) {
  std::vector<LineLook> looks(song.Lyrics().Lines().size());
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  if (!lyrics) return looks;
  for (size_t i = 0; i < song.Lyrics().Lines().size(); ++i) {
    const KaraokeLine& line = *song.Lyrics().Lines()[i];
    int row = 0, rows = 0;
    song.Look().LyricsRow(line.m_lineInPage, row, rows);
    looks[i].ink = generator.LineInk(rows, row, line.m_text, lyrics->m_style);
    for (const KaraokeWord* word : line.m_words) {
      TextRect rect;
      generator.SweepText(rows, row, line.m_text, word->m_firstChar, word->m_lastChar, lyrics->m_style,
                          lyrics->m_backgroundColor, song.Look().LineColor(line), false, 0, 0, &rect);
      looks[i].wordRects.push_back(rect);
    }
  }
  return looks;
}

// --- words and messages -------------------------------------------------------

std::string Seconds(int64_t frames, int rate) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f s", double(frames) / rate);
  return text;
}

std::string Clock(int64_t frames, int rate) {
  const double seconds = double(frames) / rate;
  char text[32];
  std::snprintf(text, sizeof text, "%d:%05.2f", int(seconds / 60), std::fmod(seconds, 60.0));
  return text;
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

int CharacterCount(const std::string& text) {
  return int(std::count_if(text.begin(), text.end(),
                           [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80 && c != ' '; }));
}

void Add(SongProblems& problems, ProblemSeverity severity, const char* kind, int line, int word, std::string message) {
  problems.push_back({severity, kind, line, word, std::move(message)});
}

constexpr auto kError = ProblemSeverity::Error;
constexpr auto kWarning = ProblemSeverity::Warning;

bool NeverShown(const CheckedLine& line) {
  return !line.placed ||
         std::none_of(line.words.begin(), line.words.end(), [](const CheckedWord& w) { return w.start != 0; });
}

// --- the rules ------------------------------------------------------------------

void CheckTimes(const CheckedSong& song, SongProblems& problems) {
  const CheckedWord* previous = nullptr;
  for (const CheckedLine& line : song.lines) {
    if (line.words.empty()) continue;
    if (NeverShown(line)) {
      Add(problems, kWarning, check_kind::kUntimed, line.index, -1,
          Quoted(line.text) + " has no times: the line is never shown");
      continue;
    }
    for (const CheckedWord& word : line.words) {
      if (word.start == 0) {
        Add(problems, kWarning, check_kind::kUntimed, line.index, word.index,
            Quoted(word.text) + " has no time: it is never highlighted");
        continue;
      }
      if (word.end == 0) {
        Add(problems, kWarning, check_kind::kUntimed, line.index, word.index,
            Quoted(word.text) + " has a start but no end");
        continue;
      }
      if (word.end < word.start) {
        Add(problems, kError, check_kind::kOutOfOrder, line.index, word.index,
            Quoted(word.text) + " ends (" + Seconds(word.end, song.rate) + ") before it starts (" +
                Seconds(word.start, song.rate) + ")");
      } else if (previous && word.start < previous->start) {
        Add(problems, kError, check_kind::kOutOfOrder, line.index, word.index,
            Quoted(word.text) + " starts at " + Seconds(word.start, song.rate) + ", before " + Quoted(previous->text) +
                " (" + Seconds(previous->start, song.rate) + ") that comes before it");
      } else if (previous && word.start < previous->end) {
        Add(problems, kWarning, check_kind::kOverlap, line.index, word.index,
            Quoted(word.text) + " starts " + Seconds(previous->end - word.start, song.rate) + " before " +
                Quoted(previous->text) + " ends");
      }
      previous = &word;
    }
  }
}

// Line show times come from the compiler: a line appears when the line
// before it in its row is erased, the first page two seconds before its first word.
void CheckShowing(const CheckedSong& song, const CompiledTimes& times, SongProblems& problems) {
  const int64_t reading = int64_t(kReadingSeconds * song.rate);
  for (const CheckedLine& line : song.lines) {
    if (NeverShown(line) || size_t(line.index) >= times.lines.size()) continue;
    const int64_t shown = times.lines[size_t(line.index)].start;
    for (const CheckedWord& word : line.words) {
      if (word.start == 0) continue;
      if (word.start <= shown) {
        Add(problems, kError, check_kind::kBeforeShown, line.index, word.index,
            Quoted(word.text) + " is sung at " + Seconds(word.start, song.rate) + ", before its line appears (" +
                Seconds(shown, song.rate) + ")");
      } else if (word.start - shown < reading) {
        Add(problems, kWarning, check_kind::kShownLate, line.index, word.index,
            Quoted(word.text) + " is sung " + Seconds(word.start - shown, song.rate) +
                " after its line appears: less than a second to read it");
      }
      break;  // the first sung word tells for the line
    }
  }
}

void CheckSweepSpeed(const CheckedSong& song, const CompiledTimes& times, const CheckSettings& settings,
                     SongProblems& problems) {
  if (song.sweepEntireWord || settings.fastestSweep <= 0) return;  // whole words light at once by choice
  for (const CheckedLine& line : song.lines) {
    if (line.fixed || NeverShown(line) || size_t(line.index) >= times.lines.size()) continue;
    const auto& compiled = times.lines[size_t(line.index)].words;
    for (size_t w = 0; w < line.words.size() && w < compiled.size(); ++w) {
      const CheckedWord& word = line.words[w];
      // What the screen shows: the compiler may have cut the word's end short.
      const int64_t frames = int64_t(compiled[w].end) - compiled[w].start;
      if (!word.Timed() || frames <= 0) continue;
      const double seconds = double(frames) / song.rate;
      const double speed = CharacterCount(word.text) / seconds;
      if (speed <= settings.fastestSweep) continue;
      Add(problems, kWarning, check_kind::kTooFast, line.index, word.index,
          Quoted(word.text) + " is highlighted in " + Seconds(frames, song.rate) + ", " +
              std::to_string(int(std::lround(speed))) + " characters a second (at most " +
              std::to_string(int(std::lround(settings.fastestSweep))) + " can be followed)");
    }
  }
}

std::optional<SongProblem> PastTheMusic(const CheckedSong& song, const CheckedLine& line, const CheckedWord& word) {
  if (song.musicFrames <= 0 || word.start == 0) return std::nullopt;
  const int64_t last = std::max<int64_t>(word.start, word.end);
  if (last <= song.musicFrames) return std::nullopt;
  const std::string when = word.start >= song.musicFrames ? " starts at " + Clock(word.start, song.rate)
                                                          : " runs to " + Clock(last, song.rate);
  return SongProblem{kError, check_kind::kPastMusic, line.index, word.index,
                     Quoted(word.text) + when + ", after the music ends (" + Clock(song.musicFrames, song.rate) + ")"};
}

void CheckMusicEnd(const CheckedSong& song, SongProblems& problems) {
  for (const CheckedLine& line : song.lines)
    for (const CheckedWord& word : line.words)
      if (auto problem = PastTheMusic(song, line, word)) problems.push_back(*problem);
}

// The exported audio is the lead-in, the music and the credits; the stream
// has room for the music and kRwMemorySpareSeconds more. Lengthening the
// music for the credits grows both alike.
void CheckStreamCoversAudio(const CheckedSong& song, const CompileResult& compiled, uint32_t streamBytes,
                            SongProblems& problems) {
  if (song.musicFrames <= 0) return;
  const int64_t streamFrames = SampleFrameAtOffset(streamBytes, song.rate);
  const int64_t audioFrames = int64_t(compiled.leadIn) + song.musicFrames + compiled.times.creditsLength;
  if (audioFrames <= streamFrames) return;
  Add(problems, kError, check_kind::kStreamShort, -1, -1,
      "the graphics end " + Seconds(audioFrames - streamFrames, song.rate) +
          " before the audio (title page, music and credits): shorten the title or credits page's hold");
}

int FirstCutWord(const LineLook& look) {
  if (look.ink.left < 0) return 0;
  for (size_t w = 0; w < look.wordRects.size(); ++w)
    if (look.wordRects[w].right >= kDrawWidth) return int(w);
  return look.wordRects.empty() ? -1 : int(look.wordRects.size()) - 1;
}

void CheckLayout(const CheckedSong& song, const std::vector<LineLook>& looks, const PageLook& page,
                 SongProblems& problems) {
  const int rowHeight = kDrawHeight / std::max(page.rows, 1);
  const int fitting = page.lineHeight > 0 ? std::max(1, page.lyricRows * rowHeight / page.lineHeight) : page.lyricRows;
  // Lines taller than their rows run into each other and off the page: told once, as that.
  const bool crowded = page.lineHeight > rowHeight;
  bool crowdedTold = false;
  for (const CheckedLine& line : song.lines) {
    const LineLook& look = looks[size_t(line.index)];
    if (look.ink.IsEmpty()) continue;
    if (!crowdedTold && crowded && line.row >= fitting) {
      crowdedTold = true;
      Add(problems, kWarning, check_kind::kTooManyLines, line.index, -1,
          "a page has " + std::to_string(line.row + 1) + " or more lines but only " + std::to_string(fitting) +
              " fit at this text size (lines " + std::to_string(page.lineHeight) + " pixels high, rows " +
              std::to_string(rowHeight) + "): fewer lines a page or a smaller font");
    }
    if (look.ink.Width() > kDrawWidth) {
      const int cut = FirstCutWord(look);
      Add(problems, kWarning, check_kind::kTooWide, line.index, cut < 0 ? -1 : line.words[size_t(cut)].index,
          Quoted(line.text) + " is " + std::to_string(look.ink.Width()) + " pixels wide; the screen shows " +
              std::to_string(kDrawWidth) + (cut < 0 ? "" : ": " + Quoted(line.words[size_t(cut)].text) + " is cut"));
    } else if (const int over = std::max({-look.ink.left, look.ink.right - kDrawWidth, crowded ? 0 : -look.ink.top,
                                          crowded ? 0 : look.ink.bottom - kDrawHeight});
               over > 0) {
      Add(problems, kWarning, check_kind::kClipped, line.index, -1,
          Quoted(line.text) + " reaches " + std::to_string(over) + " pixels into the border, which cuts it off");
    }
  }
}

// Detail is where neighbouring pixels differ plainly; it is lost where the
// 16-colour picture shows them alike.
constexpr int kEdgeContrast = 32;        // of 255, in the most different component
constexpr int kLeastEdges = 200;         // a picture with fewer has too little detail to judge
constexpr double kLostEdgeShare = 0.25;  // more lost than this is worth telling

int Contrast(uint32_t a, uint32_t b) {
  int most = 0;
  for (int shift = 0; shift < 24; shift += 8)
    most = std::max(most, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return most;
}

double LostDetail(const Bitmap& picture, int mode) {
  const auto quantised = picture.ToBitmap(mode);
  if (!quantised) return 0;
  const auto& palette = quantised->Palette();
  // The screen keeps four bits a component.
  auto shown = [&](int x, int y) {
    const Colorref c = palette[quantised->At(x, y)];
    return MakeRgb(uint8_t(RedOf(c) / 17 * 17), uint8_t(GreenOf(c) / 17 * 17), uint8_t(BlueOf(c) / 17 * 17));
  };
  int edges = 0, lost = 0;
  auto compare = [&](int x0, int y0, int x1, int y1) {
    const uint32_t a = picture.ColorPixel(x0, y0), b = picture.ColorPixel(x1, y1);
    if ((a >> 24) == 0 || (b >> 24) == 0 || Contrast(a, b) < kEdgeContrast) return;  // transparent or smooth
    ++edges;
    if (shown(x0, y0) == shown(x1, y1)) ++lost;
  };
  for (int y = 0; y < quantised->Height(); ++y)
    for (int x = 0; x < quantised->Width(); ++x) {
      if (x + 1 < quantised->Width()) compare(x, y, x + 1, y);
      if (y + 1 < quantised->Height()) compare(x, y, x, y + 1);
    }
  return edges < kLeastEdges ? 0 : double(lost) / edges;
}

void CheckPictures(const Song& song, SongProblems& problems) {
  static const struct {
    int32_t kind;
    const char* name;
  } kPages[] = {{TitlePage, "title"}, {LyricsPage, "lyrics"}, {CreditsPage, "credits"}};
  for (const auto& page : kPages) {
    const PageRecord* record = song.Look().PageByKind(page.kind);
    if (!record || !record->m_enabled || !record->m_hasPicture || record->m_picture.IsEmpty()) continue;
    const double lost = LostDetail(record->m_picture, record->m_pictureMode);
    if (lost <= kLostEdgeShare) continue;
    Add(problems, kWarning, check_kind::kPictureColours, -1, -1,
        std::string("the ") + page.name + " page's picture loses " + std::to_string(int(std::lround(lost * 100))) +
            "% of its detail to the 16 colours the screen shows");
  }
}

}  // namespace

CheckSettings CheckSettingsFrom(const SettingsStore& settings) {
  CheckSettings check;
  check.fastestSweep = settings.Int("Settings", kFastestSweepKey, kDefaultFastestSweep);
  return check;
}

SongProblems CheckSong(const Song& song, const CheckSettings& settings) {
  const CheckedSong checked = ReadSong(song);
  // Times only: the compilation writes no stream.
  const CompileResult compiled = CompileSong(song, nullptr, 0, kCompileEverything);
  CdgRenderer offscreen;
  CdgGenerator generator(&offscreen);

  SongProblems problems;
  CheckTimes(checked, problems);
  CheckShowing(checked, compiled.times, problems);
  CheckLayout(checked, MeasureLines(song, generator), MeasurePage(song, generator), problems);
  CheckSweepSpeed(checked, compiled.times, settings, problems);
  CheckMusicEnd(checked, problems);
  std::stable_sort(problems.begin(), problems.end(), [](const SongProblem& a, const SongProblem& b) {
    return std::make_pair(a.line, a.word) < std::make_pair(b.line, b.word);
  });
  CheckStreamCoversAudio(checked, compiled, song.Music().RwMemorySize(), problems);
  CheckPictures(song, problems);
  if (song.DuetMarksInSolo())
    problems.push_back({kWarning, check_kind::kDuetInSolo, -1, -1,
                        "Lines begin with the duet mark \"&\" but the song is sung solo, so they are sung as "
                        "singer 1's: choose Duet in the settings, or remove the marks."});
  return problems;
}

std::optional<SongProblem> FirstWordPastTheMusic(const Song& song) {
  const CheckedSong checked = ReadSong(song);
  for (const CheckedLine& line : checked.lines)
    for (const CheckedWord& word : line.words)
      if (auto problem = PastTheMusic(checked, line, word)) return problem;
  return std::nullopt;
}

}  // namespace lf
