#pragma once
// The settings catalogue: every value the program keeps under the current user's
// product key and every shared option of a data directory's FAULTBK.INI, each with its
// key, name, type and default; and the process-wide preferences that LoadPreferences
// fills from both stores and the rest of the program reads.

#include <QString>

#include <optional>

class RegistryKey;

// The product key in the current user's registry.
inline constexpr char ProductKey[] = "\\Software\\Larkspur, Inc.\\Faultbook";

// The keys below the product key.
namespace regkey {
inline constexpr char Settings[] = "Settings";
inline constexpr char Database[] = "Database";
inline constexpr char Display[] = "Display";
inline constexpr char Columns[] = "Columns";
inline constexpr char General[] = "Preferences\\General";
inline constexpr char Messaging[] = "Preferences\\Messaging";
inline constexpr char Directories[] = "Preferences\\Directories";
inline constexpr char System[] = "Preferences\\System";
inline constexpr char Remote[] = "Preferences\\Remote";
inline constexpr char Recent[] = "Recent";
inline constexpr char Tools[] = "Tools";
inline constexpr char Toolbars[] = "Toolbars";
inline constexpr char Charting[] = "Charting";
}  // namespace regkey

// One registry value of the catalogue: its key below the product key, its name and its
// default. Booleans are stored as integers 0 and 1.
template <typename T> struct RegSetting {
  const char *key;
  const char *name;
  T defaultValue;
};
using RegBool = RegSetting<bool>;
using RegInt = RegSetting<qint32>;
using RegText = RegSetting<const char *>;

