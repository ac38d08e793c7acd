#include "app/base/debug_log.h"
#include "app/data_directory.h"
#include "app/registry.h"
#include "app/settings.h"
#include "app/splash_form.h"
#include "app/startup.h"
#include "data/engine.h"
#include "tests/support/scripted_ui_services.h"
#include "settings_fixture.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace {

const QString PickedNoDatabaseText = QStringLiteral(
    "Faultbook was unable to determine the location of its database files, or it was unable to obtain access to "
    "its database files. You will now be asked to specify the location of the Faultbook database files. You "
    "should also make sure that this station has full access to the directory where these files are located");
const QString WillCloseText = QStringLiteral(
    "Faultbook was unable to determine the location of its database files, or it was unable to obtain full access "
    "to the database files. The application will now close.");

QString ReadText(const QString &path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

class StartupTest : public SettingsTest {
protected:
  void SetUp() override {
    SettingsTest::SetUp();
    SetStartupFailed(false);
  }
  void TearDown() override {
    SetStartupFailed(false);
    CloseDebugLogFile();
    SettingsTest::TearDown();
  }

  // A folder with a data directory in it (or an empty one).
  QString folder(const QString &name, bool withDatabase) {
    const QString path = root.filePath(name);
    if (withDatabase)
      CreateDataDirectory(path);
    else
      QDir().mkpath(path);
    return path;
  }
  QString programFolder() const { return root.filePath(QStringLiteral("program")); }
  DatabaseSearch search(const QStringList &parameters = {}) const { return {programFolder(), parameters}; }

  ScriptedUiServices ui;
  UiServicesInstaller installer{ui};
};

TEST(CommandLineParam, SplitsAtTheFirstEqualsSignAndTakesTheFirstMatch) {
  struct Case {
    QStringList parameters;
    QString expected;
  } cases[] = {
      {{"/dbpath=/srv/fb"}, "/srv/fb"},
      {{"-DBPATH=/srv/fb"}, "/srv/fb"},
      {{"dbpath=/srv/fb"}, "/srv/fb"},
      {{"/dbpath=/srv/a=b"}, "/srv/a=b"},
      {{"/other=/x", "-dbpath=/first", "-dbpath=/second"}, "/first"},
      {{"/dbpath", "/dbpath=/later"}, ""},  // the first match has no value
      {{"--dbpath=/x"}, ""},                // one dash is stripped, not two
      {{"/dbpathx=/x"}, ""},
      {{}, ""},
  };
  for (const Case &c : cases)
    EXPECT_EQ(GetCommandLineParam(QStringLiteral("dbpath"), c.parameters), c.expected) << c.parameters.join(' ').toStdString();
}

TEST_F(StartupTest, CommandLineOverridesRegistryWhichOverridesProgramFolder) {
  const QString inProgram = folder(QStringLiteral("program/Data"), true);
  const QString inRegistry = folder(QStringLiteral("registry"), true);
  const QString inCommandLine = folder(QStringLiteral("cmdline"), true);
  struct Case {
    bool registry;
    QStringList parameters;
    QString expected;
  } cases[] = {
      {false, {}, inProgram},
      {true, {}, inRegistry},
      {false, {"/dbpath=" + inCommandLine}, inCommandLine},
      {true, {"/dbpath=" + inCommandLine}, inCommandLine},
      {true, {"-DBPATH=" + inCommandLine}, inCommandLine},
      {true, {"-DbPath=" + inCommandLine, "/other=x"}, inCommandLine},
      {true, {"/other=" + inCommandLine}, inRegistry},
      {true, {"/dbpath"}, inRegistry},
      {false, {"-dbpath=" + QDir::current().relativeFilePath(inCommandLine)}, inCommandLine},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.parameters.join(' ').toStdString() + (c.registry ? " with registry" : ""));
    if (c.registry)
      WriteSetting(reg::DatabaseLocation, inRegistry);
    else
      DeleteSetting(reg::DatabaseLocation);
    EXPECT_EQ(LocateDatabase(search(c.parameters)), c.expected);
    EXPECT_FALSE(StartupFailed());
    // Found without asking, and the stored location stays as it was.
    EXPECT_TRUE(ui.messages().empty());
    EXPECT_EQ(SettingExists(reg::DatabaseLocation), c.registry);
    if (c.registry) {
      EXPECT_EQ(ReadSetting(reg::DatabaseLocation), inRegistry);
    }
  }
}

