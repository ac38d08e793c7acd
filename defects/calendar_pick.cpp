#include "defects/calendar_pick.h"

#include "app/base/call_trace.h"
#include "app/base/clock.h"
#include "data/conversion_errors.h"
#include "data/dates.h"

#include <QLocale>

QDate CalendarStartDate(const QString &editText) {
  TRACE_ROUTINE("calendar", "CalendarStartDate");
  if (editText.trimmed().isEmpty())
    return CurrentDate();
  try {
    const QDate typed = TranslateDate(editText.trimmed());
    return typed.isValid() ? typed : CurrentDate();
  } catch (const ConversionError &) {
    return CurrentDate();
  }
}

QDate CalendarStep(const QDate &date, int months) {
  TRACE_ROUTINE("calendar", "CalendarStep");
  return date.addMonths(months);
}

QString CalendarMonthLabel(const QDate &date) {
  TRACE_ROUTINE("calendar", "CalendarMonthLabel");
  return QLocale::system().standaloneMonthName(date.month(), QLocale::LongFormat) + QLatin1Char(' ') +
         QString::number(date.year());
}

QString CalendarDateText(const QDate &date) {
  TRACE_ROUTINE("calendar", "CalendarDateText");
  return QLocale::system().toString(date, ShortDateFormat());
}
