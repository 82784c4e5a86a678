#include "core/timing/nudge_session.h"

#include <algorithm>
#include <cstdio>

#include "core/song/song.h"
#include "core/song/song_build.h"
#include "core/song/song_drawing.h"
#include "core/timing/music_analysis.h"
#include "core/timing/onset_snap.h"
#include "core/timing/repeated_line.h"
#include "core/timing/time_shift.h"

namespace lf {

namespace {

std::string Quoted(const KaraokeWord& w) {
  return "'" + w.m_line->m_text.substr(static_cast<size_t>(w.m_firstChar), static_cast<size_t>(w.Length())) + "'";
}

}  // namespace

NudgeSession::NudgeSession(Song& song, TimingPlayer& player, CdgRenderer* preview)
    : m_song(song), m_player(player), m_preview(preview) {}

NudgeSession::~NudgeSession() {
  m_player.Stop();
  for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) m_song.Lyrics().SelectWord(i, false);
  m_player.SetTempoChange(0);
}

int NudgeSession::SampleRate() const { return m_song.Music().SampleRate(); }

bool NudgeSession::StepTempo(int steps) {
  if (!m_tempo.Step(steps)) return false;
  m_player.SetTempoChange(m_tempo.TempoChange());  // also while a loop or an audition plays
  return true;
}

void NudgeSession::Open(int word) {
  const bool wasModified = m_song.IsModified();
  m_song.GenerateKaraokeLineList({.keepTimings = true, .convertMarkers = false});
  for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) m_song.Lyrics().SelectWord(i, false);
  m_page = 0;
  m_mode = NudgeMode::Stopped;
  if (word >= 0 && word < m_song.Lyrics().WordCount())
    Select(word);
  else if (const int first = m_song.Lyrics().FirstWordOfPage(m_page); first >= 0)
    Select(first);
  CalcWordRectangles(m_song);
  Redraw();
  m_song.Look().Settings().loopPlay = 1;
  m_song.SetModified(wasModified);
}

void NudgeSession::Redraw() {
  if (m_preview) DrawPage(m_song, *m_preview, m_page);
}

void NudgeSession::Select(int word) {
  for (int i = 0; i < m_song.Lyrics().WordCount(); ++i) m_song.Lyrics().SelectWord(i, false);
  const KaraokeWord* w = m_song.Lyrics().Word(word);
  m_selected = w ? word : -1;
  if (!w) return;
  m_song.Lyrics().SelectWord(word, true);
  if (w->m_line) m_page = w->m_line->m_page;
}

// --- keys ---------------------------------------------------------------------------

bool NudgeSession::KeyDown(TimingKey key, bool ctrl) {
  const bool stopped = m_mode == NudgeMode::Stopped;
  if (!m_held.IsHeld(key)) m_notice.clear();  // a new press: what the last one told is stale
  switch (key) {
    case TimingKey::Space:
      if (m_mode != NudgeMode::Loop && m_held.Press(key)) AuditionPlay();
      return true;
    case TimingKey::Up:
    case TimingKey::Down:
      if (m_held.Press(key)) StepTempo(key == TimingKey::Up ? 1 : -1);
      return true;
    case TimingKey::N:
      if (ctrl) return false;
      if (m_mode != NudgeMode::Audition && m_held.Press(key)) AdjustPlay();
      return true;
    case TimingKey::Comma:
      if (m_mode != NudgeMode::Audition && m_held.Press(key)) ctrl ? NudgeEndEarlier() : NudgeStartEarlier();
      return true;
    case TimingKey::Period:
      if (m_mode != NudgeMode::Audition && m_held.Press(key)) ctrl ? NudgeEndLater() : NudgeStartLater();
      return true;
    case TimingKey::S:
      if (ctrl) return false;
      if (m_mode != NudgeMode::Audition && m_held.Press(key)) Snap();
      return true;
    case TimingKey::U:
      if (ctrl) return false;
      if (m_held.Press(key)) NextUnsureWord();
      return true;
    case TimingKey::BracketLeft:
    case TimingKey::BracketRight:
      if (ctrl) return false;
      if (m_mode != NudgeMode::Audition && m_held.Press(key)) ShiftBySteps(key == TimingKey::BracketLeft ? -1 : 1);
      return true;
    case TimingKey::PageUp:
      if (stopped && Controls().previousPage) PreviousPage();
      return true;
    case TimingKey::PageDown:
      if (stopped && Controls().nextPage) NextPage();
      return true;
    case TimingKey::Left:
      if (stopped) SelectPrevious();
      return true;
    case TimingKey::Right:
      if (stopped) SelectNext();
      return true;
    case TimingKey::L:
      return !ctrl;
    default:
      return false;
  }
}

