#pragma once
// The error report window: an error that no routine handled, with the routines that
// were running when it arose. Continue goes on, Exit ends the program.

#include "app/error_report.h"

#include <QDialog>

#include <functional>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;
class QWidget;

class TErrorForm : public QDialog {
  Q_OBJECT

public:
  TErrorForm(const ErrorDetails &details, std::vector<CallTraceEntry> trace, QWidget *parent = nullptr);

  bool exitChosen() const { return exitChosen_; }
  bool detailsShown() const;

protected:
  void showEvent(QShowEvent *event) override;
  void done(int result) override;

private:
  void FormActivate();
  void DetailsBtnClick();
  void ExitBtnClick();
  void SetCompact(bool compact);

  ErrorDetails details_;
  std::vector<CallTraceEntry> trace_;
  bool exitChosen_ = false;
  QLabel *ErrorImage;
  QLabel *DescriptionLabel;
  QPlainTextEdit *DescriptionMemo;
  QWidget *DetailsPanel;
  QTableWidget *CallStackGrid;
  QPushButton *ContinueBtn;
  QPushButton *ExitBtn;
  QPushButton *DetailsBtn;
  QPushButton *MailBtn;
};

// Fills a grid with the trace, innermost routine first, under the titles "Module" and
// "Routine".
void ShowCallStack(QTableWidget &grid, const std::vector<CallTraceEntry> &trace);

// Before the report shows, a busy notice left open by the failed operation is closed;
// the program block says how.
void SetBusyNoticeCloser(std::function<void()> close);

// The handler for every error that reaches the event loop and for the start-up steps:
// shows the report (the silent stop shows nothing). Exit sets StartupFailed, stops
// further reports and asks the application to quit. It reads the call trace before
// anything else, so call it straight from where the error was caught.
void GlobalErrorHandler(std::exception_ptr error);
