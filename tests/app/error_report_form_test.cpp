#include "app/error_report_form.h"
#include "app/faultbook_application.h"
#include "app/startup.h"
#include "data/conversion_errors.h"
#include "data/engine.h"
#include "tests/support/scripted_ui_services.h"

#include <QCoreApplication>
#include <QEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

FaultbookApplication &App() {
  return *qobject_cast<FaultbookApplication *>(QCoreApplication::instance());
}

// An object whose event handling fails three routines deep, as a button's does.
class FailingReceiver : public QObject {
public:
  bool event(QEvent *event) override {
    if (event->type() != QEvent::User)
      return QObject::event(event);
    TRACE_ROUTINE("bugmain", "TMainForm.EditBtnClick");
    OpenEditor();
    return true;
  }
  static void OpenEditor() {
    TRACE_ROUTINE("bugdef", "TDefectInfoForm.FormShow");
    LockRecord();
  }
  static void LockRecord() {
    TRACE_ROUTINE("bugsubs", "LockDefect");
    throw db::EngineError(db::ErrRecordLocked, "Record locked by another user.");
  }
};

QStringList GridRows(const QTableWidget &grid) {
  QStringList rows;
  for (int row = 0; row < grid.rowCount(); ++row)
    rows << grid.item(row, 0)->text() + "/" + grid.item(row, 1)->text();
  return rows;
}

class ErrorReportFormTest : public ::testing::Test {
protected:
  void SetUp() override { CallTraceClear(); }
  void TearDown() override {
    App().setUnhandledErrorHandler({});
    SetStartupFailed(false);
    CallTraceClear();
  }
  // Runs `inspect` on the report window once it shows; it must close the window.
  void WhenReportShows(std::function<void(TErrorForm &)> inspect) {
    QTimer::singleShot(0, [this, inspect] {
      auto *form = qobject_cast<TErrorForm *>(QApplication::activeModalWidget());
      if (!form) {
        ADD_FAILURE() << "No error report was shown.";
        return;
      }
      reportShown = true;
      inspect(*form);
    });
  }
  ScriptedUiServices ui;
  UiServicesInstaller installer{ui};
  bool reportShown = false;
};

TEST_F(ErrorReportFormTest, ErrorFromAnEventHandlerShowsItsRoutinesAndContinueClearsThem) {
  App().setUnhandledErrorHandler(GlobalErrorHandler);
  WhenReportShows([](TErrorForm &form) {
    EXPECT_EQ(form.windowTitle(), "Warning");
    EXPECT_EQ(form.findChild<QPlainTextEdit *>("DescriptionMemo")->toPlainText(), "Record locked by another user.");
    EXPECT_EQ(GridRows(*form.findChild<QTableWidget *>("CallStackGrid")),
              QStringList({"bugsubs/LockDefect", "bugdef/TDefectInfoForm.FormShow", "bugmain/TMainForm.EditBtnClick"}));
    // A record lock is a warning: no Exit.
    EXPECT_TRUE(form.findChild<QPushButton *>("ExitBtn")->isHidden());
    EXPECT_FALSE(form.findChild<QPushButton *>("MailBtn")->isEnabled());
    form.findChild<QPushButton *>("ContinueBtn")->click();
  });
  FailingReceiver receiver;
  QEvent event(QEvent::User);
  EXPECT_FALSE(QCoreApplication::sendEvent(&receiver, &event));
  EXPECT_TRUE(reportShown);
  EXPECT_TRUE(CallTraceEntries().empty());
  EXPECT_FALSE(StartupFailed());
  EXPECT_EQ(ui.beeps(), std::vector<BeepKind>({BeepKind::Exclamation}));

  // The next error shows only the routines running then.
  WhenReportShows([](TErrorForm &form) {
    EXPECT_EQ(GridRows(*form.findChild<QTableWidget *>("CallStackGrid")), QStringList({"bugsubs/LockDefect"}));
    form.reject();
  });
  try {
    FailingReceiver::LockRecord();
  } catch (...) {
    GlobalErrorHandler(std::current_exception());
  }
  EXPECT_TRUE(reportShown);
}

TEST_F(ErrorReportFormTest, SeriousErrorOffersExitWhichEndsTheRun) {
  App().setUnhandledErrorHandler(GlobalErrorHandler);
  WhenReportShows([](TErrorForm &form) {
    EXPECT_EQ(form.windowTitle(), "Application Error");
    auto *exit = form.findChild<QPushButton *>("ExitBtn");
    EXPECT_FALSE(exit->isHidden());
    EXPECT_TRUE(exit->isDefault());
    exit->click();
  });
  try {
    TRACE_ROUTINE("bugsubs", "CopyDefect");
    throw db::EngineError(db::ErrKeyViolation, "Key violation.");
  } catch (...) {
    GlobalErrorHandler(std::current_exception());
  }
  EXPECT_TRUE(reportShown);
  EXPECT_TRUE(StartupFailed());
  EXPECT_EQ(ui.beeps(), std::vector<BeepKind>({BeepKind::Hand}));

  // After Exit errors no longer open a report while the program ends.
  reportShown = false;
  FailingReceiver receiver;
  QEvent event(QEvent::User);
  QCoreApplication::sendEvent(&receiver, &event);
  EXPECT_FALSE(reportShown);
}

TEST_F(ErrorReportFormTest, DetailsTogglesTheCallStackAndClosingMakesItCompact) {
  TErrorForm form({"std::runtime_error", "x", ErrorSeverity::Warning}, {{"bugmain", "Outer"}});
  form.show();
  auto *details = form.findChild<QPushButton *>("DetailsBtn");
  EXPECT_FALSE(form.detailsShown());
  EXPECT_EQ(details->text(), "&Details >>");
  details->click();
  EXPECT_TRUE(form.detailsShown());
  EXPECT_EQ(details->text(), "&Details <<");
  const int expandedHeight = form.height();
  details->click();
  EXPECT_FALSE(form.detailsShown());
  EXPECT_LT(form.height(), expandedHeight);
  details->click();
  form.reject();
  EXPECT_FALSE(form.detailsShown());
}

TEST_F(ErrorReportFormTest, SilentStopShowsNothingAndTheBusyNoticeIsClosedFirst) {
  GlobalErrorHandler(std::make_exception_ptr(OperationAborted()));
  EXPECT_TRUE(ui.beeps().empty());

  bool noticeClosed = false;
  SetBusyNoticeCloser([&] { noticeClosed = true; });
  WhenReportShows([&](TErrorForm &form) {
    EXPECT_TRUE(noticeClosed);
    form.reject();
  });
  GlobalErrorHandler(std::make_exception_ptr(std::runtime_error("Printing failed.")));
  SetBusyNoticeCloser({});
  EXPECT_TRUE(reportShown);
}

}  // namespace