void NudgeSession::KeyUp(TimingKey key) { m_held.Release(key); }

// --- selecting ----------------------------------------------------------------------

void NudgeSession::Click(int x, int y, int width, int height, bool shift) {
  if (m_mode != NudgeMode::Stopped || width <= 0 || height <= 0) return;
  const int bx = x * kScreenWidth / width - kTileWidth, by = y * kScreenHeight / height - kTileHeight;
  const int word = m_song.Lyrics().WordAtPoint(bx, by, m_page);
  if (word >= 0)
    Select(word);
  else if (!shift)
    Select(-1);
  Redraw();
}

void NudgeSession::SelectPrevious() {
  const KaraokeWord* w = m_song.Lyrics().Word(m_selected);
  const bool onPage = w && w->m_line && w->m_line->m_page == m_page;
  Select(onPage ? std::max(m_selected - 1, 0) : m_song.Lyrics().FirstWordOfPage(m_page));
  Redraw();
}

void NudgeSession::SelectNext() {
  const KaraokeWord* w = m_song.Lyrics().Word(m_selected);
  const bool onPage = w && w->m_line && w->m_line->m_page == m_page;
  Select(onPage ? std::min(m_selected + 1, m_song.Lyrics().WordCount() - 1) : m_song.Lyrics().FirstWordOfPage(m_page));
  Redraw();
}

void NudgeSession::PreviousPage() {
  m_page = std::max(m_page - 1, 0);
  Select(m_song.Lyrics().FirstWordOfPage(m_page));
  Redraw();
}

void NudgeSession::NextPage() {
  m_page = std::min(m_page + 1, m_song.Lyrics().LastPage());
  Select(m_song.Lyrics().FirstWordOfPage(m_page));
  Redraw();
}

// --- nudging ------------------------------------------------------------------------

void NudgeSession::NudgeStartEarlier() {
  lf::NudgeStartEarlier(m_song, m_selected, AdjustStepFrames(m_song.Look().Settings(), SampleRate()));
}
void NudgeSession::NudgeStartLater() {
  lf::NudgeStartLater(m_song, m_selected, AdjustStepFrames(m_song.Look().Settings(), SampleRate()));
}
void NudgeSession::NudgeEndEarlier() {
  lf::NudgeEndEarlier(m_song, m_selected, AdjustStepFrames(m_song.Look().Settings(), SampleRate()));
}
void NudgeSession::NudgeEndLater() {
  lf::NudgeEndLater(m_song, m_selected, AdjustStepFrames(m_song.Look().Settings(), SampleRate()));
}

bool NudgeSession::Snap() {
  const auto analysis = MusicAnalysisCache::Instance().Get(m_song.Music().WorkingMusicPath());
  return analysis && SnapWordStart(m_song, m_selected, analysis->onsets, analysis->sampleRate);
}

// --- timing help ------------------------------------------------------------------

std::vector<WordConfidence> NudgeSession::RateWords() const {
  const auto analysis = MusicAnalysisCache::Instance().Get(m_song.Music().WorkingMusicPath());
  if (!analysis) return {};
  return RateWordTimes(m_song.Lyrics(), analysis->voice, analysis->sampleRate);
}

