#pragma once
// CdgGenerator: turns drawing requests into CD+G packets. Each operation
// paints into its own 288 x 192 drawing bitmap, encodes the affected cells
// into tile packets and writes them into a memory stream of 24-byte slots.
// Every emitting operation takes a stream offset in bytes and returns the
// number of bytes by which the caller advances its running offset.
//
// A generator may also mirror its drawings onto a preview target (the
// renderer of a settings preview) instead of, or as well as, writing a stream.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "core/cdg/cdg_packet.h"
#include "core/cdg/draw_bitmap.h"
#include "core/cdg/free_slot_finder.h"
#include "core/cdg/image_struct.h"
#include "core/cdg/picture_bitmap.h"
#include "core/cdg/preview_target.h"
#include "core/cdg/screen_geometry.h"
#include "core/cdg/text_type.h"

namespace lf {

class FontRasterizer;
struct SweptLine;

// A rectangle of drawing-bitmap pixels (right and bottom exclusive).
using TextRect = ScreenRect;

class CdgGenerator {
 public:
  using AbortCallback = std::function<bool()>;
  using PageRecord = lf::PageRecord;

  // No targets: for the member functions that need no output.
  CdgGenerator();
  // Preview: drawings appear on `renderer` (not owned).
  explicit CdgGenerator(PreviewTarget* renderer);
  // Compilation into `stream` (not owned) of `size` bytes, whose empty
  // slots are zero.
  CdgGenerator(uint8_t* stream, int32_t size);
  virtual ~CdgGenerator();
  CdgGenerator(const CdgGenerator&) = delete;
  CdgGenerator& operator=(const CdgGenerator&) = delete;

  // --- targets and options ----------------------------------------------------
  void SetRenderer(PreviewTarget* renderer) { m_renderer = renderer; }
  PreviewTarget* Renderer() const { return m_renderer; }
  // A preview generator may be given a stream too, to play the preview later.
  void SetStream(uint8_t* stream, int32_t size);
  uint8_t* Stream() const { return m_stream; }
  int32_t StreamSize() const { return m_streamSize; }
  bool HasOutput() const { return m_stream != nullptr && m_streamSize > 0; }

  // Polled between packets and cells; once it answers true the running
  // operation stops, and every later one returns at once.
  void SetAbortCallback(AbortCallback callback) { m_abort = std::move(callback); }
  bool Aborted();

  // 1: a text line's rectangle is widened by the font's average character width.
  void SetTrailingSpace(int flag) { m_trailingSpace = flag; }
  int TrailingSpace() const { return m_trailingSpace; }
  // Share of the screen, from the top, that picture transitions cover (0-100).
  void SetScreenPercent(int percent) { m_screenPercent = percent; }
  int ScreenPercent() const { return m_screenPercent; }

  // --- packets ----------------------------------------------------------------
  // Stores `packet` in the first empty slot at or after `offset` and returns
  // (that slot - offset) + 24. Without a stream, or for an offset in or past
  // the stream's last slot, nothing is stored and the return is 24; when no
  // slot is free before the last one the packet is dropped (return 24).
  int WritePacket(const CdgPacket& packet, int offset);
  int LoadColorTable(const Colorref* colors16, int offset);
  int ClearScreen(int colorIndex, int offset);
  int SetBorder(int colorIndex, int offset);
  // One ScrollCopy; 0 (nothing written) without output or when aborted.
  int EmitScroll(int hCommand, int hOffset, int vCommand, int vOffset, int offset);
  int FillCell(int tileColumn, int tileRow, int colorIndex, int offset);

  // --- cells ------------------------------------------------------------------
  // The tiles reproducing one 6 x 12 cell of `bitmap`: a TileBlockNormal of
  // its two lowest colours, then one TileBlockXor per further colour.
  int EncodeCell(const DrawingBitmap& bitmap, int cellColumn, int cellRow, int tileColumn, int tileRow, int offset);
  // A TileBlockXor turning pixels of colour `base` into `color` where the
  // cell has `color`; nothing when the cell has no such pixel.
  std::optional<CdgPacket> MakeColorXorTile(const DrawingBitmap& bitmap, int cellColumn, int cellRow, int tileColumn,
                                            int tileRow, int color, int base) const;
  // The palette index `bitmap` stores `color` as (the nearest entry).
  static int ColorIndexOf(const DrawingBitmap& bitmap, Colorref color);

