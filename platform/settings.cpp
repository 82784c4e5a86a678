#include "platform/settings.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace lf {

int ISettings::Int(const std::string& group, const std::string& key, int fallback) const {
  auto v = Value(group, key);
  if (!v || v->empty()) return fallback;
  char* end = nullptr;
  long n = std::strtol(v->c_str(), &end, 0);
  if (end == v->c_str()) return fallback;
  return static_cast<int>(n);
}

std::string ISettings::String(const std::string& group, const std::string& key,
                              const std::string& fallback) const {
  auto v = Value(group, key);
  return v ? *v : fallback;
}

void ISettings::SetInt(const std::string& group, const std::string& key, int value) {
  SetValue(group, key, std::to_string(value));
}

std::optional<std::string> MemorySettings::Value(const std::string& group, const std::string& key) const {
  auto g = m_values.find(group);
  if (g == m_values.end()) return std::nullopt;
  auto k = g->second.find(key);
  if (k == g->second.end()) return std::nullopt;
  return k->second;
}

void MemorySettings::SetValue(const std::string& group, const std::string& key, const std::string& value) {
  m_values[group][key] = value;
}

IniFileSettings::IniFileSettings(std::string path) : m_path(std::move(path)) { Load(); }

std::string IniFileSettings::DefaultPath() {
  std::string base;
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    base = xdg;
  } else if (const char* home = std::getenv("HOME"); home && *home) {
    base = std::string(home) + "/.config";
  } else {
    base = ".";
  }
  return base + "/Orvandel/Lyricforge.conf";
}

std::optional<std::string> IniFileSettings::Value(const std::string& group, const std::string& key) const {
  auto g = m_values.find(group);
  if (g == m_values.end()) return std::nullopt;
  auto k = g->second.find(key);
  if (k == g->second.end()) return std::nullopt;
  return k->second;
}

void IniFileSettings::SetValue(const std::string& group, const std::string& key, const std::string& value) {
  m_values[group][key] = value;
  Save();
}

void IniFileSettings::Load() {
  std::ifstream in(m_path);
  std::string line, group = "General";
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == ';' || line[0] == '#') continue;
    if (line.front() == '[' && line.back() == ']') {
      group = line.substr(1, line.size() - 2);
      continue;
    }
    auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    m_values[group][line.substr(0, eq)] = line.substr(eq + 1);
  }
}

void IniFileSettings::Save() const {
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(m_path).parent_path(), ec);
  std::string tmp = m_path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::trunc);
    if (!out) return;
    for (const auto& [group, values] : m_values) {
      out << '[' << group << "]\n";
      for (const auto& [k, v] : values) out << k << '=' << v << '\n';
      out << '\n';
    }
    if (!out) return;
  }
  std::filesystem::rename(tmp, m_path, ec);
}

namespace {
std::unique_ptr<ISettings>& SettingsSlot() {
  static std::unique_ptr<ISettings> settings = std::make_unique<MemorySettings>();
  return settings;
}
}  // namespace

ISettings& AppSettings() { return *SettingsSlot(); }

void SetAppSettings(std::unique_ptr<ISettings> settings) {
  if (settings) SettingsSlot() = std::move(settings);
}

}  // namespace lf
