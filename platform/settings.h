#pragma once
// The program's stored preferences, reached through one small interface so the
// core never depends on Qt. Values live in groups ("Settings", "Default"),
// as strings; numbers are written in decimal.
#include <map>
#include <memory>
#include <optional>
#include <string>

namespace lf {

class ISettings {
 public:
  virtual ~ISettings() = default;
  virtual std::optional<std::string> Value(const std::string& group, const std::string& key) const = 0;
  virtual void SetValue(const std::string& group, const std::string& key, const std::string& value) = 0;

  int Int(const std::string& group, const std::string& key, int fallback) const;
  std::string String(const std::string& group, const std::string& key, const std::string& fallback) const;
  void SetInt(const std::string& group, const std::string& key, int value);
};

// Values held in memory only: tests, and runs that must not touch the user's store.
class MemorySettings : public ISettings {
 public:
  std::optional<std::string> Value(const std::string& group, const std::string& key) const override;
  void SetValue(const std::string& group, const std::string& key, const std::string& value) override;

 private:
  std::map<std::string, std::map<std::string, std::string>> m_values;
};

// The INI file that the desktop program's QSettings("Orvandel", "Lyricforge")
// keeps on Linux (~/.config/Orvandel/Lyricforge.conf), so that the
// command-line tool and the desktop program share one store.
class IniFileSettings : public ISettings {
 public:
  explicit IniFileSettings(std::string path);
  static std::string DefaultPath();

  std::optional<std::string> Value(const std::string& group, const std::string& key) const override;
  void SetValue(const std::string& group, const std::string& key, const std::string& value) override;

 private:
  void Load();
  void Save() const;

  std::string m_path;
  std::map<std::string, std::map<std::string, std::string>> m_values;
};

// The store the program uses. Starts as a MemorySettings until a front end
// installs its own.
ISettings& AppSettings();
void SetAppSettings(std::unique_ptr<ISettings> settings);

}  // namespace lf
