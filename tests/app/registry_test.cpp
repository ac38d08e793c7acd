#include "app/registry.h"
#include "app/settings_error.h"
#include "settings_fixture.h"

#include <QFileInfo>

#include <climits>

namespace {

using RegistryTest = SettingsTest;

struct RoundTripCase {
  const char *label;
  QString name;
  RegistryValue value;
};

// Every value is read back from a fresh store on the same file, as the next run would.
TEST_F(RegistryTest, ValuesKeepTheirTypeAndEveryCharacterAcrossRuns) {
  const std::vector<RoundTripCase> cases = {
      {"digits stay a string", "Minimum", RegistryValue("0123")},
      {"empty string", "Empty", RegistryValue("")},
      {"line breaks, tab, quotes, backslashes", "Text", RegistryValue("a\r\nb\tc \"q\" C:\\dir\\ end ")},
      {"control characters", "Control", RegistryValue(QString("x") + QChar(1) + QChar(0x1f) + QChar(0x7f))},
      {"non-ASCII", "Ümlaut", RegistryValue(QString::fromUtf8("Grüße, 日本"))},
      {"text that looks like a value line", "\"x\" = integer 5", RegistryValue("] [\\Software]")},
      {"smallest integer", "Min", RegistryValue(qint32(INT_MIN))},
      {"largest integer", "Max", RegistryValue(qint32(INT_MAX))},
      {"zero", "Zero", RegistryValue(qint32(0))},
      {"unnamed value", "", RegistryValue(qint32(-1))},
  };
  {
    RegistryStore store(userStoreFile());
    RegistryKey key = *store.openKey("\\Software\\Larkspur, Inc.\\Faultbook\\Types", true);
    for (const auto &c : cases)
      key.writeValue(c.name, c.value);
  }
  RegistryStore next(userStoreFile());
  const auto key = next.openKey("Software\\Larkspur, Inc.\\Faultbook\\Types", false);
  ASSERT_TRUE(key);
  for (const auto &c : cases) {
    SCOPED_TRACE(c.label);
    const auto value = key->value(c.name);
    ASSERT_TRUE(value);
    EXPECT_EQ(*value, c.value);
  }
  QStringList names;
  for (const auto &c : cases)
    names << c.name;
  EXPECT_EQ(key->valueNames(), names);  // in the order written
}

TEST_F(RegistryTest, ReadersNeverConvertBetweenStringsAndIntegers) {
  RegistryStore store(userStoreFile());
  RegistryKey key = *store.openKey("\\K", true);
  key.writeString("Number as text", "0123");
  key.writeInteger("Flag", 7);
  EXPECT_THROW(key.readInteger("Number as text"), SettingsError);
  EXPECT_THROW(key.readBool("Number as text"), SettingsError);
  EXPECT_THROW(key.readString("Flag"), SettingsError);
  EXPECT_TRUE(key.readBool("Flag"));  // any non-zero integer
  EXPECT_EQ(key.readString("Missing", "default"), "default");
  EXPECT_EQ(key.readInteger("Missing", 42), 42);
  EXPECT_FALSE(key.valueExists("Missing"));
}

TEST_F(RegistryTest, NamesMatchWithoutCaseAndKeepTheirFirstSpelling) {
  RegistryStore store(userStoreFile());
  store.openKey("\\Software\\Faultbook\\Display", true)->writeInteger("Split Pos", 10);
  RegistryKey other = *store.openKey("\\SOFTWARE\\faultbook\\DISPLAY", false);
  other.writeInteger("SPLIT POS", 20);
  EXPECT_EQ(other.valueNames(), QStringList{"Split Pos"});
  EXPECT_EQ(other.readInteger("split pos"), 20);
  EXPECT_EQ(store.openKey("\\Software", false)->subkeyNames(), QStringList{"Faultbook"});
}

TEST_F(RegistryTest, OpenWithoutCreateFindsNothingAndWritesNothing) {
  RegistryStore store(userStoreFile());
  EXPECT_FALSE(store.openKey("\\Software\\Nothing", false));
  EXPECT_FALSE(store.keyExists("\\Software"));
  EXPECT_FALSE(QFileInfo::exists(userStoreFile()));
  ASSERT_TRUE(store.openKey("\\Software\\Empty", true));
  // An empty key is kept too.
  RegistryStore next(userStoreFile());
  EXPECT_TRUE(next.keyExists("\\Software\\Empty"));
}

TEST_F(RegistryTest, DeletesValuesAndWholeKeys) {
  RegistryStore store(userStoreFile());
  RegistryKey display = *store.openKey("\\P\\Display", true);
  display.writeString("Last Filter", "Open bugs");
  display.writeString("Last Product", "Widgets");
  store.openKey("\\P\\Display\\Deeper", true)->writeInteger("n", 1);
  store.openKey("\\P\\Columns", true)->writeInteger("Program Col 0 Width", 80);

  EXPECT_TRUE(display.deleteValue("last filter"));
  EXPECT_FALSE(display.deleteValue("Last Filter"));
  EXPECT_TRUE(store.deleteKey("\\P\\Display"));
  EXPECT_FALSE(store.deleteKey("\\P\\Display"));

  RegistryStore next(userStoreFile());
  EXPECT_FALSE(next.keyExists("\\P\\Display"));
  EXPECT_FALSE(next.keyExists("\\P\\Display\\Deeper"));
  EXPECT_EQ(next.openKey("\\P\\Columns", false)->readInteger("Program Col 0 Width"), 80);
}

TEST_F(RegistryTest, MoveValueKeepsTypeAndSkipsMissingValues) {
  RegistryStore store(machineStoreFile());
  RegistryKey product = *store.openKey("\\P", true);
  product.writeString("User ID", "0042");
  product.writeInteger("Split Pos", 120);

  EXPECT_TRUE(store.moveValue("\\P", "User ID", "\\P\\Settings", "User ID"));
  EXPECT_TRUE(store.moveValue("\\P", "Split Pos", "\\P\\Display", "Split Pos"));
  EXPECT_FALSE(store.moveValue("\\P", "Last Product", "\\P\\Display", "Last Product"));
  EXPECT_FALSE(store.moveValue("\\Absent", "x", "\\Elsewhere", "x"));
  EXPECT_FALSE(store.keyExists("\\Elsewhere"));

  RegistryStore next(machineStoreFile());
  EXPECT_TRUE(next.openKey("\\P", false)->valueNames().isEmpty());
  EXPECT_EQ(next.openKey("\\P\\Settings", false)->value("User ID"), RegistryValue("0042"));
  EXPECT_EQ(next.openKey("\\P\\Display", false)->value("Split Pos"), RegistryValue(qint32(120)));

  // A rename within one key replaces a value already under the new name.
  RegistryKey messaging = *next.openKey("\\P\\Messaging", true);
  messaging.writeInteger("Notify Defect Status ChangedData", 0);
  messaging.writeInteger("Notify Defect Status Changed", 1);
  EXPECT_TRUE(next.moveValue("\\P\\Messaging", "Notify Defect Status ChangedData", "\\P\\Messaging",
                             "Notify Defect Status Changed"));
  EXPECT_EQ(messaging.valueNames(), QStringList{"Notify Defect Status Changed"});
  EXPECT_EQ(messaging.readInteger("Notify Defect Status Changed"), 0);
}

TEST_F(RegistryTest, RegMoveValueWorksOnTheMachineStore) {
  LocalMachineRegistry().openKey(ProductKey, true)->writeString("Database Location", "/srv/faultbook");
  RegMoveValue("Database Location", ProductKey, QString(ProductKey) + "\\Database");
  RegistryStore reread(machineStoreFile());
  EXPECT_EQ(reread.openKey(QString(ProductKey) + "\\Database", false)->readString("Database Location"),
            "/srv/faultbook");
  EXPECT_FALSE(CurrentUserRegistry().keyExists(ProductKey));
}

TEST_F(RegistryTest, CopyTreeCopiesEveryKeyAndLeavesTheSource) {
  RegistryStore machine(machineStoreFile());
  machine.openKey("\\P", true)->writeString("Top", "1");
  machine.openKey("\\P\\Preferences\\General", true)->writeInteger("Preview Zoom", 2);
  machine.openKey("\\P\\Preferences\\Remote", true)->writeString("FTP Port", "21");
  machine.openKey("\\P\\Empty", true);
  RegistryStore user(userStoreFile());
  user.openKey("\\P\\Preferences\\General", true)->writeInteger("Preview Zoom", 6);

  CopyRegistryTree(machine, "\\P", user, "\\P");

  RegistryStore reread(userStoreFile());
  EXPECT_EQ(reread.openKey("\\P", false)->value("Top"), RegistryValue("1"));
  EXPECT_EQ(reread.openKey("\\P\\Preferences\\General", false)->value("Preview Zoom"), RegistryValue(qint32(2)));
  EXPECT_EQ(reread.openKey("\\P\\Preferences\\Remote", false)->value("FTP Port"), RegistryValue("21"));
  EXPECT_TRUE(reread.keyExists("\\P\\Empty"));
  EXPECT_EQ(machine.openKey("\\P", false)->readString("Top"), "1");
}

TEST_F(RegistryTest, TwoProcessesOfOneUserSeeAndKeepEachOthersChanges) {
  // Two stores on one file stand for two running programs of the same user.
  RegistryStore first(userStoreFile());
  RegistryStore second(userStoreFile());
  RegistryKey firstKey = *first.openKey("\\P\\Recent", true);
  firstKey.writeString("MRU Product 0", "Widgets");
  RegistryKey secondKey = *second.openKey("\\P\\Recent", false);
  EXPECT_EQ(secondKey.readString("MRU Product 0"), "Widgets");
  secondKey.writeString("MRU Product 1", "Gadgets");
  firstKey.writeString("MRU Product 2", "Gizmos");  // written over a file it had not read

  RegistryStore reread(userStoreFile());
  EXPECT_EQ(reread.openKey("\\P\\Recent", false)->valueNames(),
            (QStringList{"MRU Product 0", "MRU Product 1", "MRU Product 2"}));
}

TEST_F(RegistryTest, AnUpdateWritesItsChangesOnceAtItsEndAndKeepsThemOnFailure) {
  RegistryStore store(userStoreFile());
  {
    RegistryStore::Update update(store);
    store.openKey("\\P\\Display", true)->writeInteger("Split Pos", 1);
    store.openKey("\\P\\Display", true)->writeInteger("Last Width", 2);
    EXPECT_FALSE(QFileInfo::exists(userStoreFile()));
  }
  EXPECT_EQ(RegistryStore(userStoreFile()).openKey("\\P\\Display", false)->valueNames().size(), 2);

  EXPECT_THROW(
      {
        RegistryStore::Update update(store);
        store.openKey("\\P\\Display", true)->writeInteger("Last Height", 3);
        throw std::runtime_error("window went away");
      },
      std::runtime_error);
  EXPECT_TRUE(RegistryStore(userStoreFile()).openKey("\\P\\Display", false)->valueExists("Last Height"));
}

TEST_F(RegistryTest, ADamagedFileIsReportedWithItsLineAndNotOverwritten) {
  const QByteArray damaged = "# store\n[\\P]\n\"Good\" = integer 1\n\"Bad\" = float 1.5\n";
  writeBytes(userStoreFile(), damaged);
  RegistryStore store(userStoreFile());
  try {
    store.keyExists("\\P");
    FAIL() << "a damaged store was read";
  } catch (const SettingsError &error) {
    EXPECT_TRUE(error.text().contains("line 4")) << error.text().toStdString();
    EXPECT_TRUE(error.text().contains(userStoreFile())) << error.text().toStdString();
  }
  EXPECT_THROW(store.openKey("\\P", true)->writeInteger("New", 1), SettingsError);
  EXPECT_EQ(readBytes(userStoreFile()), damaged);
}

TEST_F(RegistryTest, AFailedWriteLeavesTheStoredFileWhole) {
  RegistryStore store(userStoreFile());
  store.openKey("\\P", true)->writeString("Kept", "yes");
  const QByteArray before = readBytes(userStoreFile());
  {
    ScopedFileSizeLimit limit(1024);
    EXPECT_THROW(store.openKey("\\P", true)->writeString("Lost", QString(4096, 'x')), SettingsError);
  }
  EXPECT_EQ(readBytes(userStoreFile()), before);
  EXPECT_FALSE(RegistryStore(userStoreFile()).openKey("\\P", false)->valueExists("Lost"));
  EXPECT_EQ(QDir(QFileInfo(userStoreFile()).absolutePath()).entryList(QDir::Files),
            QStringList{"registry.txt"});  // no half-written file left beside it
}

TEST_F(RegistryTest, TheStoresFollowTheirEnvironmentVariables) {
  CurrentUserRegistry().openKey(ProductKey, true)->writeInteger("Here", 1);
  LocalMachineRegistry().openKey(ProductKey, true)->writeInteger("There", 1);
  EXPECT_TRUE(QFileInfo::exists(userStoreFile()));
  EXPECT_TRUE(QFileInfo::exists(machineStoreFile()));
  EXPECT_FALSE(CurrentUserRegistry().openKey(ProductKey, false)->valueExists("There"));
}

}  // namespace
