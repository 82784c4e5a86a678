#include "core/song/song_compiler.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/cdg/rw_generator.h"
#include "core/song/music_bounds.h"
#include "core/song/song.h"

namespace lf {

namespace {

// How the lyrics page is timed around the sung words, in seconds (and hundredths).
constexpr int kFirstPageLeadSeconds = 2;         // the first page appears this long before its first word
constexpr int kLastPageTailSeconds = 2;          // the last page stays this long after its last word
constexpr int kTitleHoldHundredths = 400;        // a title page keeps the screen 4 s longer before the lyrics
constexpr int kCreditsAfterLastWordSeconds = 4;  // the credits page starts this long after the last word
// A line swapped on the next page for a line of the same row must leave a gap
// as long as its last word (plus this many frames), but never more than kMaxSwapGapSeconds.
constexpr int kSwapGapExtraFrames = 50;
constexpr int kMaxSwapGapSeconds = 3;

// (a * b) / c rounded to the nearest integer, in 64 bits.
int64_t MulDivRound(int64_t a, int64_t b, int64_t c) {
  const int64_t product = a * b;
  return product >= 0 ? (product + c / 2) / c : (product - c / 2) / c;
}

// Rows of the lyrics area: the line's row R among N rows.
struct RowPlacement {
  int rows;
  int row;
};

class SongCompiler {
 public:
  SongCompiler(const Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime, const CompileOptions& options)
      : m_song(song),
        m_generator(buffer, static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX))),
        m_fromTime(fromTime),
        m_rate(song.Music().SampleRate()),
        m_hundredth(m_rate / 100),
        m_linesPerPage(std::max(1, song.Look().LinesPerPage())),
        m_progress(options.progress) {
    if (buffer && size) std::memset(buffer, 0, size);
    m_generator.SetPlayerSampleRate(m_rate);
    if (options.dissolveSeed) m_generator.SetDissolveSeed(options.dissolveSeed);
    if (options.abort) m_generator.SetAbortCallback(options.abort);
    TakeTimes();
  }

  CompileResult Run();

 private:
  // Stream offset of a sample time moved by the shift.
  int OffsetOf(int64_t time) const {
    const int64_t offset = StreamOffsetAt(time + m_shift, m_rate);
    return static_cast<int>(std::clamp<int64_t>(offset, 0, std::numeric_limits<int>::max() - kPacketSize));
  }
  int64_t SampleTimeAt(int64_t offset) const { return SampleFrameAtOffset(offset, m_rate); }

  int ColorPass(const PageRecord& page, int offset);
  int ColorPassesUntilTenthSecond(const PageRecord& page, int offset);
  void DrawTitle();
  void DrawDuetIntroduction(const PageRecord& lyrics);
  void ScanPlacedWords();
  void ComputeLeadIn();
  void BuildHiliteEnd();
  void BuildEraseTimes();
  void SetLineTimes();
  void WriteSweeps(const PageRecord& lyrics);
  void WriteDrawsAndErases(const PageRecord& lyrics);
  void DrawLyricsPicture(const PageRecord& lyrics);
  void DrawCredits();
  void TakeTimes();
  uint32_t MusicBytesNeeded() const;
  // The working copies of the song's times the compilation changes.
  CompiledLineTimes& TimesOf(size_t line) { return m_times.lines[line]; }
  const CompiledLineTimes& TimesOf(size_t line) const { return m_times.lines[line]; }

  RowPlacement RowOf(const KaraokeLine& line) const;
  size_t TableIndex(int page, int row) const { return static_cast<size_t>(page) * m_linesPerPage + row; }
  bool InTable(int page, int row) const { return page >= 0 && page < m_pageCount && row >= 0 && row < m_linesPerPage; }

  void Report(int percent) const {
    if (m_progress) m_progress(percent);
  }

  const Song& m_song;
  CompiledTimes m_times;
  CdgGenerator m_generator;
  const SampleTime m_fromTime;
  const int m_rate;
  const int m_hundredth;
  const int m_linesPerPage;
  const std::function<void(int)> m_progress;

  int m_streamEnd = 0;  // stream offset reached so far
  bool m_titleShown = false;
  int m_lyricsStart = 0;
  int64_t m_firstStart = 0;
  int64_t m_lastEnd = 0;
  int m_firstPage = -1;
  int m_lastPage = -1;
  int64_t m_shift = 0;
  int64_t m_leadIn = 0;
  int m_pageCount = 0;
  std::vector<int32_t> m_hiliteEnd;
  std::vector<int32_t> m_eraseTimes;
};

