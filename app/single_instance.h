#pragma once
// One running copy per desktop session. The first copy holds a kernel lock on a file in
// the user's runtime directory, so the lock vanishes with the process however it ends,
// and listens on a local socket beside it; a second copy finds the lock taken and asks
// the first, through that socket, to bring its window forward.

#include <QObject>
#include <QString>

class QLocalServer;

class SingleInstance : public QObject {
  Q_OBJECT
public:
  explicit SingleInstance(QObject *parent = nullptr);
  ~SingleInstance() override;

  // Takes the session's instance lock. True: this is the only copy, and it now listens
  // for raise requests. False: another running copy holds the lock.
  bool acquire();
  bool held() const { return lockFd_ >= 0; }

  // From a second copy: asks the running copy to bring its window forward. False when
  // no running copy answered within the time given.
  static bool requestRaise(int timeoutMs = 3000);

  // Where the lock file and the socket live: the user's runtime directory.
  static QString lockFilePath();
  static QString socketPath();

signals:
  // A second copy asked this one to bring its window forward.
  void raiseRequested();

private:
  void acceptConnections();

  int lockFd_ = -1;
  QLocalServer *server_ = nullptr;
};
