// Tables of a real data directory: values keep their field types, widths and keys are
// enforced with their own error codes, records are walked and sought in key order, and
// editing locks the record against every other data set.

#include "data/engine.h"
#include "tests/support/temp_data_directory.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

const QString Product = QStringLiteral("Faultbook");
const QString Release = QStringLiteral("1.0");
const QString Program = QStringLiteral("faultbk.exe");

int errorCode(const std::function<void()> &action) {
  try {
    action();
  } catch (const EngineError &error) {
    return error.code();
  }
  return ErrNone;
}

class TableTest : public ::testing::Test {
protected:
  void addDefect(Table &defect, int number, const QString &summary = QStringLiteral("Crash")) {
    defect.insert();
    defect.setValue(QStringLiteral("Product"), Product);
    defect.setValue(QStringLiteral("Release"), Release);
    defect.setValue(QStringLiteral("Program"), Program);
    defect.setValue(QStringLiteral("Defect"), number);
    defect.setValue(QStringLiteral("Summary"), summary);
    defect.post();
  }

  QList<qlonglong> defectNumbers() {
    Table defect(database, QStringLiteral("defect.db"));
    defect.open();
    QList<qlonglong> numbers;
    for (; !defect.eof(); defect.next())
      numbers << defect.value(QStringLiteral("Defect")).toLongLong();
    return numbers;
  }

  TempDataDirectory directory;
  std::shared_ptr<Database> database = directory.database();
};

TEST_F(TableTest, ValuesReadBackWithTheirFieldTypes) {
  Table defect(database, QStringLiteral("defect.db"));
  defect.open();
  EXPECT_TRUE(defect.isEmpty());
  defect.insert();
  defect.setValue(QStringLiteral("Product"), Product);
  defect.setValue(QStringLiteral("Release"), Release);
  defect.setValue(QStringLiteral("Program"), Program);
  defect.setValue(QStringLiteral("Defect"), 9.0);
  defect.setValue(QStringLiteral("EXE Date"), QDate(2024, 3, 4));
  defect.setValue(QStringLiteral("EXE Time"), QStringLiteral("13:45:10"));
  defect.setValue(QStringLiteral("Priority"), QStringLiteral("12"));
  defect.setValue(QStringLiteral("Selected"), true);
  defect.setValue(QStringLiteral("Submitted"), QStringLiteral("False"));
  defect.setValue(QStringLiteral("AssignedDate"), QStringLiteral("3/4/2024"));
  defect.post();

  ASSERT_TRUE(defect.findKey({Product, Release, Program, 9}));
  const QVariant number = defect.value(QStringLiteral("Defect"));
  EXPECT_EQ(number.metaType().id(), QMetaType::LongLong);
  EXPECT_EQ(number.toString(), QStringLiteral("9"));
  EXPECT_EQ(defect.value(QStringLiteral("EXE Date")), QVariant(QDate(2024, 3, 4)));
  EXPECT_EQ(defect.value(QStringLiteral("AssignedDate")), QVariant(QDate(2024, 3, 4)));
  EXPECT_EQ(defect.value(QStringLiteral("EXE Time")), QVariant(QTime(13, 45, 10)));
  EXPECT_EQ(defect.value(QStringLiteral("Priority")), QVariant(qlonglong(12)));
  EXPECT_EQ(defect.value(QStringLiteral("Selected")), QVariant(true));
  EXPECT_EQ(defect.value(QStringLiteral("Submitted")), QVariant(false));
  EXPECT_TRUE(defect.isNull(QStringLiteral("Status")));
  EXPECT_FALSE(defect.value(QStringLiteral("EstCompDate")).isValid());
  EXPECT_EQ(defect.asString(QStringLiteral("Status")), QString());
  EXPECT_EQ(defect.asString(QStringLiteral("Selected")), QStringLiteral("True"));
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 9);

  try {
    defect.edit();
    defect.setValue(QStringLiteral("EXE Date"), QStringLiteral("not a date"));
    FAIL() << "a text that is no date was taken";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrInvalidValue);
    EXPECT_TRUE(error.text().contains(QStringLiteral("EXE Date")));
  }
  defect.cancel();
}

