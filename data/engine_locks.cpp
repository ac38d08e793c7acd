// Record locks between processes. Each table has a lock file in the data directory
// ("defect.lck"); a record is locked by a one-byte write lock at a position hashed from
// the table and the record's key. The locks are open-file-description locks: they
// belong to the open file, not to the process, so two data sets of one process that
// lock the same record conflict as two processes do, and the kernel drops them when
// the file is closed or the process ends, however it ends. Counting needs neither
// /proc nor anything the network file system does not give: the held ranges are found
// by asking which lock would stand in the way, from a descriptor that holds none.

#include "app/base/call_trace.h"
#include "data/engine_internal.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

namespace db {

namespace {

// Positions lie in [1, 2^62]: well inside off_t, with room for the one-byte range.
constexpr uint64_t PositionMask = (uint64_t(1) << 62) - 1;
constexpr off_t FirstPosition = 1;
constexpr off_t EndPosition = off_t(PositionMask) + 2;
// A range some other program locked over the file counts as that many records at most.
constexpr off_t MaxCountedRange = 1 << 20;

QString lockFilePath(const QString &directory, const QString &table) {
  return QDir(directory).filePath(table.toLower() + QLatin1String(".lck"));
}

int openLockFile(const QString &directory, const QString &table) {
  const QString path = lockFilePath(directory, table);
  const int descriptor = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (descriptor < 0)
    throw EngineError(ErrGeneral, QStringLiteral("The lock file \"%1\" cannot be opened: %2. The data directory must "
                                                 "be writable for every user.")
                                      .arg(QDir::toNativeSeparators(path), QString::fromLocal8Bit(strerror(errno))));
  return descriptor;
}

struct flock lockRange(short type, off_t start, off_t length) {
  struct flock range;
  std::memset(&range, 0, sizeof range);
  range.l_type = type;
  range.l_whence = SEEK_SET;
  range.l_start = start;
  range.l_len = length;
  range.l_pid = 0;  // required of open-file-description locks
  return range;
}

// FNV-1a over the bytes given: the same on every station, unlike QHash's seeded hash.
void mix(uint64_t &hash, const void *data, size_t size) {
  const auto *bytes = static_cast<const unsigned char *>(data);
  for (size_t i = 0; i < size; ++i) {
    hash ^= bytes[i];
    hash *= 1099511628211ULL;
  }
}

}  // namespace

RecordLockFile::RecordLockFile(const QString &directory, const QString &table)
    : descriptor_(openLockFile(directory, table)) {}

RecordLockFile::~RecordLockFile() {
  ::close(descriptor_);
}

uint64_t RecordLockFile::position(const QString &table, const QList<StoredValue> &key) {
  uint64_t hash = 14695981039346656037ULL;
  const QByteArray name = table.toLower().toUtf8();
  mix(hash, name.constData(), size_t(name.size()));
  for (const auto &value : key) {
    const unsigned char separator[2] = {0x1F, static_cast<unsigned char>(value.kind)};
    mix(hash, separator, sizeof separator);
    switch (value.kind) {
    case StoredValue::Integer: mix(hash, &value.integer, sizeof value.integer); break;
    case StoredValue::Float: mix(hash, &value.real, sizeof value.real); break;
    case StoredValue::Text: mix(hash, value.text.data(), value.text.size()); break;
    case StoredValue::Null: break;
    }
  }
  return (hash & PositionMask) + FirstPosition;
}

bool RecordLockFile::tryLock(uint64_t position) {
  TRACE_ROUTINE("engine", "RecordLockFile.tryLock");
  struct flock range = lockRange(F_WRLCK, off_t(position), 1);
  if (fcntl(descriptor_, F_OFD_SETLK, &range) == 0)
    return true;
  if (errno == EAGAIN || errno == EACCES)
    return false;
  throw EngineError(ErrGeneral, QStringLiteral("A record lock could not be taken: %1.")
                                    .arg(QString::fromLocal8Bit(strerror(errno))));
}

void RecordLockFile::unlock(uint64_t position) {
  TRACE_ROUTINE("engine", "RecordLockFile.unlock");
  struct flock range = lockRange(F_UNLCK, off_t(position), 1);
  fcntl(descriptor_, F_OFD_SETLK, &range);
}

int RecordLockFile::count(const QString &directory, const QString &table) {
  TRACE_ROUTINE("engine", "RecordLockFile.count");
  RecordLockFile probe(directory, table);
  // Ranges still to search; each lock found splits its range in two. One lock holder's
  // adjacent bytes may show as one range, so locks are counted by their bytes.
  std::vector<std::pair<off_t, off_t>> pending{{FirstPosition, EndPosition}};
  int locks = 0;
  while (!pending.empty()) {
    const auto [start, end] = pending.back();
    pending.pop_back();
    if (start >= end)
      continue;
    struct flock range = lockRange(F_WRLCK, start, end - start);
    if (fcntl(probe.descriptor_, F_OFD_GETLK, &range) != 0)
      throw EngineError(ErrGeneral, QStringLiteral("The record locks of \"%1\" could not be listed: %2.")
                                        .arg(table, QString::fromLocal8Bit(strerror(errno))));
    if (range.l_type == F_UNLCK)
      continue;
    const off_t lockStart = std::max(range.l_start, start);
    const off_t lockEnd = range.l_len == 0 ? end : std::min(range.l_start + range.l_len, end);
    locks += int(std::min<off_t>(lockEnd - lockStart, MaxCountedRange));
    pending.emplace_back(start, lockStart);
    pending.emplace_back(lockEnd, end);
  }
  return locks;
}

}  // namespace db
