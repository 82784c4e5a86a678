#include "core/cdg/bitmap.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/cdg/picture_decoder.h"

namespace lf {
namespace {

// --- little-endian store helpers ------------------------------------------------
void Put16(uint8_t*& p, uint16_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p += 2;
}
void Put32(uint8_t*& p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
  p[2] = uint8_t(v >> 16);
  p[3] = uint8_t(v >> 24);
  p += 4;
}
uint16_t Get16(const uint8_t*& p) {
  uint16_t v = uint16_t(p[0] | (p[1] << 8));
  p += 2;
  return v;
}
uint32_t Get32(const uint8_t*& p) {
  uint32_t v = uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  p += 4;
  return v;
}

// --- colour arithmetic ---------------------------------------------------------
struct Rgb {
  int r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

Rgb RgbOfPixel(uint32_t argb) { return {int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF)}; }
Rgb RgbOfEntry(const RgbQuad& q) { return {q.red, q.green, q.blue}; }
RgbQuad EntryOf(const Rgb& c) { return {uint8_t(c.b), uint8_t(c.g), uint8_t(c.r), 0}; }

int SquaredDistance(const Rgb& a, const Rgb& b) {
  int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
  return dr * dr + dg * dg + db * db;
}
double Distance(const Rgb& a, const Rgb& b) { return std::sqrt(double(SquaredDistance(a, b))); }

// Index of the entry of `entries` (first `count`) nearest to `c`, ties to the
// lower index; `skip` is left out of the search.
int Nearest(const Rgb* entries, int count, const Rgb& c, int skip = -1) {
  int best = -1, bestDistance = 0;
  for (int k = 0; k < count; ++k) {
    if (k == skip) continue;
    int d = SquaredDistance(entries[k], c);
    if (best < 0 || d < bestDistance) {
      best = k;
      bestDistance = d;
    }
  }
  return best;
}

// The dithering's random numbers: 0 ... 32767.
class DitherRandom {
 public:
  explicit DitherRandom(uint32_t seed) : m_state(seed) {}
  int Next() {
    m_state = m_state * 214013u + 2531011u;
    return int((m_state >> 16) & 0x7FFF);
  }

