#include "data/engine_errors.h"

#include "app/base/call_trace.h"
#include "data/engine.h"

namespace db {

EngineError::EngineError(int code, const QString &text)
    : std::runtime_error(text.toStdString()), code_(code), text_(text) {}

QString EngineErrorText(int code) {
  TRACE_ROUTINE("engine", "EngineErrorText");
  switch (code) {
  case ErrNone: return {};
  case ErrGeneral: return QStringLiteral("General database failure.");
  case ErrTableNotFound: return QStringLiteral("Table does not exist.");
  case ErrFieldNotFound: return QStringLiteral("Field not found.");
  case ErrNoDataDirectory: return QStringLiteral("The directory holds no Faultbook database.");
  case ErrSyntax: return QStringLiteral("Invalid statement.");
  case ErrFieldTooLong: return QStringLiteral("Text is longer than its field.");
  case ErrInvalidValue: return QStringLiteral("Value does not fit its field.");
  case ErrNotEditing: return QStringLiteral("The data set is not in edit or insert mode.");
  case ErrNoCurrentRecord: return QStringLiteral("No current record.");
  case ErrBusy: return QStringLiteral("The database is busy; try again in a moment.");
  case ErrReadOnly: return QStringLiteral("The table is open read-only.");
  case ErrKeyViolation: return QStringLiteral("Key violation.");
  case ErrRecordLocked: return QStringLiteral("Record locked by another user.");
  case ErrEndOfLockList: return QStringLiteral("End of lock list.");
  }
  return QStringLiteral("Database error %1.").arg(code);
}

}  // namespace db
