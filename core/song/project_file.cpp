#include "core/song/project_file.h"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "core/platform/outcome.h"
#include "core/platform/staged_output.h"
#include "core/platform/text_encoding.h"
#include "core/song/binary_reader.h"
#include "core/song/binary_writer.h"
#include "core/song/music_location.h"
#include "core/song/song.h"

namespace lf {
namespace {

constexpr const char* kCaption = "Lyricforge";
constexpr size_t kLineEntryMinimum = 4 * 4 + 2 + 4 + 4;  // fields, text count, word count
constexpr size_t kExtraStyleMinimum = 4 * 4 + 4 + 1;     // four fields, a face of one byte

void Put32(uint8_t* block, size_t offset, int32_t value) { StoreInt32(block + offset, value); }
int32_t Get32(const uint8_t* block, size_t offset) { return LoadInt32(block + offset); }

// --- strings ------------------------------------------------------------------

// Project strings are UTF-8; older files carry Windows-1252.
bool ReadText(BinaryReader& in, std::string& out) {
  if (!in.ReadString(out)) return false;
  out = ToUtf8(out);
  return true;
}

// Byte offsets of each Windows-1252 character once converted, so that word
// character indices still name the same characters.
std::vector<int32_t> ConvertedOffsets(const std::string& original) {
  std::vector<int32_t> offsets(original.size() + 1);
  int32_t at = 0;
  for (size_t i = 0; i < original.size(); ++i) {
    offsets[i] = at;
    at += static_cast<int32_t>(Windows1252ToUtf8(std::string_view(&original[i], 1)).size());
  }
  offsets[original.size()] = at;
  return offsets;
}

// --- ranges -------------------------------------------------------------------

// A field read from the file and the values the program takes for it (the
// values the settings commands accept); anything else is damage, which would
// overflow the arithmetic the field feeds.
struct FieldRange {
  const char* name;
  int64_t value, low, high;
};

// The first field out of its range, told as the reason the file is refused; "" when all fit.
std::string OutOfRange(std::initializer_list<FieldRange> fields) {
  for (const FieldRange& f : fields)
    if (f.value < f.low || f.value > f.high)
      return std::string("the ") + f.name + " " + std::to_string(f.value) + " is outside " + std::to_string(f.low) +
             " to " + std::to_string(f.high);
  return "";
}

constexpr int64_t kLongestHold = 360000;         // hundredths of a second: an hour
constexpr int64_t kLongestPlayArea = 3'600'000;  // thousandths of a second or of a word
constexpr int64_t kLargestAdjustStep = 60'000;   // milliseconds
constexpr int64_t kTallestText = 192;            // pixels, as a page's text size may be set
constexpr int64_t kLastPaletteIndex = kColorCount - 1;

std::string SettingsOutOfRange(const SongSettingsBlock& b) {
  return OutOfRange({{"sweep mode", b.sweepMode, 0, 1},
                     {"sweep colour index", b.sweepColorIndex, 0, kLastPaletteIndex},
                     {"sweep advance", b.sweepAdvance, -500, 0},
                     {"play-before amount", b.playBeforeAmount, 0, kLongestPlayArea},
                     {"play-after amount", b.playAfterAmount, 0, kLongestPlayArea},
                     {"adjust step", b.adjustStep, -kLargestAdjustStep, kLargestAdjustStep}});
}

std::string PageOutOfRange(const PageRecord& page) {
  return OutOfRange({{"page kind", page.m_kind, TitlePage, CreditsPage},
                     {"page text size", page.m_style.m_height, 1, kTallestText},
                     {"page text alignment", page.m_style.m_hAlign, 0, 2},
                     {"page text vertical alignment", page.m_style.m_vAlign, 0, 2},
                     {"page hold time", page.m_holdTime, 0, kLongestHold},
                     {"page draw transition", page.m_drawTransition, 0, kTransitionCount - 1},
                     {"page erase transition", page.m_eraseTransition, 0, kTransitionCount - 1},
                     {"page picture placement", page.m_placement, 0, kPlacementCount - 1},
                     {"page lyrics area", page.m_lyricsArea, 0, 100}});
}

std::string LineOutOfRange(const KaraokeLine& line, int32_t lineCount) {
  return OutOfRange({{"line page", line.m_page, 0, lineCount},
                     {"line row", line.m_lineInPage, 0, kDrawRows - 1},
                     {"line colour index", line.m_colorIndex, 0, kLastPaletteIndex}});
}

int32_t MapIndex(const std::vector<int32_t>& offsets, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= offsets.size()) return index;
  return offsets[static_cast<size_t>(index)];
}

// --- loading ------------------------------------------------------------------

std::string DamagedProjectText(const std::string& why) {
  return std::string(kProjectCorrupted) + "\n\n" + char(std::toupper(static_cast<unsigned char>(why[0]))) +
         why.substr(1) + ".";
}

class ProjectLoader {
 public:
  ProjectLoader(Song& song, BinaryReader& in, int32_t version, std::string path)
      : m_song(song), m_in(in), m_version(version), m_path(std::move(path)) {}

