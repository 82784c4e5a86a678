#pragma once
// One program per user and settings store: a second start hands its argument
// (a project path, a folder or nothing) to the first over a local socket and
// ends; the first comes forward and acts on it.
#include <QObject>
#include <QString>

class QLocalServer;

namespace lf {

class SingleInstance : public QObject {
  Q_OBJECT

 public:
  // `key` tells stores apart (the settings file's path), so test runs with
  // their own store never meet the user's program.
  explicit SingleInstance(const QString& key, QObject* parent = nullptr);
  ~SingleInstance() override;

  // True when a first instance took `argument`: this one should end.
  bool HandOverToFirst(const QString& argument, int timeoutMs = 3000);
  // Becomes the first instance; false when the socket cannot be made.
  bool Listen();
  const QString& ServerName() const { return m_name; }

 signals:
  void ArgumentReceived(const QString& argument);

 private:
  void Accept();

  QString m_name;
  QLocalServer* m_server = nullptr;
};

}  // namespace lf
