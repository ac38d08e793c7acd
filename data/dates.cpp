#include "data/dates.h"

#include "app/base/call_trace.h"
#include "app/base/clock.h"
#include "data/conversion_errors.h"
#include "data/engine.h"

#include <QLocale>
#include <QRegularExpression>
#include <QTime>

#include <optional>
#include <vector>

namespace {

// Empty: the system locale's pattern.
QString fixedShortDate;
QString fixedShortTime;

enum class DateField { Day, Month, MonthName, DayName, Year };

// A short date pattern read as its fields in order; the text between two fields is
// their separator.
struct DatePattern {
  std::vector<DateField> fields;
  QStringList separators;  // separators[i] stands before fields[i + 1]
};

DatePattern ReadPattern(const QString &pattern) {
  DatePattern result;
  QString separator;
  for (int i = 0; i < pattern.size();) {
    const QChar c = pattern[i];
    if (c == u'd' || c == u'M' || c == u'y') {
      int run = 1;
      while (i + run < pattern.size() && pattern[i + run] == c)
        ++run;
      DateField field = c == u'y' ? DateField::Year
                        : c == u'M' ? (run > 2 ? DateField::MonthName : DateField::Month)
                                    : (run > 2 ? DateField::DayName : DateField::Day);
      if (!result.fields.empty())
        result.separators << separator;
      separator.clear();
      result.fields.push_back(field);
      i += run;
    } else {
      if (c != u'\'')
        separator += c;
      ++i;
    }
  }
  return result;
}

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
  int yearDigits = 0;
};

// Strict: the separators must be the pattern's. Loose: one of / - . , or blanks.
enum class SeparatorRule { Strict, Loose };

class DateScanner {
public:
  explicit DateScanner(const QString &text) : text_(text) {}

  bool atEnd() {
    skipBlanks();
    return pos_ == text_.size();
  }

  bool separator(const QString &patternSeparator, SeparatorRule rule) {
    const int start = pos_;
    skipBlanks();
    if (rule == SeparatorRule::Loose) {
      if (pos_ < text_.size() && QStringLiteral("/-.,").contains(text_[pos_])) {
        ++pos_;
        skipBlanks();
      }
      return pos_ > start || boundary();
    }
    const QString wanted = patternSeparator.trimmed();
    if (!wanted.isEmpty()) {
      if (!QStringView(text_).mid(pos_).startsWith(wanted))
        return false;
      pos_ += wanted.size();
      skipBlanks();
    }
    return pos_ > start || boundary();
  }

  std::optional<int> number(int maxDigits, int *digits = nullptr) {
    int count = 0;
    int value = 0;
    while (pos_ < text_.size() && count < maxDigits && text_[pos_].isDigit()) {
      value = value * 10 + text_[pos_].digitValue();
      ++pos_;
      ++count;
    }
    if (count == 0 || (pos_ < text_.size() && text_[pos_].isDigit()))
      return std::nullopt;
    if (digits)
      *digits = count;
    return value;
  }

  QString word() {
    const int start = pos_;
    while (pos_ < text_.size() && text_[pos_].isLetter())
      ++pos_;
    return text_.mid(start, pos_ - start);
  }

  bool nextIsDigit() const { return pos_ < text_.size() && text_[pos_].isDigit(); }

private:
  void skipBlanks() {
    while (pos_ < text_.size() && text_[pos_].isSpace())
      ++pos_;
  }
  // Two fields may touch where a number meets a name ("3Apr2001").
  bool boundary() const {
    return pos_ > 0 && pos_ < text_.size() && text_[pos_ - 1].isDigit() != text_[pos_].isDigit();
  }

  const QString &text_;
  int pos_ = 0;
};

std::optional<int> MonthFromName(const QString &name) {
  if (name.isEmpty())
    return std::nullopt;
  const QLocale locale = QLocale::system();
  for (int month = 1; month <= 12; ++month)
    for (QLocale::FormatType format : {QLocale::LongFormat, QLocale::ShortFormat})
      if (name.compare(locale.monthName(month, format), Qt::CaseInsensitive) == 0 ||
          name.compare(locale.standaloneMonthName(month, format), Qt::CaseInsensitive) == 0)
        return month;
  return std::nullopt;
}

std::optional<DateParts> ScanDate(const QString &text, const DatePattern &pattern, SeparatorRule rule) {
  DateScanner scanner(text);
  DateParts parts;
  bool haveDay = false, haveMonth = false, haveYear = false;
  for (size_t i = 0; i < pattern.fields.size(); ++i) {
    if (i > 0 && !scanner.separator(pattern.separators[int(i) - 1], rule))
      return std::nullopt;
    switch (pattern.fields[i]) {
    case DateField::Day: {
      auto day = scanner.number(2);
      if (!day)
        return std::nullopt;
      parts.day = *day;
      haveDay = true;
      break;
    }
    case DateField::Month:
    case DateField::MonthName: {
      auto month = scanner.nextIsDigit() ? scanner.number(2) : MonthFromName(scanner.word());
      if (!month)
        return std::nullopt;
      parts.month = *month;
      haveMonth = true;
      break;
    }
    case DateField::DayName:
      if (scanner.word().isEmpty())
        return std::nullopt;
      break;
    case DateField::Year: {
      auto year = scanner.number(4, &parts.yearDigits);
      if (!year)
        return std::nullopt;
      parts.year = *year;
      haveYear = true;
      break;
    }
    }
  }
  if (!haveDay || !haveMonth || !haveYear || !scanner.atEnd())
    return std::nullopt;
  return parts;
}

