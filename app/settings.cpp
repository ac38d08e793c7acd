#include "app/settings.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/ini_file.h"
#include "app/registry.h"
#include "app/settings_error.h"
#include "app/startup.h"

#include <QDir>

#include <stdexcept>
#include <type_traits>

namespace {

Preferences preferences;
QString dataDirectory;

// The readers of LoadPreferences: each value only when it exists.
void readInto(const RegistryKey *key, const RegBool &setting, bool &target) {
  if (key && key->valueExists(setting.name))
    target = key->readBool(setting.name);
}

void readInto(const RegistryKey *key, const RegInt &setting, int &target) {
  if (key && key->valueExists(setting.name))
    target = key->readInteger(setting.name);
}

void readInto(const RegistryKey *key, const RegText &setting, QString &target) {
  if (key && key->valueExists(setting.name))
    target = key->readString(setting.name);
}

void readInto(const IniFile &file, const IniBool &setting, bool &target) {
  target = file.readBool(setting.section, setting.key, setting.defaultValue);
}

void readInto(const IniFile &file, const IniInt &setting, int &target) {
  target = file.readInteger(setting.section, setting.key, setting.defaultValue);
}

void readInto(const IniFile &file, const IniText &setting, QString &target) {
  target = file.readString(setting.section, setting.key, QString::fromUtf8(setting.defaultValue));
}

// Keys of one LoadPreferences: opened once each, none when missing.
struct OpenKeys {
  std::optional<RegistryKey> display = OpenProductKey(regkey::Display, false);
  std::optional<RegistryKey> general = OpenProductKey(regkey::General, false);
  std::optional<RegistryKey> database = OpenProductKey(regkey::Database, false);
  std::optional<RegistryKey> messaging = OpenProductKey(regkey::Messaging, false);
  std::optional<RegistryKey> directories = OpenProductKey(regkey::Directories, false);
  std::optional<RegistryKey> system = OpenProductKey(regkey::System, false);
  std::optional<RegistryKey> remote = OpenProductKey(regkey::Remote, false);
};

const RegistryKey *keyOf(const std::optional<RegistryKey> &key) {
  return key ? &*key : nullptr;
}

void readRegistry(Preferences &p) {
  const OpenKeys keys;
  readInto(keyOf(keys.display), reg::FitGridWidth, p.fitGridWidth);

  const RegistryKey *general = keyOf(keys.general);
  readInto(general, reg::DefaultDefectPage, p.defaultDefectPage);
  readInto(general, reg::MultiSelectStyle, p.multiSelectStyle);
  readInto(general, reg::PreviewZoom, p.previewZoom);
  readInto(general, reg::DefectsOnStartup, p.defectsOnStartup);
  readInto(general, reg::ShowByRelease, p.showByRelease);
  if (p.showByRelease)
    p.defectsOnStartup = true;
  readInto(general, reg::OverdueBold, p.overdueBold);
  readInto(general, reg::ProgramColor, p.programColor);
  readInto(general, reg::DefectColor, p.defectColor);

  if (const RegistryKey *database = keyOf(keys.database); database && database->valueExists(reg::DatabaseLocation.name)) {
    p.databaseLocation = database->readString(reg::DatabaseLocation.name);
    const QString located = LocateDatabase();
    if (!located.isEmpty())
      dataDirectory = located;
  }

  const RegistryKey *messaging = keyOf(keys.messaging);
  readInto(messaging, reg::MAPIServices, p.mapiServices);
  readInto(messaging, reg::StatusNotify, p.gpNotifyChk);
  readInto(messaging, reg::RevertNotify, p.gpRevertChk);
  readInto(messaging, reg::MessagePolling, p.messagePolling);
  readInto(messaging, reg::NotifyNewDefect, p.gpNotifyNewDefectChk);
  readInto(messaging, reg::NotifyDefectStatusChanged, p.gpNotifyStatusChgChk);
  readInto(messaging, reg::NotifyDefectSaved, p.gpNotifyDefectSaveChk);
  readInto(messaging, reg::MessagePollingDelay, p.messagePollingDelay);

  const RegistryKey *directories = keyOf(keys.directories);
  readInto(directories, reg::DefaultFindPath, p.defaultFindPath);
  readInto(directories, reg::DefaultAttachPath, p.defaultAttachPath);
  readInto(directories, reg::DefaultPrintPath, p.defaultPrintPath);

  const RegistryKey *system = keyOf(keys.system);
  readInto(system, reg::AutoRefreshDisplay, p.autoRefreshDisplay);
  readInto(system, reg::RefreshDisplayDelay, p.refreshDisplayDelay);
  if (system && system->valueExists(reg::MinimumNewDefectNumber.name))
    p.minimumNewDefectNumber = QString::number(system->readInteger(reg::MinimumNewDefectNumber.name));
  readInto(system, reg::AskUpdateProgram, p.askUpdateProgram);
  readInto(system, reg::NoAskUpdateProgram, p.noAskUpdateProgram);
  readInto(system, reg::UseHTMLHelp, p.useHTMLHelp);

  const RegistryKey *remote = keyOf(keys.remote);
  readInto(remote, reg::SubmitRecipient, p.submitRecipient);
  readInto(remote, reg::RetrieveURL, p.retrieveURL);
  readInto(remote, reg::RemoteReceivePolling, p.remoteReceivePolling);
  readInto(remote, reg::RemoteReceivePollingDelay, p.remoteReceivePollingDelay);
  readInto(remote, reg::AllowRemoteUpdates, p.allowRemoteUpdates);
  readInto(remote, reg::FTPHost, p.ftpHost);
  readInto(remote, reg::FTPPort, p.ftpPort);
  readInto(remote, reg::FTPUserID, p.ftpUserID);
  readInto(remote, reg::FTPPassword, p.ftpPassword);
  readInto(remote, reg::FTPProxy, p.ftpProxy);
  readInto(remote, reg::FTPProxyPort, p.ftpProxyPort);
  readInto(remote, reg::FTPDirectory, p.ftpDirectory);
  readInto(remote, reg::FTPFileName, p.ftpFileName);
  readInto(remote, reg::HostPublishPolling, p.hostPublishPolling);
  readInto(remote, reg::HostPublishPollingDelay, p.hostPublishPollingDelay);
  readInto(remote, reg::PostScope, p.postScope);
  readInto(remote, reg::WebSubmitUserID, p.webSubmitUserID);
  readInto(remote, reg::UseLKSScript, p.useLKSScript);
  readInto(remote, reg::UseUserScript, p.useUserScript);
}

}  // namespace

