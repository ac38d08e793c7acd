#include "app/startup.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/base/ui_services.h"
#include "app/data_directory.h"
#include "app/ini_file.h"
#include "app/registry.h"
#include "app/settings.h"
#include "app/settings_error.h"
#include "app/single_instance.h"
#include "data/engine.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>

#include <sys/stat.h>
#include <unistd.h>

namespace {

bool startupFailed = false;
QString currentUserId;
QString privateDirectory;
DefaultCustomLists defaultLists;

const QString NoDatabaseLocationText = QStringLiteral(
    "Faultbook was unable to determine the location of its database files, or it was unable to obtain full "
    "access to the database files. The application will now close.");

// Strips one trailing separator ("/data/" -> "/data"), keeping a root as it is.
QString WithoutTrailingSeparator(QString path) {
  TRACE_ROUTINE("startup", "WithoutTrailingSeparator");
  if (path.size() > 1 && (path.endsWith(u'/') || path.endsWith(u'\\')))
    path.chop(1);
  return path;
}

enum class NewDataDirectoryAnswer { Created, Declined, Cancelled };

// A directory start-up reached holds no database: offer to make a new one there.
// `buttons` says whether the user may also give up the start (Cancel).
NewDataDirectoryAnswer OfferNewDataDirectory(const QString &directory, int buttons) {
  TRACE_ROUTINE("startup", "OfferNewDataDirectory");
  const int answer = Ui().ask(QStringLiteral("There is no Faultbook database in \"") + QDir::toNativeSeparators(directory) +
                                  QStringLiteral("\".\r\n\r\nDo you want to create a new Faultbook database there?"),
                              buttons);
  if (answer == AskCancel)
    return NewDataDirectoryAnswer::Cancelled;
  if (answer != AskYes)
    return NewDataDirectoryAnswer::Declined;
  try {
    CreateDataDirectory(directory);
  } catch (const db::EngineError &error) {
    Ui().error(QStringLiteral("A new Faultbook database could not be created in \"") +
               QDir::toNativeSeparators(directory) + QStringLiteral("\":\r\n\r\n") + error.text());
    return NewDataDirectoryAnswer::Declined;
  } catch (const SettingsError &error) {
    Ui().error(QStringLiteral("A new Faultbook database could not be created in \"") +
               QDir::toNativeSeparators(directory) + QStringLiteral("\":\r\n\r\n") + error.text());
    return NewDataDirectoryAnswer::Declined;
  }
  DebugLog(QStringLiteral("Created a new database in [") + directory + QStringLiteral("]"));
  return NewDataDirectoryAnswer::Created;
}

// Asks for the data directory until the user picks one with a database (or makes a new
// one in the folder picked). Empty when the user cancelled.
QString AskForDataDirectory(const QString &startFolder) {
  TRACE_ROUTINE("startup", "AskForDataDirectory");
  QString path = startFolder;
  for (;;) {
    DebugLog(QStringLiteral("Did not find USERSEC.DB - Query user for database location."));
    Ui().error(QStringLiteral(
        "Faultbook was unable to determine the location of its database files, or it was unable to obtain access "
        "to its database files. You will now be asked to specify the location of the Faultbook database files. "
        "You should also make sure that this station has full access to the directory where these files are "
        "located"));
    const QString picked = Ui().pickFolder(QStringLiteral("Locate Faultbook Database"), path);
    if (picked.isEmpty())
      return {};
    path = WithoutTrailingSeparator(picked);
    if (db::Database::isDataDirectory(path))
      return path;
    if (OfferNewDataDirectory(path, AskYes | AskNo) == NewDataDirectoryAnswer::Created)
      return path;
  }
}

}  // namespace

bool StartupFailed() {
  TRACE_ROUTINE("startup", "StartupFailed");
  return startupFailed;
}

void SetStartupFailed(bool failed) {
  TRACE_ROUTINE("startup", "SetStartupFailed");
  startupFailed = failed;
}

QString CurrentUserId() {
  TRACE_ROUTINE("startup", "CurrentUserId");
  return currentUserId;
}

void SetCurrentUserId(const QString &userId) {
  TRACE_ROUTINE("startup", "SetCurrentUserId");
  currentUserId = userId;
}

QString PrivateDirectory() {
  TRACE_ROUTINE("startup", "PrivateDirectory");
  return privateDirectory;
}