// The general form: ISO yyyy-mm-dd (a time after it is ignored), or the user's order
// with loose separators.
std::optional<DateParts> ScanGeneralDate(const QString &text, const DatePattern &pattern) {
  static const QRegularExpression iso(
      QStringLiteral("^(\\d{4})-(\\d{1,2})-(\\d{1,2})(?:[T ]\\d{1,2}:\\d{2}(?::\\d{2}(?:\\.\\d+)?)?)?$"));
  const auto match = iso.match(text);
  if (match.hasMatch())
    return DateParts{match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt(), 4};
  return ScanDate(text, pattern, SeparatorRule::Loose);
}

// The year of the window [current year - 49, current year + 50] that ends in the two
// digits typed, whichever century a first reading gave them.
int FoldTwoDigitYear(int year) {
  const int first = CurrentDate().year() - 49;
  return first + ((year % 100 - first % 100) % 100 + 100) % 100;
}

QDate DateFromParts(DateParts parts, int yearLength) {
  if (yearLength <= 2)
    parts.year = FoldTwoDigitYear(parts.year);
  return QDate(parts.year, parts.month, parts.day);  // invalid for 2/30 and the like
}

}  // namespace

QString ShortDateFormat() {
  TRACE_ROUTINE("bugsubs", "ShortDateFormat");
  QString pattern = fixedShortDate.isEmpty() ? QLocale::system().dateFormat(QLocale::ShortFormat) : fixedShortDate;
  if (!pattern.contains(QLatin1String("yyyy")))
    pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
  return pattern;
}

QString ShortTimeFormat() {
  TRACE_ROUTINE("bugsubs", "ShortTimeFormat");
  return fixedShortTime.isEmpty() ? QLocale::system().timeFormat(QLocale::ShortFormat) : fixedShortTime;
}

FixedUserFormats::FixedUserFormats(const QString &shortDate, const QString &shortTime)
    : previousDate_(fixedShortDate), previousTime_(fixedShortTime) {
  fixedShortDate = shortDate;
  fixedShortTime = shortTime;
}

FixedUserFormats::~FixedUserFormats() {
  fixedShortDate = previousDate_;
  fixedShortTime = previousTime_;
}

QDate TranslateDate(const QString &typed) {
  TRACE_ROUTINE("bugsubs", "TranslateDate");
  const QString text = typed.trimmed();
  if (text.isEmpty())
    return {};
  const DatePattern pattern = ReadPattern(ShortDateFormat());
  QDate date;
  if (auto parts = ScanDate(text, pattern, SeparatorRule::Strict))
    date = DateFromParts(*parts, DateYearLength(text));
  // The general form says itself how many digits its year has (an ISO date begins
  // with its year whatever the user's pattern).
  if (!date.isValid())
    if (auto parts = ScanGeneralDate(text, pattern))
      date = DateFromParts(*parts, parts->yearDigits);
  if (!date.isValid())
    throw ConversionError(typed + QStringLiteral(" is not a valid date."));
  return date;
}

int DateYearLength(const QString &text) {
  TRACE_ROUTINE("bugsubs", "DateYearLength");
  int digits = 0;
  if (ShortDateFormat().startsWith(u'y')) {
    while (digits < text.size() && text[digits].isDigit())
      ++digits;
  } else {
    while (digits < text.size() && text[text.size() - 1 - digits].isDigit())
      ++digits;
  }
  return digits;
}

QString MakeSQLDate(const QString &text) {
  TRACE_ROUTINE("bugsubs", "MakeSQLDate");
  if (text.isEmpty())
    return {};
  return TranslateDate(text).toString(QStringLiteral("M/d/yyyy"));
}

void SetDateField(db::Table &table, const QString &field, const QString &text) {
  TRACE_ROUTINE("bugsubs", "SetDateField");
  if (text.trimmed().isEmpty())
    table.setValue(field, QVariant());
  else
    table.setValue(field, TranslateDate(text));
}

QString ToShortTime(const QString &typed) {
  TRACE_ROUTINE("bugsubs", "ToShortTime");
  const QString text = typed.trimmed();
  if (text.isEmpty())
    return {};
  const QLocale locale = QLocale::system();
  const QStringList patterns{ShortTimeFormat(), locale.timeFormat(QLocale::LongFormat),
                             QStringLiteral("H:mm:ss"), QStringLiteral("H:mm"),
                             QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mm AP")};
  for (const QString &pattern : patterns) {
    const QTime time = locale.toTime(text, pattern);
    if (time.isValid())
      return locale.toString(time, ShortTimeFormat());
  }
  throw OperationAborted();
}
