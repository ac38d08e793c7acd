// Queries over a real data directory: result values keep the types of the fields they
// come from, expressions take the type of their value, names given twice stay apart,
// and rows are walked and located like a table's.

#include "data/engine.h"
#include "tests/support/temp_data_directory.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

class QueryTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (int number : {9, 10, 11}) {
      database->execute(QStringLiteral("INSERT INTO Defect (Product, Release, Program, Defect, Status, Severity, "
                                       "Selected, AssignedDate) VALUES ('P', 'R', 'a.exe', %1, '%2', 'High', %3, "
                                       "'1/%1/2024')")
                            .arg(number)
                            .arg(number == 10 ? QStringLiteral("Closed") : QStringLiteral("Open"))
                            .arg(number == 9 ? QStringLiteral("True") : QStringLiteral("False")));
      database->execute(QStringLiteral("INSERT INTO Correct (Product, Release, Program, Defect, EstProgHrs, "
                                       "ActProgHrs) VALUES ('P', 'R', 'a.exe', %1, 2.5, 1)")
                            .arg(number));
    }
    database->execute(QStringLiteral("INSERT INTO Program (Product, Release, Program, Status) VALUES ('P', 'R', "
                                     "'a.exe', 'Approved')"));
  }

  TempDataDirectory directory;
  std::shared_ptr<Database> database = directory.database();
};

TEST_F(QueryTest, ResultValuesKeepTheirFieldTypes) {
  Query query(database, QStringLiteral("Select Defect.*, Program.Status from Defect, Program where (Defect.Product "
                                       "= Program.Product) and (Defect.Program = Program.Program) order by "
                                       "Defect.Defect"));
  query.open();
  ASSERT_EQ(query.recordCount(), 3);
  const QVariant number = query.value(QStringLiteral("Defect"));
  EXPECT_EQ(number.metaType().id(), QMetaType::LongLong);
  EXPECT_EQ(number.toString(), QStringLiteral("9"));
  EXPECT_EQ(query.value(QStringLiteral("Selected")), QVariant(true));
  EXPECT_EQ(query.value(QStringLiteral("AssignedDate")), QVariant(QDate(2024, 1, 9)));
  EXPECT_FALSE(query.value(QStringLiteral("Nature")).isValid());
  EXPECT_EQ(query.value(QStringLiteral("Status")), QVariant(QStringLiteral("Open")));
  EXPECT_EQ(query.value(QStringLiteral("Status_1")), QVariant(QStringLiteral("Approved")));

  const QList<FieldDef> fields = query.fieldDefs();
  EXPECT_EQ(fields[query.fieldNames().indexOf(QStringLiteral("Summary"))].size, 200);
  EXPECT_EQ(fields[query.fieldNames().indexOf(QStringLiteral("Selected"))].type, FieldType::Boolean);
}

TEST_F(QueryTest, TextsOfEveryLengthReadBackExactly) {
  // Kept rows hold short texts and dates in place and long ones apart: every length
  // around those limits, and a text that looks like a date, must come back unchanged.
  const QStringList texts{"", "abcdefgh", "abcdefghi", "2024-01-02", "x\ty\nz", QString(254, 'a'), QString(255, 'b'),
                          QString(300, QChar(0x00E9)), QString(70000, 'c')};
  Table origin(database, QStringLiteral("origin.db"));
  origin.open();
  for (int i = 0; i < texts.size(); ++i) {
    origin.insert();
    origin.setValue(QStringLiteral("Product"), QStringLiteral("P"));
    origin.setValue(QStringLiteral("Defect"), i);
    origin.setValue(QStringLiteral("Notes"), texts[i]);
    origin.post();
  }
  Query query(database, QStringLiteral("Select Defect, Notes from Origin order by Defect"));
  query.open();
  for (int i = 0; i < texts.size(); ++i, query.next()) {
    SCOPED_TRACE(i);
    EXPECT_EQ(query.value(QStringLiteral("Notes")), QVariant(texts[i]));
  }
  EXPECT_TRUE(query.locate(QStringLiteral("Notes"), {QString(255, 'b')}));
  EXPECT_EQ(query.asInteger(QStringLiteral("Defect")), 6);
}