QStringList CommandLineParameters() {
  TRACE_ROUTINE("startup", "CommandLineParameters");
  QStringList parameters = QCoreApplication::arguments();
  if (!parameters.isEmpty())
    parameters.removeFirst();
  return parameters;
}

QString GetCommandLineParam(const QString &name, const QStringList &parameters) {
  TRACE_ROUTINE("startup", "GetCommandLineParam");
  for (QString parameter : parameters) {
    if (parameter.startsWith(u'/') || parameter.startsWith(u'-'))
      parameter.remove(0, 1);
    const qsizetype equals = parameter.indexOf(u'=');
    const QString parameterName = equals < 0 ? parameter : parameter.left(equals);
    if (parameterName.compare(name, Qt::CaseInsensitive) == 0)
      return equals < 0 ? QString() : parameter.mid(equals + 1);
  }
  return {};
}

bool CheckSingleInstance(SingleInstance &instance) {
  TRACE_ROUTINE("startup", "CheckSingleInstance");
  if (instance.acquire())
    return true;
  Ui().warn(QStringLiteral(
      "Faultbook is already running.  You cannot run two concurrent instances of Faultbook on one station."));
  SingleInstance::requestRaise();
  return false;
}

bool DiagnosticModeRequested() {
  TRACE_ROUTINE("startup", "DiagnosticModeRequested");
  if (qEnvironmentVariable("FAULTBK_DIAGNOSTIC") == QLatin1String("1"))
    return true;
  return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
         QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

void StartDiagnosticMode(const QString &startingDirectory) {
  TRACE_ROUTINE("startup", "StartDiagnosticMode");
  Ui().inform(QStringLiteral(
      "Diagnostic logging mode is active.  You may notice some delays while the program is loading.  These delays "
      "are necessary in order to produce diagnostic information during application startup."));
  QString problem;
  if (!OpenDebugLogFile(startingDirectory, &problem)) {
    Ui().warn(problem + QStringLiteral("\r\nFaultbook will start without diagnostic logging."));
    return;
  }
  DebugLog(QStringLiteral("Created diagnostic log file."));
}

DatabaseSearch DatabaseSearch::forThisProcess() {
  TRACE_ROUTINE("startup", "DatabaseSearch.forThisProcess");
  return {QCoreApplication::applicationDirPath(), CommandLineParameters()};
}

QString LocateDatabase(const DatabaseSearch &search) {
  TRACE_ROUTINE("startup", "LocateDatabase");
  QString path = QDir(search.programFolder).filePath(QStringLiteral("Data"));
  if (SettingExists(reg::DatabaseLocation)) {
    path = ReadSetting(reg::DatabaseLocation);
    DebugLog(QStringLiteral("Database path located in registry [") + path + QStringLiteral("]"));
  }
  if (const QString fromCommandLine = GetCommandLineParam(QStringLiteral("dbpath"), search.parameters);
      !fromCommandLine.isEmpty()) {
    path = fromCommandLine;
    DebugLog(QStringLiteral("Database path from command line [") + path + QStringLiteral("]"));
  }
  DebugLog(QStringLiteral("Checking for USERSEC.DB in database directory."));
  if (!db::Database::isDataDirectory(path)) {
    // First run: offer a new database where the program looked. Cancel gives up the
    // start as a cancelled folder dialog does.
    const NewDataDirectoryAnswer answer = OfferNewDataDirectory(path, AskYes | AskNo | AskCancel);
    if (answer == NewDataDirectoryAnswer::Declined) {
      path = AskForDataDirectory(path);
      if (path.isEmpty()) {
        Ui().error(NoDatabaseLocationText);
        SetStartupFailed();
        return {};
      }
      WriteSetting(reg::DatabaseLocation, path);
    } else if (answer == NewDataDirectoryAnswer::Cancelled) {
      Ui().error(NoDatabaseLocationText);
      SetStartupFailed();
      return {};
    }
  }
  // The program changes its current directory later: a relative -dbpath must not move.
  path = QFileInfo(path).absoluteFilePath();
  DebugLog(QStringLiteral("Database path is [") + path + QStringLiteral("]"));
  return path;
}

namespace {

// Every file of the directory goes; the window stays responsive meanwhile.
void DeleteDirectoryFiles(const QString &directory) {
  TRACE_ROUTINE("startup", "DeleteDirectoryFiles");
  const QDir dir(directory);
  for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
    QFile::remove(dir.filePath(name));
    Ui().processEvents();
  }
}

// The temporary directory may be shared by every user of the machine: the private
// directory carries the user's number, is made for the user alone, and one that
// someone else made (or a link put in its place) is not used. Empty, with the user
// told, when it cannot be had.
QString PreparePrivateDirectory() {
  TRACE_ROUTINE("startup", "PreparePrivateDirectory");
  const QString directory =
      QDir(QDir::tempPath()).filePath(QStringLiteral("LKS_Priv-") + QString::number(::getuid()));
  const QByteArray native = QFile::encodeName(directory);
  struct stat status {};
  if (::lstat(native.constData(), &status) == 0) {
    if (S_ISDIR(status.st_mode) && status.st_uid == ::getuid()) {
      DeleteDirectoryFiles(directory);
      return directory;
    }
    Ui().error(QStringLiteral("The private directory \"") + QDir::toNativeSeparators(directory) +
               QStringLiteral("\" belongs to another user or is not a directory. Remove it and start Faultbook "
                              "again."));
    return {};
  }
  if (::mkdir(native.constData(), 0700) == 0)
    return directory;
  Ui().error(QStringLiteral("The private directory \"") + QDir::toNativeSeparators(directory) +
             QStringLiteral("\" cannot be created. Check that the temporary directory \"") +
             QDir::toNativeSeparators(QDir::tempPath()) + QStringLiteral("\" can be written to."));
  return {};
}

}  // namespace