  // Copies `rect` of `bitmap` onto the preview target's screen (pixel
  // (x, y) to (x + 6, y + 12)) and shows it. No target: no-op.
  // Pixels of index `transparentIndex` (when 0-15) are left as they are.
  void PreviewCopy(const DrawingBitmap& bitmap, const TextRect& rect, int transparentIndex = -1);

  // --- text -------------------------------------------------------------------
  // Lays out line `lineNumber` of `lineCount` in band `band` of
  // `linesPerPage` bands, measured with `font`; returns the bottom.
  int LayoutText(const FontRasterizer& font, int linesPerPage, int band, std::string_view text, const TextType& style,
                 int lineCount, int lineNumber, const TextTypeVer6* lineStyles, TextRect& rect) const;
  // Draws `text` (lines separated by line feeds) into `bitmap` in the colours
  // `colors16` (each mapped to the bitmap's nearest palette entry).
  void RenderText(DrawingBitmap& bitmap, int linesPerPage, int band, std::string_view text, const TextType& style,
                  const Colorref* colors16, TextRect* outRect, const TextTypeVer6* lineStyles);
  // Draws the first last + 1 characters of `text`, '&'s removed as
  // RenderText removes them; reports the rectangle of characters
  // first .. last. Character indices are byte indices into `text`. Only the
  // cells of that rectangle (CellsOf) are drawn: a word costs the word.
  void RenderSweepText(DrawingBitmap& bitmap, int linesPerPage, int band, std::string_view text, const TextType& style,
                       const Colorref* colors16, TextRect* outRect, int first, int last);

  // Where the pixels of lyric line `text` fall when DrawText draws it: its
  // ink, outline included, before the drawing area clips it (so it may reach
  // past 0 and kDrawWidth x kDrawHeight). Empty for an empty line or no font.
  TextRect LineInk(int linesPerPage, int band, std::string_view text, const TextType& style);
  // The height of a line of `style`, outline included: the least a band must be to hold it.
  int LineHeight(const TextType& style);

  // Packets painting the line over tiles of the background colour.
  int DrawText(int linesPerPage, int band, std::string_view text, const TextType& style, int backgroundIndex,
               int offset);
  // Packets painting the line's cells in the background colour.
  int EraseText(int linesPerPage, int band, std::string_view text, const TextType& style, int backgroundIndex,
                int offset);
  // XOR tiles recolouring characters first .. last in `sweepIndex`, spread
  // evenly from `startOffset` to `endOffset`.
  int SweepText(int linesPerPage, int band, std::string_view text, int first, int last, const TextType& style,
                int backgroundIndex, int sweepIndex, bool boxMode, int startOffset, int endOffset, TextRect* outRect);

  // --- pictures and pages ------------------------------------------------------
  // A drawing bitmap with the picture's palette, filled with
  // `backgroundIndex`, with the picture placed on it (ImagePlacement).
  std::unique_ptr<DrawingBitmap> PlaceImage(const PictureBitmap& picture, int placement, int backgroundIndex) const;
  // The packets of one transition (TransitionType) revealing `bitmap`; an
  // unknown transition writes nothing and returns 0. Covers the top
  // ScreenPercent() of the screen.
  int EmitTransition(const DrawingBitmap& bitmap, int transition, const Colorref* colors16, int backgroundIndex,
                     int offset);
  // Places `picture` and emits it; 0 when `picture` is null.
  int DrawImage(const PictureBitmap* picture, int placement, int transition, const Colorref* colors16,
                int backgroundIndex, int offset);
  // Places `picture`, draws `text` over it in the picture's colours, emits.
  int DrawImageWithText(const PictureBitmap* picture, int placement, int transition, const Colorref* colors16,
                        int backgroundIndex, int linesPerPage, int band, std::string_view text, const TextType& style,
                        int offset, const TextTypeVer6* lineStyles);
  // `text` on a plain background of `backgroundIndex`, emitted with the
  // transition; an empty text paints the background only.
  int DrawTextPage(int linesPerPage, int band, std::string_view text, const TextType& style, int transition,
                   int backgroundIndex, const Colorref* colors16, int offset, const TextTypeVer6* lineStyles);
  // A whole page: colour table, clear, border, picture or text with the draw
  // transition, the hold time, and (when `eraseAfterwards`) the erase
  // transition. Returns 0 when the page's picture cannot be made a bitmap.
  int DrawPage(const PageRecord& page, bool eraseAfterwards, int offset);

