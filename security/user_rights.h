#pragma once
// The signed-in user's rights: the 128-character rights string, the all-products flag
// and the products the user may open, read once at start from UserSec. Every window
// asks these two questions of that copy; changes made in the user access window reach
// a running program only at its next start.

#include <QString>
#include <QStringList>

namespace db {
class Table;
}

// Character n (counted from 1) of the rights string is "1" when right n is granted.
inline constexpr int RightsLength = 128;

// The positions of the rights string that mean something.
namespace Right {
inline constexpr int ReleaseCreate = 1;
inline constexpr int ReleaseModify = 2;
inline constexpr int ReleaseDelete = 3;
inline constexpr int ProgramCreate = 4;
inline constexpr int ProgramModify = 5;
inline constexpr int ProgramDelete = 6;
inline constexpr int DefectCreate = 7;
inline constexpr int DefectModify = 8;
inline constexpr int DefectDelete = 9;
inline constexpr int DefectMove = 10;
inline constexpr int DefectStatus = 11;
inline constexpr int DefectNature = 12;
inline constexpr int DefectSeverity = 13;
inline constexpr int DefectSummary = 14;
inline constexpr int DefectFileInformation = 15;
inline constexpr int DefectAssignedTo = 18;
inline constexpr int DefectAssignedDate = 19;
inline constexpr int DefectGroups = 20;
inline constexpr int DefectCustomers = 21;
inline constexpr int DefectPriority = 22;
inline constexpr int DefectError = 23;
inline constexpr int OriginRelease = 25;
inline constexpr int OriginDateReported = 26;
inline constexpr int OriginTechnician = 27;
inline constexpr int OriginNotes = 28;
inline constexpr int OriginFileInformation = 29;
inline constexpr int EnvironmentHardwareType = 32;
inline constexpr int EnvironmentOperatingSystem = 33;
inline constexpr int EnvironmentNetworkAttached = 34;
inline constexpr int EnvironmentNetworkType = 35;
inline constexpr int EnvironmentNotes = 36;
inline constexpr int WorkaroundTechnician = 37;
inline constexpr int WorkaroundNotes = 38;
inline constexpr int CorrectionProgrammer = 39;
inline constexpr int CorrectionEstimatedFixDate = 40;
inline constexpr int CorrectionActualFixDate = 41;
inline constexpr int CorrectionEstimatedHours = 42;
inline constexpr int CorrectionActualHours = 43;
inline constexpr int CorrectionFileInformation = 44;
inline constexpr int CorrectionNotes = 47;
inline constexpr int VerificationTester = 48;
inline constexpr int VerificationEstimatedHours = 49;
inline constexpr int VerificationActualHours = 50;
inline constexpr int VerificationFileInformation = 51;
inline constexpr int VerificationDateTested = 54;
inline constexpr int VerificationNotes = 55;
inline constexpr int DefectAttachments = 56;
inline constexpr int Security = 57;
inline constexpr int ProgramMove = 58;
inline constexpr int ProgramStatus = 59;
inline constexpr int ProgramFileInformation = 60;
inline constexpr int ProgramDescription = 61;
inline constexpr int CustomerCreate = 62;
inline constexpr int CustomerModify = 63;
inline constexpr int CustomerDelete = 64;
}  // namespace Right

// The ID under which the station starts on an empty installation.
inline constexpr const char *FirstUserId = "Faultbook Admin";
// The ID of a user not found in UserSec: no rights, no products.
inline constexpr const char *UnknownUserId = "Unknown User";

// True when character `position` (from 1) of the current user's rights string is "1".
// A position outside the string is not granted.
bool UserHasRights(int position);
// True when the current user may open every product, or `product` is one of the user's
// products (letter case ignored).
bool UserCanAccessProduct(const QString &product);

// The current user's rights as read at start.
QString CurrentUserRights();
bool AllProductsAccess();
QStringList ProductAccessList();

// When UserSec holds no record: the station becomes "Faultbook Admin" with every right
// and every product, gets its UserLock row and keeps the ID in the per-user store.
// Tables are the main window's open UserSec and UserLock tables.
void InitializeFirstUser(db::Table &userSec, db::Table &userLock);

// Reads the current user (CurrentUserId) from UserSec and takes the user lock on its
// UserLock row for the rest of the run. A user missing from UserSec runs as
// "Unknown User" without rights or products and without a lock. A user whose lock is
// held by another running copy is told so and StartupFailed is set.
void CheckUserSecurity(db::Table &userSec, db::Table &userLock);

// Forgets the current user's rights (a new start in the same process, tests).
void ResetCurrentUserRights();
