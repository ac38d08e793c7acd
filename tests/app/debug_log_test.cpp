#include "app/base/clock.h"
#include "app/base/debug_log.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString ReadLog(const QTemporaryDir &dir) {
  QFile file(dir.filePath(QString::fromLatin1(DebugLogFileName)));
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  return QString::fromUtf8(file.readAll());
}

class DebugLogTest : public ::testing::Test {
protected:
  void TearDown() override { CloseDebugLogFile(); }
  QTemporaryDir dir;
};

TEST_F(DebugLogTest, WritesStampedLinesFlushedAtOnce) {
  ASSERT_TRUE(OpenDebugLogFile(dir.path()));
  EXPECT_TRUE(DiagnosticMode());
  {
    FixedClock clock(QDateTime(QDate(2000, 3, 15), QTime(14, 5, 7, 45)));
    DebugLog("Created diagnostic log file.");
  }
  {
    FixedClock clock(QDateTime(QDate(2000, 3, 16), QTime(0, 30, 0, 0)));
    DebugLog("Database path is [/srv/faultbook]");
  }
  // Read while still open: each line is on disk as soon as it is written.
  EXPECT_EQ(ReadLog(dir), "[03/15/2000 02:05:07.045 PM] Created diagnostic log file.\n"
                          "[03/16/2000 12:30:00.000 AM] Database path is [/srv/faultbook]\n");
}

TEST_F(DebugLogTest, NothingIsWrittenOutsideDiagnosticModeAndOpeningTruncates) {
  ASSERT_TRUE(OpenDebugLogFile(dir.path()));
  DebugLog("from the last run");
  CloseDebugLogFile();
  EXPECT_FALSE(DiagnosticMode());
  DebugLog("after closing");
  EXPECT_TRUE(ReadLog(dir).endsWith("] from the last run\n"));

  ASSERT_TRUE(OpenDebugLogFile(dir.path()));
  EXPECT_EQ(ReadLog(dir), "");
}

TEST_F(DebugLogTest, UnwritableDirectoryLeavesDiagnosticModeOffWithAReason) {
  QString error;
  EXPECT_FALSE(OpenDebugLogFile(dir.filePath("missing/folder"), &error));
  EXPECT_FALSE(DiagnosticMode());
  EXPECT_TRUE(error.contains("DebugLog.txt")) << error.toStdString();
}

}  // namespace
