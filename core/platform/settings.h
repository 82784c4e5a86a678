#pragma once
// The program's stored preferences, reached through one small interface so the
// core never depends on Qt. Values live in groups ("Settings", "Default"):
// strings (numbers in decimal), byte blocks ("AppWindowRect") and doubles
// ("EditLyricsSplit"). Implementations are safe to read from the player's
// threads while the interface thread writes.
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace lf {

using SettingsBytes = std::vector<uint8_t>;

class SettingsStore {
 public:
  virtual ~SettingsStore() = default;
  virtual std::optional<std::string> Value(const std::string& group, const std::string& key) const = 0;
  virtual void SetValue(const std::string& group, const std::string& key, const std::string& value) = 0;
  virtual std::optional<SettingsBytes> Bytes(const std::string& group, const std::string& key) const = 0;
  virtual void SetBytes(const std::string& group, const std::string& key, const SettingsBytes& value) = 0;
  virtual void Remove(const std::string& group, const std::string& key) = 0;
  virtual bool Contains(const std::string& group, const std::string& key) const = 0;

  int Int(const std::string& group, const std::string& key, int fallback) const;
  std::string String(const std::string& group, const std::string& key, const std::string& fallback) const;
  double Double(const std::string& group, const std::string& key, double fallback) const;
  void SetInt(const std::string& group, const std::string& key, int value);
  // Written in the shortest decimal form that reads back to the same double.
  void SetDouble(const std::string& group, const std::string& key, double value);
};

// Values held in memory only: tests, and runs that must not touch the user's store.
class MemorySettings : public SettingsStore {
 public:
  std::optional<std::string> Value(const std::string& group, const std::string& key) const override;
  void SetValue(const std::string& group, const std::string& key, const std::string& value) override;
  std::optional<SettingsBytes> Bytes(const std::string& group, const std::string& key) const override;
  void SetBytes(const std::string& group, const std::string& key, const SettingsBytes& value) override;
  void Remove(const std::string& group, const std::string& key) override;
  bool Contains(const std::string& group, const std::string& key) const override;

 private:
  using Stored = std::variant<std::string, SettingsBytes>;
  const Stored* Find(const std::string& group, const std::string& key) const;

  mutable std::mutex m_mutex;
  std::map<std::string, std::map<std::string, Stored>> m_values;
};

// The store the program uses. Starts as a MemorySettings until a front end
// installs its own (once, at start-up, before other threads run).
SettingsStore& AppSettings();
void SetAppSettings(std::unique_ptr<SettingsStore> settings);

}  // namespace lf