TEST_F(TableTest, ATextLongerThanItsFieldIsRefusedAndNothingIsWritten) {
  Table defect(database, QStringLiteral("defect.db"));
  defect.open();
  defect.insert();
  defect.setValue(QStringLiteral("Product"), Product);
  defect.setValue(QStringLiteral("Release"), Release);
  defect.setValue(QStringLiteral("Program"), Program);
  defect.setValue(QStringLiteral("Defect"), 1);
  defect.setValue(QStringLiteral("Summary"), QString(201, QLatin1Char('x')));
  try {
    defect.post();
    FAIL() << "a 201-character summary was written";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrFieldTooLong);
    EXPECT_TRUE(error.text().contains(QStringLiteral("\"Summary\""))) << error.text().toStdString();
    EXPECT_TRUE(error.text().contains(QStringLiteral("200"))) << error.text().toStdString();
  }
  EXPECT_EQ(defect.state(), EditState::Insert);
  defect.cancel();
  EXPECT_TRUE(defectNumbers().isEmpty());

  // Exactly the width is fine, counted in characters, not bytes.
  addDefect(defect, 2, QString(200, QChar(0x00E9)));
  EXPECT_EQ(defectNumbers(), QList<qlonglong>{2});

  // The same limit holds for a statement, which changes no record.
  EXPECT_EQ(errorCode([&] {
              database->execute(QStringLiteral("UPDATE Defect SET Summary = '%1'").arg(QString(201, QLatin1Char('y'))));
            }),
            ErrFieldTooLong);
  defect.refresh();
  EXPECT_EQ(defect.asString(QStringLiteral("Summary")), QString(200, QChar(0x00E9)));
}

TEST_F(TableTest, ASecondRecordWithTheSameKeyIsAKeyViolation) {
  Table defect(database, QStringLiteral("defect.db"));
  defect.open();
  addDefect(defect, 7);
  EXPECT_EQ(errorCode([&] { addDefect(defect, 7); }), ErrKeyViolation);
  EXPECT_EQ(defect.state(), EditState::Insert);
  defect.cancel();
  EXPECT_EQ(errorCode([&] {
              database->execute(QStringLiteral("INSERT INTO Defect (Product, Release, Program, Defect) VALUES "
                                               "('%1', '%2', '%3', 7)")
                                    .arg(Product, Release, Program));
            }),
            ErrKeyViolation);
  EXPECT_EQ(defectNumbers(), QList<qlonglong>{7});
}

TEST_F(TableTest, RecordsAreWalkedAndSoughtInKeyOrder) {
  Table defect(database, QStringLiteral("Defect"));
  defect.open();
  for (int number : {30, 4, 100, 9})
    addDefect(defect, number);
  // Numbers order as numbers, not as text.
  EXPECT_EQ(defectNumbers(), (QList<qlonglong>{4, 9, 30, 100}));

  defect.last();
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 100);
  EXPECT_FALSE(defect.eof());
  defect.next();
  EXPECT_TRUE(defect.eof());
  QList<qlonglong> backwards;
  for (defect.last(); !defect.bof(); defect.prior())
    backwards << defect.asInteger(QStringLiteral("Defect"));
  EXPECT_EQ(backwards, (QList<qlonglong>{100, 30, 9, 4}));

  EXPECT_EQ(defect.recordCount(), 4);
  defect.moveTo(2);
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 30);
  EXPECT_EQ(defect.recordNumber(), 2);

  EXPECT_TRUE(defect.findKey({Product, Release, Program, QStringLiteral("9")}));
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 9);
  EXPECT_FALSE(defect.findKey({Product, Release, Program, 10}));
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 9);  // stayed put
  EXPECT_TRUE(defect.findKey({Product}));                     // the first of a partial key
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 4);

  defect.findNearest({Product, Release, Program, 10});
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 30);
  defect.findNearest({Product, Release, Program, 1000});
  EXPECT_TRUE(defect.eof());

  const Bookmark mark = [&] {
    defect.findKey({Product, Release, Program, 30});
    return defect.bookmark();
  }();
  defect.first();
  EXPECT_TRUE(defect.gotoBookmark(mark));
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 30);

  // Deleting moves to the next record, or to the last when none follows.
  defect.deleteRecord();
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 100);
  defect.deleteRecord();
  EXPECT_EQ(defect.asInteger(QStringLiteral("Defect")), 9);
  EXPECT_EQ(defectNumbers(), (QList<qlonglong>{4, 9}));
}