void ConfigureBDESettings(const QString &dataDirectory) {
  TRACE_ROUTINE("startup", "ConfigureBDESettings");
  DebugLog(QStringLiteral("Configure BDE Settings."));
  privateDirectory = PreparePrivateDirectory();
  if (privateDirectory.isEmpty())
    SetStartupFailed();
  // Four-digit years need no setting here: the short date pattern is always widened
  // (ShortDateFormat). The engine has no local-share switch to check either: every
  // process reaches the data directory through the same file locks.
  const IniFile options(SharedOptionsFilePath(dataDirectory));
  QString networkDirectory = options.readString(QLatin1String(ini::NetFileDir.section),
                                                QLatin1String(ini::NetFileDir.key), QString());
  if (networkDirectory.trimmed().isEmpty())
    networkDirectory = dataDirectory;
  // The engine keeps its lock files beside the database whatever this says; the log
  // still shows which directory the data directory's options name.
  DebugLog(QStringLiteral("Changing session network directory path to database directory. [") + networkDirectory +
           QStringLiteral("]"));
  DebugLog(QStringLiteral("Changing session private directory path to local temp directory. [") + privateDirectory +
           QStringLiteral("]"));
}

void MoveRegistryTree() {
  TRACE_ROUTINE("startup", "MoveRegistryTree");
  DebugLog(QStringLiteral("Checking if registry tree needs to be moved."));
  const QString productKey = QLatin1String(ProductKey);
  if (CurrentUserRegistry().keyExists(productKey) || !LocalMachineRegistry().keyExists(productKey))
    return;
  DebugLog(QStringLiteral("Registry tree will be moved."));
  CopyRegistryTree(LocalMachineRegistry(), productKey, CurrentUserRegistry(), productKey);
  DebugLog(QStringLiteral("Registry tree move completed."));
}

void FillCustomLists() {
  TRACE_ROUTINE("startup", "FillCustomLists");
  DebugLog(QStringLiteral("Fill default lists."));
  DefaultCustomLists &lists = defaultLists;
  lists.productStatus = {QStringLiteral("Pending"), QStringLiteral("Approved")};
  lists.programStatus = {QStringLiteral("Pending"), QStringLiteral("Approved")};
  lists.defectStatus = {QStringLiteral("Pending Research"), QStringLiteral("Confirmed"),
                        QStringLiteral("Pending Development"), QStringLiteral("In Development"),
                        QStringLiteral("Pending QA"), QStringLiteral("In QA"),
                        QStringLiteral("Pending Rework"), QStringLiteral("Approved"),
                        QStringLiteral("Not A Bug"), QStringLiteral("On Hold")};
  lists.nature = {QStringLiteral("Research"), QStringLiteral("Defect"), QStringLiteral("Enhancement"),
                  QStringLiteral("Documentation")};
  lists.severity = {QStringLiteral("Minor"), QStringLiteral("Moderate"), QStringLiteral("Critical")};
}

const DefaultCustomLists &DefaultLists() {
  TRACE_ROUTINE("startup", "DefaultLists");
  return defaultLists;
}
