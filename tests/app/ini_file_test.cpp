#include "app/ini_file.h"
#include "app/settings_error.h"
#include "settings_fixture.h"

namespace {

using IniFileTest = SettingsTest;

// As a user or another program might leave it: CRLF line ends, comments, blanks around
// names and values, keys with blanks, unknown keys and sections, quoted values.
const QByteArray HandWritten =
    "; Faultbook shared options\r\n"
    "[Options]\r\n"
    "NewDefectIncrement = 2\r\n"
    "Notify Use Template=1\r\n"
    "  Notify Template  =  C:\\Templates\\notice file.txt  \r\n"
    "LogDefectChanges=5\r\n"
    "RenumberOnCopy=-1\r\n"
    "CopyAttachments=0\r\n"
    "Require Login=yes\r\n"
    "ProductTextCase=$2\r\n"
    "ReleaseTextCase=\r\n"
    "ProgramTextCase=99999999999\r\n"
    "Colour Scheme=Night\r\n"
    "Quoted=\"  padded  \"\r\n"
    "NewDefectIncrement=3\r\n"
    "\r\n"
    "[ Directories ]\r\n"
    "Attachment Location=\\\\server\\share\\Attach\r\n"
    "\r\n"
    "[Station Notes]\r\n"
    "; kept as it is\r\n"
    "Who=nobody\r\n";

struct ReadCase {
  const char *section;
  const char *key;
  const char *expected;
};

TEST_F(IniFileTest, ReadsAHandWrittenFileAsWindowsDoes) {
  writeBytes(iniFile(), HandWritten);
  const IniFile file(iniFile());
  const std::vector<ReadCase> strings = {
      {"Options", "Notify Template", "C:\\Templates\\notice file.txt"},
      {"OPTIONS", "notify use template", "1"},
      {"Options", "Colour Scheme", "Night"},
      {"Options", "Quoted", "  padded  "},
      {"Options", "ReleaseTextCase", ""},
      {"Directories", "Attachment Location", "\\\\server\\share\\Attach"},
      {"Station Notes", "Who", "nobody"},
  };
  for (const auto &c : strings) {
    SCOPED_TRACE(c.key);
    EXPECT_TRUE(file.valueExists(c.section, c.key));
    EXPECT_EQ(file.readString(c.section, c.key, "absent"), QString::fromUtf8(c.expected));
  }
  EXPECT_EQ(file.readString("Options", "; Faultbook shared options", "absent"), "absent");
  EXPECT_EQ(file.readString("Options", "Missing", "absent"), "absent");
  EXPECT_FALSE(file.valueExists("Station Notes", "; kept as it is"));

  EXPECT_EQ(file.readInteger("Options", "NewDefectIncrement", 0), 2);  // the first of two
  EXPECT_EQ(file.readInteger("Options", "ProductTextCase", 0), 2);     // hexadecimal
  EXPECT_EQ(file.readInteger("Options", "ReleaseTextCase", 7), 7);     // blank: the default
  EXPECT_EQ(file.readInteger("Options", "ProgramTextCase", 7), 7);     // beyond 32 bits
  EXPECT_EQ(file.readInteger("Options", "Colour Scheme", 7), 7);       // no number

  EXPECT_TRUE(file.readBool("Options", "Notify Use Template", false));
  EXPECT_TRUE(file.readBool("Options", "LogDefectChanges", false));  // any non-zero number
  EXPECT_TRUE(file.readBool("Options", "RenumberOnCopy", false));
  EXPECT_FALSE(file.readBool("Options", "CopyAttachments", true));
  EXPECT_FALSE(file.readBool("Options", "Require Login", false));  // no number: the default
  EXPECT_TRUE(file.readBool("Options", "Require Login", true));
}

TEST_F(IniFileTest, WritingChangesOnlyTheKeysWrittenAndKeepsEverythingElse) {
  writeBytes(iniFile(), HandWritten);
  IniFile file(iniFile());
  file.writeBool("options", "LogDefectChanges", false);
  file.writeInteger("Options", "NewDefectIncrement", 1);
  file.writeString("Directories", "Custom Reports", "/srv/reports");
  file.writeString("BDE", "NetFileDir", "");
  file.save();

  QByteArray expected = HandWritten;
  expected.replace("NewDefectIncrement = 2\r\n", "NewDefectIncrement=1\r\n");
  expected.replace("LogDefectChanges=5\r\n", "LogDefectChanges=0\r\n");
  expected.replace("Attachment Location=\\\\server\\share\\Attach\r\n",
                   "Attachment Location=\\\\server\\share\\Attach\r\nCustom Reports=/srv/reports\r\n");
  expected += "\r\n[BDE]\r\nNetFileDir=\r\n";
  EXPECT_EQ(readBytes(iniFile()), expected);
}

TEST_F(IniFileTest, TextsReadBackAsWritten) {
  const QStringList texts = {"plain", "  leading and trailing  ", "\"in quotes\"", "'single'", "",
                             "a = b ; not a comment", QString::fromUtf8("Grüße")};
  IniFile file(iniFile());
  for (int i = 0; i < texts.size(); ++i)
    file.writeString("Options", QString("Text %1").arg(i), texts[i]);
  file.save();
  const IniFile reread(iniFile());
  for (int i = 0; i < texts.size(); ++i)
    EXPECT_EQ(reread.readString("Options", QString("Text %1").arg(i), "absent"), texts[i]);
  EXPECT_TRUE(readBytes(iniFile()).startsWith("[Options]\nText 0=plain\n"));
}

TEST_F(IniFileTest, RefusesWhatAnIniLineCannotHold) {
  IniFile file(iniFile());
  EXPECT_THROW(file.writeString("Options", "Notify Template", "one\ntwo"), SettingsError);
  EXPECT_THROW(file.writeString("Options", "a=b", "x"), SettingsError);
  EXPECT_THROW(file.writeString("Opt]ions", "a", "x"), SettingsError);
  EXPECT_THROW(file.writeString("Options", " padded", "x"), SettingsError);
}

TEST_F(IniFileTest, SaveKeepsWhatAnotherStationWroteMeanwhile) {
  writeBytes(iniFile(), "[Options]\nRequire Login=0\n");
  IniFile mine(iniFile());
  IniFile theirs(iniFile());
  theirs.writeBool("Options", "Require Login", true);
  theirs.writeString("Options", "Their Key", "kept");
  theirs.save();
  mine.writeInteger("Options", "NewDefectIncrement", 3);
  mine.save();
  const IniFile reread(iniFile());
  EXPECT_TRUE(reread.readBool("Options", "Require Login", false));
  EXPECT_EQ(reread.readString("Options", "Their Key", ""), "kept");
  EXPECT_EQ(reread.readInteger("Options", "NewDefectIncrement", 0), 3);
}

TEST_F(IniFileTest, AFileFromWindowsInLatin1IsReadAndRewrittenWithoutLoss) {
  writeBytes(iniFile(), "[Options]\r\nNotify Template=C:\\Vorlagen\\\xc4nderung.txt\r\n");
  IniFile file(iniFile());
  EXPECT_EQ(file.readString("Options", "Notify Template", ""), QString::fromUtf8("C:\\Vorlagen\\Änderung.txt"));
  file.writeBool("Options", "Require Login", true);
  file.save();
  EXPECT_EQ(IniFile(iniFile()).readString("Options", "Notify Template", ""),
            QString::fromUtf8("C:\\Vorlagen\\Änderung.txt"));
}

TEST_F(IniFileTest, AFailedSaveLeavesTheFileWhole) {
  writeBytes(iniFile(), "[Options]\nRequire Login=1\n");
  IniFile file(iniFile());
  file.writeBool("Options", "Require Login", false);
  file.writeString("Options", "Notify Template", QString(4096, 'x'));
  {
    ScopedFileSizeLimit limit(1024);
    EXPECT_THROW(file.save(), SettingsError);
  }
  EXPECT_EQ(readBytes(iniFile()), QByteArray("[Options]\nRequire Login=1\n"));
  EXPECT_EQ(QDir(dataDir()).entryList(QDir::Files), QStringList{"FAULTBK.INI"});
}

}  // namespace
