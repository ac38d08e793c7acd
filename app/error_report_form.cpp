#include "app/error_report_form.h"

#include "app/base/debug_log.h"
#include "app/faultbook_application.h"
#include "app/startup.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include <cstdio>

namespace {

constexpr int CompactHeight = 196;
constexpr int ExpandedHeight = 465;

std::function<void()> &busyNoticeCloser() {
  static std::function<void()> close;
  return close;
}

// After Exit no further report is shown: errors while the program ends only go to the
// log and the terminal.
void ReportWhileEnding(std::exception_ptr error) {
  const ErrorDetails details = DescribeError(error);
  DebugLog(QStringLiteral("Error while closing: ") + details.description);
  std::fprintf(stderr, "faultbk: %s\n", qPrintable(details.description));
}

}  // namespace

TErrorForm::TErrorForm(const ErrorDetails &details, std::vector<CallTraceEntry> trace, QWidget *parent)
    : QDialog(parent), details_(details), trace_(std::move(trace)) {
  TRACE_ROUTINE("errorform", "TErrorForm.FormCreate");
  setWindowTitle(QStringLiteral("Faultbook Error"));
  ErrorImage = new QLabel;
  DescriptionLabel = new QLabel(QStringLiteral("Description:"));
  DescriptionMemo = new QPlainTextEdit;
  DescriptionMemo->setReadOnly(true);
  DescriptionMemo->setMaximumHeight(150);  // expanding gives the room to the call stack
  ContinueBtn = new QPushButton(QStringLiteral("&Continue"));
  ExitBtn = new QPushButton(QStringLiteral("&Exit"));
  DetailsBtn = new QPushButton(QStringLiteral("&Details >>"));
  MailBtn = new QPushButton(QStringLiteral("&Mail..."));
  MailBtn->setEnabled(false);  // mailing a report comes with the mail system
  CallStackGrid = new QTableWidget;
  CallStackGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  CallStackGrid->verticalHeader()->hide();
  CallStackGrid->verticalHeader()->setDefaultSectionSize(CallStackGrid->fontMetrics().height() + 6);
  CallStackGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  CallStackGrid->horizontalHeader()->setStretchLastSection(true);
  ContinueBtn->setObjectName(QStringLiteral("ContinueBtn"));
  ExitBtn->setObjectName(QStringLiteral("ExitBtn"));
  DetailsBtn->setObjectName(QStringLiteral("DetailsBtn"));
  MailBtn->setObjectName(QStringLiteral("MailBtn"));
  CallStackGrid->setObjectName(QStringLiteral("CallStackGrid"));
  DescriptionMemo->setObjectName(QStringLiteral("DescriptionMemo"));
  DescriptionLabel->setObjectName(QStringLiteral("DescriptionLabel"));

  auto *text = new QVBoxLayout;
  text->addWidget(DescriptionLabel);
  text->addWidget(DescriptionMemo);
  auto *buttons = new QVBoxLayout;
  for (auto *button : {ContinueBtn, ExitBtn, DetailsBtn, MailBtn})
    buttons->addWidget(button);
  buttons->addStretch();
  auto *top = new QHBoxLayout;
  top->addWidget(ErrorImage, 0, Qt::AlignTop);
  top->addLayout(text, 1);
  top->addLayout(buttons);

  DetailsPanel = new QWidget;
  auto *callStack = new QVBoxLayout(DetailsPanel);
  callStack->setContentsMargins(0, 0, 0, 0);
  callStack->addWidget(new QLabel(QStringLiteral("Call Stack:")));
  callStack->addWidget(CallStackGrid);

  auto *layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addWidget(DetailsPanel, 1);

  connect(ContinueBtn, &QPushButton::clicked, this, &QDialog::reject);
  connect(ExitBtn, &QPushButton::clicked, this, [this] { ExitBtnClick(); });
  connect(DetailsBtn, &QPushButton::clicked, this, [this] { DetailsBtnClick(); });
  resize(520, CompactHeight);
  SetCompact(true);
}