TEST_F(TableTest, NearestToANullKeyPartIsTheFirstRecordOfTheRestOfTheKey) {
  Table messages(database, QStringLiteral("messages.db"));
  messages.open();
  const QList<QStringList> rows{{"anna", "2024-05-02", "09:00:00"},
                                {"bert", "2024-05-01", "10:00:00"},
                                {"bert", "2024-04-30", "11:00:00"}};
  for (const auto &row : rows) {
    messages.insert();
    messages.setValue(QStringLiteral("User ID"), row[0]);
    messages.setValue(QStringLiteral("Date Sent"), row[1]);
    messages.setValue(QStringLiteral("Time Sent"), row[2]);
    messages.post();
  }
  messages.findNearest({QStringLiteral("bert"), QVariant(), QVariant()});
  EXPECT_EQ(messages.asString(QStringLiteral("User ID")), QStringLiteral("bert"));
  EXPECT_EQ(messages.asDate(QStringLiteral("Date Sent")), QDate(2024, 4, 30));  // dates order as dates
  messages.findNearest({QStringLiteral("carl"), QVariant(), QVariant()});
  EXPECT_TRUE(messages.eof());
  EXPECT_NE(messages.asString(QStringLiteral("User ID")), QStringLiteral("carl"));
}

TEST_F(TableTest, LocateHonoursCaseAndPartialOptions) {
  Table customer(database, QStringLiteral("customer.db"));
  customer.open();
  for (const char *name : {"Acme Corp", "Bolt Ltd", "acme labs"}) {
    customer.insert();
    customer.setValue(QStringLiteral("Customer"), QString::fromLatin1(name));
    customer.post();
  }
  struct Case {
    QString sought;
    int options;
    QString found;  // empty: not found
  };
  const QList<Case> cases{
      {"acme labs", LocateExact, "acme labs"},    {"ACME LABS", LocateExact, ""},
      {"ACME LABS", LocateCaseInsensitive, "acme labs"}, {"acme", LocatePartialKey, "acme labs"},
      {"ACME", LocatePartialKey, ""},             {"ACME", LocatePartialKey | LocateCaseInsensitive, "Acme Corp"},
      {"Bolt", LocateExact, ""},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.sought.toStdString());
    customer.first();
    EXPECT_EQ(customer.locate(QStringLiteral("Customer"), {c.sought}, c.options), !c.found.isEmpty());
    if (!c.found.isEmpty()) {
      EXPECT_EQ(customer.asString(QStringLiteral("Customer")), c.found);
    }
  }
}

TEST_F(TableTest, AutoIncFieldsGetOneMoreThanTheHighest) {
  Table history(database, QStringLiteral("defchgs.db"));
  history.open();
  QList<qlonglong> assigned;
  for (int i = 0; i < 3; ++i) {
    history.insert();
    history.setValue(QStringLiteral("Product"), Product);
    history.setValue(QStringLiteral("Defect"), 1);
    history.setValue(QStringLiteral("TransactionID"), QStringLiteral("T%1").arg(i));
    history.setValue(QStringLiteral("UpdateTime"), QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 678)));
    history.post();
    assigned << history.value(QStringLiteral("UniqueID")).toLongLong();
  }
  EXPECT_EQ(assigned, (QList<qlonglong>{1, 2, 3}));
  EXPECT_EQ(history.value(QStringLiteral("UpdateTime")), QVariant(QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5, 678))));
  // A record of a whole release: the key's Program is the empty text, found by it.
  EXPECT_TRUE(history.findKey({Product, QString(), QString(), 1}));
}