void ReadSharedOptions(const QString &dataDirectory, Preferences &p) {
  TRACE_ROUTINE("settings", "ReadSharedOptions");
  const IniFile file(SharedOptionsFilePath(dataDirectory));
  readInto(file, ini::NewDefectIncrement, p.newDefectIncrement);
  readInto(file, ini::ProductTextCase, p.productTextCase);
  readInto(file, ini::ReleaseTextCase, p.releaseTextCase);
  readInto(file, ini::ProgramTextCase, p.programTextCase);
  readInto(file, ini::LogDefectChanges, p.logDefectChanges);
  readInto(file, ini::RenumberOnCopy, p.renumberOnCopy);
  readInto(file, ini::UseShortAttachmentNames, p.useShortAttachmentNames);
  readInto(file, ini::CopyAttachments, p.copyAttachments);
  readInto(file, ini::NotifyUseTemplate, p.notifyUseTemplate);
  readInto(file, ini::NotifyTemplate, p.notifyTemplate);
  readInto(file, ini::NotifyListChanges, p.notifyListChanges);
  readInto(file, ini::RequireLogin, p.requireLogin);
  readInto(file, ini::AttachmentLocation, p.attachmentLocation);
  readInto(file, ini::CustomReports, p.customReports);
  if (p.attachmentLocation.trimmed().isEmpty())
    p.attachmentLocation = DefaultAttachmentDirectory(dataDirectory);
  if (p.customReports.trimmed().isEmpty())
    p.customReports = DefaultCustomReportsDirectory(dataDirectory);
}

