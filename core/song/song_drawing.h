#pragma once
// The song's lines drawn on preview screens in its look, and the word
// rectangles that the timing screens hit-test against.
#include "core/song/sample_time.h"

namespace lf {

class CdgRenderer;
class Song;
class SongLook;
class SongLyrics;

// Lays out every word with the lyrics page's style and stores its rectangle.
void CalcWordRectangles(SongLyrics& lyrics, const SongLook& look);
void CalcWordRectangles(Song& song);
// Draws the lines of `page` on a preview screen; selected words underlined.
void DrawPage(const Song& song, CdgRenderer& renderer, int page);
// Draws every line with start < t < end.
void DrawLinesAtTime(const Song& song, CdgRenderer& renderer, SampleTime t);

}  // namespace lf
