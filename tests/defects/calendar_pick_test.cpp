#include "app/base/clock.h"
#include "data/dates.h"
#include "defects/calendar_form.h"
#include "defects/calendar_pick.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>

#include <gtest/gtest.h>

namespace {

const QDateTime Today(QDate(2002, 3, 15), QTime(10, 0));

TEST(CalendarPickTest, StartsOnTheTypedDateOrToday) {
  FixedClock clock(Today);
  FixedUserFormats formats("M/d/yy");
  const struct {
    const char *text;
    QDate expected;
  } cases[] = {
      {"", Today.date()},
      {"   ", Today.date()},
      {"2/30/2002", Today.date()},  // no 30th of February
      {"letters", Today.date()},
      {"7/4/2001", QDate(2001, 7, 4)},
      {" 12/25/99 ", QDate(1999, 12, 25)},
  };
  for (const auto &c : cases)
    EXPECT_EQ(CalendarStartDate(c.text), c.expected) << '"' << c.text << '"';
}

TEST(CalendarPickTest, StepsKeepTheDayCutToTheMonthsEnd) {
  const struct {
    QDate from;
    int months;
    QDate expected;
  } cases[] = {
      {QDate(2001, 1, 31), 1, QDate(2001, 2, 28)},
      {QDate(2004, 1, 31), 1, QDate(2004, 2, 29)},
      {QDate(2002, 3, 31), -1, QDate(2002, 2, 28)},
      {QDate(2004, 2, 29), 12, QDate(2005, 2, 28)},
      {QDate(2002, 1, 15), -12, QDate(2001, 1, 15)},
      {QDate(2002, 12, 10), 1, QDate(2003, 1, 10)},
  };
  for (const auto &c : cases)
    EXPECT_EQ(CalendarStep(c.from, c.months), c.expected) << c.from.toString().toStdString() << " " << c.months;
}

TEST(CalendarPickTest, TextsFollowTheUsersFormatAndTheSystemsMonthNames) {
  FixedUserFormats formats("M/d/yy");
  EXPECT_EQ(CalendarDateText(QDate(2002, 3, 5)), "3/5/2002");
  EXPECT_EQ(CalendarMonthLabel(QDate(2002, 3, 5)),
            QLocale::system().standaloneMonthName(3, QLocale::LongFormat) + " 2002");
}

void PressKey(QWidget &widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &press);
}

// Runs `act` on the date picker once it shows.
void WhenPickerShows(std::function<void(TCalendarForm &)> act, bool &shown) {
  QTimer::singleShot(0, [act, &shown] {
    auto *form = qobject_cast<TCalendarForm *>(QApplication::activeModalWidget());
    if (!form) {
      ADD_FAILURE() << "No date picker was shown.";
      return;
    }
    shown = true;
    act(*form);
  });
}

TEST(CalendarFormTest, AcceptingWritesTheChosenDateCancellingLeavesTheEdit) {
  FixedClock clock(Today);
  FixedUserFormats formats("M/d/yy");
  QWidget window;
  QLineEdit edit(&window);
  edit.setText("not a date");
  window.show();

  bool shown = false;
  WhenPickerShows([](TCalendarForm &form) {
    EXPECT_EQ(form.selectedDate(), Today.date());
    EXPECT_EQ(form.windowTitle(), "Select Date");
    EXPECT_TRUE(form.windowFlags() & Qt::WindowStaysOnTopHint);
    form.findChild<QToolButton *>("NextMonthBtn")->click();
    form.findChild<QToolButton *>("NextYearBtn")->click();
    PressKey(form, Qt::Key_Return);
  }, shown);
  EXPECT_TRUE(PickCalendarDate(edit));
  EXPECT_TRUE(shown);
  EXPECT_EQ(edit.text(), "4/15/2003");

  shown = false;
  WhenPickerShows([](TCalendarForm &form) {
    EXPECT_EQ(form.selectedDate(), QDate(2003, 4, 15));
    form.findChild<QToolButton *>("PrevMonthBtn")->click();
    PressKey(form, Qt::Key_Escape);
  }, shown);
  EXPECT_FALSE(PickCalendarDate(edit));
  EXPECT_TRUE(shown);
  EXPECT_EQ(edit.text(), "4/15/2003");
}

}  // namespace
