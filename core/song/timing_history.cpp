#include "core/song/timing_history.h"

#include "core/song/song.h"

namespace lf {

void TimingHistory::Record(std::string name, LyricTimes before, LyricTimes after) {
  if (before == after) return;
  m_steps.resize(m_done);
  m_steps.push_back({std::move(name), std::move(before), std::move(after)});
  m_done = m_steps.size();
}

std::string TimingHistory::UndoName() const { return CanUndo() ? m_steps[m_done - 1].name : std::string(); }

std::string TimingHistory::RedoName() const { return CanRedo() ? m_steps[m_done].name : std::string(); }

bool TimingHistory::Fits(const LyricTimes& times, const SongLyrics& lyrics) const {
  return times.words.size() == static_cast<size_t>(lyrics.WordCount()) &&
         times.lines.size() == static_cast<size_t>(lyrics.LineCount());
}

bool TimingHistory::Undo(SongLyrics& lyrics) {
  if (!CanUndo()) return false;
  const Step& step = m_steps[m_done - 1];
  if (!Fits(step.before, lyrics)) {
    Clear();
    return false;
  }
  lyrics.RestoreTimes(step.before);
  --m_done;
  return true;
}

bool TimingHistory::Redo(SongLyrics& lyrics) {
  if (!CanRedo()) return false;
  const Step& step = m_steps[m_done];
  if (!Fits(step.after, lyrics)) {
    Clear();
    return false;
  }
  lyrics.RestoreTimes(step.after);
  ++m_done;
  return true;
}

void TimingHistory::Clear() {
  m_steps.clear();
  m_done = 0;
}

TimingEdit::TimingEdit(Song& song, std::string name) : m_song(song), m_name(std::move(name)) {
  if (m_song.History().m_openEdits++ == 0) m_before = song.Lyrics().Times();
}

TimingEdit::~TimingEdit() {
  if (--m_song.History().m_openEdits == 0)
    m_song.History().Record(std::move(m_name), std::move(m_before), m_song.Lyrics().Times());
}

std::string StepNameForWord(const std::string& action, const SongLyrics& lyrics, int word) {
  const KaraokeWord* w = lyrics.Word(word);
  if (!w || !w->m_line || w->Length() == 0) return action;
  const std::string text =
      w->m_line->m_text.substr(static_cast<size_t>(w->m_firstChar), static_cast<size_t>(w->Length()));
  return action + " '" + text + "'";
}

}  // namespace lf