TEST_F(QueryTest, ExpressionsTakeTheTypeOfTheirValue) {
  Query query(database, QStringLiteral("Select EstProgHrs - ActProgHrs as Remaining from Correct"));
  query.open();
  EXPECT_EQ(query.value(QStringLiteral("Remaining")), QVariant(1.5));
  query.setSql(QStringLiteral("Select Count(*) from Defect where Status = 'Open'"));
  query.open();
  EXPECT_EQ(query.value(0), QVariant(qlonglong(2)));
  EXPECT_EQ(query.fieldDefs()[0].type, FieldType::Number);
}

TEST_F(QueryTest, RowsAreWalkedLocatedAndBookmarked) {
  Query query(database, QStringLiteral("Select Defect, Status from Defect order by Defect"));
  query.open();
  QList<qlonglong> numbers;
  for (; !query.eof(); query.next())
    numbers << query.asInteger(QStringLiteral("Defect"));
  EXPECT_EQ(numbers, (QList<qlonglong>{9, 10, 11}));
  EXPECT_EQ(query.recordNumber(), 2);

  query.first();
  EXPECT_TRUE(query.locate(QStringLiteral("Defect;Status"), {10, QStringLiteral("Closed")}));
  EXPECT_EQ(query.recordNumber(), 1);
  const Bookmark mark = query.bookmark();
  EXPECT_TRUE(query.locate(QStringLiteral("status"), {QStringLiteral("OPEN")}, LocateCaseInsensitive));
  EXPECT_EQ(query.recordNumber(), 0);
  EXPECT_FALSE(query.locate(QStringLiteral("Status"), {QStringLiteral("OPEN")}));
  EXPECT_FALSE(query.locate(QStringLiteral("Defect"), {QStringLiteral("ten")}));
  EXPECT_EQ(query.recordNumber(), 0);
  EXPECT_TRUE(query.gotoBookmark(mark));
  EXPECT_EQ(query.asInteger(QStringLiteral("Defect")), 10);

  query.last();
  EXPECT_FALSE(query.eof());
  query.prior();
  query.prior();
  EXPECT_FALSE(query.bof());
  query.prior();
  EXPECT_TRUE(query.bof());
  EXPECT_EQ(query.asInteger(QStringLiteral("Defect")), 9);
}

TEST_F(QueryTest, AnEmptyResultReadsAsNullAndAStatementErrorKeepsItsCode) {
  Query query(database, QStringLiteral("Select * from Defect where Product = 'none'"));
  query.open();
  EXPECT_TRUE(query.isEmpty());
  EXPECT_TRUE(query.eof());
  EXPECT_TRUE(query.bof());
  EXPECT_FALSE(query.value(QStringLiteral("Defect")).isValid());
  EXPECT_EQ(query.recordNumber(), -1);

  Query wrong(database, QStringLiteral("Select * from NoSuchTable"));
  try {
    wrong.open();
    FAIL();
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrTableNotFound);
  }
  EXPECT_FALSE(wrong.isOpen());
  Query update(database, QStringLiteral("UPDATE Defect SET Status = 'x'"));
  EXPECT_THROW(update.open(), EngineError);
  EXPECT_THROW(database->execute(QStringLiteral("Select * from Defect")), EngineError);
}

TEST_F(QueryTest, LikeRespectsLetterCase) {
  Query query(database, QStringLiteral("Select Defect from Defect where Status like 'open%'"));
  query.open();
  EXPECT_TRUE(query.isEmpty());
  query.setSql(QStringLiteral("Select Defect from Defect where Status like 'Op%'"));
  query.open();
  EXPECT_EQ(query.recordCount(), 2);
}

}  // namespace
