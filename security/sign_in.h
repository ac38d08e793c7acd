#pragma once
// Under which user ID this run works: the station's ID or the login name, the login
// when the data directory asks for one, the first user of an empty installation, and
// then the user's rights with the user lock.

#include <QString>

namespace db {
class Table;
}

// The login name of this process, at most 15 characters; empty when it has none.
QString GetNetUserName();

// `[Options] Require Login` of the data directory's FAULTBK.INI (default false).
bool IsLoginRequired(const QString &dataDirectory);

// Signs the user in and loads the user's rights (CheckUserSecurity). Tables are the
// main window's open UserSec and UserLock tables. False, with the user told and
// StartupFailed set, when the start cannot go on.
bool SignInUser(db::Table &userSec, db::Table &userLock, const QString &dataDirectory);
