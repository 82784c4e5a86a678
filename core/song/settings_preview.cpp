#include "core/song/settings_preview.h"

#include <cstdio>

#include "core/cdg/rw_generator.h"
#include "core/playback/rw_renderer.h"

namespace lf {
namespace {

std::string SampleText(const char* format, int number) {
  char text[64];
  std::snprintf(text, sizeof text, format, number);
  return text;
}

// Colour table, border and background, as a lyrics page starts.
int PrepareLyricsScreen(CdgGenerator& generator, const PageRecord& lyrics, int offset) {
  const auto colors = SongLook::PageColors(lyrics);
  int advance = generator.LoadColorTable(colors.data(), offset);
  advance += generator.ClearScreen(lyrics.m_backgroundColor, offset + advance);
  advance += generator.SetBorder(lyrics.m_borderColor, offset + advance);
  return advance;
}

int DrawSampleRows(const Song& song, CdgGenerator& generator, const PageRecord& lyrics, int offset) {
  int advance = 0;
  int row = 0;
  for (const PreviewRow& sample : LyricsPreviewRows(song)) {
    int band, bands;
    song.Look().LyricsRow(row++, band, bands);
    TextType style = lyrics.m_style;
    style.m_color = sample.colorIndex;
    advance += generator.DrawText(bands, band, sample.text, style, lyrics.m_backgroundColor, offset + advance);
    if (sample.swept && !sample.text.empty())
      advance +=
          generator.SweepText(bands, band, sample.text, 0, static_cast<int>(sample.text.size()) - 1, style,
                              lyrics.m_backgroundColor, song.Look().Settings().sweepColorIndex,
                              song.Look().Settings().sweepMode == 1, offset + advance, offset + advance, nullptr);
  }
  return advance;
}

// The lyrics picture over its share of the screen, with the draw transition.
int DrawLyricsPicture(CdgGenerator& generator, PageRecord& lyrics, int offset) {
  if (!lyrics.m_hasPicture) return 0;
  int advance = 0;
  generator.SetScreenPercent(lyrics.m_lyricsArea);
  if (auto bitmap = lyrics.m_picture.ToBitmap(lyrics.m_pictureMode)) {
    const auto colors = SongLook::PageColors(lyrics);
    advance = generator.DrawImage(bitmap.get(), lyrics.m_placement, lyrics.m_drawTransition, colors.data(),
                                  lyrics.m_backgroundColor, offset);
  }
  generator.SetScreenPercent(100);
  return advance;
}

}  // namespace

std::vector<PreviewRow> LyricsPreviewRows(const Song& song) {
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  const TextTypeVer5 duet = lyrics ? lyrics->m_duetColors : TextTypeVer5{};
  const int singer1 = lyrics ? lyrics->m_style.m_color : ColorIndexSinger1;
  const bool isDuet = song.Look().IsDuet();
  std::vector<PreviewRow> rows;
  for (int row = 0; row < song.Look().LinesPerPage(); ++row) {
    if (row == 0)
      rows.push_back({"Sample line (swept)", singer1, true});
    else if (row <= 2)
      rows.push_back({SampleText("Sample Singer %d", isDuet ? row : 1),
                      isDuet && row == 2 ? duet.m_singer2Color : singer1, false});
    else
      rows.push_back({isDuet ? "Sample Both Singers" : "Sample Singer 1", isDuet ? duet.m_bothColor : singer1, false});
  }
  return rows;
}

void DrawLyricsPreview(const Song& song, CdgRenderer& renderer) {
  const PageRecord* lyrics = song.Look().PageByKind(LyricsPage);
  if (!lyrics) return;
  CdgGenerator generator(&renderer);
  PageRecord page = *lyrics;  // the picture's bitmap is cached in the record
  PrepareLyricsScreen(generator, page, 0);
  DrawSampleRows(song, generator, page, 0);
  DrawLyricsPicture(generator, page, 0);
  renderer.RefreshAll();
}

void DrawPagePreview(const Song& song, int32_t kind, CdgRenderer& renderer) {
  const PageRecord* source = song.Look().PageByKind(kind);
  if (!source) return;
  CdgGenerator generator(&renderer);
  PageRecord page = *source;
  generator.DrawPage(page, false, 0);
  renderer.RefreshAll();
}

PreviewStream PagePreviewStream(const Song& song, int32_t kind) {
  PreviewStream stream;
  const PageRecord* source = song.Look().PageByKind(kind);
  if (!source) return stream;
  stream.bytes.assign(static_cast<size_t>(kPreviewStreamSeconds) * kStreamBytesPerSecond, 0);
  CdgGenerator generator(stream.bytes.data(), static_cast<int32_t>(stream.bytes.size()));
  generator.SetPlayerSampleRate(song.Music().SampleRate());
  PageRecord page = *source;
  int offset = 0;
  if (kind == LyricsPage) {
    offset += PrepareLyricsScreen(generator, page, offset);
    offset += DrawSampleRows(song, generator, page, offset);
    offset += DrawLyricsPicture(generator, page, offset);
  } else {
    offset += generator.DrawPage(page, kind == TitlePage, offset);
  }
  stream.endOffset = static_cast<uint32_t>(std::min<size_t>(offset, stream.bytes.size()));
  return stream;
}

}  // namespace lf
