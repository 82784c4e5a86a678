#pragma once
// What the Place Lyrics preview shows: the page being placed, the next word
// underlined in its line's colour, placed words in the sweep colour. Draws
// into a renderer only; no packets are written.
namespace lf {

class Song;
class CdgRenderer;

class PlacementPreview {
 public:
  PlacementPreview(const Song& song, CdgRenderer& renderer) : m_song(song), m_renderer(renderer) {}

  // The lines of the page that holds word `word`.
  void DrawPageOf(int word);
  // `MarkNextWord`: word `word` underlined in its line's colour.
  void MarkNextWord(int word);
  // Word `word` recoloured in the song's sweep colour.
  void SweepWord(int word);

 private:
  void Sweep(int word, bool underline);

  const Song& m_song;
  CdgRenderer& m_renderer;
};

}  // namespace lf