namespace reg {
// Settings, Database
inline constexpr RegText UserID{regkey::Settings, "User ID", ""};  // empty: the login name
inline constexpr RegText DatabaseLocation{regkey::Database, "Database Location", ""};
// Display: the values windows read and write themselves. The main window's place,
// split and sorts are read and written as a whole (display_state.h).
inline constexpr RegText LastFilter{regkey::Display, "Last Filter", ""};  // empty: no view
inline constexpr RegBool FitGridWidth{regkey::Display, "Fit Grid Width", true};
inline constexpr RegBool ReleaseSelectorShowHidden{regkey::Display, "Release Selector Show Hidden", false};
inline constexpr RegBool CopySelectorShowHidden{regkey::Display, "Copy Selector Show Hidden", false};
inline constexpr RegInt AttachmentListStyle{regkey::Display, "Attachment List Style", 3};  // 0 large icons .. 3 details
inline constexpr RegBool ShowAttachmentPaths{regkey::Display, "Show Attachment Paths", false};
// Preferences\General
inline constexpr RegInt PreviewZoom{regkey::General, "Preview Zoom", 4};  // 0 "Fit Entire Page" .. 6 "150%"
inline constexpr RegInt DefaultDefectPage{regkey::General, "Default Defect Page", 0};  // 0 "Information" .. 5
inline constexpr RegInt ProgramColor{regkey::General, "Program Color", 0};
inline constexpr RegInt DefectColor{regkey::General, "Defect Color", 0};
inline constexpr RegInt MultiSelectStyle{regkey::General, "MultiSelect Style", 0};  // 0 check boxes, 1 Ctrl+click
inline constexpr RegBool OverdueBold{regkey::General, "Overdue Bold", false};
inline constexpr RegBool DefectsOnStartup{regkey::General, "Defects on Startup", false};
inline constexpr RegBool ShowByRelease{regkey::General, "Show By Release", false};
inline constexpr RegInt ImageCaptureType{regkey::General, "Image Capture Type", 2};  // 1 bitmap, 2 JPEG
inline constexpr RegInt ImageCaptureQuality{regkey::General, "Image Capture Quality", 90};
// Preferences\Messaging
inline constexpr RegBool MAPIServices{regkey::Messaging, "MAPI Services", false};
inline constexpr RegBool StatusNotify{regkey::Messaging, "Status Notify", true};
inline constexpr RegBool RevertNotify{regkey::Messaging, "Revert Notify", true};
inline constexpr RegBool MessagePolling{regkey::Messaging, "Message Polling", true};
inline constexpr RegInt MessagePollingDelay{regkey::Messaging, "Message Polling Delay", 3};  // seconds
inline constexpr RegBool NotifyNewDefect{regkey::Messaging, "Notify New Defect", true};
inline constexpr RegBool NotifyDefectStatusChanged{regkey::Messaging, "Notify Defect Status Changed", true};
inline constexpr RegBool NotifyDefectSaved{regkey::Messaging, "Notify Defect Saved", true};
// Preferences\Directories
inline constexpr RegText DefaultFindPath{regkey::Directories, "Default Find Path", ""};
inline constexpr RegText DefaultAttachPath{regkey::Directories, "Default Attach Path", ""};
inline constexpr RegText DefaultPrintPath{regkey::Directories, "Default Print Path", ""};
// Preferences\System
inline constexpr RegBool AutoRefreshDisplay{regkey::System, "Auto Refresh Display", false};
inline constexpr RegInt RefreshDisplayDelay{regkey::System, "Refresh Display Delay", 60};  // seconds
inline constexpr RegInt MinimumNewDefectNumber{regkey::System, "Minimum New Defect Number", 0};
inline constexpr RegBool AskUpdateProgram{regkey::System, "Ask Update Program", false};
inline constexpr RegBool NoAskUpdateProgram{regkey::System, "No Ask Update Program", false};
inline constexpr RegBool UseHTMLHelp{regkey::System, "Use HTML Help", true};
// Preferences\Remote
inline constexpr RegText SubmitRecipient{regkey::Remote, "Submit Recipient", ""};
inline constexpr RegText RetrieveURL{regkey::Remote, "Retrieve URL", ""};
inline constexpr RegBool RemoteReceivePolling{regkey::Remote, "Remote Receive Polling", false};
inline constexpr RegInt RemoteReceivePollingDelay{regkey::Remote, "Remote Receive Polling Delay", 60};  // minutes
inline constexpr RegBool AllowRemoteUpdates{regkey::Remote, "Allow Remote Updates", false};
inline constexpr RegText FTPHost{regkey::Remote, "FTP Host", ""};
inline constexpr RegInt FTPPort{regkey::Remote, "FTP Port", 21};
inline constexpr RegText FTPUserID{regkey::Remote, "FTP UserID", ""};
inline constexpr RegText FTPPassword{regkey::Remote, "FTP Password", ""};
inline constexpr RegText FTPProxy{regkey::Remote, "FTP Proxy", ""};
inline constexpr RegInt FTPProxyPort{regkey::Remote, "FTP Proxy Port", 21};
inline constexpr RegText FTPDirectory{regkey::Remote, "FTP Directory", ""};
inline constexpr RegText FTPFileName{regkey::Remote, "FTP FileName", ""};
inline constexpr RegBool HostPublishPolling{regkey::Remote, "Host Publish Polling", false};
inline constexpr RegInt HostPublishPollingDelay{regkey::Remote, "Host Publish Polling Delay", 60};  // minutes
inline constexpr RegInt PostScope{regkey::Remote, "Post Scope", 0};
inline constexpr RegText WebSubmitUserID{regkey::Remote, "Web Submit User ID", ""};
inline constexpr RegBool UseLKSScript{regkey::Remote, "Use LKS Script", false};
inline constexpr RegBool UseUserScript{regkey::Remote, "Use User Script", false};
// Charting (the chart window's own)
inline constexpr RegInt ChartLabels{regkey::Charting, "Chart Labels", 1};
inline constexpr RegInt LegendLabels{regkey::Charting, "Legend Labels", 0};
inline constexpr RegBool UserColors{regkey::Charting, "User Colors", false};
inline constexpr RegInt ChartNature{regkey::Charting, "Nature", 0};
inline constexpr RegBool View3D{regkey::Charting, "View 3D", false};
}  // namespace reg

// True when the current user's store holds the product key.
bool ProductKeyExists();
// A key below the product key of the current user's store (regkey::Display...).
std::optional<RegistryKey> OpenProductKey(const QString &subkey, bool create);

// One value of the catalogue: the stored value, or its default when there is none.
// A value of the wrong type throws SettingsError.
QString ReadSetting(const RegText &setting);
qint32 ReadSetting(const RegInt &setting);
bool ReadSetting(const RegBool &setting);
// Writes one value, making the keys that are missing.
void WriteSetting(const RegText &setting, const QString &value);
void WriteSetting(const RegInt &setting, qint32 value);
void WriteSetting(const RegBool &setting, bool value);
bool SettingExists(const char *key, const char *name);
// False when there was no such value.
bool DeleteSetting(const char *key, const char *name);
template <typename T> bool SettingExists(const RegSetting<T> &setting) { return SettingExists(setting.key, setting.name); }
template <typename T> bool DeleteSetting(const RegSetting<T> &setting) { return DeleteSetting(setting.key, setting.name); }

