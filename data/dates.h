#pragma once
// Dates and times as the user types them and as statements write them. Typed dates
// follow the user's short date pattern, with four-digit years; statements carry dates
// as m/d/yyyy whatever the user's pattern is.

#include <QDate>
#include <QString>

namespace db {
class Table;
}

// The user's short date pattern widened from "yy" to "yyyy", and short time pattern:
// the system locale's, unless FixedUserFormats is in force. Month and day names and
// the AM/PM texts are always the system locale's.
QString ShortDateFormat();
QString ShortTimeFormat();

// Puts the given patterns in place of the system's for its lifetime ("M/d/yy" for a
// month-first system, "M-d-yyyy" for one whose date separator is a dash).
class FixedUserFormats {
public:
  explicit FixedUserFormats(const QString &shortDate, const QString &shortTime = QStringLiteral("h:mm AP"));
  ~FixedUserFormats();
  FixedUserFormats(const FixedUserFormats &) = delete;
  FixedUserFormats &operator=(const FixedUserFormats &) = delete;

private:
  QString previousDate_;
  QString previousTime_;
};

// The date typed: empty text gives no date (an invalid QDate). Read with the user's
// short date pattern, else in a general form (yyyy-mm-dd, or the pattern's order with
// any of the separators / - . and blanks). A year of at most two digits is folded into
// the hundred years from 49 before to 50 after the current year. ConversionError
// "<text> is not a valid date." when neither reading succeeds.
QDate TranslateDate(const QString &text);

// The number of digits of the year part: those at the start of the text when the
// user's pattern begins with the year, else those at its end.
int DateYearLength(const QString &text);

// The typed date as a statement writes it, "3/4/2001"; empty stays empty.
QString MakeSQLDate(const QString &text);

// Blank text clears the field; else it gets TranslateDate(text) (whose error passes).
void SetDateField(db::Table &table, const QString &field, const QString &text);

// The typed time in the user's short time format; empty stays empty. A text that is
// no time throws OperationAborted: the step in progress stops without a message.
QString ToShortTime(const QString &text);
