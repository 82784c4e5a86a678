#pragma once
// PageRecord: one page record (title, lyrics or credits page) with its text
// style, background picture and palette, placement, transitions, colour
// indices and hold time. The record's fixed part is stored in a project file
// as one 249172-byte page block (WritePageBlock / ReadPageBlock); the duet
// colours, extra line styles and page text are stored around it by the
// project file itself.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/cdg/bitmap.h"
#include "core/cdg/text_type.h"

namespace lf {

enum PageKind : int32_t { TitlePage = 101, LyricsPage = 102, CreditsPage = 103 };

enum TransitionType : int32_t {
  FillRight = 0,
  FillLeft = 1,
  FillDown = 2,
  FillUp = 3,
  ScrollRight = 4,
  ScrollLeft = 5,
  ScrollDown = 6,
  ScrollUp = 7,
  BlockDissolve = 8,
  FadeIn = 9,
  FadeOut = 10,
};
inline constexpr int kTransitionCount = 11;

enum ImagePlacement : int32_t {
  PlacementTop = 0,
  PlacementCenter = 1,
  PlacementBottom = 2,
  PlacementTiled = 3,
  PlacementStretched = 4,
};
inline constexpr int kPlacementCount = 5;

// Display names; "" for any value outside the table.
const char* TransitionName(int transition);
const char* PlacementName(int placement);

class PageRecord {
 public:
  static constexpr size_t kPageBlockSize = 249172;
  static constexpr size_t kPictureOffset = 176;  // the Bitmap stored form starts here

  PageRecord();
  virtual ~PageRecord();
  PageRecord(const PageRecord&);
  PageRecord& operator=(const PageRecord&);

  // The page's colour table: the picture's palette as 0x00BBGGRR values.
  std::array<Colorref, kColorCount> PageColors() const { return m_picture.PaletteColors(); }

  // Writes exactly kPageBlockSize bytes; fields with no meaning in the file
  // and padding are zero.
  void WritePageBlock(uint8_t* out) const;
  // Reads the page block over this record's fields (duet colours, extra
  // lines and page text stay as they are). Fails when fewer than
  // kPageBlockSize bytes are given, or when a page that shows its picture
  // carries a picture of impossible size; a page without picture whose
  // picture fields are unusable gets an empty picture instead.
  bool ReadPageBlock(const uint8_t* data, size_t size, std::string* error = nullptr);

  int32_t m_kind = 0;       // PageKind
  int32_t m_reserved0 = 0;  // the second page field, 0 in new projects
  TextType m_style;         // style of the page text
  Bitmap m_picture;         // background picture; its palette is the page's colour table
  int32_t m_placement = PlacementTop;
  uint8_t m_hasPicture = 0;   // 1: the picture is drawn
  int32_t m_pictureMode = 1;  // dithering mode when the picture becomes a bitmap
  int32_t m_drawTransition = FillDown;
  int32_t m_eraseTransition = FillDown;
  int32_t m_backgroundColor = 15;  // colour index
  int32_t m_borderColor = 11;      // colour index
  int32_t m_reserved[3] = {0, 0, 0};
  int32_t m_lyricsArea = 0;  // 0 whole screen, 50 lower half, 75 lowest quarter
  int32_t m_holdTime = 200;  // hundredths of a second
  uint8_t m_enabled = 1;
  TextTypeVer5 m_duetColors;
  TextTypeVer6 m_extraLines;  // styles of lines 2, 3, ... of the page text
  std::string m_pageText;     // lines separated by line feeds
};

}  // namespace lf
