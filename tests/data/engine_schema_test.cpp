// The schema of a data directory: the data model read back from a real database,
// table names in any letter case, table creation and field restructuring with the data
// kept.

#include "data/data_model.h"
#include "data/engine.h"
#include "tests/support/temp_data_directory.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace db;

namespace {

void expectSameFields(const TableDef &expected, const TableDef &read) {
  ASSERT_EQ(read.fields.size(), expected.fields.size()) << expected.name.toStdString();
  for (int i = 0; i < expected.fields.size(); ++i) {
    SCOPED_TRACE((expected.name + QLatin1Char('.') + expected.fields[i].name).toStdString());
    EXPECT_EQ(read.fields[i].name, expected.fields[i].name);
    EXPECT_EQ(read.fields[i].type, expected.fields[i].type);
    EXPECT_EQ(read.fields[i].size, expected.fields[i].size);
    EXPECT_EQ(read.fields[i].precision, expected.fields[i].precision);
  }
}

void expectSameIndexes(const TableDef &expected, const TableDef &read) {
  ASSERT_EQ(read.indexes.size(), expected.indexes.size()) << expected.name.toStdString();
  for (const auto &index : expected.indexes) {
    SCOPED_TRACE((expected.name + QLatin1Char(' ') + index.name).toStdString());
    const IndexDef *found = nullptr;
    for (const auto &candidate : read.indexes)
      if (candidate.primary == index.primary && candidate.name == index.name)
        found = &candidate;
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->fields, index.fields);
    EXPECT_EQ(found->unique, index.unique);
  }
}

class SchemaTest : public ::testing::Test {
protected:
  TempDataDirectory directory;
  std::shared_ptr<Database> database = directory.database();
};

TEST_F(SchemaTest, EveryTableOfTheModelReadsBackWithItsFieldsWidthsAndKeys) {
  EXPECT_EQ(database->tableNames().size(), DataModelTables().size());
  for (const auto &expected : DataModelTables()) {
    const TableDef read = database->tableDef(expected.name);
    EXPECT_EQ(read.name, expected.name);
    expectSameFields(expected, read);
    expectSameIndexes(expected, read);
  }
  // What the upgrade tests and the history rely on, spelled out.
  const TableDef defect = database->tableDef(QStringLiteral("defect.db"));
  EXPECT_EQ(defect.field(QStringLiteral("Summary"))->size, 200);
  EXPECT_EQ(defect.field(QStringLiteral("Defect"))->type, FieldType::Number);
  EXPECT_EQ(database->tableDef(QStringLiteral("DefChgs")).field(QStringLiteral("UniqueID"))->type, FieldType::AutoInc);
  EXPECT_EQ(database->tableDef(QStringLiteral("Correct")).field(QStringLiteral("EstProgHrs"))->precision, 3);
}

TEST_F(SchemaTest, TableNamesMatchWithoutRegardToLetterCaseOrFileExtension) {
  for (const char *name : {"attach.DB", "Attach", "attach.db", "ATTACH"})
    EXPECT_EQ(database->tableName(QString::fromLatin1(name)), QStringLiteral("Attach")) << name;
  EXPECT_EQ(database->tableName(QStringLiteral("Origin.db")), QStringLiteral("Origin"));
  EXPECT_TRUE(database->tableExists(QStringLiteral("filters.DB")));
  EXPECT_FALSE(database->tableExists(QStringLiteral("nosuch.db")));
  try {
    database->tableDef(QStringLiteral("nosuch.db"));
    FAIL() << "no error for a missing table";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrTableNotFound);
    EXPECT_TRUE(error.text().contains(QStringLiteral("nosuch.db")));
  }
}

TEST(DataDirectoryTest, OnlyADirectoryWithTheDatabaseIsADataDirectory) {
  QTemporaryDir empty;
  EXPECT_FALSE(Database::isDataDirectory(empty.path()));
  try {
    Database::open(empty.path());
    FAIL() << "an empty directory opened";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrNoDataDirectory);
  }
  // Opening looked, and left nothing behind.
  EXPECT_TRUE(QDir(empty.path()).isEmpty());

  TempDataDirectory directory;
  EXPECT_TRUE(Database::isDataDirectory(directory.path()));
  EXPECT_NO_THROW(Database::open(directory.path()));
  try {
    Database::create(directory.path());
    FAIL() << "a second database was created over the first";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrGeneral);
  }
  EXPECT_TRUE(Database::isDataDirectory(directory.path()));
}

TEST(DataDirectoryTest, AFileThatIsNoDatabaseIsNoDataDirectory) {
  QTemporaryDir folder;
  QFile file(QDir(folder.path()).filePath(QStringLiteral("faultbk.sqlite")));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("not a database at all, just text that happens to sit here");
  file.close();
  EXPECT_FALSE(Database::isDataDirectory(folder.path()));
  EXPECT_THROW(Database::open(folder.path()), EngineError);
}

TEST_F(SchemaTest, CreatedTableHasItsIndexesAndAutoIncFields) {
  TableDef calls;
  calls.name = QStringLiteral("Calls");
  calls.fields = {{QStringLiteral("Customer"), FieldType::Text, 30, 0},
                  {QStringLiteral("Number"), FieldType::AutoInc, 0, 0},
                  {QStringLiteral("Taken"), FieldType::Timestamp, 0, 0}};
  calls.indexes = {{QStringLiteral("Primary"), {QStringLiteral("Customer"), QStringLiteral("Number")}, true, true},
                   {QStringLiteral("ByTime"), {QStringLiteral("Taken")}, false, false}};
  database->createTable(calls);
  const TableDef read = database->tableDef(QStringLiteral("calls.db"));
  expectSameFields(calls, read);
  expectSameIndexes(calls, read);

  EXPECT_THROW(database->createTable(calls), EngineError);
}