  bool LoadBody();
  // Why LoadBody failed when a field was out of range ("" when the file ended early).
  const std::string& RangeError() const { return m_rangeError; }

 private:
  bool LoadTexts();
  bool LoadPage();
  bool LoadExtraLineStyles(PageRecord& page);
  bool LoadLine(int32_t lineCount);
  // False, keeping `problem` as the reason, when it is not "".
  bool InRange(std::string problem) {
    m_rangeError = std::move(problem);
    return m_rangeError.empty();
  }
  // A count from the file, never more items than the rest of the file can hold.
  bool ReadCount(int32_t& count, size_t minimumItemSize);

  Song& m_song;
  KaraokeLineList m_lines;  // read into here, then given to the song
  BinaryReader& m_in;
  const int32_t m_version;
  const std::string m_path;  // the project file, beside which moved music is looked for
  std::string m_rangeError;
};

bool ProjectLoader::ReadCount(int32_t& count, size_t minimumItemSize) {
  if (!m_in.ReadInt32(count)) return false;
  if (count < 0) count = 0;
  return static_cast<uint64_t>(count) * minimumItemSize <= m_in.Remaining();
}

bool ProjectLoader::LoadTexts() {
  std::string lyrics, music;
  if (!ReadText(m_in, lyrics)) return false;
  m_song.Lyrics().SetRawLyrics(std::move(lyrics));
  if (!m_in.ReadString(music)) return false;
  m_song.SetMusicPath(StoredMusicPath(music, m_path));  // measures the music, as a new path does

  m_song.Lyrics().SetArtist({});
  m_song.Lyrics().SetTitle({});
  for (int k = 0; k < 3; ++k) m_song.Lyrics().SetDuetLabel(k, {});
  m_song.Look().SetFixedColorIndex(ColorIndexFixed);
  m_song.Look().SetEraseFromBottom(0);
  m_song.Look().SetSweepEntireWord(false);
  if (m_version < 600) return true;

  int32_t eraseFromBottom, sweepEntireWord;
  std::string artist, title, label;
  if (!m_in.ReadInt32(eraseFromBottom) || !m_in.ReadInt32(sweepEntireWord)) return false;
  if (eraseFromBottom < 0 || eraseFromBottom > kDrawRows) return false;
  m_song.Look().SetEraseFromBottom(eraseFromBottom);
  m_song.Look().SetSweepEntireWord(sweepEntireWord != 0);
  if (!ReadText(m_in, artist) || !ReadText(m_in, title)) return false;
  m_song.Lyrics().SetArtist(std::move(artist));
  m_song.Lyrics().SetTitle(std::move(title));
  for (int k = 0; k < 3; ++k) {
    if (!ReadText(m_in, label)) return false;
    m_song.Lyrics().SetDuetLabel(k, std::move(label));
  }
  return true;
}

bool ProjectLoader::LoadExtraLineStyles(PageRecord& page) {
  int32_t count;
  if (!ReadCount(count, kExtraStyleMinimum)) return false;
  for (int32_t i = 0; i < count; ++i) {
    int32_t color, height, flags, hAlign;
    std::string face;
    if (!m_in.ReadInt32(color) || !m_in.ReadInt32(height) || !m_in.ReadInt32(flags) || !m_in.ReadInt32(hAlign) ||
        !ReadText(m_in, face) || face.empty())
      return false;
    page.m_extraLines.Add(color, height, static_cast<uint32_t>(flags), face, hAlign);
  }
  return true;
}

bool ProjectLoader::LoadPage() {
  PageRecord page;
  std::vector<uint8_t> block(kPageBlockSize);
  if (!m_in.Read(block.data(), block.size()) || !page.ReadPageBlock(block.data(), block.size())) return false;
  page.m_style.SetFaceName(ToUtf8(page.m_style.FaceName()));
  page.m_duetColors = TextTypeVer5{};
  if (m_version == 500 && !m_in.Skip(kOldPageExtraSize)) return false;
  page.m_extraLines.Clear();
  if (m_version >= 600 && !LoadExtraLineStyles(page)) return false;
  if (!ReadText(m_in, page.m_pageText)) return false;
  if (!InRange(PageOutOfRange(page))) return false;
  // Entry 8 became the fixed-line colour in version 601.
  if (m_version <= 600 && page.m_kind == LyricsPage)
    page.m_picture.SetPaletteColor(ColorIndexFixed, MakeRgb(255, 165, 0));
  m_song.Look().AddPage(page);
  return true;
}

bool ProjectLoader::LoadLine(int32_t lineCount) {
  KaraokeLineList& list = m_lines;
  KaraokeLine& line = list.AddLine();
  uint8_t placed, newPage;
  if (!m_in.ReadInt32(line.m_page) || !m_in.ReadInt32(line.m_startTime) || !m_in.ReadInt32(line.m_endTime) ||
      !m_in.ReadInt32(line.m_lineInPage) || !m_in.ReadUInt8(placed) || !m_in.ReadUInt8(newPage))
    return false;
  line.m_placed = placed != 0;
  line.m_newPage = newPage != 0;
  line.m_colorIndex = ColorIndexSinger1;
  if (m_version >= 500) {
    uint8_t singer2;
    if (!m_in.ReadInt32(line.m_colorIndex) || !m_in.ReadUInt8(singer2)) return false;
    line.m_singer2 = singer2 != 0;
  }
  if (m_version >= 601) {
    uint8_t fixed;
    if (!m_in.ReadUInt8(fixed)) return false;
    line.m_fixed = fixed != 0;
  }
  if (!InRange(LineOutOfRange(line, lineCount))) return false;
  std::string text;
  if (!m_in.ReadString(text)) return false;
  const bool converted = !IsValidUtf8(text);
  const std::vector<int32_t> offsets = converted ? ConvertedOffsets(text) : std::vector<int32_t>{};
  line.m_text = converted ? Windows1252ToUtf8(text) : std::move(text);

  int32_t count;
  if (!ReadCount(count, kWordRecordSize)) return false;
  for (int32_t i = 0; i < count; ++i) {
    uint8_t record[kWordRecordSize];
    if (!m_in.Read(record, sizeof record)) return false;
    KaraokeWord& word = list.AddWord(line);
    word.m_firstChar = Get32(record, 0);
    word.m_lastChar = Get32(record, 4);
    word.m_startTime = Get32(record, 8);
    word.m_endTime = Get32(record, 12);
    word.m_rect = {Get32(record, 20), Get32(record, 24), Get32(record, 28), Get32(record, 32)};
    word.m_flags = static_cast<uint32_t>(Get32(record, 36));
    if (converted && word.m_lastChar < INT32_MAX) {
      // The last character's last byte lies just before the next character.
      word.m_lastChar = MapIndex(offsets, word.m_lastChar + 1) - 1;
      word.m_firstChar = MapIndex(offsets, word.m_firstChar);
    }
  }
  return true;
}

bool ProjectLoader::LoadBody() {
  if (!LoadTexts()) return false;

  m_song.Look().RemoveAllPages();
  int32_t pages;
  if (!ReadCount(pages, kPageBlockSize + 4)) return false;
  for (int32_t i = 0; i < pages; ++i)
    if (!LoadPage()) return false;

  m_song.Lyrics().ClearLines();
  int32_t lines;
  if (!ReadCount(lines, kLineEntryMinimum)) return false;
  bool complete = true;
  for (int32_t i = 0; complete && i < lines; ++i) complete = LoadLine(lines);
  // What was read stays in the song even when the file ends early, for the caller to reset.
  m_song.Lyrics().ReplaceLines(std::move(m_lines));
  return complete;
}

// --- saving -------------------------------------------------------------------

void WritePage(BinaryWriter& out, const PageRecord& page) {
  std::vector<uint8_t> block(kPageBlockSize);
  page.WritePageBlock(block.data());
  out.Write(block.data(), block.size());
  const auto& styles = page.m_extraLines.Lines();
  out.WriteInt32(static_cast<int32_t>(styles.size()));
  for (const auto& style : styles) {
    out.WriteInt32(style.color);
    out.WriteInt32(style.height);
    out.WriteInt32(static_cast<int32_t>(style.flags));
    out.WriteInt32(style.hAlign);
    // A face is never stored empty: readers take an empty face for damage.
    out.WriteString(style.faceName.empty() ? std::string(kDefaultFaceName) : style.faceName);
  }
  out.WriteString(page.m_pageText);
}

void WriteLine(BinaryWriter& out, const KaraokeLine& line) {
  out.WriteInt32(line.m_page);
  out.WriteInt32(line.m_startTime);
  out.WriteInt32(line.m_endTime);
  out.WriteInt32(line.m_lineInPage);
  out.WriteUInt8(line.m_placed ? 1 : 0);
  out.WriteUInt8(line.m_newPage ? 1 : 0);
  out.WriteInt32(line.m_colorIndex);
  out.WriteUInt8(line.m_singer2 ? 1 : 0);
  out.WriteUInt8(line.m_fixed ? 1 : 0);
  out.WriteString(line.m_text);
  out.WriteInt32(static_cast<int32_t>(line.m_words.size()));
  for (const KaraokeWord* word : line.m_words) {
    uint8_t record[kWordRecordSize] = {};
    Put32(record, 0, word->m_firstChar);
    Put32(record, 4, word->m_lastChar);
    Put32(record, 8, word->m_startTime);
    Put32(record, 12, word->m_endTime);
    Put32(record, 20, word->m_rect.left);
    Put32(record, 24, word->m_rect.top);
    Put32(record, 28, word->m_rect.right);
    Put32(record, 32, word->m_rect.bottom);
    Put32(record, 36, static_cast<int32_t>(word->m_flags));
    out.Write(record, sizeof record);
  }
}

void WriteSong(BinaryWriter& out, const Song& song) {
  uint8_t block[kSettingsBlockSize];
  EncodeSettingsBlock(song.Look().Settings(), block);
  out.Write(block, sizeof block);
  out.WriteString(song.Lyrics().RawLyrics());
  out.WriteString(song.MusicPath());
  out.WriteInt32(song.Look().EraseFromBottom());
  out.WriteInt32(song.Look().SweepEntireWord() ? 1 : 0);
  out.WriteString(song.Lyrics().Artist());
  out.WriteString(song.Lyrics().Title());
  for (int k = 0; k < 3; ++k) out.WriteString(song.Lyrics().DuetLabel(k));
  out.WriteInt32(song.Look().PageCount());
  for (int i = 0; i < song.Look().PageCount(); ++i) WritePage(out, *song.Look().Page(i));
  out.WriteInt32(song.Lyrics().LineCount());
  for (const auto& line : song.Lyrics().Lines()) WriteLine(out, *line);
}

}  // namespace

