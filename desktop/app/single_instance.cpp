#include "desktop/app/single_instance.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include "core/platform/paths.h"

namespace lf {
namespace {

// The first instance answers every handover with this byte, after taking it.
constexpr char kTaken = '!';

}  // namespace

// The socket lives in a folder only this user can enter, so no one else can
// take its name first; without such a folder each start runs on its own.
SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent) {
  const QString folder = QString::fromStdString(PrivateRuntimeFolder());
  if (folder.isEmpty()) return;
  const QByteArray hash = QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  m_name = QString("%1/lyricforge-%2").arg(folder, QString::fromLatin1(hash));
}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::HandOverToFirst(const QString& argument, int timeoutMs) {
  if (m_name.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(m_name);
  if (!socket.waitForConnected(timeoutMs)) return false;
  // The project paths go only to a program of this user.
  if (!PeerIsThisUser(static_cast<int>(socket.socketDescriptor()))) return false;
  QByteArray message = argument.toUtf8();
  message.append('\n');
  socket.write(message);
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // The answer says the first instance is alive and has the argument.
  while (socket.bytesAvailable() < 1)
    if (!socket.waitForReadyRead(timeoutMs)) return false;
  return socket.read(1) == QByteArray(1, kTaken);
}

bool SingleInstance::Listen() {
  if (m_name.isEmpty()) return false;
  m_server = new QLocalServer(this);
  m_server->setSocketOptions(QLocalServer::UserAccessOption);
  if (!m_server->listen(m_name)) {
    // A socket file left by a program that crashed: nobody answered on it.
    QLocalServer::removeServer(m_name);
    if (!m_server->listen(m_name)) return false;
  }
  connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::Accept);
  return true;
}

void SingleInstance::Accept() {
  while (QLocalSocket* socket = m_server->nextPendingConnection()) {
    // Only this user's own program may hand over what to open.
    if (!PeerIsThisUser(static_cast<int>(socket->socketDescriptor()))) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    auto take = [this, socket] {
      if (!socket->canReadLine()) return;
      const QString argument = QString::fromUtf8(socket->readLine()).chopped(1);
      socket->write(QByteArray(1, kTaken));
      socket->flush();
      emit ArgumentReceived(argument);
    };
    connect(socket, &QLocalSocket::readyRead, this, take);
    take();  // the line may have come with the connection
  }
}

}  // namespace lf