TEST_F(TableTest, EditLocksTheRecordAgainstAnotherDataSetOfThisProcess) {
  Table first(database, QStringLiteral("defect.db"));
  first.open();
  addDefect(first, 1);
  addDefect(first, 2);
  Table second(database, QStringLiteral("DEFECT.DB"));
  second.open();

  first.findKey({Product, Release, Program, 1});
  first.edit();
  second.findKey({Product, Release, Program, 1});
  try {
    second.edit();
    FAIL() << "two data sets edited one record";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrRecordLocked);
    EXPECT_EQ(error.text(), QStringLiteral("Record locked by another user."));
  }
  EXPECT_EQ(errorCode([&] { second.deleteRecord(); }), ErrRecordLocked);
  EXPECT_EQ(database->recordLockCount(QStringLiteral("Defect")), 1);

  // Another record is free.
  second.findKey({Product, Release, Program, 2});
  EXPECT_NO_THROW(second.edit());
  EXPECT_EQ(database->recordLockCount(QStringLiteral("Defect")), 2);
  second.cancel();

  // Moving on posts the change and frees the record.
  first.setValue(QStringLiteral("Summary"), QStringLiteral("Changed"));
  first.next();
  EXPECT_EQ(first.state(), EditState::Browse);
  EXPECT_EQ(database->recordLockCount(QStringLiteral("Defect")), 0);
  second.findKey({Product, Release, Program, 1});
  EXPECT_EQ(second.asString(QStringLiteral("Summary")), QStringLiteral("Changed"));
  EXPECT_NO_THROW(second.edit());
  second.cancel();
}

TEST_F(TableTest, EditStartsFromWhatWasLastPostedAndWritesOnlyChangedFields) {
  Table mine(database, QStringLiteral("defect.db"));
  mine.open();
  addDefect(mine, 1);
  Table theirs(database, QStringLiteral("defect.db"));
  theirs.open();
  theirs.edit();
  theirs.setValue(QStringLiteral("Status"), QStringLiteral("Open"));
  theirs.post();

  // mine still shows the old record; edit reads it afresh.
  EXPECT_EQ(mine.asString(QStringLiteral("Status")), QString());
  mine.edit();
  EXPECT_EQ(mine.asString(QStringLiteral("Status")), QStringLiteral("Open"));
  mine.setValue(QStringLiteral("Summary"), QStringLiteral("Mine"));
  database->execute(QStringLiteral("UPDATE Defect SET Nature = 'Bug'"));
  mine.post();
  EXPECT_EQ(mine.asString(QStringLiteral("Nature")), QStringLiteral("Bug"));
  EXPECT_EQ(mine.asString(QStringLiteral("Summary")), QStringLiteral("Mine"));
}

TEST_F(TableTest, ReadOnlyAndClosedTablesRefuseWithTheirCodes) {
  Table defect(database, QStringLiteral("defect.db"));
  EXPECT_EQ(defect.state(), EditState::Inactive);
  EXPECT_EQ(errorCode([&] { defect.first(); }), ErrNoCurrentRecord);
  defect.setReadOnly(true);
  defect.open();
  EXPECT_EQ(errorCode([&] { defect.insert(); }), ErrReadOnly);
  EXPECT_EQ(errorCode([&] { defect.setValue(QStringLiteral("Summary"), QStringLiteral("x")); }), ErrNotEditing);
  EXPECT_EQ(errorCode([&] { defect.post(); }), ErrNotEditing);
  EXPECT_EQ(errorCode([&] { defect.value(QStringLiteral("NoSuchField")); }), ErrFieldNotFound);
  EXPECT_FALSE(defect.value(QStringLiteral("Summary")).isValid());  // empty: fields read as null

  Table missing(database, QStringLiteral("nosuch.db"));
  EXPECT_EQ(errorCode([&] { missing.open(); }), ErrTableNotFound);
}

TEST_F(TableTest, TransactionIsAllOrNothing) {
  Table defect(database, QStringLiteral("defect.db"));
  defect.open();
  {
    Database::Transaction transaction(*database);
    addDefect(defect, 1);
    addDefect(defect, 2);
  }
  EXPECT_TRUE(defectNumbers().isEmpty());
  {
    Database::Transaction transaction(*database);
    addDefect(defect, 3);
    transaction.commit();
  }
  EXPECT_EQ(defectNumbers(), QList<qlonglong>{3});
}

}  // namespace