UnsureStep NudgeSession::NextUnsureWord() {
  m_notice.clear();
  if (!MusicAnalysisCache::Instance().Get(m_song.Music().WorkingMusicPath())) {
    m_notice = "The music is still being listened to; try again in a moment.";
    return UnsureStep::Listening;
  }
  const std::vector<WordConfidence> rated = RateWords();
  const int word = lf::NextUnsureWord(rated, m_selected);
  if (word < 0) {
    m_notice = "No word is unsure: the voice bears out every timed word.";
    return UnsureStep::NoneUnsure;
  }
  if (m_mode != NudgeMode::Stopped) StopPlaying();
  Select(word);
  Redraw();
  AdjustPlay();
  m_notice =
      Quoted(*m_song.Lyrics().Word(word)) + " may be timed wrong: " + rated[static_cast<size_t>(word)].doubt + ".";
  return UnsureStep::Looping;
}

Outcome NudgeSession::ShiftFrames(ShiftScope scope, int64_t frames) {
  const KaraokeWord* w = m_song.Lyrics().Word(m_selected);
  if (!w || !w->m_line)
    return Outcome::Failure(Reason::BadInput, "Click a word first: the shift starts there.", "Shift Times");
  Outcome shifted;
  switch (scope) {
    case ShiftScope::Word:
      shifted = ShiftWords(m_song, m_selected, m_selected, frames);
      break;
    case ShiftScope::Line: {
      const int line = m_song.Lyrics().IndexOfLine(w->m_line);
      shifted = ShiftLines(m_song, line, line, frames);
      break;
    }
    case ShiftScope::ToEnd:
      shifted = ShiftFromWord(m_song, m_selected, frames);
      break;
  }
  if (shifted) Redraw();
  return shifted;
}

Outcome NudgeSession::ShiftTimes(ShiftScope scope, int milliseconds) {
  const int rate = SampleRate() > 0 ? SampleRate() : kDefaultSampleRate;
  Outcome shifted = ShiftFrames(scope, int64_t{milliseconds} * rate / 1000);
  Tell(shifted);
  return shifted;
}

Outcome NudgeSession::ShiftBySteps(int steps) {
  const int rate = SampleRate() > 0 ? SampleRate() : kDefaultSampleRate;
  Outcome shifted = ShiftFrames(ShiftScope::ToEnd, int64_t{steps} * AdjustStepFrames(m_song.Look().Settings(), rate));
  Tell(shifted);
  return shifted;
}

Outcome NudgeSession::CopyTimingFromEarlierLine() {
  const KaraokeWord* w = m_song.Lyrics().Word(m_selected);
  Outcome copied = w && w->m_line ? lf::CopyTimingFromEarlierLine(m_song, m_song.Lyrics().IndexOfLine(w->m_line))
                                  : Outcome::Failure(Reason::BadInput, "Click a word of the line to time first.",
                                                     "Copy Timing From Earlier Line");
  if (copied) Redraw();
  Tell(copied);
  return copied;
}

void NudgeSession::Tell(const Outcome& outcome) { m_notice = outcome.text; }

// --- playing ------------------------------------------------------------------------

// Compiles the song and plays from the area start to its end, moved by half
// the sweep advance.
bool NudgeSession::Play(bool areaOn) {
  const PlayAreaSpan area = PlayArea(m_song, m_selected, areaOn, SampleRate());
  if (!m_song.Music().RwMemory()) m_song.Music().AllocateRwMemory(m_song.Music().MusicLengthAtLoad() == 0);
  if (!m_song.Music().RwMemory()) return false;
  // The whole song, not just from the area on: the player shows the screen as
  // the stream has it at the play start, lines drawn earlier and words swept.
  const SongBuild build = CompileLaidOutSong(m_song);
  if (!build) return false;
  m_leadIn = build.result.leadIn;
  const int64_t advance = int64_t{m_song.Look().Settings().sweepAdvance} * (SampleRate() / 100) / 2;
  const int64_t musicEnd =
      int64_t{m_leadIn} + m_song.Music().MusicLength() / std::max(m_song.Music().MusicBytesPerFrame(), 1);
  const int64_t start = std::max<int64_t>(area.start + m_leadIn + advance, 0);
  if (start >= musicEnd) return false;
  const int64_t end = area.end ? *area.end + m_leadIn + advance : 0;
  m_playStart = static_cast<int32_t>(start);
  m_player.SetTempoChange(m_tempo.TempoChange());
  const Outcome played = m_player.Play({m_song.Music().WorkingMusicPath(), build.stream, build.UsedBytes(), m_leadIn},
                                       true, m_playStart, static_cast<int32_t>(std::clamp<int64_t>(end, 0, INT32_MAX)));
  if (!played && m_playFailure) m_playFailure(played);
  return played.Ok();
}

