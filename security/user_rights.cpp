#include "security/user_rights.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/base/ui_services.h"
#include "app/startup.h"
#include "app/settings.h"
#include "data/engine.h"
#include "security/user_lock.h"

#include <QRegularExpression>

namespace {

struct CurrentUserRightsState {
  QString rights;
  bool allProducts = false;
  QStringList products;
};

CurrentUserRightsState current;

const QString UserIdField = QStringLiteral("UserID");

// The product names of a Products memo, one a line.
QStringList ProductLines(const QString &memo) {
  TRACE_ROUTINE("usersec", "ProductLines");
  static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
  QStringList products;
  for (const QString &line : memo.split(lineBreak))
    if (!line.isEmpty())
      products << line;
  return products;
}

}  // namespace

bool UserHasRights(int position) {
  TRACE_ROUTINE("usersec", "UserHasRights");
  return position >= 1 && position <= current.rights.size() && current.rights.at(position - 1) == u'1';
}

bool UserCanAccessProduct(const QString &product) {
  TRACE_ROUTINE("usersec", "UserCanAccessProduct");
  return current.allProducts || current.products.contains(product, Qt::CaseInsensitive);
}

QString CurrentUserRights() {
  TRACE_ROUTINE("usersec", "CurrentUserRights");
  return current.rights;
}

bool AllProductsAccess() {
  TRACE_ROUTINE("usersec", "AllProductsAccess");
  return current.allProducts;
}

QStringList ProductAccessList() {
  TRACE_ROUTINE("usersec", "ProductAccessList");
  return current.products;
}

void ResetCurrentUserRights() {
  TRACE_ROUTINE("usersec", "ResetCurrentUserRights");
  current = {};
}

void InitializeFirstUser(db::Table &userSec, db::Table &userLock) {
  TRACE_ROUTINE("usersec", "InitializeFirstUser");
  userSec.refresh();
  if (!userSec.isEmpty())
    return;
  const QString firstUser = QString::fromLatin1(FirstUserId);
  DebugLog(QStringLiteral("Security file is empty.  User ID is Faultbook Admin."));
  DebugLog(QStringLiteral("Inserting first user record in security file."));
  userSec.insert();
  userSec.setValue(UserIdField, firstUser);
  userSec.setValue(QStringLiteral("Rights"), QString(RightsLength, u'1'));
  userSec.setValue(QStringLiteral("AllProducts"), true);
  try {
    userSec.post();
  } catch (const db::EngineError &error) {
    // Another station became the first user at the same moment: this one is not it.
    userSec.cancel();
    if (error.code() == db::ErrKeyViolation)
      return;
    throw;
  }
  SetCurrentUserId(firstUser);
  DebugLog(QStringLiteral("Adding user lock record."));
  if (!userLock.findKey({firstUser})) {
    userLock.insert();
    userLock.setValue(UserIdField, firstUser);
    userLock.post();
  }
  DebugLog(QStringLiteral("Adding user ID to the Registry."));
  WriteSetting(reg::UserID, firstUser);
  Ui().inform(QStringLiteral(
      "You are the first person to access this installation of Faultbook. You will be granted security "
      "administrator rights.  You will be able to set up other users' access rights.  Your User ID will be "
      "'Faultbook Admin'"));
}

void CheckUserSecurity(db::Table &userSec, db::Table &userLock) {
  TRACE_ROUTINE("usersec", "CheckUserSecurity");
  DebugLog(QStringLiteral("Checking for user ID in security file."));
  if (!userSec.findKey({CurrentUserId()})) {
    current.rights = QString(RightsLength, u'0');
    SetCurrentUserId(QString::fromLatin1(UnknownUserId));
    return;
  }
  DebugLog(QStringLiteral("User ID exists."));
  current.rights = userSec.asString(QStringLiteral("Rights"));
  current.allProducts = userSec.asBoolean(QStringLiteral("AllProducts"));
  current.products = ProductLines(userSec.asString(QStringLiteral("Products")));
  // The ID exactly as stored, which is what the lock row carries.
  const QString userId = userSec.asString(UserIdField);
  DebugLog(QStringLiteral("Checking for user lock record."));
  if (userLock.findKey({userId}))
    DebugLog(QStringLiteral("User lock record exists."));
  if (!TakeUserLock(userLock, userId)) {
    Ui().error(QStringLiteral("Your station has tried to start Faultbook with a User ID of \"") + userId +
               QStringLiteral("\", which is currently in use. Please verify that each station on your network has "
                              "a unique name or that your Registry contains a unique \"UserID\" value."));
    SetStartupFailed();
  }
}