bool TErrorForm::detailsShown() const {
  return !DetailsPanel->isHidden();
}

void TErrorForm::showEvent(QShowEvent *event) {
  TRACE_ROUTINE("errorform", "TErrorForm.showEvent");
  QDialog::showEvent(event);
  if (!event->spontaneous())
    FormActivate();
}

void TErrorForm::FormActivate() {
  TRACE_ROUTINE("errorform", "TErrorForm.FormActivate");
  if (busyNoticeCloser()) {
    try {
      busyNoticeCloser()();
    } catch (...) {  // the report matters more than the notice
    }
  }
  const ErrorPresentation shown = PresentError(details_);
  ShowCallStack(*CallStackGrid, trace_);
  setWindowTitle(shown.caption);
  DescriptionLabel->setText(shown.label);
  DescriptionMemo->setPlainText(shown.description);
  const auto icon = details_.severity == ErrorSeverity::Serious ? QStyle::SP_MessageBoxCritical
                                                                : QStyle::SP_MessageBoxWarning;
  ErrorImage->setPixmap(style()->standardIcon(icon).pixmap(32, 32));
  ExitBtn->setVisible(shown.exitOffered);
  ExitBtn->setDefault(shown.exitOffered);
  ContinueBtn->setDefault(!shown.exitOffered);
  (shown.exitOffered ? ExitBtn : ContinueBtn)->setFocus();
  Ui().beep(shown.sound);
}

void TErrorForm::SetCompact(bool compact) {
  TRACE_ROUTINE("errorform", "TErrorForm.SetCompact");
  DetailsPanel->setVisible(!compact);
  DetailsBtn->setText(compact ? QStringLiteral("&Details >>") : QStringLiteral("&Details <<"));
  resize(width(), compact ? CompactHeight : ExpandedHeight);
}

void TErrorForm::DetailsBtnClick() {
  TRACE_ROUTINE("errorform", "TErrorForm.DetailsBtnClick");
  SetCompact(detailsShown());
}

void TErrorForm::ExitBtnClick() {
  TRACE_ROUTINE("errorform", "TErrorForm.ExitBtnClick");
  exitChosen_ = true;
  SetStartupFailed();
  accept();
}

void TErrorForm::done(int result) {
  TRACE_ROUTINE("errorform", "TErrorForm.FormClose");
  CallTraceClear();
  SetCompact(true);
  QDialog::done(result);
}

void ShowCallStack(QTableWidget &grid, const std::vector<CallTraceEntry> &trace) {
  TRACE_ROUTINE("errorform", "ShowCallStack");
  grid.clear();
  grid.setColumnCount(2);
  grid.setHorizontalHeaderLabels({QStringLiteral("Module"), QStringLiteral("Routine")});
  grid.setRowCount(static_cast<int>(trace.size()));
  int row = 0;
  for (auto entry = trace.rbegin(); entry != trace.rend(); ++entry, ++row) {
    grid.setItem(row, 0, new QTableWidgetItem(entry->unit));
    grid.setItem(row, 1, new QTableWidgetItem(entry->routine));
  }
  grid.resizeColumnToContents(0);
}

void SetBusyNoticeCloser(std::function<void()> close) {
  busyNoticeCloser() = std::move(close);
}

void GlobalErrorHandler(std::exception_ptr error) {
  // The trace first: the routines traced below would replace what the error left.
  std::vector<CallTraceEntry> trace = CallTraceEntries();
  TRACE_ROUTINE("errorform", "GlobalErrorHandler");
  if (IsSilentStop(error))
    return;
  const ErrorDetails details = DescribeError(error);
  DebugLog(QStringLiteral("Error report: ") + details.description);
  TErrorForm form(details, std::move(trace), QApplication::activeWindow());
  form.exec();
  if (!form.exitChosen())
    return;
  if (auto *application = qobject_cast<FaultbookApplication *>(QCoreApplication::instance()))
    application->setUnhandledErrorHandler(ReportWhileEnding);
  QCoreApplication::quit();
  QCoreApplication::processEvents();
}
