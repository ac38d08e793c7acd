#include "security/user_rights.h"

#include "app/ini_file.h"
#include "app/settings.h"
#include "app/startup.h"
#include "security/sign_in.h"
#include "security/user_lock.h"
#include "tests/support/private_settings_stores.h"
#include "tests/support/scripted_ui_services.h"
#include "tests/support/temp_data_directory.h"
#include "tests/support/test_station.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

const QString FirstUserText = QStringLiteral(
    "You are the first person to access this installation of Faultbook. You will be granted security administrator "
    "rights.  You will be able to set up other users' access rights.  Your User ID will be 'Faultbook Admin'");

QString InUseText(const QString &userId) {
  return "Your station has tried to start Faultbook with a User ID of \"" + userId +
         "\", which is currently in use. Please verify that each station on your network has a unique name or "
         "that your Registry contains a unique \"UserID\" value.";
}

// One station's start on a data directory of its own, with a registry of its own:
// the main window's UserSec and UserLock tables, open.
class SignInTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(config.isValid());
    stores.emplace(config.path());
    resetRun();
    userSec.open();
    userLock.open();
  }
  void TearDown() override {
    ReleaseUserLock(userLock);
    resetRun();
    stores.reset();
  }
  static void resetRun() {
    SetStartupFailed(false);
    SetCurrentUserId(QString());
    ResetCurrentUserRights();
  }

  void addUser(const QString &id, const QString &rights, bool allProducts, const QString &products = {}) {
    userSec.insert();
    userSec.setValue("UserID", id);
    userSec.setValue("Rights", rights);
    userSec.setValue("AllProducts", allProducts);
    if (!products.isEmpty())
      userSec.setValue("Products", products);
    userSec.post();
  }
  bool signIn(const QString &userId) {
    SetCurrentUserId(userId);
    return SignInUser(userSec, userLock, directory.path());
  }
  int locksHeld() const { return directory.database()->recordLockCount(QStringLiteral("userlock.db")); }

  QTemporaryDir config;
  std::optional<PrivateSettingsStores> stores;
  TempDataDirectory directory;
  db::Table userSec{directory.database(), QStringLiteral("usersec.db")};
  db::Table userLock{directory.database(), QStringLiteral("userlock.db")};
  ScriptedUiServices ui;
  UiServicesInstaller installer{ui};
};

TEST_F(SignInTest, FirstUserOfAnEmptyInstallationGetsEveryRight) {
  ASSERT_TRUE(signIn(QStringLiteral("alice")));

  EXPECT_EQ(CurrentUserId(), QStringLiteral("Faultbook Admin"));
  EXPECT_EQ(CurrentUserRights(), QString(128, u'1'));
  EXPECT_TRUE(AllProductsAccess());
  EXPECT_TRUE(UserHasRights(Right::Security));
  EXPECT_TRUE(UserCanAccessProduct(QStringLiteral("Anything")));
  EXPECT_EQ(ReadSetting(reg::UserID), QStringLiteral("Faultbook Admin"));
  EXPECT_EQ(ui.texts(), QStringList{FirstUserText});
  EXPECT_EQ(ui.messages()[0].kind, MessageKind::Information);
  ASSERT_TRUE(userSec.findKey({QStringLiteral("Faultbook Admin")}));
  EXPECT_EQ(userSec.asString("Rights"), QString(128, u'1'));
  EXPECT_EQ(locksHeld(), 1);

  // The next start comes in under the stored ID and finds the record: nothing to say.
  ReleaseUserLock(userLock);
  resetRun();
  ui.clearRecord();
  ASSERT_TRUE(signIn(ReadSetting(reg::UserID)));
  EXPECT_TRUE(ui.messages().empty());
  EXPECT_EQ(CurrentUserId(), QStringLiteral("Faultbook Admin"));
  EXPECT_EQ(userSec.recordCount(), 1);
  EXPECT_EQ(locksHeld(), 1);
}

