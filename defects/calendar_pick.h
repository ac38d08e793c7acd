#pragma once
// What the date picker works out: the day it opens on, the moves between months and
// years, and the texts it shows and writes back.

#include <QDate>
#include <QString>

// The date typed in an edit, read as every typed date is; today when the text is
// blank or no date.
QDate CalendarStartDate(const QString &editText);

// The same day `months` months on (back when negative), cut to the last day of a
// shorter month; a year is twelve months.
QDate CalendarStep(const QDate &date, int months);

// "March 2002": the system's full name of the month, a blank and the year.
QString CalendarMonthLabel(const QDate &date);

// The chosen date as the edit shows it: the user's short date format.
QString CalendarDateText(const QDate &date);
