#pragma once
// The duet the lyric and subtitle file tests write: syllables, a pause, a
// line both singers sing, a line sung alongside the one before it, a fixed
// line, and words that look like each format's markup.
#include <utility>
#include <vector>

#include "core/lyrics/timed_lyrics.h"

namespace lf::test {

// Appends a line of `words`, shown from `show` to `erase`.
inline void AddLine(TimedLyrics& song, Singer singer, std::vector<TimedWord> words, Millis show, Millis erase,
                    bool fixed = false) {
  TimedLine line;
  line.singer = singer;
  line.words = std::move(words);
  line.show = show;
  line.erase = erase;
  line.fixed = fixed;
  song.lines.push_back(std::move(line));
}

inline TimedLyrics LyricFileDuet() {
  TimedLyrics song;
  song.title = "Duet & \"Friends\"";
  song.artist = "Ann <& Bob>";
  song.duet = true;
  song.singerNames = {"Ann", "Bob", ""};
  song.length = 30000;
  const auto add = [&](Singer singer, std::vector<TimedWord> words, Millis show, Millis erase, bool fixed = false) {
    AddLine(song, singer, std::move(words), show, erase, fixed);
  };
  add(Singer::kSinger1, {{"Twin", 1234, 1500}, {"kle", 1500, 1987, true}, {"star", 2345, 2999}}, 500, 9000);
  // Sung alongside the line before it.
  add(Singer::kSinger2, {{"<00:09.00>Hello", 1300, 1900}, {"R&B", 2100, 2800}, {"a\\Nb", 2800, 3333}}, 500, 9000);
  add(Singer::kBoth, {{"Grüße", 4001, 4567}, {"日本", 4567, 5003}}, 500, 9000);
  add(Singer::kSinger1, {{"(instrumental)", kUntimed, kUntimed}}, 500, 9000, true);
  add(Singer::kSinger1, {{"last", 9507, 10011}, {"one", 10011, 12345}}, 9000, 14000);
  return song;
}

}  // namespace lf::test
