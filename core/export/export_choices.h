#pragma once
// The rules of the export dialog that do not depend on widgets: the stored
// choices, the compression lists, the BIN format check and what the
// compression list selects when the export type changes.
#include <optional>
#include <string>
#include <vector>

#include "core/audio/loudness.h"
#include "core/platform/settings.h"

namespace lf {

enum class ExportType : int {
  Bin = 0,
  WmaG = 1,
  Mp3G = 2,
  Mp4 = 3,
  // Lyric and subtitle files of the timed words, without audio.
  Ass = 4,
  UltraStar = 5,
  Ttml = 6,
  WebVtt = 7,
  Srt = 8,
  Lrc = 9,
};
inline constexpr ExportType kLastExportType = ExportType::Lrc;

// A lyric or subtitle file: no audio, no graphics, no compression.
inline bool IsLyricFileType(ExportType type) { return type >= ExportType::Ass && type <= kLastExportType; }

// Registry names under "Settings" and their defaults.
inline constexpr const char* kExportTypeKey = "ExportType";
inline constexpr const char* kExportRatioWmaKey = "ExportRatioWMA";
inline constexpr const char* kExportRatioMp3Key = "ExportRatioMP3";
inline constexpr const char* kExportZipKey = "ExportZip";
// The audio exports' extra lyric file: whether to write one, and simple (1) or enhanced (0).
inline constexpr const char* kExportLyricFileKey = "ExportLyricFile";
inline constexpr const char* kExportLyricFileSimpleKey = "ExportLyricFileSimple";
// Normalise loudness (0 off, the default; 1 on) and its target in LUFS.
inline constexpr const char* kExportLoudnessKey = "ExportNormaliseLoudness";
inline constexpr const char* kExportLoudnessTargetKey = "ExportLoudnessTarget";
inline constexpr int kDefaultExportBitRate = 128;

inline constexpr const char* kBinNotAllowedTitle = "BIN not allowed";
inline constexpr const char* kRatioTitle = "Ratio";
inline constexpr const char* kRatioMissingText = "Please select a Compression Ratio.";

// The compression list of a type, in display order ("192k", ...); empty for BIN.
const std::vector<std::string>& CompressionEntries(ExportType type);
// The list the dialog offers for music at `sampleRate`: for MP3+G only the
// rates MP3 has at that rate (Mp3BitRatesFor); the whole list when the rate
// is unknown (0).
std::vector<std::string> OfferedEntries(ExportType type, int sampleRate);
// The rates of the MP3+G list (kbit/s, in its order) that MP3 has for music at
// `sampleRate`: MPEG-1 rates from 32 kHz up, MPEG-2 rates below (the list's
// 144 exists only there). LAME would encode any other at a rate it picks.
std::vector<int> Mp3BitRatesFor(int sampleRate);

// The leading number of an entry ("112k" -> 112); 0 when it has none.
int EntryValue(const std::string& entry);
// Index of the smallest entry not below `value`; the first entry when none qualifies.
int SelectEntryFor(const std::vector<std::string>& entries, int value);

// WMA bit rate (kbit/s) -> writer profile number: 96 -> 23, 160 -> 25, 192 -> 26, else 24.
int WmaProfileNumber(int bitRate);

// The balloon text that refuses BIN for music that is not 44,100 Hz, 16-bit
// stereo; "" when BIN is allowed.
std::string BinNotAllowedText(int sampleRate, int channels, int bitsPerSample);

struct MusicFormat {
  int sampleRate = 0;
  int channels = 0;
  int bitsPerSample = 0;
};

// What the dialog's type buttons and compression list show, and how they move.
class ExportChoices {
 public:
  // Reads the stored choices (defaults when absent); a stored MP3+G becomes
  // WMA+G when MP3 encoding is unavailable. Then runs the type change once.
  void Open(const SettingsStore& settings, bool mp3Available, const MusicFormat& music);

  // A click on a type button. Returns the "BIN not allowed" text when BIN was
  // refused (the type then falls back), else "".
  std::string ChangeType(ExportType newType, const MusicFormat& music);
  void Select(int index) { m_selection = (index >= 0 && index < int(m_entries.size())) ? index : -1; }

  // "&Export": returns the "Ratio" text when a compression must be chosen first;
  // otherwise stores the chosen bit rate and writes the four values.
  std::string Confirm(SettingsStore& settings);

  ExportType Type() const { return m_type; }
  bool ListEnabled() const { return m_listEnabled; }
  const std::vector<std::string>& Entries() const { return m_entries; }
  int Selection() const { return m_selection; }
  std::string SelectedEntry() const { return m_selection >= 0 ? m_entries[size_t(m_selection)] : ""; }
  int WmaBitRate() const { return m_wmaBitRate; }
  int Mp3BitRate() const { return m_mp3BitRate; }
  bool Zip() const { return m_zip; }
  void SetZip(bool zip) { m_zip = zip; }
  // "Create Lyric File" and its style, kept for the next export.
  bool LyricFile() const { return m_lyricFile; }
  bool LyricFileSimple() const { return m_lyricFileSimple; }
  void SetLyricFile(bool on, bool simple) {
    m_lyricFile = on;
    m_lyricFileSimple = simple;
  }
  bool NormaliseLoudness() const { return m_normaliseLoudness; }
  void SetNormaliseLoudness(bool on) { m_normaliseLoudness = on; }
  // The stored target, within the offered range (the default when it is not).
  double LoudnessTarget() const { return m_loudnessTarget; }
  // What the export is asked for: the target when normalising, else none.
  std::optional<double> LoudnessRequest() const {
    return m_normaliseLoudness ? std::optional<double>(m_loudnessTarget) : std::nullopt;
  }

 private:
  void ApplyType(ExportType type);

  int m_sampleRate = 0;  // of the music, for the MP3 rates it allows
  ExportType m_type = ExportType::Bin;
  ExportType m_previousType = ExportType::Bin;
  std::vector<std::string> m_entries;
  int m_selection = -1;
  bool m_listEnabled = false;
  int m_wmaBitRate = kDefaultExportBitRate;
  int m_mp3BitRate = kDefaultExportBitRate;
  bool m_zip = false;
  bool m_lyricFile = false;
  bool m_lyricFileSimple = false;
  bool m_normaliseLoudness = false;
  double m_loudnessTarget = kDefaultLoudnessTarget;
};

}  // namespace lf
