#include "security/sign_in.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/base/ui_services.h"
#include "app/ini_file.h"
#include "app/settings.h"
#include "app/startup.h"
#include "security/user_rights.h"

#include <pwd.h>
#include <unistd.h>

#include <vector>

namespace {

// Room the user ID has, as the station's network name always had.
constexpr int NetUserNameLength = 15;

// The login window belongs to a later version; until then a data directory that asks
// for a login cannot be used, and the user is told why.
bool RunLogin() {
  TRACE_ROUTINE("login", "RunLogin");
  Ui().warn(QStringLiteral("This data directory requires users to log in, but this version of Faultbook "
                           "has no login window yet. Ask the administrator to turn off \"Require Login\" "
                           "or use a version of Faultbook that offers the login."));
  return false;
}

}  // namespace

QString GetNetUserName() {
  TRACE_ROUTINE("login", "GetNetUserName");
  QString name;
  long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
  passwd entry{};
  passwd *found = nullptr;
  if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found)
    name = QString::fromLocal8Bit(found->pw_name);
  if (name.isEmpty())
    name = qEnvironmentVariable("LOGNAME", qEnvironmentVariable("USER"));
  return name.left(NetUserNameLength);
}

bool IsLoginRequired(const QString &dataDirectory) {
  TRACE_ROUTINE("login", "IsLoginRequired");
  return IniFile(SharedOptionsFilePath(dataDirectory))
      .readBool(QLatin1String(ini::RequireLogin.section), QLatin1String(ini::RequireLogin.key),
                ini::RequireLogin.defaultValue);
}

bool SignInUser(db::Table &userSec, db::Table &userLock, const QString &dataDirectory) {
  TRACE_ROUTINE("login", "SignInUser");
  DebugLog(QStringLiteral("Obtaining network user name [") + CurrentUserId() + QStringLiteral("]"));
  if (CurrentUserId().isEmpty())
    SetCurrentUserId(GetNetUserName());
  DebugLog(QStringLiteral("User ID after getting network user name [") + CurrentUserId() + QStringLiteral("]"));
  if (IsLoginRequired(dataDirectory)) {
    DebugLog(QStringLiteral("Requesting user login."));
    if (!RunLogin()) {
      Ui().error(QStringLiteral("You did not successfully log in.  Faultbook will now shut down."));
      SetStartupFailed();
      return false;
    }
  } else {
    if (CurrentUserId().trimmed().isEmpty()) {
      Ui().error(QStringLiteral("Faultbook was unable to determine your station's ID. Please run the Workstation "
                                "Setup program and enter a unique name for this station, then restart Faultbook."));
      SetStartupFailed();
      return false;
    }
    InitializeFirstUser(userSec, userLock);
  }
  CheckUserSecurity(userSec, userLock);
  return !StartupFailed();
}
