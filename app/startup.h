#pragma once
// One program run from the single-instance check to the main window, and the state the
// run keeps for its whole life. A fatal start-up step shows its own message and sets
// StartupFailed; the run then ends quietly at the main window's next activation.

#include <QString>
#include <QStringList>

class SingleInstance;

// Set by any fatal start-up step, by a failed login and by Exit in the error report.
bool StartupFailed();
void SetStartupFailed(bool failed = true);

// The user ID the program runs under: the station's "User ID", else the login name,
// replaced by the sign-in.
QString CurrentUserId();
void SetCurrentUserId(const QString &userId);

// The private directory, LKS_Priv under the temporary directory (error report files
// and temporary files go there); empty until ConfigureBDESettings ran.
QString PrivateDirectory();

// The command-line parameters after the program name.
QStringList CommandLineParameters();
// The value of the first parameter "/name=value" or "-name=value" (name compared
// without regard to case); empty when there is none or it has no equals sign.
QString GetCommandLineParam(const QString &name, const QStringList &parameters = CommandLineParameters());

// False when another copy runs in this desktop session: the user has been told and
// the other copy asked to bring its window forward; this copy must end now.
bool CheckSingleInstance(SingleInstance &instance);

// Diagnostic mode is asked for by Shift held at start or FAULTBK_DIAGNOSTIC=1 (for
// machines without a keyboard).
bool DiagnosticModeRequested();
// Tells the user, then opens DebugLog.txt in `startingDirectory`.
void StartDiagnosticMode(const QString &startingDirectory);

// Where LocateDatabase looks: the program's folder and the command line.
struct DatabaseSearch {
  QString programFolder;
  QStringList parameters;
  static DatabaseSearch forThisProcess();
};

// The data directory: program folder + "Data", replaced by the stored "Database
// Location", replaced by -dbpath=DIR. A directory without a database is offered for a
// new one; otherwise the user picks one. Empty, with StartupFailed set, when the user
// gave up.
QString LocateDatabase(const DatabaseSearch &search = DatabaseSearch::forThisProcess());

// Prepares the private directory (emptied, or made) and reads the shared network
// directory setting of the data directory's FAULTBK.INI.
void ConfigureBDESettings(const QString &dataDirectory);

// An older installation kept its settings in the system-wide store: copy the product
// tree to the user's store when the user has none.
void MoveRegistryTree();

// The default contents of a new release's lists.
struct DefaultCustomLists {
  QStringList productStatus;
  QStringList programStatus;
  QStringList defectStatus;
  QStringList nature;
  QStringList severity;
};
void FillCustomLists();
const DefaultCustomLists &DefaultLists();
