// faultbk-sql as an administrator runs it: a new data directory, statements from the
// command line and from standard input, the output format and the error exit.

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

namespace {

struct ToolRun {
  int status = -1;
  QString out;
  QString err;
};

ToolRun faultbkSql(const QStringList &arguments, const QByteArray &input = {}) {
  QProcess process;
  process.start(QStringLiteral(FAULTBK_SQL), arguments);
  process.write(input);
  process.closeWriteChannel();
  process.waitForFinished(60000);
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

class FaultbkSqlTest : public ::testing::Test {
protected:
  void SetUp() override {
    const ToolRun created = faultbkSql({"--create", directory()});
    ASSERT_EQ(created.status, 0) << created.err.toStdString();
  }
  QString directory() const { return QDir(folder.path()).filePath(QStringLiteral("data")); }

  QTemporaryDir folder;
};

TEST_F(FaultbkSqlTest, CreateMakesADataDirectoryWithItsOptionsFile) {
  EXPECT_TRUE(QFileInfo::exists(QDir(directory()).filePath(QStringLiteral("FAULTBK.INI"))));
  const ToolRun again = faultbkSql({"--create", directory()});
  EXPECT_EQ(again.status, 1);
  EXPECT_TRUE(again.err.startsWith(QStringLiteral("Error "))) << again.err.toStdString();
}

TEST_F(FaultbkSqlTest, StatementsRunInOrderAndASelectPrintsTabSeparatedRows) {
  const ToolRun run = faultbkSql(
      {"-c",
       "INSERT INTO Defect (Product, Release, Program, Defect, Summary, Selected, AssignedDate, \"EXE Time\") "
       "VALUES ('P', 'R', 'a.exe', 9, 'It''s broken', True, '3/4/2024', '13:05:09')",
       "-c", "INSERT INTO Defect (Product, Release, Program, Defect, Selected) VALUES ('P', 'R', 'a.exe', 10, False)",
       "-c",
       "Select Defect, Summary, Selected, AssignedDate, \"EXE Time\" from Defect order by Defect",
       directory()});
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QStringLiteral("Defect\tSummary\tSelected\tAssignedDate\tEXE Time\n"
                                    "9\tIt's broken\tTrue\t2024-03-04\t13:05:09\n"
                                    "10\t\tFalse\t\t\n"));
}

TEST_F(FaultbkSqlTest, WithoutStatementsItReadsThemFromStandardInput) {
  const ToolRun run = faultbkSql({directory()}, "INSERT INTO Resource (ResourceName) VALUES ('Semi;Colon');\n"
                                            "Select ResourceName from Resource;\n"
                                            "Select Count(*) as Resources from Resource");
  ASSERT_EQ(run.status, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, QStringLiteral("ResourceName\nSemi;Colon\nResources\n1\n"));
}

TEST_F(FaultbkSqlTest, AnEngineErrorIsPrintedWithItsCodeAndEndsTheRun) {
  const ToolRun run = faultbkSql({"-c", "Select * from NoSuchTable", "-c", "Select Defect from Defect", directory()});
  EXPECT_EQ(run.status, 1);
  EXPECT_TRUE(run.err.startsWith(QStringLiteral("Error 10024: "))) << run.err.toStdString();
  EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();

  const ToolRun tooLong = faultbkSql({"-c", "INSERT INTO Resource (ResourceName) VALUES ('" + QString(41, 'x') + "')",
                                  directory()});
  EXPECT_EQ(tooLong.status, 1);
  EXPECT_TRUE(tooLong.err.startsWith(QStringLiteral("Error 10028: "))) << tooLong.err.toStdString();

  const ToolRun noData = faultbkSql({"-c", "Select * from Defect", folder.path()});
  EXPECT_EQ(noData.status, 1);
  EXPECT_TRUE(noData.err.startsWith(QStringLiteral("Error 10026: "))) << noData.err.toStdString();
}

}  // namespace