TEST_F(SchemaTest, FieldsAddedByAlterTableReadBackAndKeepTheirWidth) {
  database->execute(QStringLiteral("ALTER TABLE \"Customer\" ADD Region CHAR(5), ADD Visits INTEGER, ADD Since DATE"));
  const TableDef customer = database->tableDef(QStringLiteral("customer.db"));
  ASSERT_NE(customer.field(QStringLiteral("Region")), nullptr);
  EXPECT_EQ(customer.field(QStringLiteral("Region"))->size, 5);
  EXPECT_EQ(customer.field(QStringLiteral("Visits"))->type, FieldType::Integer);
  EXPECT_EQ(customer.field(QStringLiteral("Since"))->type, FieldType::Date);

  Table table(database, QStringLiteral("customer.db"));
  table.open();
  table.insert();
  table.setValue(QStringLiteral("Customer"), QStringLiteral("Acme"));
  table.setValue(QStringLiteral("Region"), QStringLiteral("North"));
  table.post();
  table.edit();
  table.setValue(QStringLiteral("Region"), QStringLiteral("Northwest"));
  EXPECT_THROW(table.post(), EngineError);
  table.cancel();

  database->execute(QStringLiteral("ALTER TABLE \"Customer\" DROP Customer.\"Region\""));
  EXPECT_EQ(database->tableDef(QStringLiteral("Customer")).field(QStringLiteral("Region")), nullptr);
}

class ChangeFieldTest : public SchemaTest {
protected:
  void SetUp() override {
    Table program(database, QStringLiteral("program.db"));
    program.open();
    for (const char *name : {"alpha.exe", "beta.exe"}) {
      program.insert();
      program.setValue(QStringLiteral("Product"), QStringLiteral("Faultbook"));
      program.setValue(QStringLiteral("Release"), QStringLiteral("1.0"));
      program.setValue(QStringLiteral("Program"), QString::fromLatin1(name));
      program.setValue(QStringLiteral("Description"), QStringLiteral("Description of ") + QString::fromLatin1(name));
      program.setValue(QStringLiteral("EXE Size"), 123456);
      program.post();
    }
  }

  QStringList column(const QString &table, const QString &field) {
    Query query(database, QStringLiteral("Select %1 from %2").arg(field, table));
    query.open();
    QStringList values;
    for (; !query.eof(); query.next())
      values << query.asString(field);
    return values;
  }
};

TEST_F(ChangeFieldTest, WideningKeepsEveryRecordAndTheKey) {
  FieldChange widen;
  widen.size = 120;
  database->changeField(QStringLiteral("program.db"), QStringLiteral("Description"), widen);
  const TableDef read = database->tableDef(QStringLiteral("Program"));
  EXPECT_EQ(read.field(QStringLiteral("Description"))->size, 120);
  expectSameIndexes(*DataModelTable(QStringLiteral("Program")), read);
  EXPECT_EQ(column(QStringLiteral("Program"), QStringLiteral("Description")),
            (QStringList{"Description of alpha.exe", "Description of beta.exe"}));

  // The new width holds, the old one no longer limits.
  Table program(database, QStringLiteral("program.db"));
  program.open();
  program.edit();
  program.setValue(QStringLiteral("Description"), QString(120, QLatin1Char('d')));
  EXPECT_NO_THROW(program.post());
  program.edit();
  program.setValue(QStringLiteral("Description"), QString(121, QLatin1Char('d')));
  EXPECT_THROW(program.post(), EngineError);
}

TEST_F(ChangeFieldTest, IntegerBecomesTextWithTheDecimalDigitsAndRenameKeepsTheData) {
  FieldChange toText;
  toText.type = FieldType::Text;
  toText.size = 16;
  database->changeField(QStringLiteral("Program"), QStringLiteral("EXE Size"), toText);
  EXPECT_EQ(database->tableDef(QStringLiteral("Program")).field(QStringLiteral("EXE Size"))->type, FieldType::Text);
  Query sizes(database, QStringLiteral("Select Program.\"EXE Size\" from Program"));
  sizes.open();
  EXPECT_EQ(sizes.value(0), QVariant(QStringLiteral("123456")));

  FieldChange rename;
  rename.name = QStringLiteral("Title");
  database->changeField(QStringLiteral("Program"), QStringLiteral("Description"), rename);
  const TableDef read = database->tableDef(QStringLiteral("Program"));
  EXPECT_EQ(read.fields[3].name, QStringLiteral("Title"));
  EXPECT_EQ(read.fields[3].size, 80);
  EXPECT_EQ(column(QStringLiteral("Program"), QStringLiteral("Title")).size(), 2);
}

TEST_F(ChangeFieldTest, NarrowingBelowAStoredTextIsRefusedAndChangesNothing) {
  FieldChange narrow;
  narrow.size = 10;
  try {
    database->changeField(QStringLiteral("Program"), QStringLiteral("Description"), narrow);
    FAIL() << "narrowed below the stored texts";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrFieldTooLong);
    EXPECT_TRUE(error.text().contains(QStringLiteral("\"Description\""))) << error.text().toStdString();
    EXPECT_TRUE(error.text().contains(QStringLiteral("10"))) << error.text().toStdString();
  }
  EXPECT_EQ(database->tableDef(QStringLiteral("Program")).field(QStringLiteral("Description"))->size, 80);
  EXPECT_EQ(column(QStringLiteral("Program"), QStringLiteral("Description")).size(), 2);
}

TEST_F(ChangeFieldTest, AMissingFieldIsReported) {
  FieldChange widen;
  widen.size = 30;
  try {
    database->changeField(QStringLiteral("Program"), QStringLiteral("NoSuchField"), widen);
    FAIL();
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrFieldNotFound);
  }
}

}  // namespace
