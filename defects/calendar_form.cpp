#include "defects/calendar_form.h"

#include "app/base/call_trace.h"
#include "defects/calendar_pick.h"
#include "defects/dialog_placement.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TCalendarForm::TCalendarForm(const QDate &start, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  TRACE_ROUTINE("calendar", "TCalendarForm.FormCreate");
  setWindowTitle(QStringLiteral("Select Date"));
  Calendar = new QCalendarWidget;
  Calendar->setObjectName(QStringLiteral("Calendar"));
  Calendar->setNavigationBarVisible(false);
  Calendar->setFirstDayOfWeek(Qt::Sunday);
  Calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
  Calendar->setSelectedDate(start);
  MonthLabel = new QLabel;
  MonthLabel->setObjectName(QStringLiteral("MonthLabel"));
  MonthLabel->setAlignment(Qt::AlignCenter);

  auto *navigation = new QHBoxLayout;
  const struct {
    const char *text;
    const char *name;
    int months;
  } steps[] = {{"<<", "PrevYearBtn", -12}, {"<", "PrevMonthBtn", -1}, {">", "NextMonthBtn", 1}, {">>", "NextYearBtn", 12}};
  for (const auto &s : steps) {
    auto *button = new QToolButton;
    button->setText(QString::fromLatin1(s.text));
    button->setObjectName(QString::fromLatin1(s.name));
    connect(button, &QToolButton::clicked, this, [this, months = s.months] { step(months); });
    if (s.months == 1)
      navigation->addWidget(MonthLabel, 1);
    navigation->addWidget(button);
  }

  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  // A double-click on a day, or Enter in the grid, accepts.
  connect(Calendar, &QCalendarWidget::activated, this, &QDialog::accept);
  connect(Calendar, &QCalendarWidget::currentPageChanged, this, [this] { ShowMonth(); });
  connect(Calendar, &QCalendarWidget::selectionChanged, this, [this] { ShowMonth(); });

  auto *frame = new QVBoxLayout(this);
  frame->addLayout(navigation);
  frame->addWidget(Calendar);
  frame->addWidget(buttons);
  ShowMonth();
}

QDate TCalendarForm::selectedDate() const {
  return Calendar->selectedDate();
}

void TCalendarForm::step(int months) {
  TRACE_ROUTINE("calendar", "TCalendarForm.StepBtnClick");
  const QDate moved = CalendarStep(Calendar->selectedDate(), months);
  Calendar->setSelectedDate(moved);
  Calendar->setCurrentPage(moved.year(), moved.month());
}

void TCalendarForm::ShowMonth() {
  TRACE_ROUTINE("calendar", "TCalendarForm.ShowMonth");
  MonthLabel->setText(CalendarMonthLabel(QDate(Calendar->yearShown(), Calendar->monthShown(), 1)));
}

bool PickCalendarDate(QLineEdit &edit) {
  TRACE_ROUTINE("calendar", "PickCalendarDate");
  TCalendarForm form(CalendarStartDate(edit.text()), &edit);
  form.adjustSize();
  const QRect editOnScreen(edit.mapToGlobal(QPoint(0, 0)), edit.size());
  form.move(BelowRightAligned(editOnScreen, form.size()));
  if (form.exec() != QDialog::Accepted)
    return false;
  edit.setText(CalendarDateText(form.selectedDate()));
  return true;
}