bool ProductKeyExists() {
  TRACE_ROUTINE("settings", "ProductKeyExists");
  return CurrentUserRegistry().keyExists(QLatin1String(ProductKey));
}

std::optional<RegistryKey> OpenProductKey(const QString &subkey, bool create) {
  TRACE_ROUTINE("settings", "OpenProductKey");
  return CurrentUserRegistry().openKey(QLatin1String(ProductKey) + QLatin1Char('\\') + subkey, create);
}

QString ReadSetting(const RegText &setting) {
  TRACE_ROUTINE("settings", "ReadSetting");
  const auto key = OpenProductKey(setting.key, false);
  return key ? key->readString(setting.name, QString::fromUtf8(setting.defaultValue)) : QString::fromUtf8(setting.defaultValue);
}

qint32 ReadSetting(const RegInt &setting) {
  TRACE_ROUTINE("settings", "ReadSetting");
  const auto key = OpenProductKey(setting.key, false);
  return key ? key->readInteger(setting.name, setting.defaultValue) : setting.defaultValue;
}

bool ReadSetting(const RegBool &setting) {
  TRACE_ROUTINE("settings", "ReadSetting");
  const auto key = OpenProductKey(setting.key, false);
  return key ? key->readBool(setting.name, setting.defaultValue) : setting.defaultValue;
}

void WriteSetting(const RegText &setting, const QString &value) {
  TRACE_ROUTINE("settings", "WriteSetting");
  OpenProductKey(setting.key, true)->writeString(setting.name, value);
}

void WriteSetting(const RegInt &setting, qint32 value) {
  TRACE_ROUTINE("settings", "WriteSetting");
  OpenProductKey(setting.key, true)->writeInteger(setting.name, value);
}

void WriteSetting(const RegBool &setting, bool value) {
  TRACE_ROUTINE("settings", "WriteSetting");
  OpenProductKey(setting.key, true)->writeBool(setting.name, value);
}

bool SettingExists(const char *key, const char *name) {
  TRACE_ROUTINE("settings", "SettingExists");
  const auto opened = OpenProductKey(key, false);
  return opened && opened->valueExists(name);
}

bool DeleteSetting(const char *key, const char *name) {
  TRACE_ROUTINE("settings", "DeleteSetting");
  auto opened = OpenProductKey(key, false);
  return opened && opened->deleteValue(name);
}

void WriteLastFilter(const QString &name) {
  TRACE_ROUTINE("settings", "WriteLastFilter");
  if (name.isEmpty())
    DeleteSetting(reg::LastFilter);
  else
    WriteSetting(reg::LastFilter, name);
}

QString SharedOptionsFilePath(const QString &dataDirectory) {
  TRACE_ROUTINE("settings", "SharedOptionsFilePath");
  const QDir directory(dataDirectory);
  const QStringList existing = directory.entryList({QStringLiteral("FAULTBK.INI")}, QDir::Files | QDir::Hidden,
                                                   QDir::Name);  // name filters ignore case
  return directory.filePath(existing.isEmpty() ? QStringLiteral("FAULTBK.INI") : existing.first());
}

