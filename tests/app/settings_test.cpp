#include "app/base/debug_log.h"
#include "app/data_directory.h"
#include "app/display_state.h"
#include "app/ini_file.h"
#include "app/registry.h"
#include "app/settings.h"
#include "app/settings_error.h"
#include "app/startup.h"
#include "tests/support/scripted_ui_services.h"
#include "settings_fixture.h"

#include <QVariant>

#include <functional>

namespace {

struct DefaultCase {
  const char *setting;
  std::function<QVariant(const Preferences &)> value;
  QVariant expected;
};

// The catalogue's defaults, written out here from the catalogue itself.
std::vector<DefaultCase> CatalogueDefaults(const QString &dataDir) {
  return {
      {"Fit Grid Width", [](auto &p) { return QVariant(p.fitGridWidth); }, true},
      {"Preview Zoom", [](auto &p) { return QVariant(p.previewZoom); }, 4},
      {"Default Defect Page", [](auto &p) { return QVariant(p.defaultDefectPage); }, 0},
      {"Program Color", [](auto &p) { return QVariant(p.programColor); }, 0},
      {"Defect Color", [](auto &p) { return QVariant(p.defectColor); }, 0},
      {"MultiSelect Style", [](auto &p) { return QVariant(p.multiSelectStyle); }, 0},
      {"Overdue Bold", [](auto &p) { return QVariant(p.overdueBold); }, false},
      {"Defects on Startup", [](auto &p) { return QVariant(p.defectsOnStartup); }, false},
      {"Show By Release", [](auto &p) { return QVariant(p.showByRelease); }, false},
      {"Database Location", [](auto &p) { return QVariant(p.databaseLocation); }, QString()},
      {"MAPI Services", [](auto &p) { return QVariant(p.mapiServices); }, false},
      {"Status Notify", [](auto &p) { return QVariant(p.gpNotifyChk); }, true},
      {"Revert Notify", [](auto &p) { return QVariant(p.gpRevertChk); }, true},
      {"Message Polling", [](auto &p) { return QVariant(p.messagePolling); }, true},
      {"Message Polling Delay", [](auto &p) { return QVariant(p.messagePollingDelay); }, 3},
      {"Notify New Defect", [](auto &p) { return QVariant(p.gpNotifyNewDefectChk); }, true},
      {"Notify Defect Status Changed", [](auto &p) { return QVariant(p.gpNotifyStatusChgChk); }, true},
      {"Notify Defect Saved", [](auto &p) { return QVariant(p.gpNotifyDefectSaveChk); }, true},
      {"Default Find Path", [](auto &p) { return QVariant(p.defaultFindPath); }, QString()},
      {"Default Attach Path", [](auto &p) { return QVariant(p.defaultAttachPath); }, QString()},
      {"Default Print Path", [](auto &p) { return QVariant(p.defaultPrintPath); }, QString()},
      {"Auto Refresh Display", [](auto &p) { return QVariant(p.autoRefreshDisplay); }, false},
      {"Refresh Display Delay", [](auto &p) { return QVariant(p.refreshDisplayDelay); }, 60},
      {"Minimum New Defect Number", [](auto &p) { return QVariant(p.minimumNewDefectNumber); }, QString("0")},
      {"Ask Update Program", [](auto &p) { return QVariant(p.askUpdateProgram); }, false},
      {"No Ask Update Program", [](auto &p) { return QVariant(p.noAskUpdateProgram); }, false},
      {"Use HTML Help", [](auto &p) { return QVariant(p.useHTMLHelp); }, true},
      {"Submit Recipient", [](auto &p) { return QVariant(p.submitRecipient); }, QString()},
      {"Retrieve URL", [](auto &p) { return QVariant(p.retrieveURL); }, QString()},
      {"Remote Receive Polling", [](auto &p) { return QVariant(p.remoteReceivePolling); }, false},
      {"Remote Receive Polling Delay", [](auto &p) { return QVariant(p.remoteReceivePollingDelay); }, 60},
      {"Allow Remote Updates", [](auto &p) { return QVariant(p.allowRemoteUpdates); }, false},
      {"FTP Host", [](auto &p) { return QVariant(p.ftpHost); }, QString()},
      {"FTP Port", [](auto &p) { return QVariant(p.ftpPort); }, 21},
      {"FTP UserID", [](auto &p) { return QVariant(p.ftpUserID); }, QString()},
      {"FTP Password", [](auto &p) { return QVariant(p.ftpPassword); }, QString()},
      {"FTP Proxy", [](auto &p) { return QVariant(p.ftpProxy); }, QString()},
      {"FTP Proxy Port", [](auto &p) { return QVariant(p.ftpProxyPort); }, 21},
      {"FTP Directory", [](auto &p) { return QVariant(p.ftpDirectory); }, QString()},
      {"FTP FileName", [](auto &p) { return QVariant(p.ftpFileName); }, QString()},
      {"Host Publish Polling", [](auto &p) { return QVariant(p.hostPublishPolling); }, false},
      {"Host Publish Polling Delay", [](auto &p) { return QVariant(p.hostPublishPollingDelay); }, 60},
      {"Post Scope", [](auto &p) { return QVariant(p.postScope); }, 0},
      {"Web Submit User ID", [](auto &p) { return QVariant(p.webSubmitUserID); }, QString()},
      {"Use LKS Script", [](auto &p) { return QVariant(p.useLKSScript); }, false},
      {"Use User Script", [](auto &p) { return QVariant(p.useUserScript); }, false},
      {"NewDefectIncrement", [](auto &p) { return QVariant(p.newDefectIncrement); }, 0},
      {"ProductTextCase", [](auto &p) { return QVariant(p.productTextCase); }, 0},
      {"ReleaseTextCase", [](auto &p) { return QVariant(p.releaseTextCase); }, 0},
      {"ProgramTextCase", [](auto &p) { return QVariant(p.programTextCase); }, 0},
      {"LogDefectChanges", [](auto &p) { return QVariant(p.logDefectChanges); }, false},
      {"RenumberOnCopy", [](auto &p) { return QVariant(p.renumberOnCopy); }, false},
      {"UseShortAttachmentNames", [](auto &p) { return QVariant(p.useShortAttachmentNames); }, false},
      {"CopyAttachments", [](auto &p) { return QVariant(p.copyAttachments); }, true},
      {"Notify Use Template", [](auto &p) { return QVariant(p.notifyUseTemplate); }, false},
      {"Notify Template", [](auto &p) { return QVariant(p.notifyTemplate); }, QString()},
      {"Notify List Changes", [](auto &p) { return QVariant(p.notifyListChanges); }, false},
      {"Require Login", [](auto &p) { return QVariant(p.requireLogin); }, false},
      {"Attachment Location", [](auto &p) { return QVariant(p.attachmentLocation); }, dataDir + "/Attach"},
      {"Custom Reports", [](auto &p) { return QVariant(p.customReports); }, dataDir + "/Report"},
  };
}

void ExpectDefaults(const QString &dataDir) {
  for (const auto &c : CatalogueDefaults(dataDir)) {
    SCOPED_TRACE(c.setting);
    EXPECT_EQ(c.value(Prefs()), c.expected);
  }
}

// Preferences in which every value differs from its default.
Preferences Changed(const QString &dataDir) {
  Preferences p;
  p.fitGridWidth = true;  // no window writes it: it keeps its default
  p.previewZoom = 2;
  p.defaultDefectPage = 5;
  p.programColor = 1;
  p.defectColor = 3;
  p.multiSelectStyle = 1;
  p.overdueBold = true;
  p.defectsOnStartup = true;
  p.showByRelease = true;
  p.databaseLocation = dataDir;
  p.mapiServices = true;
  p.gpNotifyChk = false;
  p.gpRevertChk = false;
  p.messagePolling = false;
  p.messagePollingDelay = 45;
  p.gpNotifyNewDefectChk = false;
  p.gpNotifyStatusChgChk = false;
  p.gpNotifyDefectSaveChk = false;
  p.defaultFindPath = "/home/find";
  p.defaultAttachPath = "/home/attach";
  p.defaultPrintPath = "/home/print";
  p.autoRefreshDisplay = true;
  p.refreshDisplayDelay = 900;
  p.minimumNewDefectNumber = "5000";
  p.askUpdateProgram = true;
  p.noAskUpdateProgram = true;  // the window never ticks both; the store keeps what it is given
  p.useHTMLHelp = false;
  p.submitRecipient = "host@example.org";
  p.retrieveURL = "http://example.org/db.pak";
  p.remoteReceivePolling = true;
  p.remoteReceivePollingDelay = 15;
  p.allowRemoteUpdates = true;
  p.ftpHost = "ftp.example.org";
  p.ftpPort = 2121;
  p.ftpUserID = "poster";
  p.ftpPassword = " secret with blanks ";
  p.ftpProxy = "proxy";
  p.ftpProxyPort = 8021;
  p.ftpDirectory = "/pub";
  p.ftpFileName = "faultbk.pak";
  p.hostPublishPolling = true;
  p.hostPublishPollingDelay = 30;
  p.postScope = 2;
  p.webSubmitUserID = "webuser";
  p.useLKSScript = true;
  p.useUserScript = true;
  p.newDefectIncrement = 3;
  p.productTextCase = 1;
  p.releaseTextCase = 2;
  p.programTextCase = 1;
  p.logDefectChanges = true;
  p.renumberOnCopy = true;
  p.useShortAttachmentNames = true;
  p.copyAttachments = false;
  p.notifyUseTemplate = true;
  p.notifyTemplate = "/srv/templates/notice.txt";
  p.notifyListChanges = true;
  p.requireLogin = true;
  p.attachmentLocation = "/srv/attachments";
  p.customReports = "/srv/reports";
  return p;
}

TEST_F(SettingsTest, EveryPreferenceTakesItsDefaultWithEmptyStores) {
  LoadPreferences();
  ExpectDefaults(dataDir());
  EXPECT_FALSE(QFileInfo::exists(userStoreFile()));  // reading creates nothing
  EXPECT_FALSE(QFileInfo::exists(iniFile()));
}

TEST_F(SettingsTest, AProductKeyWithoutValuesAndAnEmptyIniGiveTheDefaultsToo) {
  CurrentUserRegistry().openKey(QString(ProductKey) + "\\Preferences\\General", true);
  writeBytes(iniFile(), "[Options]\n[Directories]\nAttachment Location=\nCustom Reports=  \n");
  LoadPreferences();
  ExpectDefaults(dataDir());
}

TEST_F(SettingsTest, WindowsOwnValuesHaveTheirDefaults) {
  struct Case {
    RegInt setting;
    qint32 expected;
  };
  for (const Case &c : {Case{reg::AttachmentListStyle, 3}, Case{reg::ImageCaptureType, 2},
                        Case{reg::ImageCaptureQuality, 90}, Case{reg::ChartLabels, 1}, Case{reg::LegendLabels, 0},
                        Case{reg::ChartNature, 0}}) {
    SCOPED_TRACE(c.setting.name);
    EXPECT_EQ(ReadSetting(c.setting), c.expected);
  }
  EXPECT_FALSE(ReadSetting(reg::ShowAttachmentPaths));
  EXPECT_FALSE(ReadSetting(reg::ReleaseSelectorShowHidden));
  EXPECT_FALSE(ReadSetting(reg::UserColors));
  EXPECT_FALSE(ReadSetting(reg::View3D));
  EXPECT_EQ(ReadSetting(reg::LastFilter), "");
  EXPECT_EQ(ReadSetting(reg::UserID), "");
}

TEST_F(SettingsTest, WhatThePreferencesWindowSavesLoadsBackUnchanged) {
  const Preferences changed = Changed(dataDir());
  SavePreferences(changed);
  LoadPreferences();
  EXPECT_TRUE(Prefs() == changed);
  for (const auto &c : CatalogueDefaults(dataDir())) {
    if (QString(c.setting) == "Fit Grid Width")
      continue;
    SCOPED_TRACE(c.setting);
    EXPECT_NE(c.value(Prefs()), c.expected);  // every value really came from a store
  }
  // Stored with the catalogue's types.
  const auto system = OpenProductKey(regkey::System, false);
  EXPECT_EQ(system->value("Minimum New Defect Number"), RegistryValue(qint32(5000)));
  EXPECT_EQ(OpenProductKey(regkey::General, false)->value("Overdue Bold"), RegistryValue(qint32(1)));
  EXPECT_EQ(OpenProductKey(regkey::Remote, false)->value("FTP Port"), RegistryValue(qint32(2121)));
  const IniFile options(iniFile());
  EXPECT_EQ(options.readString("Options", "LogDefectChanges", ""), "1");
  EXPECT_EQ(options.readString("Options", "CopyAttachments", ""), "0");
}

TEST_F(SettingsTest, SavingKeepsUnknownSharedOptionsAndWritesTheCurrentDataDirectory) {
  writeBytes(iniFile(), "[Options]\n; site notes\nSite Colour=Blue\n[BDE]\nNetFileDir=/srv/net\n");
  Preferences p = Changed(dataDir());
  p.databaseLocation = root.filePath("elsewhere");  // typed in the window, not yet in use
  SavePreferences(p);
  const QString text = QString::fromUtf8(readBytes(iniFile()));
  EXPECT_TRUE(text.startsWith("[Options]\n; site notes\nSite Colour=Blue\nNewDefectIncrement=3\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("[BDE]\nNetFileDir=/srv/net\n"));
  EXPECT_TRUE(text.contains("Notify Use Template=1\n"));
  EXPECT_FALSE(QFileInfo::exists(root.filePath("elsewhere/FAULTBK.INI")));
}

TEST_F(SettingsTest, ShowByReleaseAlsoOpensTheDefectList) {
  WriteSetting(reg::ShowByRelease, true);
  WriteSetting(reg::DefectsOnStartup, false);
  LoadPreferences();
  EXPECT_TRUE(Prefs().showByRelease);
  EXPECT_TRUE(Prefs().defectsOnStartup);
}

TEST_F(SettingsTest, StatusChangeNoticeFollowsItsOwnStoredValue) {
  WriteSetting(reg::NotifyDefectStatusChanged, false);
  LoadPreferences();
  EXPECT_FALSE(Prefs().gpNotifyStatusChgChk);
  EXPECT_TRUE(Prefs().gpNotifyNewDefectChk);
  EXPECT_TRUE(Prefs().gpNotifyDefectSaveChk);
  // Any non-zero integer is true.
  OpenProductKey(regkey::Messaging, true)->writeInteger("Notify Defect Status Changed", -7);
  LoadPreferences();
  EXPECT_TRUE(Prefs().gpNotifyStatusChgChk);
}

TEST_F(SettingsTest, BlankDirectoriesBecomeTheDataDirectorysOwn) {
  Preferences p;
  p.attachmentLocation = "";
  p.customReports = "   ";
  SavePreferences(p);
  LoadPreferences();
  EXPECT_EQ(Prefs().attachmentLocation, dataDir() + "/Attach");
  EXPECT_EQ(Prefs().customReports, dataDir() + "/Report");
}

TEST_F(SettingsTest, AWronglyTypedValueIsReportedAndTheLoadedPreferencesStay) {
  WriteSetting(reg::PreviewZoom, 6);
  LoadPreferences();
  OpenProductKey(regkey::System, true)->writeString("Minimum New Defect Number", "0123");
  EXPECT_THROW(LoadPreferences(), SettingsError);
  EXPECT_EQ(Prefs().previewZoom, 6);
}

TEST_F(SettingsTest, AMinimumDefectNumberBeyondAnIntegerIsRefusedBeforeAnythingIsStored) {
  Preferences p;
  p.minimumNewDefectNumber = "99999999999";
  EXPECT_THROW(SavePreferences(p), SettingsError);
  EXPECT_FALSE(QFileInfo::exists(userStoreFile()));
  EXPECT_FALSE(QFileInfo::exists(iniFile()));
}

TEST_F(SettingsTest, TheLastViewIsWrittenAndDeleted) {
  WriteLastFilter("Open defects");
  EXPECT_EQ(ReadSetting(reg::LastFilter), "Open defects");
  WriteLastFilter("");
  EXPECT_FALSE(SettingExists(reg::LastFilter));
  EXPECT_TRUE(CurrentUserRegistry().keyExists(QString(ProductKey) + "\\Display"));
}

TEST_F(SettingsTest, AnIniFileInAnotherLetterCaseIsTheOneUsed) {
  writeBytes(dataDir() + "/faultbk.ini", "[Options]\nRequire Login=1\n");
  LoadPreferences();
  EXPECT_TRUE(Prefs().requireLogin);
  EXPECT_EQ(SharedOptionsFilePath(dataDir()), dataDir() + "/faultbk.ini");
}

TEST_F(SettingsTest, RegistryEntriesAtStartComeOnlyFromStoredValues) {
  EXPECT_FALSE(ReadRegistryEntries().productKeyExists);

  RegistryKey display = *OpenProductKey(regkey::Display, true);
  display.writeString("Last Product", "Widgets");
  display.writeInteger("Last X-Pos", 40);  // no Y: the place is not applied
  display.writeInteger("Last Width", 800);
  display.writeInteger("Last Height", 600);
  display.writeInteger("Last Window State", 2);
  display.writeString("Last Defect Sort Field", "Defect.\"Severity\"");
  display.writeInteger("Last Defect Sort Asc", 0);
  RegistryKey columns = *OpenProductKey(regkey::Columns, true);
  columns.writeInteger("Program Col 0 Width", 120);
  columns.writeInteger("Program Col 3 Width", 60);
  columns.writeInteger("Defect Col 10 Width", 30);
  WriteSetting(reg::UserID, "0042");
  WriteSetting(reg::MAPIServices, true);

  const RegistryEntries entries = ReadRegistryEntries();
  EXPECT_TRUE(entries.productKeyExists);
  EXPECT_EQ(entries.userId, "0042");
  EXPECT_EQ(entries.mapiServices, true);
  EXPECT_EQ(entries.lastProduct, "Widgets");
  EXPECT_EQ(entries.lastRelease, "");
  EXPECT_FALSE(entries.position);
  EXPECT_EQ(entries.size, QSize(800, 600));
  EXPECT_EQ(entries.windowState, 2);
  EXPECT_FALSE(entries.splitMode);
  EXPECT_EQ(entries.lastDefectSortField, QString("Defect.\"Severity\""));
  EXPECT_EQ(entries.lastDefectSortAsc, false);
  EXPECT_FALSE(entries.lastProgramSortField);
  EXPECT_EQ(entries.programColumnWidths, (QMap<int, int>{{0, 120}, {3, 60}}));
  EXPECT_EQ(entries.defectColumnWidths, (QMap<int, int>{{10, 30}}));
}

DisplayState Closing(WindowShowState windowState) {
  DisplayState state;
  state.lastProduct = "Widgets";
  state.lastRelease = "2.0";
  state.lastProgram = "widget.exe";
  state.windowState = windowState;
  state.position = QPoint(10, 20);
  state.size = QSize(900, 700);
  state.splitMode = true;
  state.splitPos = 250;
  state.showReleaseSelector = false;
  state.releaseSelectorWidth = 180;
  state.defectSort = {"Defect.\"Status\"", false};
  state.programColumnWidths = {100, 50};
  state.defectColumnWidths = {70};
  return state;
}

TEST_F(SettingsTest, ClosingNormallySavesEverythingAndTheNextStartReadsIt) {
  SaveDisplayState(Closing(WindowShowState::Normal));
  const RegistryEntries entries = ReadRegistryEntries();
  EXPECT_EQ(entries.lastProduct, "Widgets");
  EXPECT_EQ(entries.lastRelease, "2.0");
  EXPECT_EQ(entries.lastProgram, "widget.exe");
  EXPECT_EQ(entries.position, QPoint(10, 20));
  EXPECT_EQ(entries.size, QSize(900, 700));
  EXPECT_EQ(entries.windowState, 0);
  EXPECT_EQ(entries.splitMode, true);
  EXPECT_EQ(entries.splitPos, 250);
  EXPECT_EQ(entries.showReleaseSelector, false);
  EXPECT_EQ(entries.releaseSelectorWidth, 180);
  EXPECT_EQ(entries.lastDefectSortField, QString("Defect.\"Status\""));
  EXPECT_EQ(entries.lastDefectSortAsc, false);
  EXPECT_EQ(entries.programColumnWidths, (QMap<int, int>{{0, 100}, {1, 50}}));
  EXPECT_EQ(entries.defectColumnWidths, (QMap<int, int>{{0, 70}}));
  EXPECT_EQ(OpenProductKey(regkey::Display, false)->value("Split Mode"), RegistryValue(qint32(1)));
}

TEST_F(SettingsTest, AMaximisedOrMinimisedWindowKeepsTheLastNormalPlace) {
  SaveDisplayState(Closing(WindowShowState::Normal));
  DisplayState maximised = Closing(WindowShowState::Maximized);
  maximised.position = QPoint(0, 0);
  maximised.size = QSize(1920, 1080);
  SaveDisplayState(maximised);
  RegistryEntries entries = ReadRegistryEntries();
  EXPECT_EQ(entries.position, QPoint(10, 20));
  EXPECT_EQ(entries.size, QSize(900, 700));
  EXPECT_EQ(entries.windowState, 2);

  SaveDisplayState(Closing(WindowShowState::Minimized));
  entries = ReadRegistryEntries();
  EXPECT_EQ(entries.windowState, 2);  // not written while minimised
  EXPECT_EQ(entries.position, QPoint(10, 20));
}

TEST_F(SettingsTest, ClosingWithoutASortDeletesBothSortValues) {
  DisplayState state = Closing(WindowShowState::Normal);
  state.programSort = {"Program.\"Status\"", true};
  SaveDisplayState(state);
  state.defectSort = {};
  state.programSort = {};
  SaveDisplayState(state);
  const auto display = OpenProductKey(regkey::Display, false);
  for (const char *name : {"Last Defect Sort Field", "Last Defect Sort Asc", "Last Program Sort Field",
                           "Last Program Sort Asc"})
    EXPECT_FALSE(display->valueExists(name)) << name;
}

}  // namespace

namespace {

TEST_F(SettingsTest, AStoredDatabaseLocationMovesTheDataDirectoryThere) {
  const QString stored = root.filePath("stored");
  CreateDataDirectory(stored);
  IniFile options(stored + "/FAULTBK.INI");
  options.writeBool("Options", "LogDefectChanges", true);
  options.save();
  WriteSetting(reg::DatabaseLocation, stored);

  LoadPreferences();
  EXPECT_EQ(DataDirectory(), stored);
  EXPECT_EQ(Prefs().databaseLocation, stored);
  EXPECT_TRUE(Prefs().logDefectChanges);  // the shared options of the directory moved to
  EXPECT_EQ(Prefs().attachmentLocation, stored + "/Attach");
}

TEST_F(SettingsTest, AStoredLocationTheUserGivesUpOnLeavesTheDataDirectoryWhereItWas) {
  writeBytes(iniFile(), "[Options]\nRequire Login=1\n");
  WriteSetting(reg::DatabaseLocation, root.filePath("gone"));
  ScriptedUiServices ui;
  UiServicesInstaller installed(ui);
  ui.queueAnswer(AskCancel);  // no new database there, and no other directory either

  LoadPreferences();
  SetStartupFailed(false);
  EXPECT_EQ(DataDirectory(), dataDir());
  EXPECT_TRUE(Prefs().requireLogin);  // not the options of "/FAULTBK.INI"
}

}  // namespace

namespace {

TEST_F(SettingsTest, LoadingLogsItsStepsInDiagnosticMode) {
  const QString logDir = root.filePath("log");
  QDir().mkpath(logDir);
  ASSERT_TRUE(OpenDebugLogFile(logDir));
  LoadPreferences();  // no product key yet
  WriteSetting(reg::PreviewZoom, 1);
  LoadPreferences();
  CloseDebugLogFile();

  QStringList messages;
  for (const QString &line : QString::fromUtf8(readBytes(logDir + "/DebugLog.txt")).split('\n', Qt::SkipEmptyParts))
    messages << line.mid(line.indexOf("] ") + 2);
  EXPECT_EQ(messages, (QStringList{"Checking Faultbook Registry entries.", "Opening global settings INI file.",
                                   "Checking Faultbook Registry entries.", "Faultbook key exists -- reading preferences.",
                                   "Done reading preferences.", "Opening global settings INI file."}));
}

}  // namespace

namespace {

TEST_F(SettingsTest, LoadingWithoutADataDirectoryIsRefused) {
  SetDataDirectory("");
  EXPECT_THROW(LoadPreferences(), std::logic_error);
}

}  // namespace
