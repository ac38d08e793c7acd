#include "app/data_directory.h"
#include "app/ini_file.h"
#include "app/settings.h"
#include "data/engine.h"
#include "settings_fixture.h"

#include <QDir>
#include <QFileInfo>

namespace {

using DataDirectoryTest = SettingsTest;

TEST_F(DataDirectoryTest, CreatesADirectoryTheEngineOpensWithDefaultOptions) {
  const QString directory = root.filePath("new/data");
  CreateDataDirectory(directory);

  EXPECT_TRUE(db::Database::isDataDirectory(directory));
  const auto database = db::Database::open(directory);
  EXPECT_TRUE(database->tableExists("usersec.db"));
  EXPECT_TRUE(database->tableExists("Defect"));
  EXPECT_TRUE(QFileInfo(directory + "/Attach").isDir());
  EXPECT_TRUE(QFileInfo(directory + "/Report").isDir());

  const IniFile options(directory + "/FAULTBK.INI");
  for (const char *key : {"NewDefectIncrement", "ProductTextCase", "ReleaseTextCase", "ProgramTextCase",
                          "LogDefectChanges", "RenumberOnCopy", "UseShortAttachmentNames", "Notify Use Template",
                          "Notify List Changes", "Require Login"})
    EXPECT_EQ(options.readString("Options", key, "absent"), "0") << key;
  EXPECT_EQ(options.readString("Options", "CopyAttachments", "absent"), "1");
  EXPECT_EQ(options.readString("Options", "Notify Template", "absent"), "");
  EXPECT_EQ(options.readString("Directories", "Attachment Location", "absent"), "");
  EXPECT_EQ(options.readString("Directories", "Custom Reports", "absent"), "");
  EXPECT_EQ(options.readString("BDE", "NetFileDir", "absent"), "");

  SetDataDirectory(directory);
  LoadPreferences();
  EXPECT_TRUE(Prefs().copyAttachments);
  EXPECT_EQ(Prefs().attachmentLocation, directory + "/Attach");
}

TEST_F(DataDirectoryTest, KeepsTheOptionsOfAnIniFileAlreadyThere) {
  writeBytes(iniFile(), "[Options]\nLogDefectChanges=1\nSite=kept\n[Directories]\nAttachment Location=" +
                            QFile::encodeName(root.filePath("shared attachments")) + "\n");
  CreateDataDirectory(dataDir());
  const IniFile options(iniFile());
  EXPECT_EQ(options.readString("Options", "LogDefectChanges", ""), "1");
  EXPECT_EQ(options.readString("Options", "Site", ""), "kept");
  EXPECT_EQ(options.readString("Options", "CopyAttachments", ""), "1");  // added
  EXPECT_TRUE(QFileInfo(root.filePath("shared attachments")).isDir());
  EXPECT_FALSE(QFileInfo::exists(dataDir() + "/Attach"));
}

TEST_F(DataDirectoryTest, RefusesADirectoryThatAlreadyHoldsADatabase) {
  CreateDataDirectory(dataDir());
  EXPECT_THROW(CreateDataDirectory(dataDir()), db::EngineError);
  EXPECT_TRUE(db::Database::isDataDirectory(dataDir()));
}

}  // namespace