  // Block Dissolve draws its order from the clock unless a seed is fixed here
  // (reproducible streams, tests).
  void SetDissolveSeed(std::optional<uint32_t> seed) { m_dissolveSeed = seed; }
  // Sample rate of the player the stream is meant for (0: none); it sets how
  // many slots a page's hold time takes.
  void SetPlayerSampleRate(int rate) { m_playerSampleRate = rate; }
  int PlayerSampleRate() const { return m_playerSampleRate; }

 protected:
  // Calls `visit(column, row)` for each cell a text rectangle touches,
  // columns outer, rows inner; stops when `visit` answers false.
  template <typename Visit>
  static void ForEachCell(const TextRect& rect, Visit&& visit) {
    const int firstColumn = rect.left / kTileWidth < 0 ? 0 : rect.left / kTileWidth;
    const int lastColumn = rect.right / kTileWidth > kDrawColumns - 1 ? kDrawColumns - 1 : rect.right / kTileWidth;
    const int firstRow = rect.top / kTileHeight < 0 ? 0 : rect.top / kTileHeight;
    const int lastRow = rect.bottom / kTileHeight > kDrawRows - 1 ? kDrawRows - 1 : rect.bottom / kTileHeight;
    for (int column = firstColumn; column <= lastColumn; ++column)
      for (int row = firstRow; row <= lastRow; ++row)
        if (!visit(column, row)) return;
  }
  // The pixels of the cells ForEachCell visits for `rect`.
  static TextRect CellsOf(const TextRect& rect);

 private:
  struct FontCache;
  // The font for a face, height and style flags, or nullptr when no face at
  // all can be loaded. Fonts are kept for the generator's life: a song
  // compilation draws hundreds of lines in a handful of styles.
  const FontRasterizer* FontFor(const std::string& face, int height, uint32_t flags);
  // `text` shaped for sweeping in `font`, kept while the sweeps stay on it.
  const SweptLine& SweptLineFor(const FontRasterizer& font, std::string_view text);
  // LayoutText for a text already measured as `textWidth` pixels wide.
  int LayoutMeasured(const FontRasterizer& font, int linesPerPage, int band, int textWidth, const TextType& style,
                     int lineCount, int lineNumber, const TextTypeVer6* lineStyles, TextRect& rect) const;

  PreviewTarget* m_renderer = nullptr;
  int64_t UsableSlots() const;

  uint8_t* m_stream = nullptr;
  int32_t m_streamSize = 0;
  FreeSlotFinder m_freeSlots;
  AbortCallback m_abort;
  bool m_aborted = false;
  int m_trailingSpace = 1;
  int m_screenPercent = 100;
  std::unique_ptr<FontCache> m_fonts;
  std::unique_ptr<SweptLine> m_sweptLine;
  std::optional<uint32_t> m_dissolveSeed;
  int m_playerSampleRate = 0;

  // Applies `op` to the preview target, if any, and shows the result.
  template <typename Op>
  void MirrorToPreview(Op&& op) {
    if (m_renderer == nullptr) return;
    op(*m_renderer);
    m_renderer->ShowChanges();
  }

  // Transitions (rw_generator_transitions.cpp).
  int CoveredRows() const;
  int LastCoveredRow() const;
  int FillTransition(const DrawingBitmap& bitmap, int transition, int offset);
  int DissolveTransition(const DrawingBitmap& bitmap, int offset);
  int HorizontalScroll(const DrawingBitmap& bitmap, bool right, int offset);
  int VerticalScroll(const DrawingBitmap& bitmap, bool down, int offset);
  int FadeTransition(const DrawingBitmap& bitmap, bool fadeIn, const Colorref* colors16, int backgroundIndex,
                     int offset);
  void PreviewRows(const DrawingBitmap& bitmap, int rows);
};

}  // namespace lf
