#include "exchange/packed_files.h"

#include "app/base/call_trace.h"
#include "app/temp_files.h"
#include "blkpack.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

struct Transform {
  int16_t (*function)(const char *source, const char *destination);
  const char *done;            // "packed", "unpacked"
  const char *libraryFailure;  // why the library answers 1, and what to do
};

const Transform Packing{compress_file, "packed", "it could not be read, or the disk is full"};
const Transform Unpacking{decompress_file, "unpacked",
                          "it is damaged or not a packed file, or the disk is full. Retrieve it again"};

[[noreturn]] void Fail(const QString &shown, const Transform &t, QString why) {
  if (!why.endsWith(QLatin1Char('.')))
    why += QLatin1Char('.');
  throw PackedFileError(QStringLiteral("The file \"%1\" could not be %2: %3 The file was left as it was.")
                            .arg(shown, QLatin1String(t.done), why));
}

// Writes the result beside the file, so that it lies on the same file system and one
// rename replaces the file: until then the file is untouched.
void TransformInPlace(const QString &path, const Transform &t) {
  TRACE_ROUTINE("packed_files", "TransformInPlace");
  const QString shown = QDir::toNativeSeparators(path);
  const QFileInfo info(path);
  if (!info.isFile())
    Fail(shown, t, QStringLiteral("there is no such file"));

  QString temp;
  try {
    temp = GetLKSTempFileName(info.absolutePath());
  } catch (const TempFileError &e) {
    Fail(shown, t, e.text());
  }
  if (t.function(QFile::encodeName(path).constData(), QFile::encodeName(temp).constData()) != 0) {
    QFile::remove(temp);
    Fail(shown, t, QLatin1String(t.libraryFailure));
  }
  QFile::setPermissions(temp, info.permissions());
  if (std::rename(QFile::encodeName(temp).constData(), QFile::encodeName(path).constData()) != 0) {
    const QString reason = QString::fromLocal8Bit(std::strerror(errno));
    QFile::remove(temp);
    Fail(shown, t, QStringLiteral("it could not be replaced (%1)").arg(reason));
  }
}

}  // namespace

void CompressDefectFile(const QString &path) {
  TRACE_ROUTINE("packed_files", "CompressDefectFile");
  TransformInPlace(path, Packing);
}

void DecompressDefectFile(const QString &path) {
  TRACE_ROUTINE("packed_files", "DecompressDefectFile");
  TransformInPlace(path, Unpacking);
}