int SongCompiler::ColorPass(const PageRecord& page, int offset) {
  const auto colors = SongLook::PageColors(page);
  int advance = m_generator.LoadColorTable(colors.data(), offset);
  advance += m_generator.SetBorder(page.m_borderColor, offset + advance);
  advance += m_generator.ClearScreen(page.m_backgroundColor, offset + advance);
  return advance;
}

// At least two passes, and as many as it takes to fill a tenth of a second.
int SongCompiler::ColorPassesUntilTenthSecond(const PageRecord& page, int offset) {
  const int64_t tenth = StreamOffsetAt(int64_t{m_hundredth} * 10, m_rate);
  int passes = 0;
  int e = offset;
  while (passes < 2 || e < tenth) {
    const int advance = ColorPass(page, e);
    if (advance <= 0) break;
    e += advance;
    ++passes;
  }
  return e - offset;
}

// No word is timed past the prepared music (and the seconds a word may be
// held after it): a later time would make the stream, and every output made
// from it, as long as that time.
void SongCompiler::TakeTimes() {
  const SampleTime latest = m_song.Music().MusicLengthAtLoad() > 0 ? SongMusicSpan(m_song).LatestWordTime() : 0;
  const auto bounded = [latest](SampleTime time) { return latest > 0 ? std::min(time, latest) : time; };
  m_times.lines.reserve(m_song.Lyrics().Lines().size());
  for (const auto& line : m_song.Lyrics().Lines()) {
    CompiledLineTimes& times = m_times.lines.emplace_back();
    times.start = line->m_startTime;
    times.end = line->m_endTime;
    times.words.reserve(line->m_words.size());
    for (const KaraokeWord* word : line->m_words)
      times.words.push_back({bounded(word->m_startTime), bounded(word->m_endTime)});
  }
}

void SongCompiler::DrawTitle() {
  const PageRecord* title = m_song.Look().PageByKind(TitlePage);
  if (title && title->m_enabled) {
    m_streamEnd += ColorPassesUntilTenthSecond(*title, 0);
    m_streamEnd += m_generator.DrawPage(*title, true, m_streamEnd);
    m_titleShown = true;
  }
  m_times.introLength = static_cast<int32_t>(SampleTimeAt(m_streamEnd));
}

void SongCompiler::DrawDuetIntroduction(const PageRecord& lyrics) {
  static constexpr int kLabelColors[3] = {ColorIndexSinger1, ColorIndexSinger2, ColorIndexDuet};
  const int64_t duration = SongLook::DuetDisplayDuration();
  TextType style = lyrics.m_style;
  style.m_hAlign = kAlignCenter;
  int o = m_streamEnd;
  int row = 1;
  bool first = true;
  for (int k = 0; k < 3; ++k) {
    const std::string& label = m_song.Lyrics().DuetLabel(k);
    if (label.empty()) continue;
    if (first) {
      m_streamEnd += static_cast<int>(StreamOffsetAt(duration * m_hundredth, m_rate));
      first = false;
    }
    style.m_color = kLabelColors[k];
    o += m_generator.DrawText(5, row, label, style, lyrics.m_backgroundColor, o);
    ++row;
  }
  m_lyricsStart = m_streamEnd;
}

void SongCompiler::ScanPlacedWords() {
  bool any = false;
  const auto& lines = m_song.Lyrics().Lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    const KaraokeLine& line = *lines[i];
    if (!line.m_placed) continue;
    for (const WordTimes& word : TimesOf(i).words) {
      if (word.start == 0 || word.end == 0) continue;
      if (!any) {
        m_firstStart = word.start;
        m_lastEnd = word.end;
        m_firstPage = line.m_page;
        m_lastPage = line.m_page;
        any = true;
      }
      m_lastEnd = std::max<int64_t>(m_lastEnd, word.end);
      m_firstStart = std::min<int64_t>(m_firstStart, word.start);
      m_lastPage = std::max(m_lastPage, line.m_page);
    }
  }
  if (!any) {
    m_firstStart = m_lastEnd = 0;
    m_firstPage = m_lastPage = -1;
  }
}