TEST_F(SignInTest, RightsAndProductsAreThoseOfTheStoredRecord) {
  QString rights(128, u'0');
  rights[0] = u'1';
  rights[127] = u'1';
  rights[56] = u'x';  // only "1" grants
  addUser(QStringLiteral("bob"), rights, false, QStringLiteral("Widgets\r\nGadgets"));

  ASSERT_TRUE(signIn(QStringLiteral("bob")));

  EXPECT_TRUE(UserHasRights(Right::ReleaseCreate));
  EXPECT_TRUE(UserHasRights(128));
  EXPECT_FALSE(UserHasRights(Right::ReleaseModify));
  EXPECT_FALSE(UserHasRights(Right::Security));
  EXPECT_FALSE(UserHasRights(0));
  EXPECT_FALSE(UserHasRights(129));
  EXPECT_FALSE(AllProductsAccess());
  EXPECT_EQ(ProductAccessList(), (QStringList{"Widgets", "Gadgets"}));
  EXPECT_TRUE(UserCanAccessProduct(QStringLiteral("WIDGETS")));
  EXPECT_TRUE(UserCanAccessProduct(QStringLiteral("gadgets")));
  EXPECT_FALSE(UserCanAccessProduct(QStringLiteral("Gizmos")));
  EXPECT_FALSE(UserCanAccessProduct(QString()));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SignInTest, UserMissingFromTheSecurityTableRunsAsUnknownUserWithoutALock) {
  addUser(QStringLiteral("bob"), QString(128, u'1'), true);

  EXPECT_TRUE(signIn(QStringLiteral("carol")));

  EXPECT_EQ(CurrentUserId(), QStringLiteral("Unknown User"));
  EXPECT_EQ(CurrentUserRights(), QString(128, u'0'));
  EXPECT_FALSE(AllProductsAccess());
  EXPECT_FALSE(UserCanAccessProduct(QStringLiteral("Widgets")));
  EXPECT_EQ(locksHeld(), 0);
  EXPECT_FALSE(userLock.findKey({QStringLiteral("carol")}));
}

TEST_F(SignInTest, SecondProcessWithTheSameUserIdIsRefused) {
  addUser(QStringLiteral("bob"), QString(128, u'1'), true);
  TestStation other(directory.path());
  ASSERT_EQ(other.run({"insert", "userlock.db", "UserID=bob"}), "ok");
  ASSERT_EQ(other.run({"edit", "userlock.db", "bob"}), "ok");

  EXPECT_FALSE(signIn(QStringLiteral("bob")));

  EXPECT_TRUE(StartupFailed());
  EXPECT_EQ(ui.texts(), QStringList{InUseText(QStringLiteral("bob"))});
  EXPECT_EQ(ui.messages()[0].kind, MessageKind::Error);

  // Once the other copy has gone (however it ended), the ID can start again.
  other.kill();
  resetRun();
  ui.clearRecord();
  EXPECT_TRUE(signIn(QStringLiteral("bob")));
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(SignInTest, LockTakenAtStartHoldsOffOtherProcessesUntilReleased) {
  addUser(QStringLiteral("bob"), QString(128, u'1'), true);
  ASSERT_TRUE(signIn(QStringLiteral("bob")));  // adds bob's lock row, then locks it
  TestStation other(directory.path());
  EXPECT_TRUE(other.run({"edit", "userlock.db", "bob"}).startsWith("error 10241"));
  EXPECT_EQ(other.run({"count", "userlock.db"}), "1");

  ReleaseUserLock(userLock);

  EXPECT_EQ(other.run({"count", "userlock.db"}), "0");
  EXPECT_EQ(other.run({"edit", "userlock.db", "bob"}), "ok");
}

TEST_F(SignInTest, StartsThatCannotGoOnSayWhy) {
  struct Case {
    const char *name;
    QString userId;
    bool requireLogin;
    QString lastText;
  } cases[] = {
      {"blank station ID", QStringLiteral("   "), false,
       QStringLiteral("Faultbook was unable to determine your station's ID. Please run the Workstation Setup program "
                      "and enter a unique name for this station, then restart Faultbook.")},
      {"login required", QStringLiteral("bob"), true,
       QStringLiteral("You did not successfully log in.  Faultbook will now shut down.")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    resetRun();
    ui.clearRecord();
    IniFile options(SharedOptionsFilePath(directory.path()));
    options.writeBool("Options", "Require Login", c.requireLogin);
    options.save();

    EXPECT_FALSE(signIn(c.userId));

    EXPECT_TRUE(StartupFailed());
    ASSERT_FALSE(ui.messages().empty());
    EXPECT_EQ(ui.texts().last(), c.lastText);
    EXPECT_EQ(ui.messages().back().kind, MessageKind::Error);
    // No first user is made and no lock is taken on a start that ends here.
    EXPECT_TRUE(userSec.isEmpty());
    EXPECT_EQ(locksHeld(), 0);
  }
}

TEST(NetUserName, IsTheLoginNameCutTo15Characters) {
  const QString name = GetNetUserName();
  EXPECT_FALSE(name.isEmpty());
  EXPECT_LE(name.size(), 15);
}

}  // namespace
