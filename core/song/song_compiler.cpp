#include "core/song/song_compiler.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/cdg/rw_generator.h"
#include "core/song/song_settings.h"

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

// The song's values a compilation writes, kept so an aborted one can put them back.
class CompiledTimes {
 public:
  explicit CompiledTimes(Song& song) : m_song(song), m_intro(song.IntroLength()), m_credits(song.CreditsLength()) {
    for (const auto& line : song.Lines()) {
      m_lines.push_back({line->m_startTime, line->m_endTime});
      for (const KaraokeWord* word : line->m_words) m_words.push_back({word->m_startTime, word->m_endTime});
    }
  }
  void Restore() const {
    size_t l = 0, w = 0;
    for (const auto& line : m_song.Lines()) {
      line->m_startTime = m_lines[l].first;
      line->m_endTime = m_lines[l++].second;
      for (KaraokeWord* word : line->m_words) {
        word->m_startTime = m_words[w].first;
        word->m_endTime = m_words[w++].second;
      }
    }
    m_song.SetIntroLength(m_intro);
    m_song.SetCreditsLength(m_credits);
  }

 private:
  Song& m_song;
  int32_t m_intro;
  uint32_t m_credits;
  std::vector<std::pair<SampleTime, SampleTime>> m_lines, m_words;
};

// Rows of the lyrics area: the line's row R among N rows.
struct RowPlacement {
  int rows;
  int row;
};