TEST_F(StartupTest, StoredLocationWithoutDatabaseLeadsToTheFolderDialogAndThePickReplacesIt) {
  const QString stale = folder(QStringLiteral("stale"), false);
  const QString stillEmpty = folder(QStringLiteral("still empty"), false);
  const QString good = folder(QStringLiteral("good"), true);
  WriteSetting(reg::DatabaseLocation, stale);
  ui.queueAnswer(AskNo);                  // no new database where the registry points
  ui.queueDialogResult(stillEmpty);       // a folder without one: offered, declined, asked again
  ui.queueAnswer(AskNo);
  ui.queueDialogResult(good + "/");       // the trailing separator goes

  EXPECT_EQ(LocateDatabase(search()), good);

  EXPECT_FALSE(StartupFailed());
  EXPECT_EQ(ReadSetting(reg::DatabaseLocation), good);
  ASSERT_EQ(ui.dialogs().size(), 2u);
  EXPECT_EQ(ui.dialogs()[0].caption, QStringLiteral("Locate Faultbook Database"));
  EXPECT_EQ(ui.dialogs()[0].start, stale);
  EXPECT_EQ(ui.dialogs()[1].start, stillEmpty);
  const QStringList texts = ui.texts();
  ASSERT_EQ(texts.size(), 4);
  EXPECT_TRUE(texts[0].contains(stale));
  EXPECT_TRUE(ui.shown(MessageKind::Error, PickedNoDatabaseText));
  EXPECT_EQ(texts[1], PickedNoDatabaseText);
  EXPECT_TRUE(texts[2].contains(stillEmpty));
  EXPECT_EQ(texts[3], PickedNoDatabaseText);
  EXPECT_FALSE(db::Database::isDataDirectory(stale));
  EXPECT_FALSE(db::Database::isDataDirectory(stillEmpty));
}

TEST_F(StartupTest, CancelledFolderDialogEndsTheStart) {
  ui.queueAnswer(AskNo);
  ui.queueDialogResult(QString());

  EXPECT_EQ(LocateDatabase(search()), QString());

  EXPECT_TRUE(StartupFailed());
  EXPECT_EQ(ui.texts().last(), WillCloseText);
  EXPECT_EQ(ui.messages().back().kind, MessageKind::Error);
  EXPECT_FALSE(SettingExists(reg::DatabaseLocation));
}

TEST_F(StartupTest, FirstRunOffersANewDatabaseWhereTheProgramLooked) {
  const QString expected = programFolder() + "/Data";
  struct Case {
    int answer;
    QString result;
    bool created;
  } cases[] = {{AskYes, expected, true}, {AskCancel, QString(), false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.answer);
    SetStartupFailed(false);
    ui.clearRecord();
    ui.queueAnswer(c.answer);

    EXPECT_EQ(LocateDatabase(search()), c.result);

    EXPECT_EQ(db::Database::isDataDirectory(expected), c.created);
    EXPECT_EQ(StartupFailed(), !c.created);
    EXPECT_TRUE(ui.dialogs().empty());
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.messages()[0].buttons, AskYes | AskNo | AskCancel);
    EXPECT_TRUE(ui.messages()[0].text.contains(expected));
    if (!c.created) {
      EXPECT_EQ(ui.texts().last(), WillCloseText);
    }
    // The place where the program looks by itself is not stored.
    EXPECT_FALSE(SettingExists(reg::DatabaseLocation));
    QDir(programFolder()).removeRecursively();
  }
}

TEST_F(StartupTest, NewDatabaseInAPickedFolderIsStored) {
  const QString picked = folder(QStringLiteral("new place"), false);
  ui.queueAnswer(AskNo);  // not where the program looked
  ui.queueDialogResult(picked);
  ui.queueAnswer(AskYes);

  EXPECT_EQ(LocateDatabase(search()), picked);

  EXPECT_TRUE(db::Database::isDataDirectory(picked));
  EXPECT_TRUE(QFileInfo::exists(SharedOptionsFilePath(picked)));
  EXPECT_EQ(ReadSetting(reg::DatabaseLocation), picked);
  EXPECT_EQ(ui.messages()[2].buttons, AskYes | AskNo);
}

