#include "app/single_instance.h"

#include "app/base/call_trace.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QThread>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

// What a second copy sends; anything else on the socket is ignored.
const QByteArray RaiseRequest = QByteArrayLiteral("raise\n");

QString runtimeDirectory() {
  TRACE_ROUTINE("singleinstance", "runtimeDirectory");
  QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (directory.isEmpty())
    directory = QDir::tempPath();
  return directory;
}

}  // namespace

SingleInstance::SingleInstance(QObject *parent) : QObject(parent) {}

SingleInstance::~SingleInstance() {
  TRACE_ROUTINE("singleinstance", "SingleInstance.Destroy");
  if (server_)
    server_->close();
  if (lockFd_ >= 0)
    ::close(lockFd_);
}

QString SingleInstance::lockFilePath() {
  TRACE_ROUTINE("singleinstance", "SingleInstance.lockFilePath");
  return QDir(runtimeDirectory()).filePath(QStringLiteral("faultbk.lock"));
}

QString SingleInstance::socketPath() {
  TRACE_ROUTINE("singleinstance", "SingleInstance.socketPath");
  return QDir(runtimeDirectory()).filePath(QStringLiteral("faultbk.socket"));
}

bool SingleInstance::acquire() {
  TRACE_ROUTINE("singleinstance", "SingleInstance.acquire");
  if (lockFd_ >= 0)
    return true;
  const QByteArray path = QFile::encodeName(lockFilePath());
  // Close-on-exec, so that programs started from the Tools menu do not inherit the lock.
  const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0)
    return true;  // no runtime directory to lock in: run rather than refuse to start
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  lockFd_ = fd;
  // Holding the lock means any socket left at the path belongs to a copy that has died.
  QLocalServer::removeServer(socketPath());
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, &SingleInstance::acceptConnections);
  server_->listen(socketPath());
  return true;
}

void SingleInstance::acceptConnections() {
  TRACE_ROUTINE("singleinstance", "SingleInstance.acceptConnections");
  while (QLocalSocket *socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
      if (!socket->canReadLine())
        return;
      if (socket->readLine() == RaiseRequest)
        emit raiseRequested();
      socket->disconnectFromServer();
    });
  }
}

bool SingleInstance::requestRaise(int timeoutMs) {
  TRACE_ROUTINE("singleinstance", "SingleInstance.requestRaise");
  // The running copy may hold the lock a moment before it listens: try until the deadline.
  QDeadlineTimer deadline(timeoutMs);
  do {
    QLocalSocket socket;
    socket.connectToServer(socketPath());
    if (socket.waitForConnected(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)))) {
      socket.write(RaiseRequest);
      const bool sent = socket.waitForBytesWritten(static_cast<int>(qMax<qint64>(deadline.remainingTime(), 1)));
      socket.disconnectFromServer();
      return sent;
    }
    QThread::msleep(50);
  } while (!deadline.hasExpired());
  return false;
}