// --- blocks -------------------------------------------------------------------

void EncodeSettingsBlock(const SongSettingsBlock& b, uint8_t* out) {
  std::memset(out, 0, kSettingsBlockSize);
  Put32(out, 0, b.version);
  Put32(out, 4, b.singerMode);
  Put32(out, 8, b.linesPerPage);
  Put32(out, 12, static_cast<int32_t>(b.sweepMode));
  Put32(out, 16, b.sweepColorIndex);
  Put32(out, 20, b.sweepAdvance);
  out[24] = b.playBeforeInSeconds;
  Put32(out, 28, b.playBeforeAmount);
  out[32] = b.playAfterInSeconds;
  Put32(out, 36, b.playAfterAmount);
  Put32(out, 40, b.adjustStep);
  out[48] = b.loopPlay;  // the reserved fields are written as 0
}

void DecodeSettingsBlock(const uint8_t* in, SongSettingsBlock& b) {
  b.version = Get32(in, 0);
  b.singerMode = Get32(in, 4);
  b.linesPerPage = Get32(in, 8);
  b.sweepMode = static_cast<uint32_t>(Get32(in, 12));
  b.sweepColorIndex = Get32(in, 16);
  b.sweepAdvance = Get32(in, 20);
  b.playBeforeInSeconds = in[24];
  b.playBeforeAmount = Get32(in, 28);
  b.playAfterInSeconds = in[32];
  b.playAfterAmount = Get32(in, 36);
  b.adjustStep = Get32(in, 40);
  b.reserved1 = 0;
  b.loopPlay = in[48];
  b.reserved2 = 0;
}