 private:
  uint32_t m_state;
};

int IndexRowBytes(int width) { return ((width + 7) / 8) * 4; }

}  // namespace

Bitmap::Bitmap() : m_colorPixels(kMaxPixels, 0), m_indexPixels(kIndexPixelBytes, 0) {}
Bitmap::~Bitmap() = default;
Bitmap::Bitmap(const Bitmap& other) = default;
Bitmap& Bitmap::operator=(const Bitmap& other) = default;

void Bitmap::Copy(const Bitmap& other) {
  if (this != &other) *this = other;
}

void Bitmap::Clear() {
  m_header = BitmapInfoHeader{};
  m_palette.fill(RgbQuad{});
  std::fill(m_colorPixels.begin(), m_colorPixels.end(), 0u);
  std::fill(m_indexPixels.begin(), m_indexPixels.end(), uint8_t(0));
  m_stale = 0;
  m_lastMode = 0;
}

void Bitmap::FitSize(int width, int height, int& fitWidth, int& fitHeight) {
  fitWidth = fitHeight = 0;
  if (width <= 0 || height <= 0) return;
  // Single precision, as the sizes have always been computed.
  float sx = float(kMaxWidth) / float(width);
  float sy = float(kMaxHeight) / float(height);
  float s = sx < sy ? sx : sy;
  if (s < 1.0f) {
    fitWidth = std::min(int(s * float(width)), kMaxWidth);
    fitHeight = std::min(int(s * float(height)), kMaxHeight);
    // A very thin picture still keeps one row or column.
    fitWidth = std::max(fitWidth, 1);
    fitHeight = std::max(fitHeight, 1);
  } else {
    fitWidth = width;
    fitHeight = height;
  }
}

bool Bitmap::Load(const std::string& path, std::string* error) {
  PictureDecoder decoder;
  std::vector<uint32_t> pixels;
  int fitWidth = 0, fitHeight = 0;
  bool ok = decoder.Open(path);
  if (ok) {
    FitSize(decoder.Width(), decoder.Height(), fitWidth, fitHeight);
    ok = decoder.Scale(fitWidth, fitHeight, pixels);
  }
  if (!ok) {
    Clear();
    if (error) *error = decoder.Error();
    return false;
  }
  StorePicture(fitWidth, fitHeight, pixels);
  return true;
}

bool Bitmap::SetPicture(int width, int height, const uint32_t* argb) {
  if (!argb || width <= 0 || height <= 0) {
    Clear();
    return false;
  }
  int fitWidth = 0, fitHeight = 0;
  FitSize(width, height, fitWidth, fitHeight);
  std::vector<uint32_t> pixels;
  if (fitWidth == width && fitHeight == height) {
    pixels.assign(argb, argb + static_cast<size_t>(width) * height);
  } else if (!PictureDecoder::ScalePixels(argb, width, height, fitWidth, fitHeight, pixels)) {
    Clear();
    return false;
  }
  StorePicture(fitWidth, fitHeight, pixels);
  return true;
}

void Bitmap::StorePicture(int width, int height, const std::vector<uint32_t>& pixels) {
  FillHeader(width, height);
  std::copy(pixels.begin(), pixels.end(), m_colorPixels.begin());
  std::fill(m_colorPixels.begin() + static_cast<ptrdiff_t>(pixels.size()), m_colorPixels.end(), 0u);
  BuildPalette();
}

void Bitmap::FillHeader(int width, int height) {
  m_header = BitmapInfoHeader{};
  m_header.size = kHeaderBytes;
  m_header.width = width;
  m_header.height = height;
  m_header.planes = 1;
  m_header.bitCount = 4;
  m_header.clrUsed = kColorCount;
  m_palette.fill(RgbQuad{});
  std::fill(m_indexPixels.begin(), m_indexPixels.end(), uint8_t(0));
}

// The first 11 distinct colours (4 bits a component) fill the palette; a later
// colour replaces its nearest entry when it lies farther from the other ten
// than that entry does, which spreads the entries over the picture's range.
void Bitmap::BuildPalette() {
  Rgb entries[kPictureColors];
  int count = 0;
  const int width = Width(), height = Height();
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = m_colorPixels.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      Rgb q = RgbOfPixel(row[x]);
      q.r &= 0xF0;
      q.g &= 0xF0;
      q.b &= 0xF0;
      if (std::find(entries, entries + count, q) != entries + count) continue;
      if (count < kPictureColors) {
        entries[count++] = q;
        continue;
      }
      int nearest = Nearest(entries, count, q);
      double sumNearest = 0, sumCandidate = 0;
      for (int k = 0; k < count; ++k) {
        if (k == nearest) continue;
        sumNearest += Distance(entries[nearest], entries[k]);
        sumCandidate += Distance(q, entries[k]);
      }
      if (sumCandidate > sumNearest) entries[nearest] = q;
    }
  }
  m_palette.fill(RgbQuad{});
  for (int k = 0; k < count; ++k) m_palette[k] = EntryOf(entries[k]);
  m_stale = 1;
}

void Bitmap::SetIndexPixel(int x, int y, uint8_t index) { WriteIndexPixel(x, y, index); }

void Bitmap::WriteIndexPixel(int x, int y, uint8_t index) const {
  size_t offset = static_cast<size_t>(Height() - 1 - y) * IndexRowBytes(Width()) + x / 2;
  uint8_t& byte = m_indexPixels[offset];
  if (x % 2 == 0)
    byte = uint8_t((byte & 0x0F) | ((index & 0x0F) << 4));
  else
    byte = uint8_t((byte & 0xF0) | (index & 0x0F));
}

uint8_t Bitmap::IndexPixel(int x, int y) const {
  size_t offset = static_cast<size_t>(Height() - 1 - y) * IndexRowBytes(Width()) + x / 2;
  uint8_t byte = m_indexPixels[offset];
  return x % 2 == 0 ? uint8_t(byte >> 4) : uint8_t(byte & 0x0F);
}

void Bitmap::Quantise(int mode) const {
  Rgb entries[kPictureColors];
  for (int k = 0; k < kPictureColors; ++k) entries[k] = RgbOfEntry(m_palette[k]);
  DitherRandom random(m_ditherSeed);
  const int width = Width(), height = Height();
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = m_colorPixels.data() + static_cast<size_t>(y) * width;
    for (int x = 0; x < width; ++x) {
      Rgb c = RgbOfPixel(row[x]);
      int nearest = Nearest(entries, kPictureColors, c);
      int chosen = nearest;
      if (mode > 0) {
        int second = Nearest(entries, kPictureColors, c, nearest);
        double d1 = Distance(entries[nearest], c);
        double d2 = Distance(entries[second], c);
        double threshold = double(random.Next()) * (d2 * 100.0 / mode + d1) / 32767.0;
        chosen = d1 < threshold ? nearest : second;
      }
      WriteIndexPixel(x, y, uint8_t(chosen));
    }
  }
}