// The first page appears two seconds before the first word (more with a
// title); what the stream cannot fit before the music becomes the lead-in.
void SongCompiler::ComputeLeadIn() {
  const int64_t lead = int64_t(kFirstPageLeadSeconds) * m_rate;
  m_firstStart = m_firstStart > lead ? m_firstStart - lead : 0;
  m_shift = static_cast<int64_t>(m_song.Look().Settings().sweepAdvance) * m_hundredth / 2;
  int64_t d = m_firstStart + m_shift - SampleTimeAt(m_streamEnd);
  if (m_titleShown) d -= int64_t(kTitleHoldHundredths) * m_hundredth;
  if (d < 0) {
    m_leadIn = -d;
    m_shift -= d;
  }
}

void SongCompiler::BuildHiliteEnd() {
  const auto& lines = m_song.Lyrics().Lines();
  m_pageCount = lines.empty() ? 0 : std::max(0, lines.back()->m_page) + 1;
  for (const auto& line : lines) m_pageCount = std::max(m_pageCount, line->m_page + 1);
  const uint64_t entries = static_cast<uint64_t>(m_pageCount) * m_linesPerPage;
  if (entries * sizeof(int32_t) > std::numeric_limits<uint32_t>::max())
    throw std::length_error("the song has too many pages to compile");
  m_hiliteEnd.assign(entries, 0);

  for (size_t i = 0; i < lines.size(); ++i) {
    const KaraokeLine& line = *lines[i];
    if (!line.HasWords()) continue;
    WordTimes& last = TimesOf(i).words.back();
    const KaraokeLine* next = i + 1 < lines.size() ? lines[i + 1].get() : nullptr;
    // A line replaced on the next page by a line sung soon after must leave
    // room for the swap: its last word is cut short to make the gap.
    if (next && next->HasWords() && next->m_page != line.m_page && next->m_lineInPage == line.m_lineInPage) {
      const int64_t j = last.end;
      const int64_t k = TimesOf(i + 1).words.front().start;
      const int64_t gap = std::min<int64_t>(j - last.start + kSwapGapExtraFrames, int64_t(kMaxSwapGapSeconds) * m_rate);
      if (k - j < gap) last.end = static_cast<SampleTime>(j + (k - j) - gap);
    }
    if (InTable(line.m_page, line.m_lineInPage)) m_hiliteEnd[TableIndex(line.m_page, line.m_lineInPage)] = last.end;
  }
}

void SongCompiler::BuildEraseTimes() {
  const int n = m_linesPerPage;
  m_eraseTimes.assign(m_hiliteEnd.size(), 0);
  auto hilite = [&](int page, int row) { return m_hiliteEnd[TableIndex(page, row)]; };
  auto erase = [&](int page, int row) -> int32_t& { return m_eraseTimes[TableIndex(page, row)]; };

  for (int page = 0; page < m_pageCount; ++page) {
    int j = n - 1;
    while (j >= 0 && hilite(page, j) == 0) --j;
    if (j < 0) {
      // No sung line: the page goes when the previous page's last row goes.
      if (page > 0)
        for (int row = 0; row < n; ++row) erase(page, row) = erase(page - 1, n - 1);
      continue;
    }
    int countdown = m_song.Look().EraseFromBottom();
    int top = n;
    while (true) {
      if (countdown < 0) {
        for (int row = 0; row <= j; ++row) erase(page, row) = hilite(page, j);
        break;
      }
      const int32_t d = hilite(page, j);
      for (int row = j; row < top; ++row) erase(page, row) = d;
      int up = j - 1;
      while (up >= 0 && hilite(page, up) == 0) erase(page, up--) = d;
      if (up < 0) break;
      --countdown;
      top = j;
      j = up;
    }
  }
}

void SongCompiler::SetLineTimes() {
  const auto& lines = m_song.Lyrics().Lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    const KaraokeLine& line = *lines[i];
    if (!InTable(line.m_page, line.m_lineInPage)) continue;
    TimesOf(i).end = m_eraseTimes[TableIndex(line.m_page, line.m_lineInPage)];
    if (line.m_page > 0) TimesOf(i).start = m_eraseTimes[TableIndex(line.m_page - 1, line.m_lineInPage)];
  }
  const int64_t firstShown = m_firstStart - (m_titleShown ? int64_t(kTitleHoldHundredths) * m_hundredth : 0);
  for (size_t i = 0; i < lines.size(); ++i) {
    if (lines[i]->m_page == m_firstPage) TimesOf(i).start = static_cast<SampleTime>(firstShown);
    if (lines[i]->m_page == m_lastPage)
      TimesOf(i).end = static_cast<SampleTime>(m_lastEnd + int64_t(kLastPageTailSeconds) * m_rate);
  }
}

