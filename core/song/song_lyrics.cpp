#include "core/song/song_lyrics.h"

#include <algorithm>

namespace lf {
namespace {

template <typename T>
T* At(const std::vector<std::unique_ptr<T>>& list, int index) {
  return index >= 0 && index < static_cast<int>(list.size()) ? list[index].get() : nullptr;
}

}  // namespace

SongLyrics::SongLyrics(SongObservers& observers, std::function<void()> markModified)
    : m_observers(observers), m_markModified(std::move(markModified)) {}

void SongLyrics::SetRawLyrics(std::string text) {
  m_rawLyrics = std::move(text);
  if (m_markModified) m_markModified();
}

void SongLyrics::SetArtist(std::string artist) {
  if (artist == m_artist) return;
  m_artist = std::move(artist);
  m_observers.Notify(SongChange::Artist);
}

void SongLyrics::SetTitle(std::string title) {
  if (title == m_title) return;
  m_title = std::move(title);
  m_observers.Notify(SongChange::Title);
}

const std::string& SongLyrics::DuetLabel(int index) const {
  static const std::string kNone;
  return index >= 0 && index < 3 ? m_duetLabels[index] : kNone;
}

void SongLyrics::SetDuetLabel(int index, std::string label) {
  if (index < 0 || index >= 3 || m_duetLabels[index] == label) return;
  m_duetLabels[index] = std::move(label);
  m_observers.Notify(SongChange::DuetLabels);
}

// --- reading ----------------------------------------------------------------------

const KaraokeLine* SongLyrics::Line(int index) const { return At(m_lines.lines, index); }
const KaraokeWord* SongLyrics::Word(int index) const { return At(m_lines.words, index); }
KaraokeLine* SongLyrics::MutableLine(int index) { return At(m_lines.lines, index); }
KaraokeWord* SongLyrics::MutableWord(int index) { return At(m_lines.words, index); }

int SongLyrics::IndexOfWord(const KaraokeWord* word) const {
  const auto it = std::find_if(m_lines.words.begin(), m_lines.words.end(),
                               [word](const std::unique_ptr<KaraokeWord>& w) { return w.get() == word; });
  return it == m_lines.words.end() ? -1 : static_cast<int>(it - m_lines.words.begin());
}

int SongLyrics::IndexOfLine(const KaraokeLine* line) const {
  const auto it = std::find_if(m_lines.lines.begin(), m_lines.lines.end(),
                               [line](const std::unique_ptr<KaraokeLine>& l) { return l.get() == line; });
  return it == m_lines.lines.end() ? -1 : static_cast<int>(it - m_lines.lines.begin());
}

int SongLyrics::WordAtTime(SampleTime t) const {
  for (int i = 0; i < WordCount(); ++i) {
    const auto& w = *m_lines.words[i];
    if (w.m_startTime <= t && t <= w.m_endTime) return i;
  }
  return -1;
}

int SongLyrics::WordAtPoint(int x, int y, int page) const {
  for (int i = 0; i < WordCount(); ++i) {
    const auto& w = *m_lines.words[i];
    if (w.m_line && w.m_line->m_page == page && w.m_rect.Contains(x, y)) return i;
  }
  return -1;
}

int SongLyrics::FirstWordOfPage(int page) const {
  for (int i = 0; i < WordCount(); ++i)
    if (m_lines.words[i]->m_line && m_lines.words[i]->m_line->m_page == page) return i;
  return -1;
}

int SongLyrics::LastWordOfPage(int page) const {
  for (int i = WordCount() - 1; i >= 0; --i)
    if (m_lines.words[i]->m_line && m_lines.words[i]->m_line->m_page == page) return i;
  return -1;
}

int SongLyrics::LastPage() const {
  int last = 0;
  for (const auto& line : m_lines.lines) last = std::max(last, int(line->m_page));
  return last;
}

bool SongLyrics::AnyWordPlaced() const {
  return std::any_of(m_lines.words.begin(), m_lines.words.end(),
                     [](const std::unique_ptr<KaraokeWord>& w) { return w->m_startTime != 0; });
}

// --- editing ----------------------------------------------------------------------

void SongLyrics::ReplaceLines(KaraokeLineList lines) {
  m_lines.Clear();
  m_lines = std::move(lines);
  m_observers.Notify(SongChange::LinesRebuilt);
}

void SongLyrics::ClearLines() {
  m_lines.Clear();
  m_observers.Notify(SongChange::LinesRebuilt);
}

void SongLyrics::RenumberPages(int linesPerPage) { CalcLineAndPageNumbers(m_lines, linesPerPage); }

void SongLyrics::SetWordTimes(int word, SampleTime start, SampleTime end) {
  if (KaraokeWord* w = MutableWord(word)) {
    w->m_startTime = start;
    w->m_endTime = end;
  }
}

void SongLyrics::SetWordStart(int word, SampleTime start) {
  if (KaraokeWord* w = MutableWord(word)) w->m_startTime = start;
}

void SongLyrics::SetWordEnd(int word, SampleTime end) {
  if (KaraokeWord* w = MutableWord(word)) w->m_endTime = end;
}

void SongLyrics::SetLineTimes(int line, SampleTime drawn, SampleTime erased) {
  if (KaraokeLine* l = MutableLine(line)) {
    l->m_startTime = drawn;
    l->m_endTime = erased;
  }
}

void SongLyrics::SetLinePlaced(int line, bool placed) {
  if (KaraokeLine* l = MutableLine(line)) l->m_placed = placed;
}

void SongLyrics::SetLineColor(int line, int32_t colorIndex) {
  if (KaraokeLine* l = MutableLine(line)) l->m_colorIndex = colorIndex;
}

namespace {
constexpr uint32_t kTimingMarks = KaraokeWord::kNeedsReview | KaraokeWord::kRetapped;

void SetFlag(KaraokeWord* w, uint32_t flag, bool on) {
  if (!w) return;
  if (on)
    w->m_flags |= flag;
  else
    w->m_flags &= ~flag;
}
}  // namespace

void SongLyrics::SelectWord(int word, bool on) { SetFlag(MutableWord(word), KaraokeWord::kSelected, on); }

void SongLyrics::MarkForReview(int word, bool on) { SetFlag(MutableWord(word), KaraokeWord::kNeedsReview, on); }

void SongLyrics::MarkRetapped(int word, bool on) { SetFlag(MutableWord(word), KaraokeWord::kRetapped, on); }

void SongLyrics::SetWordRect(int word, const WordRect& rect) {
  if (KaraokeWord* w = MutableWord(word)) w->m_rect = rect;
}

LyricTimes SongLyrics::Times() const {
  LyricTimes times;
  for (const auto& w : m_lines.words) {
    times.words.push_back({w->m_startTime, w->m_endTime});
    times.marks.push_back(w->m_flags & kTimingMarks);
  }
  for (const auto& l : m_lines.lines) {
    times.lines.push_back({l->m_startTime, l->m_endTime});
    times.placed.push_back(l->m_placed);
  }
  return times;
}

void SongLyrics::RestoreTimes(const LyricTimes& times) {
  if (times.words.size() != m_lines.words.size() || times.lines.size() != m_lines.lines.size()) return;
  for (size_t i = 0; i < times.words.size(); ++i) {
    m_lines.words[i]->m_startTime = times.words[i].start;
    m_lines.words[i]->m_endTime = times.words[i].end;
    if (i < times.marks.size())
      m_lines.words[i]->m_flags = (m_lines.words[i]->m_flags & ~kTimingMarks) | (times.marks[i] & kTimingMarks);
  }
  for (size_t i = 0; i < times.lines.size(); ++i) {
    m_lines.lines[i]->m_startTime = times.lines[i].start;
    m_lines.lines[i]->m_endTime = times.lines[i].end;
    m_lines.lines[i]->m_placed = times.placed[i];
  }
}

}  // namespace lf