std::unique_ptr<PictureBitmap> Bitmap::ToBitmap(int mode) const {
  if (IsEmpty() || Width() > kMaxWidth || Height() > kMaxHeight) return nullptr;
  if (m_stale || mode != m_lastMode) {
    m_lastMode = mode;
    Quantise(mode);
  }
  auto bitmap = std::make_unique<PictureBitmap>(Width(), Height());
  for (int y = 0; y < Height(); ++y)
    for (int x = 0; x < Width(); ++x) bitmap->Set(x, y, IndexPixel(x, y));
  bitmap->SetPalette(PaletteColors());
  m_stale = 0;
  return bitmap;
}

Colorref Bitmap::PaletteColor(int index) const {
  if (index < 0 || index >= kColorCount) return 0;
  const RgbQuad& q = m_palette[index];
  return MakeRgb(q.red, q.green, q.blue);
}

std::array<Colorref, kColorCount> Bitmap::PaletteColors() const {
  std::array<Colorref, kColorCount> colors{};
  for (int k = 0; k < kColorCount; ++k) colors[k] = PaletteColor(k);
  return colors;
}

void Bitmap::SetPaletteColor(int index, Colorref color) {
  if (index < 0 || index >= kColorCount) return;
  RgbQuad q{BlueOf(color), GreenOf(color), RedOf(color), 0};
  if (m_palette[index] == q) return;
  m_palette[index] = q;
  m_stale = 1;
}

uint32_t Bitmap::ColorPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
  return m_colorPixels[static_cast<size_t>(y) * Width() + x];
}

// --- stored form ---------------------------------------------------------------

void Bitmap::Serialize(uint8_t* out) const {
  uint8_t* p = out;
  Put32(p, m_header.size);
  Put32(p, uint32_t(m_header.width));
  Put32(p, uint32_t(m_header.height));
  Put16(p, m_header.planes);
  Put16(p, m_header.bitCount);
  Put32(p, m_header.compression);
  Put32(p, m_header.sizeImage);
  Put32(p, uint32_t(m_header.xPelsPerMeter));
  Put32(p, uint32_t(m_header.yPelsPerMeter));
  Put32(p, m_header.clrUsed);
  Put32(p, m_header.clrImportant);
  for (const RgbQuad& q : m_palette) {
    *p++ = q.blue;
    *p++ = q.green;
    *p++ = q.red;
    *p++ = q.reserved;
  }
  for (uint32_t v : m_colorPixels) Put32(p, v);
  std::memcpy(p, m_indexPixels.data(), kIndexPixelBytes);
  p += kIndexPixelBytes;
  *p++ = m_stale;
  *p++ = 0;  // padding
  *p++ = 0;
  *p++ = 0;
  Put32(p, uint32_t(m_lastMode));
}

std::vector<uint8_t> Bitmap::Serialize() const {
  std::vector<uint8_t> bytes(kStoredSize);
  Serialize(bytes.data());
  return bytes;
}

bool Bitmap::Deserialize(const uint8_t* data, size_t size, std::string* error) {
  auto fail = [&](const std::string& why) {
    Clear();
    if (error) *error = why;
    return false;
  };
  if (!data || size < kStoredSize)
    return fail("picture data too short: " + std::to_string(size) + " of " + std::to_string(kStoredSize) + " bytes");
  const uint8_t* p = data;
  BitmapInfoHeader header;
  header.size = Get32(p);
  header.width = int32_t(Get32(p));
  header.height = int32_t(Get32(p));
  header.planes = Get16(p);
  header.bitCount = Get16(p);
  header.compression = Get32(p);
  header.sizeImage = Get32(p);
  header.xPelsPerMeter = int32_t(Get32(p));
  header.yPelsPerMeter = int32_t(Get32(p));
  header.clrUsed = Get32(p);
  header.clrImportant = Get32(p);
  // The size decides how the pixel stores are indexed: it must fit them.
  if (header.width < 0 || header.width > kMaxWidth || header.height < 0 || header.height > kMaxHeight)
    return fail("picture size " + std::to_string(header.width) + " x " + std::to_string(header.height) +
                " is out of range");
  m_header = header;
  for (RgbQuad& q : m_palette) {
    q.blue = *p++;
    q.green = *p++;
    q.red = *p++;
    q.reserved = *p++;
  }
  for (uint32_t& v : m_colorPixels) v = Get32(p);
  std::memcpy(m_indexPixels.data(), p, kIndexPixelBytes);
  p += kIndexPixelBytes;
  m_stale = *p;
  p += 4;
  m_lastMode = int32_t(Get32(p));
  return true;
}

}  // namespace lf
