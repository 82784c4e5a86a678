#include "core/export/export_choices.h"

#include <algorithm>
#include <cctype>

namespace lf {

namespace {
constexpr int kBinRate = 44100, kBinChannels = 2, kBinBits = 16;
const char* const kSettingsGroup = "Settings";
}  // namespace

const std::vector<std::string>& CompressionEntries(ExportType type) {
  static const std::vector<std::string> wma{"192k", "160k", "128k", "96k"};
  static const std::vector<std::string> mp3{"320k", "256k", "224k", "192k", "160k", "144k", "128k", "112k"};
  static const std::vector<std::string> none;
  switch (type) {
    case ExportType::WmaG:
      return wma;
    case ExportType::Mp3G:
      return mp3;
    default:
      return none;
  }
}

std::vector<int> Mp3BitRatesFor(int sampleRate) {
  static const std::vector<int> mpeg1{32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static const std::vector<int> mpeg2{8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  const auto& valid = sampleRate >= 32000 ? mpeg1 : mpeg2;
  std::vector<int> rates;
  for (const auto& entry : CompressionEntries(ExportType::Mp3G))
    if (std::find(valid.begin(), valid.end(), EntryValue(entry)) != valid.end()) rates.push_back(EntryValue(entry));
  return rates;
}

std::vector<std::string> OfferedEntries(ExportType type, int sampleRate) {
  const auto& all = CompressionEntries(type);
  if (type != ExportType::Mp3G || sampleRate <= 0) return all;
  const std::vector<int> rates = Mp3BitRatesFor(sampleRate);
  std::vector<std::string> offered;
  for (const auto& entry : all)
    if (std::find(rates.begin(), rates.end(), EntryValue(entry)) != rates.end()) offered.push_back(entry);
  return offered;
}

int EntryValue(const std::string& entry) {
  int value = 0;
  for (char c : entry) {
    if (!std::isdigit(static_cast<unsigned char>(c))) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

int SelectEntryFor(const std::vector<std::string>& entries, int value) {
  // The lists run from the highest rate down, so the last entry at or above
  // the value is the smallest one that does not lose quality.
  int chosen = -1;
  for (int i = 0; i < int(entries.size()); ++i)
    if (EntryValue(entries[size_t(i)]) >= value) chosen = i;
  if (chosen < 0 && !entries.empty()) chosen = 0;
  return chosen;
}

int WmaProfileNumber(int bitRate) {
  switch (bitRate) {
    case 96:
      return 23;
    case 160:
      return 25;
    case 192:
      return 26;
    default:
      return 24;
  }
}

std::string BinNotAllowedText(int sampleRate, int channels, int bitsPerSample) {
  std::string reasons;
  if (sampleRate != kBinRate) reasons += "\nthe Audio Sample Rate is not 44,100";
  if (channels != kBinChannels) {
    reasons += reasons.empty() ? "\n" : "\nand ";
    reasons += "the Audio is not Stereo (2 Channels)";
  }
  if (bitsPerSample != kBinBits) {
    reasons += reasons.empty() ? "\n" : "\nand ";
    reasons += "the Bits Per Sample is not 16";
  }
  if (reasons.empty()) return "";
  return "BIN is not allowed because" + reasons + ".\n";
}

void ExportChoices::Open(const SettingsStore& settings, bool mp3Available, const MusicFormat& music) {
  int type = settings.Int(kSettingsGroup, kExportTypeKey, int(ExportType::Bin));
  if (type < int(ExportType::Bin) || type > int(kLastExportType)) type = int(ExportType::Bin);
  if (!mp3Available && type == int(ExportType::Mp3G)) type = int(ExportType::WmaG);
  m_wmaBitRate = settings.Int(kSettingsGroup, kExportRatioWmaKey, kDefaultExportBitRate);
  m_mp3BitRate = settings.Int(kSettingsGroup, kExportRatioMp3Key, kDefaultExportBitRate);
  m_zip = settings.Int(kSettingsGroup, kExportZipKey, 0) != 0;
  m_lyricFile = settings.Int(kSettingsGroup, kExportLyricFileKey, 0) != 0;
  m_lyricFileSimple = settings.Int(kSettingsGroup, kExportLyricFileSimpleKey, 0) != 0;
  m_normaliseLoudness = settings.Int(kSettingsGroup, kExportLoudnessKey, 0) != 0;
  const double target = settings.Double(kSettingsGroup, kExportLoudnessTargetKey, kDefaultLoudnessTarget);
  m_loudnessTarget = target >= kMinLoudnessTarget && target <= kMaxLoudnessTarget ? target : kDefaultLoudnessTarget;
  m_type = m_previousType = ExportType(type);
  m_entries.clear();
  m_selection = -1;
  ChangeType(ExportType(type), music);
}

std::string ExportChoices::ChangeType(ExportType newType, const MusicFormat& music) {
  m_sampleRate = music.sampleRate;
  std::string refusal;
  if (newType == ExportType::Bin) {
    refusal = BinNotAllowedText(music.sampleRate, music.channels, music.bitsPerSample);
    if (!refusal.empty()) newType = m_previousType == ExportType::Bin ? ExportType::WmaG : m_previousType;
  }
  ApplyType(newType);
  return refusal;
}

void ExportChoices::ApplyType(ExportType type) {
  m_type = type;
  // BIN and MP4 have no compression list; the audio types remember their rate across them.
  m_listEnabled = !CompressionEntries(type).empty();
  if (!m_listEnabled) return;

  int value = m_selection >= 0 ? EntryValue(m_entries[size_t(m_selection)]) : kDefaultExportBitRate;
  if (m_previousType == ExportType::WmaG) {
    if (m_selection >= 0)
      m_wmaBitRate = value;
    else
      value = m_wmaBitRate;
  } else if (m_previousType == ExportType::Mp3G) {
    if (m_selection >= 0)
      m_mp3BitRate = value;
    else
      value = m_mp3BitRate;
  }
  m_entries = OfferedEntries(type, m_sampleRate);
  m_selection = SelectEntryFor(m_entries, value);
  m_previousType = type;
}

std::string ExportChoices::Confirm(SettingsStore& settings) {
  if (m_listEnabled && m_selection < 0) return kRatioMissingText;
  if (m_selection >= 0) {
    const int value = EntryValue(m_entries[size_t(m_selection)]);
    if (m_type == ExportType::WmaG) m_wmaBitRate = value;
    if (m_type == ExportType::Mp3G) m_mp3BitRate = value;
  }
  settings.SetInt(kSettingsGroup, kExportTypeKey, int(m_type));
  settings.SetInt(kSettingsGroup, kExportZipKey, m_zip ? 1 : 0);
  settings.SetInt(kSettingsGroup, kExportLyricFileKey, m_lyricFile ? 1 : 0);
  settings.SetInt(kSettingsGroup, kExportLyricFileSimpleKey, m_lyricFileSimple ? 1 : 0);
  settings.SetInt(kSettingsGroup, kExportLoudnessKey, m_normaliseLoudness ? 1 : 0);
  settings.SetInt(kSettingsGroup, kExportRatioWmaKey, m_wmaBitRate);
  settings.SetInt(kSettingsGroup, kExportRatioMp3Key, m_mp3BitRate);
  return "";
}

}  // namespace lf