// --- files --------------------------------------------------------------------

bool WriteProjectFile(const Song& song, const std::string& path) {
  if (path.empty()) return false;
  StagedOutput staged(path);
  BinaryWriter out(staged.DescriptorPath());
  if (!out.IsOpen()) return false;
  WriteSong(out, song);
  return out.Close() && staged.Commit();
}

Outcome ReadProjectFile(Song& song, const std::string& path) {
  auto refuse = [&path](Reason reason, const std::string& text) {
    return Outcome::Failure(reason, text, kCaption, MessageIcon::Exclamation, path);
  };
  // A pipe would hold the reader and a device never ends: only files are projects.
  std::error_code ec;
  if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec))
    return refuse(Reason::NotFound, kProjectCannotOpen);
  try {
    BinaryReader in(path);
    if (!in.IsOpen()) return refuse(Reason::NotFound, kProjectCannotOpen);
    uint8_t block[kSettingsBlockSize];
    if (!in.Read(block, sizeof block)) return refuse(Reason::BadInput, kProjectCorrupted);
    SongSettingsBlock settings;
    DecodeSettingsBlock(block, settings);
    if (settings.version > kProjectVersion) return refuse(Reason::BadInput, kProjectTooNew);
    if (settings.version < kOldestProjectVersion) return refuse(Reason::BadInput, kProjectTooOld);
    // Every layout divides by the lines per page, and a page has rows for no
    // more: a file outside that is damaged (and would lay out without end).
    if (settings.linesPerPage < 1 || settings.linesPerPage > kDrawRows)
      return refuse(Reason::BadInput, kProjectCorrupted);
    if (std::string problem = SettingsOutOfRange(settings); !problem.empty())
      return refuse(Reason::BadInput, DamagedProjectText(problem));
    song.Look().Settings() = settings;

    ProjectLoader loader(song, in, settings.version, path);
    // A short read past the settings block fails quietly (ProjectLoadFailureText
    // words it); a field out of range says which. The caller resets the song.
    if (!loader.LoadBody()) {
      if (loader.RangeError().empty()) return Outcome::Quiet(Reason::BadInput, path + ": " + kProjectEndsEarly);
      return refuse(Reason::BadInput, DamagedProjectText(loader.RangeError()));
    }
    song.Look().Settings().version = kProjectVersion;
    return Outcome::Success();
  } catch (const std::exception& e) {
    char text[1200];
    std::snprintf(text, sizeof text,
                  "Error opening Project file:\n\n%.1024s\n\nThe file most likely has been corrupted.", e.what());
    return Outcome::Failure(Reason::BadInput, text, kCaption, MessageIcon::Error, path);
  }
}

std::string ProjectLoadFailureText(const Outcome& failed) {
  return failed.text.empty() ? DamagedProjectText(kProjectEndsEarly) : failed.text;
}

// --- Song ----------------------------------------------------------------

bool Song::SaveProject() {
  if (!WriteProjectFile(*this, m_projectPath)) return false;
  SetModified(false);
  return true;
}

Outcome Song::LoadProject() { return LoadProjectFrom(m_projectPath); }

Outcome Song::LoadProjectFrom(const std::string& file) {
  m_observers.Hold();  // one notice per kind of change, after the whole file
  Outcome outcome = ReadProjectFile(*this, file);
  m_history.Clear();
  if (outcome) {
    m_look.AddMissingPages();
    SetModified(false);
  }
  m_observers.Release();
  return outcome;
}

}  // namespace lf
