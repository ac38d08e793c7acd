// Several processes on one data directory: record locks that hold between processes
// and go with their process, lock counts over every process, and two stations adding
// the same key at the same moment.

#include "data/engine.h"
#include "tests/support/temp_data_directory.h"
#include "tests/support/test_station.h"

#include <gtest/gtest.h>

using namespace db;

namespace {

class StationsTest : public ::testing::Test {
protected:
  void SetUp() override {
    Table users(database, QStringLiteral("userlock.db"));
    users.open();
    for (const char *user : {"anna", "bert", "carl"}) {
      users.insert();
      users.setValue(QStringLiteral("UserID"), QString::fromLatin1(user));
      users.post();
    }
  }

  TempDataDirectory directory;
  std::shared_ptr<Database> database = directory.database();
};

TEST_F(StationsTest, ARecordHeldByAnotherProcessIsRefusedUntilThatProcessDies) {
  TestStation other(directory.path());
  ASSERT_EQ(other.run({"edit", "userlock.db", "anna"}), QStringLiteral("ok"));

  Table users(database, QStringLiteral("UserLock"));
  users.open();
  ASSERT_TRUE(users.findKey({QStringLiteral("anna")}));
  try {
    users.edit();
    FAIL() << "edited a record another process holds";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrRecordLocked);
    EXPECT_EQ(error.text(), QStringLiteral("Record locked by another user."));
  }
  EXPECT_EQ(users.state(), EditState::Browse);

  other.kill();
  EXPECT_NO_THROW(users.edit());
  EXPECT_EQ(users.state(), EditState::Edit);
  users.cancel();
}

TEST_F(StationsTest, ALockIsReleasedByPostAndCancelForTheOtherProcess) {
  TestStation other(directory.path());
  Table users(database, QStringLiteral("userlock.db"));
  users.open();
  ASSERT_TRUE(users.findKey({QStringLiteral("bert")}));
  users.edit();
  EXPECT_TRUE(other.run({"edit", "userlock.db", "bert"}).startsWith(QStringLiteral("error 10241")));
  users.cancel();
  EXPECT_EQ(other.run({"edit", "userlock.db", "bert"}), QStringLiteral("ok"));
  EXPECT_EQ(other.run({"post", "userlock.db"}), QStringLiteral("ok"));
  EXPECT_NO_THROW(users.edit());
  users.cancel();
}

TEST_F(StationsTest, LockCountCoversEveryProcessAndDropsWithADeadOne) {
  Table users(database, QStringLiteral("userlock.db"));
  users.open();
  ASSERT_TRUE(users.findKey({QStringLiteral("anna")}));
  users.edit();
  EXPECT_EQ(database->recordLockCount(QStringLiteral("userlock.db")), 1);

  TestStation bert(directory.path());
  TestStation carl(directory.path());
  ASSERT_EQ(bert.run({"edit", "userlock.db", "bert"}), QStringLiteral("ok"));
  ASSERT_EQ(carl.run({"edit", "userlock.db", "carl"}), QStringLiteral("ok"));
  EXPECT_EQ(database->recordLockCount(QStringLiteral("UserLock")), 3);
  EXPECT_EQ(bert.run({"count", "userlock.db"}), QStringLiteral("3"));
  // Locks on one table are not counted on another.
  EXPECT_EQ(database->recordLockCount(QStringLiteral("Defect")), 0);

  carl.kill();
  EXPECT_EQ(database->recordLockCount(QStringLiteral("UserLock")), 2);
  users.cancel();
  EXPECT_EQ(bert.run({"count", "userlock.db"}), QStringLiteral("1"));
}

TEST_F(StationsTest, TwoProcessesAddingTheSameKeyAtOnceGiveOneRecordAndOneKeyViolation) {
  TestStation first(directory.path());
  TestStation second(directory.path());
  const QStringList insert{"insert", "defect.db", "Product=Faultbook", "Release=1.0", "Program=faultbk.exe",
                           "Defect=42"};
  first.send(insert);
  second.send(insert);
  QStringList replies{first.reply(), second.reply()};
  replies.sort();
  ASSERT_EQ(replies.size(), 2);
  EXPECT_TRUE(replies[0].startsWith(QStringLiteral("error 9729"))) << replies[0].toStdString();
  EXPECT_EQ(replies[1], QStringLiteral("ok"));

  Table defect(database, QStringLiteral("defect.db"));
  defect.open();
  EXPECT_EQ(defect.recordCount(), 1);
}

TEST_F(StationsTest, AWriterWaitsForAnotherProcessWritingInsteadOfFailing) {
  TestStation other(directory.path());
  ASSERT_EQ(other.run({"hold", "1500"}), QStringLiteral("ok"));
  Table users(database, QStringLiteral("userlock.db"));
  users.open();
  users.insert();
  users.setValue(QStringLiteral("UserID"), QStringLiteral("erik"));
  EXPECT_NO_THROW(users.post());
  EXPECT_EQ(other.reply(), QStringLiteral("released"));
  EXPECT_TRUE(users.findKey({QStringLiteral("erik")}));
}

TEST_F(StationsTest, AnOpenQueryDoesNotHoldOffAnotherProcessWriting) {
  Query users(database, QStringLiteral("Select * from UserLock"));
  users.open();
  users.next();  // mid-way through the rows
  TestStation other(directory.path());
  EXPECT_EQ(other.run({"insert", "userlock.db", "UserID=dora"}), QStringLiteral("ok"));
  EXPECT_EQ(users.recordCount(), 3);  // the query keeps the rows it read
  Table table(database, QStringLiteral("userlock.db"));
  table.open();
  EXPECT_TRUE(table.findKey({QStringLiteral("dora")}));  // a table sees the new record
}

}  // namespace
