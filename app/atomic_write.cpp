#include "app/atomic_write.h"

#include "app/base/call_trace.h"

#include <QSaveFile>

bool WriteFileAtomically(const QString &path, const QByteArray &contents, QString *error) {
  TRACE_ROUTINE("atomic_write", "WriteFileAtomically");
  QSaveFile file(path);
  // Unbuffered: a buffered write that fails only while committing would still have the
  // short file put in place of the old one.
  if (file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(contents) == contents.size() &&
      file.commit())
    return true;
  if (error)
    *error = file.errorString();
  file.cancelWriting();
  return false;
}