TEST_F(StartupTest, DiagnosticLogGoesToTheStartingDirectory) {
  const QString starting = folder(QStringLiteral("starting"), false);
  const QString data = folder(QStringLiteral("data dir"), true);
  qputenv("FAULTBK_DIAGNOSTIC", "1");
  EXPECT_TRUE(DiagnosticModeRequested());
  qunsetenv("FAULTBK_DIAGNOSTIC");
  EXPECT_FALSE(DiagnosticModeRequested());

  StartDiagnosticMode(starting);
  LocateDatabase(search({"-dbpath=" + data}));
  CloseDebugLogFile();

  EXPECT_TRUE(ui.shown(MessageKind::Information,
                       QStringLiteral("Diagnostic logging mode is active.  You may notice some delays while the "
                                      "program is loading.  These delays are necessary in order to produce "
                                      "diagnostic information during application startup.")));
  const QString log = ReadText(QDir(starting).filePath(DebugLogFileName));
  EXPECT_TRUE(log.contains("] Created diagnostic log file.\n"));
  EXPECT_TRUE(log.contains("] Database path from command line [" + data + "]\n"));
  EXPECT_TRUE(log.contains("] Checking for USERSEC.DB in database directory.\n"));
  EXPECT_TRUE(log.contains("] Database path is [" + data + "]\n"));
  EXPECT_FALSE(QFileInfo::exists(QDir(data).filePath(DebugLogFileName)));
}

class PrivateDirectoryTest : public StartupTest {
protected:
  void SetUp() override {
    StartupTest::SetUp();
    savedTemp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(root.filePath(QStringLiteral("tmp"))));
    QDir().mkpath(root.filePath(QStringLiteral("tmp")));
  }
  void TearDown() override {
    if (savedTemp.isNull())
      qunsetenv("TMPDIR");
    else
      qputenv("TMPDIR", savedTemp);
    StartupTest::TearDown();
  }
  QString expectedPrivate() const {
    return root.filePath(QStringLiteral("tmp/LKS_Priv-") + QString::number(getuid()));
  }
  QByteArray savedTemp;
};

TEST_F(PrivateDirectoryTest, IsMadeForTheUserAloneAndEmptiedAtEachStart) {
  const QString data = folder(QStringLiteral("data dir"), true);
  ConfigureBDESettings(data);
  EXPECT_EQ(PrivateDirectory(), expectedPrivate());
  EXPECT_EQ(QFileInfo(expectedPrivate()).permissions() & (QFile::ReadGroup | QFile::ReadOther), 0);

  QFile stale(QDir(expectedPrivate()).filePath(QStringLiteral("ER010203.TXT")));
  ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
  stale.close();
  ConfigureBDESettings(data);
  EXPECT_FALSE(stale.exists());
  EXPECT_TRUE(QFileInfo(expectedPrivate()).isDir());
  EXPECT_FALSE(StartupFailed());
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(PrivateDirectoryTest, ALinkInItsPlaceIsNotFollowed) {
  const QString data = folder(QStringLiteral("data dir"), true);
  const QString elsewhere = folder(QStringLiteral("someone else's"), false);
  QFile kept(QDir(elsewhere).filePath(QStringLiteral("keep.txt")));
  ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
  kept.close();
  ASSERT_TRUE(QFile::link(elsewhere, expectedPrivate()));

  ConfigureBDESettings(data);

  EXPECT_TRUE(kept.exists());
  EXPECT_TRUE(StartupFailed());
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].kind, MessageKind::Error);
  EXPECT_TRUE(ui.messages()[0].text.contains(expectedPrivate()));
}

TEST_F(StartupTest, MoveRegistryTreeCopiesTheMachineTreeOnlyWhenTheUserHasNone) {
  const QString display = QLatin1String(ProductKey) + QStringLiteral("\\Display");
  LocalMachineRegistry().openKey(display, true)->writeString(QStringLiteral("Last Product"), QStringLiteral("Old"));

  MoveRegistryTree();
  EXPECT_EQ(CurrentUserRegistry().openKey(display, false)->readString(QStringLiteral("Last Product")), "Old");
  EXPECT_TRUE(LocalMachineRegistry().keyExists(display));

  CurrentUserRegistry().openKey(display, true)->writeString(QStringLiteral("Last Product"), QStringLiteral("Mine"));
  LocalMachineRegistry().openKey(display, true)->writeString(QStringLiteral("Last Product"), QStringLiteral("Older"));
  MoveRegistryTree();
  EXPECT_EQ(CurrentUserRegistry().openKey(display, false)->readString(QStringLiteral("Last Product")), "Mine");
}

TEST(SplashVersion, IsCutAfterTheCharacterThatFollowsTheFirstDot) {
  const std::pair<QString, QString> cases[] = {
      {"3.1.0.5", "Version 3.1"}, {"3.10.2", "Version 3.1"}, {"0.1", "Version 0.1"}, {"3", "Version 3"}, {"", "Version "},
  };
  for (const auto &[version, text] : cases)
    EXPECT_EQ(SplashVersionText(version), text) << version.toStdString();
}

}  // namespace
