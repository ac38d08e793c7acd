#include "app/temp_files.h"

#include "app/base/call_trace.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr quint32 NameCount = 0x10000;  // four hexadecimal digits

QString TempFileName(quint32 number) {
  return QStringLiteral("LKS%1.TMP").arg(number, 4, 16, QLatin1Char('0')).toUpper();
}

}  // namespace

QString GetLKSTempFileName(const QString &directory) {
  TRACE_ROUTINE("temp_files", "GetLKSTempFileName");
  const QDir folder(directory.isEmpty() ? QDir::tempPath() : directory);
  // A random first number keeps callers from probing the same names one after another.
  const quint32 first = QRandomGenerator::global()->bounded(NameCount);
  for (quint32 i = 0; i < NameCount; ++i) {
    const QString path = folder.absoluteFilePath(TempFileName((first + i) % NameCount));
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      ::close(fd);
      return path;
    }
    const int error = errno;
    if (error != EEXIST)
      throw TempFileError(QStringLiteral("No temporary file could be created in \"%1\": %2. Check that the "
                                         "folder exists and that you may write to it.")
                              .arg(QDir::toNativeSeparators(folder.absolutePath()),
                                   QString::fromLocal8Bit(std::strerror(error))));
  }
  throw TempFileError(QStringLiteral("No temporary file could be created in \"%1\": every LKS*.TMP name is "
                                     "taken. Remove the old temporary files there.")
                          .arg(QDir::toNativeSeparators(folder.absolutePath())));
}