// The active view: `name` is written, an empty name deletes the value.
void WriteLastFilter(const QString &name);

// One shared option of FAULTBK.INI: section, key and default.
template <typename T> struct IniSetting {
  const char *section;
  const char *key;
  T defaultValue;
};
using IniBool = IniSetting<bool>;
using IniInt = IniSetting<qint32>;
using IniText = IniSetting<const char *>;

namespace ini {
inline constexpr IniInt NewDefectIncrement{"Options", "NewDefectIncrement", 0};  // 0 all .. 3 within program
inline constexpr IniInt ProductTextCase{"Options", "ProductTextCase", 0};        // 0 as typed, 1 upper, 2 lower
inline constexpr IniInt ReleaseTextCase{"Options", "ReleaseTextCase", 0};
inline constexpr IniInt ProgramTextCase{"Options", "ProgramTextCase", 0};
inline constexpr IniBool LogDefectChanges{"Options", "LogDefectChanges", false};
inline constexpr IniBool RenumberOnCopy{"Options", "RenumberOnCopy", false};
inline constexpr IniBool UseShortAttachmentNames{"Options", "UseShortAttachmentNames", false};
inline constexpr IniBool CopyAttachments{"Options", "CopyAttachments", true};
inline constexpr IniBool NotifyUseTemplate{"Options", "Notify Use Template", false};
inline constexpr IniText NotifyTemplate{"Options", "Notify Template", ""};
inline constexpr IniBool NotifyListChanges{"Options", "Notify List Changes", false};
inline constexpr IniBool RequireLogin{"Options", "Require Login", false};
inline constexpr IniText AttachmentLocation{"Directories", "Attachment Location", ""};  // blank: data dir + /Attach
inline constexpr IniText CustomReports{"Directories", "Custom Reports", ""};            // blank: data dir + /Report
inline constexpr IniText NetFileDir{"BDE", "NetFileDir", ""};                           // blank: the data directory
}  // namespace ini

// The data directory's FAULTBK.INI; an existing file of that name in another letter
// case (copied from a station that ignores case) is the one used.
QString SharedOptionsFilePath(const QString &dataDirectory);
// Writes FAULTBK.INI with every shared option that it lacks at its default.
void WriteDefaultSharedOptions(const QString &dataDirectory);

// What the attachment and custom report directories default to.
QString DefaultAttachmentDirectory(const QString &dataDirectory);  // data directory + "/Attach"
QString DefaultCustomReportsDirectory(const QString &dataDirectory);  // data directory + "/Report"