void WriteDefaultSharedOptions(const QString &dataDirectory) {
  TRACE_ROUTINE("settings", "WriteDefaultSharedOptions");
  IniFile file(SharedOptionsFilePath(dataDirectory));
  const auto add = [&file](const auto &setting) {
    if (file.valueExists(setting.section, setting.key))
      return;
    using Value = std::decay_t<decltype(setting.defaultValue)>;
    if constexpr (std::is_same_v<Value, bool>)
      file.writeBool(setting.section, setting.key, setting.defaultValue);
    else if constexpr (std::is_same_v<Value, qint32>)
      file.writeInteger(setting.section, setting.key, setting.defaultValue);
    else
      file.writeString(setting.section, setting.key, QString::fromUtf8(setting.defaultValue));
  };
  add(ini::NewDefectIncrement);
  add(ini::ProductTextCase);
  add(ini::ReleaseTextCase);
  add(ini::ProgramTextCase);
  add(ini::LogDefectChanges);
  add(ini::RenumberOnCopy);
  add(ini::UseShortAttachmentNames);
  add(ini::CopyAttachments);
  add(ini::NotifyUseTemplate);
  add(ini::NotifyTemplate);
  add(ini::NotifyListChanges);
  add(ini::RequireLogin);
  add(ini::AttachmentLocation);
  add(ini::CustomReports);
  add(ini::NetFileDir);
  file.save();
}

QString DefaultAttachmentDirectory(const QString &dataDirectory) {
  TRACE_ROUTINE("settings", "DefaultAttachmentDirectory");
  return dataDirectory + QStringLiteral("/Attach");
}

QString DefaultCustomReportsDirectory(const QString &dataDirectory) {
  TRACE_ROUTINE("settings", "DefaultCustomReportsDirectory");
  return dataDirectory + QStringLiteral("/Report");
}

const Preferences &Prefs() {
  return preferences;
}

QString DataDirectory() {
  TRACE_ROUTINE("settings", "DataDirectory");
  return dataDirectory;
}

void SetDataDirectory(const QString &directory) {
  TRACE_ROUTINE("settings", "SetDataDirectory");
  dataDirectory = directory;
  if (dataDirectory.size() > 1 && dataDirectory.endsWith(QLatin1Char('/')))
    dataDirectory.chop(1);
}

void LoadPreferences() {
  TRACE_ROUTINE("settings", "LoadPreferences");
  // Without it the shared options would be looked for in the current directory and the
  // attachment directory would become "/Attach".
  if (dataDirectory.isEmpty())
    throw std::logic_error("LoadPreferences needs the data directory: call SetDataDirectory first");
  Preferences loaded;
  DebugLog(QStringLiteral("Checking Faultbook Registry entries."));
  if (ProductKeyExists()) {
    DebugLog(QStringLiteral("Faultbook key exists -- reading preferences."));
    readRegistry(loaded);
    DebugLog(QStringLiteral("Done reading preferences."));
  }
  DebugLog(QStringLiteral("Opening global settings INI file."));
  ReadSharedOptions(dataDirectory, loaded);
  preferences = loaded;
}

