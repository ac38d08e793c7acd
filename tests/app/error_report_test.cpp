#include "app/base/clock.h"
#include "app/error_report.h"
#include "app/registry.h"
#include "data/conversion_errors.h"
#include "data/engine.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <new>
#include <system_error>

namespace {

template <typename E> std::exception_ptr Thrown(E error) {
  return std::make_exception_ptr(std::move(error));
}

TEST(ErrorReportTest, ClassDecidesSeverity) {
  struct Case {
    const char *what;
    std::exception_ptr error;
    ErrorSeverity severity;
    QString className;
    QString description;
  };
  const Case cases[] = {
      {"record lock", Thrown(db::EngineError(db::ErrRecordLocked, "Record locked by another user.")),
       ErrorSeverity::Warning, "db::EngineError", "Record locked by another user."},
      {"other engine error", Thrown(db::EngineError(db::ErrKeyViolation, "Key violation.")),
       ErrorSeverity::Serious, "db::EngineError", "Key violation."},
      {"out of memory", Thrown(std::bad_alloc()), ErrorSeverity::Serious, "std::bad_alloc", "std::bad_alloc"},
      {"input/output", Thrown(std::system_error(std::make_error_code(std::errc::io_error), "Reading the file")),
       ErrorSeverity::Serious, "std::system_error", ""},
      {"conversion", Thrown(ConversionError("3/33/2001 is not a valid date.")), ErrorSeverity::Warning,
       "ConversionError", "3/33/2001 is not a valid date."},
      {"other exception", Thrown(std::out_of_range("List index out of bounds (5)")), ErrorSeverity::Warning,
       "std::out_of_range", "List index out of bounds (5)"},
      {"no exception object", Thrown(42), ErrorSeverity::Serious, "", "Unknown Error"},
      {"no error at all", nullptr, ErrorSeverity::Serious, "", "Unknown Error"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    const ErrorDetails details = DescribeError(c.error);
    EXPECT_EQ(details.severity, c.severity);
    EXPECT_EQ(details.className, c.className);
    if (!c.description.isEmpty())
      EXPECT_EQ(details.description, c.description);
    else
      EXPECT_TRUE(details.description.startsWith("Reading the file")) << details.description.toStdString();
  }
}

TEST(ErrorReportTest, OnlyTheSilentStopIsSilent) {
  EXPECT_TRUE(IsSilentStop(Thrown(OperationAborted())));
  EXPECT_FALSE(IsSilentStop(Thrown(std::runtime_error("x"))));
  EXPECT_FALSE(IsSilentStop(nullptr));
}

TEST(ErrorReportTest, PresentationBySeverity) {
  const ErrorPresentation serious = PresentError({"db::EngineError", "Disk full.", ErrorSeverity::Serious});
  EXPECT_EQ(serious.caption, "Application Error");
  EXPECT_EQ(serious.label, "The following serious error has occurred:");
  EXPECT_EQ(serious.description, "Disk full.\nIt is recommended that you click Exit to close the application.");
  EXPECT_TRUE(serious.exitOffered);
  EXPECT_EQ(serious.sound, BeepKind::Hand);

  const ErrorPresentation warning = PresentError({"db::EngineError", "Record locked by another user.",
                                                  ErrorSeverity::Warning});
  EXPECT_EQ(warning.caption, "Warning");
  EXPECT_EQ(warning.label, "Please correct the following, if possible:");
  EXPECT_EQ(warning.description, "Record locked by another user.");
  EXPECT_FALSE(warning.exitOffered);
  EXPECT_EQ(warning.sound, BeepKind::Exclamation);
}

TEST(ErrorReportTest, FileNameIsMonthDayTwoDigitYear) {
  EXPECT_EQ(ErrorReportFileName(QDate(2002, 3, 15)), "ER031502.TXT");
  EXPECT_EQ(ErrorReportFileName(QDate(2010, 11, 5)), "ER110510.TXT");
}

class ErrorReportFileTest : public ::testing::Test {
protected:
  QTemporaryDir dir;
  const std::vector<CallTraceEntry> trace{
      {"faultbk", "Main"},
      {"bugmain", "TMainForm.DefectGridDblClick"},
      {"averylongunitname", "TDefectInfoForm.OKBtnClickWithAVeryLongName"},
  };
  const ErrorReportEnvironment environment{"", "jsmith", 3, "/srv/faultbook", "/tmp/LKS_Priv"};
  const ErrorDetails details{"db::EngineError", "Key violation.", ErrorSeverity::Serious};
};

TEST_F(ErrorReportFileTest, LinesInTheirOrder) {
  RegistryStore store(dir.filePath("registry.txt"));
  const QString product = "\\Software\\Larkspur, Inc.\\Faultbook";
  store.openKey(product, true)->writeString("User ID", "jsmith");
  store.openKey(product + "\\Display", true)->writeInteger("Last X-Pos", -12);
  store.openKey(product + "\\Display", true)->writeString("Last Product", "Widgets");

  const QStringList lines = ErrorReportLines(details, trace, environment, RegistryDumpLines(store, product),
                                             QDateTime(QDate(2000, 3, 15), QTime(14, 5)));
  const QString equals(60, '=');
  const QStringList expected = {
      equals,
      "               E R R O R    R E P O R T    L O G            ",
      equals,
      "",
      equals,
      "ENVIRONMENT INFORMATION:",
      equals,
      "",
      "Version:       ",
      "User ID:       jsmith",
      "Active Users:  3",
      "Database Path: /srv/faultbook",
      "Temp Path:     /tmp/LKS_Priv",
      "OS Version:    " + OperatingSystemName(),
      "",
      equals,
      "ERROR INFORMATION:",
      equals,
      "An application error occurred on:",
      "Wednesday, March 15, 2000, at 2:05 PM",
      "",
      "Error Class:       db::EngineError",
      "Error Description: Key violation.",
      "",
      "Call Stack:",
      "MODULE       ROUTINE",
      "----------   ------------------------------------------",
      "averylongu   TDefectInfoForm.OKBtnClickWithAVeryLongName",
      "bugmain      TMainForm.DefectGridDblClick",
      "faultbk      Main",
      "",
      equals,
      "PROGRAM REGISTRY SETTINGS:",
      equals,
      "[\\Software\\Larkspur, Inc.\\Faultbook]",
      "    User ID = \"jsmith\"",
      "[\\Software\\Larkspur, Inc.\\Faultbook\\Display]",
      "    Last X-Pos = \"-12\"",
      "    Last Product = \"Widgets\"",
  };
  EXPECT_EQ(lines, expected);
  EXPECT_EQ(expected[1].size(), 60);
  // The OS line names this system and its version.
  EXPECT_TRUE(OperatingSystemName().contains(QSysInfo::prettyProductName()));
  EXPECT_TRUE(OperatingSystemName().contains(QSysInfo::kernelVersion()));
}

TEST_F(ErrorReportFileTest, WrittenIntoTheDirectoryUnderTodaysName) {
  FixedClock clock(QDateTime(QDate(2002, 3, 15), QTime(9, 0)));
  QString error;
  const QString path = WriteErrorReportFile(dir.path(), {"first", "second"}, &error);
  EXPECT_EQ(path, dir.filePath("ER031502.TXT")) << error.toStdString();
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), "first\nsecond\n");

  EXPECT_EQ(WriteErrorReportFile(dir.filePath("missing"), {"x"}, &error), "");
  EXPECT_TRUE(error.contains("ER031502.TXT")) << error.toStdString();
}

}  // namespace
