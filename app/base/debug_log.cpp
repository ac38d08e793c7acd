#include "app/base/debug_log.h"

#include "app/base/call_trace.h"
#include "app/base/clock.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex logMutex;
QFile *logFile = nullptr;

}  // namespace

bool OpenDebugLogFile(const QString &directory, QString *error) {
  TRACE_ROUTINE("debuglog", "OpenDebugLogFile");
  QMutexLocker lock(&logMutex);
  delete logFile;
  logFile = new QFile(QDir(directory).filePath(QString::fromLatin1(DebugLogFileName)));
  if (logFile->open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
    return true;
  if (error)
    *error = QStringLiteral("The diagnostic log \"%1\" cannot be created: %2")
                 .arg(QDir::toNativeSeparators(logFile->fileName()), logFile->errorString());
  delete logFile;
  logFile = nullptr;
  return false;
}

bool DiagnosticMode() {
  QMutexLocker lock(&logMutex);
  return logFile != nullptr;
}

void DebugLog(const QString &message) {
  QMutexLocker lock(&logMutex);
  if (!logFile)
    return;
  // QDateTime::toString(format) uses the C locale: AM/PM in English, as the log reads.
  const QString stamp = CurrentDateTime().toString(QStringLiteral("MM/dd/yyyy hh:mm:ss.zzz AP"));
  logFile->write(QStringLiteral("[%1] %2\n").arg(stamp, message).toUtf8());
  logFile->flush();
}

void CloseDebugLogFile() {
  TRACE_ROUTINE("debuglog", "CloseDebugLogFile");
  QMutexLocker lock(&logMutex);
  if (!logFile)
    return;
  logFile->close();
  delete logFile;
  logFile = nullptr;
}