RowPlacement SongCompiler::RowOf(const KaraokeLine& line) const {
  RowPlacement placement{};
  m_song.Look().LyricsRow(line.m_lineInPage, placement.row, placement.rows);
  return placement;
}

void SongCompiler::WriteSweeps(const PageRecord& lyrics) {
  const auto& settings = m_song.Look().Settings();
  TextType style = lyrics.m_style;
  const auto& lines = m_song.Lyrics().Lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    // Sweeps are most of the work: they take the progress from 10 to 80.
    Report(10 + static_cast<int>(70 * i / lines.size()));
    if (m_generator.Aborted()) return;
    if (line->m_fixed || !line->HasWords() || !line->m_placed) continue;
    style.m_color = m_song.Look().LineColor(*line);
    const RowPlacement place = RowOf(*line);
    for (size_t w = 0; w < line->m_words.size(); ++w) {
      const KaraokeWord* word = line->m_words[w];
      const WordTimes& times = TimesOf(i).words[w];
      // A word without a time has nothing to sweep (its line is drawn later).
      if (times.start == 0 || times.start < m_fromTime) continue;
      const int start = OffsetOf(times.start);
      const int end = m_song.Look().SweepEntireWord() ? start + 1 : OffsetOf(times.end);
      m_generator.SweepText(place.rows, place.row, line->m_text, word->m_firstChar, word->m_lastChar, style,
                            lyrics.m_backgroundColor, settings.sweepColorIndex, settings.sweepMode == 1, start, end,
                            nullptr);
    }
  }
}

// Row by row, the line leaving a row is erased before the next page's line
// of that row is drawn, so the erase takes the earlier slots.
void SongCompiler::WriteDrawsAndErases(const PageRecord& lyrics) {
  TextType style = lyrics.m_style;
  const auto& lines = m_song.Lyrics().Lines();
  for (int page = -1; page <= m_lastPage; ++page) {
    for (int row = 0; row < m_linesPerPage; ++row) {
      for (size_t i = 0; i < lines.size(); ++i) {
        const auto& line = lines[i];
        const CompiledLineTimes& times = TimesOf(i);
        if (!line->m_placed || !line->HasWords() || line->m_lineInPage != row) continue;
        const bool erase = line->m_page == page && times.end > 0 && times.end >= m_fromTime;
        const bool draw = line->m_page == page + 1 && times.start >= m_fromTime;
        if (!erase && !draw) continue;
        style.m_color = m_song.Look().LineColor(*line);
        const RowPlacement place = RowOf(*line);
        if (erase)
          m_generator.EraseText(place.rows, place.row, line->m_text, style, lyrics.m_backgroundColor,
                                OffsetOf(times.end));
        if (draw)
          m_generator.DrawText(place.rows, place.row, line->m_text, style, lyrics.m_backgroundColor,
                               OffsetOf(times.start));
      }
    }
  }
}

void SongCompiler::DrawLyricsPicture(const PageRecord& lyrics) {
  if (!lyrics.m_hasPicture) return;
  m_generator.SetScreenPercent(lyrics.m_lyricsArea);
  if (auto bitmap = lyrics.m_picture.ToBitmap(lyrics.m_pictureMode)) {
    const auto colors = SongLook::PageColors(lyrics);
    m_generator.DrawImage(bitmap.get(), lyrics.m_placement, lyrics.m_drawTransition, colors.data(),
                          lyrics.m_backgroundColor, m_lyricsStart);
  }
  m_generator.SetScreenPercent(100);
}

void SongCompiler::DrawCredits() {
  const int creditsStart = m_streamEnd;
  const PageRecord* credits = m_song.Look().PageByKind(CreditsPage);
  if (credits && credits->m_enabled) {
    m_streamEnd += ColorPassesUntilTenthSecond(*credits, m_streamEnd);
    m_streamEnd += m_generator.DrawPage(*credits, false, m_streamEnd);
  }
  m_times.creditsLength = static_cast<uint32_t>(SampleTimeAt(m_streamEnd - creditsStart));
}