void SavePreferences(const Preferences &p) {
  TRACE_ROUTINE("settings", "SavePreferences");
  bool minimumOk = false;
  const qint32 minimumNewDefectNumber = p.minimumNewDefectNumber.trimmed().toInt(&minimumOk);
  if (!minimumOk)
    throw SettingsError(QStringLiteral("The Minimum New Defect Number \"") + p.minimumNewDefectNumber +
                        QStringLiteral("\" is not a whole number from -2147483648 to 2147483647. Enter such a number."));
  {
    RegistryStore::Update update(CurrentUserRegistry());
    WriteSetting(reg::DatabaseLocation, p.databaseLocation);
    WriteSetting(reg::PreviewZoom, p.previewZoom);
    WriteSetting(reg::DefaultDefectPage, p.defaultDefectPage);
    WriteSetting(reg::ProgramColor, p.programColor);
    WriteSetting(reg::DefectColor, p.defectColor);
    WriteSetting(reg::MultiSelectStyle, p.multiSelectStyle);
    WriteSetting(reg::OverdueBold, p.overdueBold);
    WriteSetting(reg::DefectsOnStartup, p.defectsOnStartup);
    WriteSetting(reg::ShowByRelease, p.showByRelease);
    WriteSetting(reg::MAPIServices, p.mapiServices);
    WriteSetting(reg::StatusNotify, p.gpNotifyChk);
    WriteSetting(reg::RevertNotify, p.gpRevertChk);
    WriteSetting(reg::MessagePolling, p.messagePolling);
    WriteSetting(reg::NotifyNewDefect, p.gpNotifyNewDefectChk);
    WriteSetting(reg::NotifyDefectStatusChanged, p.gpNotifyStatusChgChk);
    WriteSetting(reg::NotifyDefectSaved, p.gpNotifyDefectSaveChk);
    WriteSetting(reg::MessagePollingDelay, p.messagePollingDelay);
    WriteSetting(reg::DefaultFindPath, p.defaultFindPath);
    WriteSetting(reg::DefaultAttachPath, p.defaultAttachPath);
    WriteSetting(reg::DefaultPrintPath, p.defaultPrintPath);
    WriteSetting(reg::AutoRefreshDisplay, p.autoRefreshDisplay);
    WriteSetting(reg::RefreshDisplayDelay, p.refreshDisplayDelay);
    WriteSetting(reg::MinimumNewDefectNumber, minimumNewDefectNumber);
    WriteSetting(reg::AskUpdateProgram, p.askUpdateProgram);
    WriteSetting(reg::NoAskUpdateProgram, p.noAskUpdateProgram);
    WriteSetting(reg::UseHTMLHelp, p.useHTMLHelp);
    WriteSetting(reg::SubmitRecipient, p.submitRecipient);
    WriteSetting(reg::RemoteReceivePolling, p.remoteReceivePolling);
    WriteSetting(reg::AllowRemoteUpdates, p.allowRemoteUpdates);
    WriteSetting(reg::RemoteReceivePollingDelay, p.remoteReceivePollingDelay);
    WriteSetting(reg::FTPHost, p.ftpHost);
    WriteSetting(reg::FTPPort, p.ftpPort);
    WriteSetting(reg::FTPUserID, p.ftpUserID);
    WriteSetting(reg::FTPPassword, p.ftpPassword);
    WriteSetting(reg::FTPProxy, p.ftpProxy);
    WriteSetting(reg::FTPProxyPort, p.ftpProxyPort);
    WriteSetting(reg::FTPDirectory, p.ftpDirectory);
    WriteSetting(reg::FTPFileName, p.ftpFileName);
    WriteSetting(reg::RetrieveURL, p.retrieveURL);
    WriteSetting(reg::HostPublishPolling, p.hostPublishPolling);
    WriteSetting(reg::HostPublishPollingDelay, p.hostPublishPollingDelay);
    WriteSetting(reg::PostScope, p.postScope);
    WriteSetting(reg::WebSubmitUserID, p.webSubmitUserID);
    WriteSetting(reg::UseLKSScript, p.useLKSScript);
    WriteSetting(reg::UseUserScript, p.useUserScript);
  }

  IniFile file(SharedOptionsFilePath(dataDirectory));
  const auto text = [&file](const IniText &setting, const QString &value) { file.writeString(setting.section, setting.key, value); };
  const auto integer = [&file](const IniInt &setting, int value) { file.writeInteger(setting.section, setting.key, value); };
  const auto flag = [&file](const IniBool &setting, bool value) { file.writeBool(setting.section, setting.key, value); };
  integer(ini::NewDefectIncrement, p.newDefectIncrement);
  integer(ini::ProductTextCase, p.productTextCase);
  integer(ini::ReleaseTextCase, p.releaseTextCase);
  integer(ini::ProgramTextCase, p.programTextCase);
  flag(ini::RenumberOnCopy, p.renumberOnCopy);
  flag(ini::LogDefectChanges, p.logDefectChanges);
  flag(ini::UseShortAttachmentNames, p.useShortAttachmentNames);
  flag(ini::CopyAttachments, p.copyAttachments);
  flag(ini::NotifyUseTemplate, p.notifyUseTemplate);
  text(ini::NotifyTemplate, p.notifyTemplate);
  flag(ini::NotifyListChanges, p.notifyListChanges);
  text(ini::AttachmentLocation, p.attachmentLocation);
  flag(ini::RequireLogin, p.requireLogin);
  text(ini::CustomReports, p.customReports);
  file.save();
}
