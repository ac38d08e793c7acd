#pragma once
// The user lock: each running copy keeps its user's UserLock row in edit, which locks
// it for every process on every station. A second copy under the same user ID cannot
// take it, a working user cannot be deleted, and the number of locks held on the table
// is the number of users running. The lock dies with the process however it ends.

#include <QString>

namespace db {
class Table;
}

// Puts `userId`'s row of the open UserLock table into edit, inserting the row first
// when there is none. False when another running copy holds it; other engine errors
// are raised.
bool TakeUserLock(db::Table &userLock, const QString &userId);

// Gives back the lock taken by TakeUserLock (nothing when none is held).
void ReleaseUserLock(db::Table &userLock);