// The working music must last as long as the stream after the lead-in.
uint32_t SongCompiler::MusicBytesNeeded() const {
  if (m_song.Music().WorkingMusicPath().empty()) return 0;
  const int64_t streamBytes = m_streamEnd - StreamOffsetAt(m_leadIn, m_rate);
  int64_t musicBytes = MulDivRound(streamBytes, static_cast<int64_t>(m_song.Music().MusicBytesPerFrame()) * m_rate,
                                   kStreamBytesPerSecond);
  if (musicBytes < m_song.Music().MusicLengthAtLoad()) musicBytes = m_song.Music().MusicLengthAtLoad();
  return static_cast<uint32_t>(std::clamp<int64_t>(musicBytes, 0, std::numeric_limits<uint32_t>::max()));
}

CompileResult SongCompiler::Run() {
  Report(0);
  DrawTitle();

  const PageRecord* lyrics = m_song.Look().PageByKind(LyricsPage);
  if (m_song.Lyrics().LineCount() > 0 && lyrics) {
    m_streamEnd += ColorPassesUntilTenthSecond(*lyrics, m_streamEnd);
    m_lyricsStart = m_streamEnd;
    if (m_song.Look().IsDuet()) DrawDuetIntroduction(*lyrics);
    ScanPlacedWords();
    ComputeLeadIn();
    BuildHiliteEnd();
    BuildEraseTimes();
    SetLineTimes();
    Report(10);
    std::this_thread::yield();

    // Two passes wipe the duet introduction and start the lyrics page.
    for (int pass = 0; pass < 2; ++pass) m_lyricsStart += ColorPass(*lyrics, m_lyricsStart);
    WriteSweeps(*lyrics);
    std::this_thread::yield();
    Report(80);
    WriteDrawsAndErases(*lyrics);
    DrawLyricsPicture(*lyrics);
    m_streamEnd =
        static_cast<int>(StreamOffsetAt(m_shift + int64_t(kCreditsAfterLastWordSeconds) * m_rate + m_lastEnd, m_rate));
  }

  DrawCredits();
  CompileResult result;
  result.endOffset = static_cast<uint32_t>(std::max(0, m_streamEnd));
  result.leadIn = static_cast<int32_t>(m_leadIn);
  if (m_generator.Aborted()) {
    result.aborted = true;
    return result;
  }
  m_times.musicBytes = MusicBytesNeeded();
  result.times = std::move(m_times);
  Report(100);
  return result;
}

}  // namespace

CompileResult CompileSong(const Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime,
                          const CompileOptions& options) {
  SongCompiler compiler(song, buffer, size, fromTime, options);
  return compiler.Run();
}

void KeepCompiledTimes(Song& song, const CompiledTimes& times) {
  SongLyrics& lyrics = song.Lyrics();
  if (times.lines.size() != static_cast<size_t>(lyrics.LineCount())) return;  // compiled from another layout
  int firstWord = 0;  // the word list holds the lines' words in line order
  for (int i = 0; i < lyrics.LineCount(); ++i) {
    const int words = static_cast<int>(lyrics.Line(i)->m_words.size());
    const CompiledLineTimes& compiled = times.lines[static_cast<size_t>(i)];
    if (compiled.words.size() == static_cast<size_t>(words)) {
      lyrics.SetLineTimes(i, compiled.start, compiled.end);
      for (int w = 0; w < words; ++w)
        lyrics.SetWordTimes(firstWord + w, compiled.words[static_cast<size_t>(w)].start,
                            compiled.words[static_cast<size_t>(w)].end);
    }
    firstWord += words;
  }
  song.Music().SetIntroLength(times.introLength);
  song.Music().SetCreditsLength(times.creditsLength);
}

bool FitWorkingMusic(Song& song, const CompiledTimes& times) {
  if (song.Music().WorkingMusicPath().empty() || times.musicBytes == song.Music().MusicLength()) return true;
  return song.Music().LengthenMusic(times.musicBytes);
}

CompileResult CompileAndKeep(Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime,
                             const CompileOptions& options) {
  CompileResult result = CompileSong(song, buffer, size, fromTime, options);
  if (result.aborted) return result;
  KeepCompiledTimes(song, result.times);
  FitWorkingMusic(song, result.times);
  return result;
}

CompileResult CompileWholeSong(Song& song, const CompileOptions& options) {
  return CompileAndKeep(song, song.Music().RwMemory(), song.Music().RwMemorySize(), kCompileEverything, options);
}

}  // namespace lf
