// The one place the timed lyrics are read off the song: its lines, words,
// singers and times, the compiler's show and erase times, and the lyrics
// page's look.
#include <algorithm>

#include "core/lyrics/timed_lyrics.h"
#include "core/song/song.h"
#include "core/song/song_compiler.h"

namespace lf {

namespace {

Millis MillisOf(int64_t frames, int rate) { return (std::max<int64_t>(0, frames) * 1000 + rate / 2) / rate; }

Singer SingerOf(const Song& song, const KaraokeLine& line) {
  if (!song.Look().IsDuet()) return Singer::kSinger1;
  switch (line.m_colorIndex) {
    case ColorIndexSinger2:
      return Singer::kSinger2;
    case ColorIndexDuet:
      return Singer::kBoth;
    default:
      return Singer::kSinger1;
  }
}

std::string WordText(const KaraokeLine& line, const KaraokeWord& word) {
  const int size = int(line.m_text.size());
  const int first = std::max(0, word.m_firstChar);
  const int last = std::min(size - 1, word.m_lastChar);
  return last >= first ? line.m_text.substr(size_t(first), size_t(last) - size_t(first) + 1) : "";
}

TimedWord TimedWordOf(const KaraokeLine& line, const KaraokeWord& word, int rate, Millis shift) {
  TimedWord timed;
  timed.text = WordText(line, word);
  timed.joinsPrevious = (word.m_flags & KaraokeWord::kJoinsPrevious) != 0;
  if (word.IsPlaced()) {
    timed.start = MillisOf(word.m_startTime, rate) + shift;
    timed.end = std::max(timed.start, MillisOf(word.m_endTime, rate) + shift);
  }
  return timed;
}

// 0x00BBGGRR as the page palette stores it -> 0xRRGGBB.
uint32_t Rgb(Colorref color) { return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF); }

TimedLyricsLook LookOf(const Song& song) {
  TimedLyricsLook look;
  const PageRecord* page = song.Look().PageByKind(LyricsPage);
  if (!page) return look;
  const auto colors = SongLook::PageColors(*page);
  const auto color = [&](int index) { return Rgb(colors[size_t(std::clamp(index, 0, kColorCount - 1))]); };
  look.font = page->m_style.FaceName();
  look.fontHeight = page->m_style.m_height;
  look.bold = page->m_style.IsBold();
  look.italic = page->m_style.IsItalic();
  look.outline = page->m_style.IsOutlined();
  look.lineColors = {color(ColorIndexSinger1), color(ColorIndexSinger2), color(ColorIndexDuet),
                     color(song.Look().FixedColorIndex())};
  look.sweepColor = color(ColorIndexSweep);
  look.outlineColor = color(ColorIndexOutline);
  return look;
}

}  // namespace

TimedLyrics TimedLyricsFromSong(const Song& song, const CompiledTimes* compiled, const TimedLyricsOptions& options) {
  const int rate = song.Music().SampleRate();
  const Millis shift = options.base == TimingBase::kExport ? std::max<Millis>(0, options.exportLeadIn) : 0;
  TimedLyrics lyrics;
  lyrics.title = song.Lyrics().Title();
  lyrics.artist = song.Lyrics().Artist();
  lyrics.duet = song.Look().IsDuet();
  for (int i = 0; i < 3; ++i) lyrics.singerNames[size_t(i)] = song.Lyrics().DuetLabel(i);
  const uint32_t musicBytes =
      song.Music().MusicLengthAtLoad() > 0 ? song.Music().MusicLengthAtLoad() : song.Music().MusicLength();
  if (musicBytes > 0) lyrics.length = MillisOf(musicBytes / uint32_t(song.Music().MusicBytesPerFrame()), rate) + shift;
  lyrics.look = LookOf(song);
  const bool withWindows = compiled && compiled->lines.size() == size_t(song.Lyrics().LineCount());
  for (int i = 0; i < song.Lyrics().LineCount(); ++i) {
    const KaraokeLine& line = *song.Lyrics().Line(i);
    TimedLine timed;
    timed.singer = SingerOf(song, line);
    timed.fixed = line.m_fixed;
    timed.newPage = line.m_newPage;
    for (const KaraokeWord* word : line.m_words) timed.words.push_back(TimedWordOf(line, *word, rate, shift));
    if (withWindows && compiled->lines[size_t(i)].end > compiled->lines[size_t(i)].start) {
      timed.show = MillisOf(compiled->lines[size_t(i)].start, rate) + shift;
      timed.erase = MillisOf(compiled->lines[size_t(i)].end, rate) + shift;
    }
    lyrics.lines.push_back(std::move(timed));
  }
  return lyrics;
}

}  // namespace lf