// The process-wide preferences: a copy of the stored values with the catalogue's
// defaults for those not stored. Replaced as a whole by each LoadPreferences.
struct Preferences {
  // Display
  bool fitGridWidth = reg::FitGridWidth.defaultValue;
  // Preferences\General
  int previewZoom = reg::PreviewZoom.defaultValue;
  int defaultDefectPage = reg::DefaultDefectPage.defaultValue;
  int programColor = reg::ProgramColor.defaultValue;
  int defectColor = reg::DefectColor.defaultValue;
  // The defect list keeps its marks when rows are clicked exactly when this is 0.
  int multiSelectStyle = reg::MultiSelectStyle.defaultValue;
  bool overdueBold = reg::OverdueBold.defaultValue;
  bool defectsOnStartup = reg::DefectsOnStartup.defaultValue;  // also set by showByRelease
  // The main window leaves split mode and disables its split button while this is on.
  bool showByRelease = reg::ShowByRelease.defaultValue;
  // Database: the stored data directory, empty when none is stored.
  QString databaseLocation;
  // Preferences\Messaging
  bool mapiServices = reg::MAPIServices.defaultValue;
  bool gpNotifyChk = reg::StatusNotify.defaultValue;
  bool gpRevertChk = reg::RevertNotify.defaultValue;
  bool messagePolling = reg::MessagePolling.defaultValue;
  int messagePollingDelay = reg::MessagePollingDelay.defaultValue;
  bool gpNotifyNewDefectChk = reg::NotifyNewDefect.defaultValue;
  bool gpNotifyStatusChgChk = reg::NotifyDefectStatusChanged.defaultValue;
  bool gpNotifyDefectSaveChk = reg::NotifyDefectSaved.defaultValue;
  // Preferences\Directories
  QString defaultFindPath;
  QString defaultAttachPath;
  QString defaultPrintPath;
  // Preferences\System
  bool autoRefreshDisplay = reg::AutoRefreshDisplay.defaultValue;
  int refreshDisplayDelay = reg::RefreshDisplayDelay.defaultValue;
  QString minimumNewDefectNumber = QStringLiteral("0");  // stored as an integer, held as decimal text
  bool askUpdateProgram = reg::AskUpdateProgram.defaultValue;
  bool noAskUpdateProgram = reg::NoAskUpdateProgram.defaultValue;
  bool useHTMLHelp = reg::UseHTMLHelp.defaultValue;
  // Preferences\Remote
  QString submitRecipient;
  QString retrieveURL;
  bool remoteReceivePolling = reg::RemoteReceivePolling.defaultValue;
  int remoteReceivePollingDelay = reg::RemoteReceivePollingDelay.defaultValue;
  bool allowRemoteUpdates = reg::AllowRemoteUpdates.defaultValue;
  QString ftpHost;
  int ftpPort = reg::FTPPort.defaultValue;
  QString ftpUserID;
  QString ftpPassword;
  QString ftpProxy;
  int ftpProxyPort = reg::FTPProxyPort.defaultValue;
  QString ftpDirectory;
  QString ftpFileName;
  bool hostPublishPolling = reg::HostPublishPolling.defaultValue;
  int hostPublishPollingDelay = reg::HostPublishPollingDelay.defaultValue;
  int postScope = reg::PostScope.defaultValue;
  QString webSubmitUserID;
  bool useLKSScript = reg::UseLKSScript.defaultValue;
  bool useUserScript = reg::UseUserScript.defaultValue;
  // FAULTBK.INI [Options]
  int newDefectIncrement = ini::NewDefectIncrement.defaultValue;
  int productTextCase = ini::ProductTextCase.defaultValue;
  int releaseTextCase = ini::ReleaseTextCase.defaultValue;
  int programTextCase = ini::ProgramTextCase.defaultValue;
  bool logDefectChanges = ini::LogDefectChanges.defaultValue;
  bool renumberOnCopy = ini::RenumberOnCopy.defaultValue;
  bool useShortAttachmentNames = ini::UseShortAttachmentNames.defaultValue;
  bool copyAttachments = ini::CopyAttachments.defaultValue;
  bool notifyUseTemplate = ini::NotifyUseTemplate.defaultValue;
  QString notifyTemplate;
  bool notifyListChanges = ini::NotifyListChanges.defaultValue;
  bool requireLogin = ini::RequireLogin.defaultValue;
  // FAULTBK.INI [Directories]: after LoadPreferences never blank (the defaults above);
  // SavePreferences writes them as they stand, a blank one included.
  QString attachmentLocation;
  QString customReports;

  bool operator==(const Preferences &) const = default;
};

const Preferences &Prefs();

// The data directory of this run: full path without a trailing separator. Start-up
// sets it once it has located the database; LoadPreferences may move it.
QString DataDirectory();
void SetDataDirectory(const QString &directory);

// Fills the process-wide preferences from the current user's store and the data
// directory's FAULTBK.INI. When a "Database Location" is stored, the data directory
// is located again (LocateDatabase) and moves there; a location that comes back empty
// leaves it where it is. SettingsError when a store cannot be read; std::logic_error
// when no data directory has been set.
void LoadPreferences();

// The part of LoadPreferences that reads FAULTBK.INI: the shared options of the data
// directory into `into`, blank directories replaced by their defaults.
void ReadSharedOptions(const QString &dataDirectory, Preferences &into);

// What the preferences window stores on OK, in its order: every registry value it
// shows, then the shared options into the FAULTBK.INI of the current data directory.
// SettingsError when a store cannot be written or "Minimum New Defect Number" is no
// 32-bit integer.
void SavePreferences(const Preferences &preferences);
