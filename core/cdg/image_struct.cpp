#include "core/cdg/image_struct.h"

#include <cstring>

#include "core/platform/text_encoding.h"

namespace lf {
namespace {

constexpr const char* kTransitionNames[kTransitionCount] = {
    "Fill Right",  "Fill Left", "Fill Down",      "Fill Up", "Scroll Right", "Scroll Left",
    "Scroll Down", "Scroll Up", "Block Dissolve", "Fade In", "Fade Out",
};
constexpr const char* kPlacementNames[kPlacementCount] = {"Top", "Center", "Bottom", "Tiled", "Stretched"};

// Page block offsets after the picture.
constexpr size_t kPlacementOffset = 249120;
constexpr size_t kHasPictureOffset = 249124;
constexpr size_t kPictureModeOffset = 249128;
constexpr size_t kEnabledOffset = 249168;
static_assert(PageRecord::kPictureOffset + Bitmap::kStoredSize == kPlacementOffset);

void Put32(uint8_t* at, uint32_t v) {
  at[0] = uint8_t(v);
  at[1] = uint8_t(v >> 8);
  at[2] = uint8_t(v >> 16);
  at[3] = uint8_t(v >> 24);
}
int32_t Get32(const uint8_t* at) {
  return int32_t(uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) | (uint32_t(at[3]) << 24));
}

}  // namespace

const char* TransitionName(int transition) {
  return transition >= 0 && transition < kTransitionCount ? kTransitionNames[transition] : "";
}

const char* PlacementName(int placement) {
  return placement >= 0 && placement < kPlacementCount ? kPlacementNames[placement] : "";
}

PageRecord::PageRecord() {
  m_style.m_color = 12;
  m_style.m_outlineColor = 13;
}
PageRecord::~PageRecord() = default;
PageRecord::PageRecord(const PageRecord&) = default;
PageRecord& PageRecord::operator=(const PageRecord&) = default;

void PageRecord::WritePageBlock(uint8_t* out) const {
  std::memset(out, 0, kPageBlockSize);
  Put32(out + 0, uint32_t(m_kind));
  Put32(out + 4, uint32_t(m_reserved0));
  std::memcpy(out + 12, m_style.m_faceName, kFaceNameSize);
  out[12 + kFaceNameSize - 1] = 0;
  Put32(out + 140, uint32_t(m_style.m_color));
  Put32(out + 144, uint32_t(m_style.m_height));
  Put32(out + 148, m_style.m_flags);
  Put32(out + 152, uint32_t(m_style.m_hAlign));
  Put32(out + 156, uint32_t(m_style.m_vAlign));
  Put32(out + 160, uint32_t(m_style.m_outlineColor));
  Put32(out + 164, uint32_t(m_style.m_backgroundBox));
  Put32(out + 168, uint32_t(m_style.m_backgroundColor));
  m_picture.Serialize(out + kPictureOffset);
  Put32(out + kPlacementOffset, uint32_t(m_placement));
  out[kHasPictureOffset] = m_hasPicture;
  Put32(out + kPictureModeOffset, uint32_t(m_pictureMode));
  Put32(out + 249132, uint32_t(m_drawTransition));
  Put32(out + 249136, uint32_t(m_eraseTransition));
  Put32(out + 249140, uint32_t(m_backgroundColor));
  Put32(out + 249144, uint32_t(m_borderColor));
  for (int k = 0; k < 3; ++k) Put32(out + 249148 + 4 * k, uint32_t(m_reserved[k]));
  Put32(out + 249160, uint32_t(m_lyricsArea));
  Put32(out + 249164, uint32_t(m_holdTime));
  out[kEnabledOffset] = m_enabled;
}

bool PageRecord::ReadPageBlock(const uint8_t* data, size_t size, std::string* error) {
  if (!data || size < kPageBlockSize) {
    if (error)
      *error = "page block too short: " + std::to_string(size) + " of " + std::to_string(kPageBlockSize) + " bytes";
    return false;
  }
  const uint8_t hasPicture = data[kHasPictureOffset];
  Bitmap picture;
  std::string pictureError;
  if (!picture.Deserialize(data + kPictureOffset, Bitmap::kStoredSize, &pictureError)) {
    if (hasPicture) {
      if (error) *error = "page picture: " + pictureError;
      return false;
    }
    // The palette still holds the page's colours.
    const uint8_t* palette = data + kPictureOffset + Bitmap::kPaletteOffset;
    for (int k = 0; k < kColorCount; ++k)
      picture.SetPaletteColor(k, MakeRgb(palette[4 * k + 2], palette[4 * k + 1], palette[4 * k]));
  }
  m_kind = Get32(data + 0);
  m_reserved0 = Get32(data + 4);
  // The face name is stored in the writer's code page; bounded by its field.
  const char* face = reinterpret_cast<const char*>(data + 12);
  m_style.SetFaceName(ToUtf8(std::string_view(face, strnlen(face, kFaceNameSize))));
  m_style.m_color = Get32(data + 140);
  m_style.m_height = Get32(data + 144);
  m_style.m_flags = uint32_t(Get32(data + 148));
  m_style.m_hAlign = Get32(data + 152);
  m_style.m_vAlign = Get32(data + 156);
  m_style.m_outlineColor = Get32(data + 160);
  m_style.m_backgroundBox = Get32(data + 164);
  m_style.m_backgroundColor = Get32(data + 168);
  m_picture = picture;
  m_placement = Get32(data + kPlacementOffset);
  m_hasPicture = hasPicture;
  m_pictureMode = Get32(data + kPictureModeOffset);
  m_drawTransition = Get32(data + 249132);
  m_eraseTransition = Get32(data + 249136);
  m_backgroundColor = Get32(data + 249140);
  m_borderColor = Get32(data + 249144);
  for (int k = 0; k < 3; ++k) m_reserved[k] = Get32(data + 249148 + 4 * k);
  m_lyricsArea = Get32(data + 249160);
  m_holdTime = Get32(data + 249164);
  m_enabled = data[kEnabledOffset];
  return true;
}

}  // namespace lf
