#include "core/platform/settings.h"

#include <charconv>
#include <cstdlib>

namespace lf {

int SettingsStore::Int(const std::string& group, const std::string& key, int fallback) const {
  auto v = Value(group, key);
  if (!v || v->empty()) return fallback;
  char* end = nullptr;
  long n = std::strtol(v->c_str(), &end, 0);
  if (end == v->c_str()) return fallback;
  return static_cast<int>(n);
}

std::string SettingsStore::String(const std::string& group, const std::string& key, const std::string& fallback) const {
  auto v = Value(group, key);
  return v ? *v : fallback;
}

double SettingsStore::Double(const std::string& group, const std::string& key, double fallback) const {
  auto v = Value(group, key);
  if (!v) return fallback;
  double d = 0;
  const char* first = v->data();
  const char* last = first + v->size();
  while (first < last && *first == ' ') ++first;
  auto [ptr, ec] = std::from_chars(first, last, d);
  return ec == std::errc() && ptr != first ? d : fallback;
}

void SettingsStore::SetInt(const std::string& group, const std::string& key, int value) {
  SetValue(group, key, std::to_string(value));
}

void SettingsStore::SetDouble(const std::string& group, const std::string& key, double value) {
  char text[32];
  auto [ptr, ec] = std::to_chars(text, text + sizeof text, value);
  SetValue(group, key, std::string(text, ec == std::errc() ? ptr : text));
}

const MemorySettings::Stored* MemorySettings::Find(const std::string& group, const std::string& key) const {
  auto g = m_values.find(group);
  if (g == m_values.end()) return nullptr;
  auto k = g->second.find(key);
  return k == g->second.end() ? nullptr : &k->second;
}

std::optional<std::string> MemorySettings::Value(const std::string& group, const std::string& key) const {
  std::lock_guard lock(m_mutex);
  const Stored* v = Find(group, key);
  if (!v) return std::nullopt;
  if (const auto* s = std::get_if<std::string>(v)) return *s;
  const auto& bytes = std::get<SettingsBytes>(*v);
  return std::string(bytes.begin(), bytes.end());
}

void MemorySettings::SetValue(const std::string& group, const std::string& key, const std::string& value) {
  std::lock_guard lock(m_mutex);
  m_values[group][key] = value;
}

std::optional<SettingsBytes> MemorySettings::Bytes(const std::string& group, const std::string& key) const {
  std::lock_guard lock(m_mutex);
  const Stored* v = Find(group, key);
  if (!v) return std::nullopt;
  if (const auto* b = std::get_if<SettingsBytes>(v)) return *b;
  const auto& s = std::get<std::string>(*v);
  return SettingsBytes(s.begin(), s.end());
}

void MemorySettings::SetBytes(const std::string& group, const std::string& key, const SettingsBytes& value) {
  std::lock_guard lock(m_mutex);
  m_values[group][key] = value;
}

void MemorySettings::Remove(const std::string& group, const std::string& key) {
  std::lock_guard lock(m_mutex);
  auto g = m_values.find(group);
  if (g != m_values.end()) g->second.erase(key);
}

bool MemorySettings::Contains(const std::string& group, const std::string& key) const {
  std::lock_guard lock(m_mutex);
  return Find(group, key) != nullptr;
}

namespace {
std::unique_ptr<SettingsStore>& SettingsSlot() {
  static std::unique_ptr<SettingsStore> settings = std::make_unique<MemorySettings>();
  return settings;
}
}  // namespace

SettingsStore& AppSettings() { return *SettingsSlot(); }

void SetAppSettings(std::unique_ptr<SettingsStore> settings) {
  if (settings) SettingsSlot() = std::move(settings);
}

}  // namespace lf
