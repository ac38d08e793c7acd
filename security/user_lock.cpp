#include "security/user_lock.h"

#include "app/base/call_trace.h"
#include "data/engine.h"

namespace {

const QString UserIdField = QStringLiteral("UserID");

// Adds the user's row. Another station may add the same row at the same moment; its
// row serves as well as ours.
void InsertUserLockRow(db::Table &userLock, const QString &userId) {
  TRACE_ROUTINE("userlock", "InsertUserLockRow");
  userLock.insert();
  userLock.setValue(UserIdField, userId);
  try {
    userLock.post();
  } catch (const db::EngineError &error) {
    userLock.cancel();
    if (error.code() != db::ErrKeyViolation)
      throw;
  }
}

}  // namespace

bool TakeUserLock(db::Table &userLock, const QString &userId) {
  TRACE_ROUTINE("userlock", "TakeUserLock");
  if (!userLock.findKey({userId})) {
    InsertUserLockRow(userLock, userId);
    userLock.refresh();
    if (!userLock.findKey({userId}))
      throw db::EngineError(db::ErrGeneral,
                            QStringLiteral("The user lock record of \"%1\" could not be added.").arg(userId));
  }
  try {
    userLock.edit();
  } catch (const db::EngineError &error) {
    if (error.code() == db::ErrRecordLocked)
      return false;
    throw;
  }
  return true;
}

void ReleaseUserLock(db::Table &userLock) {
  TRACE_ROUTINE("userlock", "ReleaseUserLock");
  if (userLock.isOpen() && userLock.state() == db::EditState::Edit)
    userLock.cancel();
}
