#pragma once
// The settings store both programs use: QSettings itself, INI format, in
// $XDG_CONFIG_HOME/Orvandel/Lyricforge.conf (~/.config when unset). Needs
// QtCore only, so the command-line tool may link it.
#include <memory>
#include <mutex>
#include <string>

#include "core/platform/settings.h"

class QSettings;

namespace lf {

class QtSettingsStore : public SettingsStore {
 public:
  // The user's store, found afresh from the environment (tests move it).
  QtSettingsStore();
  explicit QtSettingsStore(const std::string& path);
  ~QtSettingsStore() override;

  static std::string DefaultPath();
  std::string Path() const;

  std::optional<std::string> Value(const std::string& group, const std::string& key) const override;
  void SetValue(const std::string& group, const std::string& key, const std::string& value) override;
  std::optional<SettingsBytes> Bytes(const std::string& group, const std::string& key) const override;
  void SetBytes(const std::string& group, const std::string& key, const SettingsBytes& value) override;
  void Remove(const std::string& group, const std::string& key) override;
  bool Contains(const std::string& group, const std::string& key) const override;

 private:
  // One QSettings object is not safe across threads; every use holds the mutex.
  mutable std::mutex m_mutex;
  std::unique_ptr<QSettings> m_settings;
};

}  // namespace lf