class SongCompiler {
 public:
  SongCompiler(Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime, const CompileOptions& options)
      : m_song(song),
        m_generator(buffer, static_cast<int32_t>(std::min<uint32_t>(size, INT32_MAX))),
        m_fromTime(fromTime),
        m_rate(song.SampleRate()),
        m_hundredth(m_rate / 100),
        m_linesPerPage(std::max(1, song.LinesPerPage())),
        m_progress(options.progress) {
    if (buffer && size) std::memset(buffer, 0, size);
    m_generator.SetPlayerSampleRate(m_rate);
    if (options.dissolveSeed) m_generator.SetDissolveSeed(options.dissolveSeed);
    if (options.abort) m_generator.SetAbortCallback(options.abort);
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
  void DrawLyricsPicture(PageRecord& lyrics);
  void DrawCredits();
  void FitMusicLength();

  RowPlacement RowOf(const KaraokeLine& line) const;
  size_t TableIndex(int page, int row) const { return static_cast<size_t>(page) * m_linesPerPage + row; }
  bool InTable(int page, int row) const { return page >= 0 && page < m_pageCount && row >= 0 && row < m_linesPerPage; }

  void Report(int percent) const {
    if (m_progress) m_progress(percent);
  }

  Song& m_song;
  CdgGenerator m_generator;
  const SampleTime m_fromTime;
  const int m_rate;
  const int m_hundredth;
  const int m_linesPerPage;
  const std::function<void(int)> m_progress;

  int m_e = 0;
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
  const auto colors = Song::PageColors(page);
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

void SongCompiler::DrawTitle() {
  PageRecord* title = m_song.PageByKind(TitlePage);
  if (title && title->m_enabled) {
    m_e += ColorPassesUntilTenthSecond(*title, 0);
    m_e += m_generator.DrawPage(*title, true, m_e);
    m_titleShown = true;
  }
  m_song.SetIntroLength(static_cast<int32_t>(SampleTimeAt(m_e)));
}

void SongCompiler::DrawDuetIntroduction(const PageRecord& lyrics) {
  static constexpr int kLabelColors[3] = {ColorIndexSinger1, ColorIndexSinger2, ColorIndexDuet};
  const int64_t duration = Song::DuetDisplayDuration();
  TextType style = lyrics.m_style;
  style.m_hAlign = kAlignCenter;
  int o = m_e;
  int row = 1;
  bool first = true;
  for (int k = 0; k < 3; ++k) {
    const std::string& label = m_song.DuetLabel(k);
    if (label.empty()) continue;
    if (first) {
      m_e += static_cast<int>(StreamOffsetAt(duration * m_hundredth, m_rate));
      first = false;
    }
    style.m_color = kLabelColors[k];
    o += m_generator.DrawText(5, row, label, style, lyrics.m_backgroundColor, o);
    ++row;
  }
  m_lyricsStart = m_e;
}

void SongCompiler::ScanPlacedWords() {
  bool any = false;
  for (const auto& line : m_song.Lines()) {
    if (!line->m_placed) continue;
    for (const KaraokeWord* word : line->m_words) {
      if (word->m_startTime == 0 || word->m_endTime == 0) continue;
      if (!any) {
        m_firstStart = word->m_startTime;
        m_lastEnd = word->m_endTime;
        m_firstPage = line->m_page;
        m_lastPage = line->m_page;
        any = true;
      }
      m_lastEnd = std::max<int64_t>(m_lastEnd, word->m_endTime);
      m_firstStart = std::min<int64_t>(m_firstStart, word->m_startTime);
      m_lastPage = std::max(m_lastPage, line->m_page);
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
  m_shift = static_cast<int64_t>(m_song.Settings().sweepAdvance) * m_hundredth / 2;
  int64_t d = m_firstStart + m_shift - SampleTimeAt(m_e);
  if (m_titleShown) d -= int64_t(kTitleHoldHundredths) * m_hundredth;
  if (d < 0) {
    m_leadIn = -d;
    m_shift -= d;
  }
}

void SongCompiler::BuildHiliteEnd() {
  const auto& lines = m_song.Lines();
  m_pageCount = lines.empty() ? 0 : std::max(0, lines.back()->m_page) + 1;
  for (const auto& line : lines) m_pageCount = std::max(m_pageCount, line->m_page + 1);
  const uint64_t entries = static_cast<uint64_t>(m_pageCount) * m_linesPerPage;
  if (entries * sizeof(int32_t) > std::numeric_limits<uint32_t>::max())
    throw std::length_error("the song has too many pages to compile");
  m_hiliteEnd.assign(entries, 0);

  for (size_t i = 0; i < lines.size(); ++i) {
    KaraokeLine& line = *lines[i];
    if (!line.HasWords()) continue;
    KaraokeWord& last = *line.LastWord();
    const KaraokeLine* next = i + 1 < lines.size() ? lines[i + 1].get() : nullptr;
    // A line replaced on the next page by a line sung soon after must leave
    // room for the swap: its last word is cut short to make the gap.
    if (next && next->HasWords() && next->m_page != line.m_page && next->m_lineInPage == line.m_lineInPage) {
      const int64_t j = last.m_endTime;
      const int64_t k = next->FirstWord()->m_startTime;
      const int64_t gap =
          std::min<int64_t>(j - last.m_startTime + kSwapGapExtraFrames, int64_t(kMaxSwapGapSeconds) * m_rate);
      if (k - j < gap) last.m_endTime = static_cast<SampleTime>(j + (k - j) - gap);
    }
    if (InTable(line.m_page, line.m_lineInPage))
      m_hiliteEnd[TableIndex(line.m_page, line.m_lineInPage)] = last.m_endTime;
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
    int countdown = m_song.EraseFromBottom();
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
  for (const auto& line : m_song.Lines()) {
    if (!InTable(line->m_page, line->m_lineInPage)) continue;
    line->m_endTime = m_eraseTimes[TableIndex(line->m_page, line->m_lineInPage)];
    if (line->m_page > 0) line->m_startTime = m_eraseTimes[TableIndex(line->m_page - 1, line->m_lineInPage)];
  }
  const int64_t firstShown = m_firstStart - (m_titleShown ? int64_t(kTitleHoldHundredths) * m_hundredth : 0);
  for (const auto& line : m_song.Lines()) {
    if (line->m_page == m_firstPage) line->m_startTime = static_cast<SampleTime>(firstShown);
    if (line->m_page == m_lastPage)
      line->m_endTime = static_cast<SampleTime>(m_lastEnd + int64_t(kLastPageTailSeconds) * m_rate);
  }
}

RowPlacement SongCompiler::RowOf(const KaraokeLine& line) const {
  RowPlacement placement{};
  m_song.LyricsRow(line.m_lineInPage, placement.row, placement.rows);
  return placement;
}

void SongCompiler::WriteSweeps(const PageRecord& lyrics) {
  const auto& settings = m_song.Settings();
  TextType style = lyrics.m_style;
  const auto& lines = m_song.Lines();
  for (size_t i = 0; i < lines.size(); ++i) {
    const auto& line = lines[i];
    // Sweeps are most of the work: they take the progress from 10 to 80.
    Report(10 + static_cast<int>(70 * i / lines.size()));
    if (m_generator.Aborted()) return;
    if (line->m_fixed || !line->HasWords() || !line->m_placed) continue;
    style.m_color = m_song.LineColor(*line);
    const RowPlacement place = RowOf(*line);
    for (const KaraokeWord* word : line->m_words) {
      // A word without a time has nothing to sweep (its line is drawn later).
      if (word->m_startTime == 0 || word->m_startTime < m_fromTime) continue;
      const int start = OffsetOf(word->m_startTime);
      const int end = m_song.SweepEntireWord() ? start + 1 : OffsetOf(word->m_endTime);
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
  const auto& lines = m_song.Lines();
  for (int page = -1; page <= m_lastPage; ++page) {
    for (int row = 0; row < m_linesPerPage; ++row) {
      for (const auto& line : lines) {
        if (!line->m_placed || !line->HasWords() || line->m_lineInPage != row) continue;
        const bool erase = line->m_page == page && line->m_endTime > 0 && line->m_endTime >= m_fromTime;
        const bool draw = line->m_page == page + 1 && line->m_startTime >= m_fromTime;
        if (!erase && !draw) continue;
        style.m_color = m_song.LineColor(*line);
        const RowPlacement place = RowOf(*line);
        if (erase)
          m_generator.EraseText(place.rows, place.row, line->m_text, style, lyrics.m_backgroundColor,
                                OffsetOf(line->m_endTime));
        if (draw)
          m_generator.DrawText(place.rows, place.row, line->m_text, style, lyrics.m_backgroundColor,
                               OffsetOf(line->m_startTime));
      }
    }
  }
}

void SongCompiler::DrawLyricsPicture(PageRecord& lyrics) {
  if (!lyrics.m_hasPicture) return;
  m_generator.SetScreenPercent(lyrics.m_lyricsArea);
  if (auto bitmap = lyrics.m_picture.ToBitmap(lyrics.m_pictureMode)) {
    const auto colors = Song::PageColors(lyrics);
    m_generator.DrawImage(bitmap.get(), lyrics.m_placement, lyrics.m_drawTransition, colors.data(),
                          lyrics.m_backgroundColor, m_lyricsStart);
  }
  m_generator.SetScreenPercent(100);
}

void SongCompiler::DrawCredits() {
  const int creditsStart = m_e;
  PageRecord* credits = m_song.PageByKind(CreditsPage);
  if (credits && credits->m_enabled) {
    m_e += ColorPassesUntilTenthSecond(*credits, m_e);
    m_e += m_generator.DrawPage(*credits, false, m_e);
  }
  m_song.SetCreditsLength(static_cast<uint32_t>(SampleTimeAt(m_e - creditsStart)));
}

// The working music must last as long as the stream after the lead-in.
void SongCompiler::FitMusicLength() {
  if (m_song.WorkingMusicPath().empty()) return;
  const int64_t streamBytes = m_e - StreamOffsetAt(m_leadIn, m_rate);
  int64_t musicBytes =
      MulDivRound(streamBytes, static_cast<int64_t>(m_song.MusicBytesPerFrame()) * m_rate, kStreamBytesPerSecond);
  if (musicBytes < m_song.MusicLengthAtLoad()) musicBytes = m_song.MusicLengthAtLoad();
  musicBytes = std::clamp<int64_t>(musicBytes, 0, std::numeric_limits<uint32_t>::max());
  if (musicBytes != m_song.MusicLength()) m_song.LengthenMusic(static_cast<uint32_t>(musicBytes));
}

CompileResult SongCompiler::Run() {
  const CompiledTimes before(m_song);
  Report(0);
  m_song.SetCreditsLength(0);
  DrawTitle();

  PageRecord* lyrics = m_song.PageByKind(LyricsPage);
  if (m_song.LineCount() > 0 && lyrics) {
    m_e += ColorPassesUntilTenthSecond(*lyrics, m_e);
    m_lyricsStart = m_e;
    if (m_song.IsDuet()) DrawDuetIntroduction(*lyrics);
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
    m_e =
        static_cast<int>(StreamOffsetAt(m_shift + int64_t(kCreditsAfterLastWordSeconds) * m_rate + m_lastEnd, m_rate));
  }

  DrawCredits();
  CompileResult result;
  result.endOffset = static_cast<uint32_t>(std::max(0, m_e));
  result.leadIn = static_cast<int32_t>(m_leadIn);
  if (m_generator.Aborted()) {
    before.Restore();
    result.aborted = true;
    return result;
  }
  FitMusicLength();
  Report(100);
  return result;
}

}  // namespace

CompileResult CompileSong(Song& song, uint8_t* buffer, uint32_t size, SampleTime fromTime,
                          const CompileOptions& options) {
  SongCompiler compiler(song, buffer, size, fromTime, options);
  return compiler.Run();
}

CompileResult CompileWholeSong(Song& song, const CompileOptions& options) {
  return CompileSong(song, song.RwMemory(), song.RwMemorySize(), kCompileEverything, options);
}

int32_t Song::WriteRwMemory(uint8_t* buffer, uint32_t size, uint32_t& endOffset, SampleTime fromTime) {
  const CompileResult result = CompileSong(*this, buffer, size, fromTime);
  endOffset = result.endOffset;
  return result.leadIn;
}

}  // namespace lf
