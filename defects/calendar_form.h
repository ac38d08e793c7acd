#pragma once
// The date picker that every date edit offers through a small button.

#include <QDate>
#include <QDialog>

class QCalendarWidget;
class QLabel;
class QLineEdit;

class TCalendarForm : public QDialog {
  Q_OBJECT

public:
  explicit TCalendarForm(const QDate &start, QWidget *parent = nullptr);
  QDate selectedDate() const;
  void step(int months);  // the four buttons: -12, -1, +1, +12

private:
  void ShowMonth();

  QCalendarWidget *Calendar;
  QLabel *MonthLabel;
};

// Opens the picker below the edit on the date it holds (today when none); when the
// user accepts, the edit gets the chosen date. True when accepted.
bool PickCalendarDate(QLineEdit &edit);