void NudgeSession::StopPlaying() {
  m_player.Stop();
  m_mode = NudgeMode::Stopped;
}

void NudgeSession::AuditionPlay() {
  if (m_mode == NudgeMode::Stopped) {
    m_mode = NudgeMode::Audition;
    if (!Play(false)) m_mode = NudgeMode::Stopped;
  } else if (m_mode == NudgeMode::Audition) {
    const int32_t position = m_player.Position();
    StopPlaying();
    // The word being sung when it stopped; the selection stays when none was.
    if (const int word = m_song.Lyrics().WordAtTime(position - m_leadIn); word >= 0) Select(word);
    Redraw();
  }
}

void NudgeSession::AdjustPlay() {
  if (m_mode == NudgeMode::Stopped) {
    if (m_selected < 0) return;
    m_mode = NudgeMode::Loop;
    if (!Play(m_song.Look().Settings().loopPlay == 1)) m_mode = NudgeMode::Stopped;
  } else if (m_mode == NudgeMode::Loop) {
    StopPlaying();
    Redraw();
  }
}

void NudgeSession::OnEndNotice() {
  if (m_mode != NudgeMode::Loop) return;
  m_player.Stop();
  if (!Play(m_song.Look().Settings().loopPlay == 1)) {
    m_mode = NudgeMode::Stopped;
    Redraw();
  }
}

void NudgeSession::Tick() {
  if (m_mode == NudgeMode::Audition && m_player.ReachedEnd()) AuditionPlay();
}

void NudgeSession::AssignSinger(int singer) {
  const KaraokeWord* w = m_song.Lyrics().Word(m_selected);
  const PageRecord* lyrics = m_song.Look().PageByKind(LyricsPage);
  if (!w || !w->m_line || !lyrics || singer < 0 || singer > 2) return;
  const TextTypeVer5& duet = lyrics->m_duetColors;
  w->m_line->m_colorIndex = singer == 0 ? duet.m_singer1Color : singer == 1 ? duet.m_singer2Color : duet.m_bothColor;
  Redraw();
  m_song.SetModified(true);
}

NudgeControls NudgeSession::Controls() const {
  NudgeControls c;
  const bool stopped = m_mode == NudgeMode::Stopped;
  const bool selected = m_song.Lyrics().Word(m_selected) != nullptr;
  c.pageButtons = c.adjustArea = stopped;
  c.auditionGroup = m_mode != NudgeMode::Loop;
  c.adjustHint = selected && m_mode != NudgeMode::Audition;
  c.singersShown = m_song.Look().IsDuet();
  c.singersEnabled = c.singersShown && stopped && selected;
  if (selected && m_song.Lyrics().Word(m_selected)->m_line) {
    const int color = m_song.Lyrics().Word(m_selected)->m_line->m_colorIndex;
    c.singerChecked = color == ColorIndexSinger1   ? 0
                      : color == ColorIndexSinger2 ? 1
                      : color == ColorIndexDuet    ? 2
                                                   : -1;
  }
  c.previousPage = stopped && m_page > 0;
  c.nextPage = stopped && m_page < m_song.Lyrics().LastPage();
  char text[32];
  std::snprintf(text, sizeof text, "%d of %d", m_page + 1, m_song.Lyrics().LastPage() + 1);
  c.pageText = text;
  return c;
}

}  // namespace lf
