#include "settings_store/qsettings_store.h"

#include <QByteArray>
#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QVariant>

namespace lf {
namespace {

QString KeyOf(const std::string& group, const std::string& key) {
  return QString::fromStdString(group) + '/' + QString::fromStdString(key);
}

}  // namespace

QtSettingsStore::QtSettingsStore() : QtSettingsStore(DefaultPath()) {}

QtSettingsStore::QtSettingsStore(const std::string& path)
    : m_settings(std::make_unique<QSettings>(QString::fromStdString(path), QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::DefaultPath() {
  // The same file QSettings(IniFormat, UserScope, "Orvandel", "Lyricforge")
  // names, but looked up on every call: QSettings keeps its first answer.
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return (base + "/Orvandel/Lyricforge.conf").toStdString();
}

std::string QtSettingsStore::Path() const {
  std::lock_guard lock(m_mutex);
  return m_settings->fileName().toStdString();
}

std::optional<std::string> QtSettingsStore::Value(const std::string& group, const std::string& key) const {
  std::lock_guard lock(m_mutex);
  const QVariant v = m_settings->value(KeyOf(group, key));
  if (!v.isValid()) return std::nullopt;
  if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().toStdString();
  // A list (a value with an unquoted comma) reads back joined as it was written.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(", ").toStdString();
  return v.toString().toStdString();
}

void QtSettingsStore::SetValue(const std::string& group, const std::string& key, const std::string& value) {
  std::lock_guard lock(m_mutex);
  m_settings->setValue(KeyOf(group, key), QString::fromStdString(value));
  // Written at once: the other program may read the file next, and the
  // command-line tool has no event loop to write it later.
  m_settings->sync();
}

std::optional<SettingsBytes> QtSettingsStore::Bytes(const std::string& group, const std::string& key) const {
  std::lock_guard lock(m_mutex);
  const QVariant v = m_settings->value(KeyOf(group, key));
  if (!v.isValid()) return std::nullopt;
  const QByteArray bytes = v.typeId() == QMetaType::QByteArray ? v.toByteArray() : v.toString().toUtf8();
  return SettingsBytes(bytes.begin(), bytes.end());
}

void QtSettingsStore::SetBytes(const std::string& group, const std::string& key, const SettingsBytes& value) {
  std::lock_guard lock(m_mutex);
  m_settings->setValue(KeyOf(group, key),
                       QByteArray(reinterpret_cast<const char*>(value.data()), static_cast<qsizetype>(value.size())));
  m_settings->sync();
}

void QtSettingsStore::Remove(const std::string& group, const std::string& key) {
  std::lock_guard lock(m_mutex);
  m_settings->remove(KeyOf(group, key));
  m_settings->sync();
}

bool QtSettingsStore::Contains(const std::string& group, const std::string& key) const {
  std::lock_guard lock(m_mutex);
  return m_settings->contains(KeyOf(group, key));
}

}  // namespace lf
