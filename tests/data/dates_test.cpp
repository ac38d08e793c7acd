// Typed dates and times: the user's pattern, the two-digit-year window, the m/d/yyyy
// form of statements.

#include "app/base/clock.h"
#include "data/conversion_errors.h"
#include "data/dates.h"

#include <QLocale>

#include <gtest/gtest.h>

namespace {

TEST(TranslateDate, TwoDigitYearsFallInTheHundredYearsAroundToday) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  FixedUserFormats monthFirst("M/d/yy");
  const struct {
    const char *typed;
    QDate expected;
  } cases[] = {
      {"3/4/99", QDate(1999, 3, 4)},  {"3/4/50", QDate(2050, 3, 4)},   {"3/4/75", QDate(1975, 3, 4)},
      {"3/4/74", QDate(2074, 3, 4)},  {"3/4/24", QDate(2024, 3, 4)},   {"3/4/0", QDate(2000, 3, 4)},
      {"2/29/00", QDate(2000, 2, 29)},
      // A four-digit year is never moved.
      {"3/4/1950", QDate(1950, 3, 4)}, {"3/4/2099", QDate(2099, 3, 4)}, {"12/31/1899", QDate(1899, 12, 31)},
      {" 03/04/2001 ", QDate(2001, 3, 4)},
  };
  for (const auto &c : cases)
    EXPECT_EQ(TranslateDate(c.typed), c.expected) << c.typed;
}

TEST(TranslateDate, TheWindowMovesWithToday) {
  FixedUserFormats monthFirst("M/d/yy");
  FixedClock clock(QDateTime(QDate(2090, 1, 1), QTime(0, 0)));
  EXPECT_EQ(TranslateDate("1/1/40"), QDate(2140, 1, 1));
  EXPECT_EQ(TranslateDate("1/1/41"), QDate(2041, 1, 1));
}

TEST(TranslateDate, FollowsTheOrderOfTheUsersPattern) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  const struct {
    const char *pattern;
    const char *typed;
    QDate expected;
  } cases[] = {
      {"dd.MM.yy", "4.3.01", QDate(2001, 3, 4)},
      {"dd/MM/yyyy", "04/03/2001", QDate(2001, 3, 4)},
      {"yyyy/MM/dd", "01/3/4", QDate(2001, 3, 4)},
      {"yyyy-MM-dd", "1999-12-31", QDate(1999, 12, 31)},
      {"M-d-yyyy", "3-4-2001", QDate(2001, 3, 4)},
  };
  for (const auto &c : cases) {
    FixedUserFormats formats(c.pattern);
    EXPECT_EQ(TranslateDate(c.typed), c.expected) << c.pattern << " " << c.typed;
  }
}

TEST(TranslateDate, MonthNamesOfTheSystemLocale) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  FixedUserFormats named("d MMM yyyy");
  const QString march = QLocale::system().monthName(3, QLocale::ShortFormat);
  EXPECT_EQ(TranslateDate("4 " + march + " 2001"), QDate(2001, 3, 4));
  EXPECT_EQ(TranslateDate("4 " + march.toUpper() + " 99"), QDate(1999, 3, 4));
  EXPECT_EQ(TranslateDate("4 3 2001"), QDate(2001, 3, 4));
}

TEST(TranslateDate, GeneralFormWhenThePatternDoesNotRead) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  FixedUserFormats monthFirst("M/d/yy");
  // An ISO date names its year first, whatever the pattern: its year is four digits.
  EXPECT_EQ(TranslateDate("1950-03-04"), QDate(1950, 3, 4));
  EXPECT_EQ(TranslateDate("2001-03-04T10:30:00"), QDate(2001, 3, 4));
  // Other separators in the pattern's order.
  EXPECT_EQ(TranslateDate("3.4.2001"), QDate(2001, 3, 4));
  EXPECT_EQ(TranslateDate("3-4-99"), QDate(1999, 3, 4));
}

TEST(TranslateDate, TextThatIsNoDateIsAConversionError) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  FixedUserFormats monthFirst("M/d/yy");
  EXPECT_FALSE(TranslateDate("").isValid());
  EXPECT_FALSE(TranslateDate("   ").isValid());
  for (const char *typed : {"3/33/2001", "2/29/2001", "13/1/2001", "3/4", "3/4/2001/5", "soon", "3/4/20011", "3//4/2001"}) {
    try {
      TranslateDate(typed);
      ADD_FAILURE() << typed;
    } catch (const ConversionError &error) {
      EXPECT_EQ(error.text(), QString(typed) + " is not a valid date.");
    }
  }
}

TEST(DateYearLength, CountsTheDigitsWhereThePatternHasTheYear) {
  {
    FixedUserFormats monthFirst("M/d/yy");
    EXPECT_EQ(DateYearLength("3/4/99"), 2);
    EXPECT_EQ(DateYearLength("3/4/2001"), 4);
    EXPECT_EQ(DateYearLength("3/4/"), 0);
  }
  FixedUserFormats yearFirst("yy/MM/dd");
  EXPECT_EQ(DateYearLength("2001/03/04"), 4);
  EXPECT_EQ(DateYearLength("1/03/04"), 1);
}

TEST(ShortDateFormat, IsWidenedToFourDigitYears) {
  {
    FixedUserFormats twoDigits("M/d/yy");
    EXPECT_EQ(ShortDateFormat(), "M/d/yyyy");
  }
  {
    FixedUserFormats fourDigits("dd.MM.yyyy");
    EXPECT_EQ(ShortDateFormat(), "dd.MM.yyyy");
  }
  EXPECT_TRUE(ShortDateFormat().contains("yyyy")) << ShortDateFormat().toStdString();  // the system's
}

TEST(MakeSQLDate, WritesMonthDayYearWithSlashes) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  {
    FixedUserFormats dashes("M-d-yyyy");
    EXPECT_EQ(MakeSQLDate("3-4-2001"), "3/4/2001");
    EXPECT_EQ(MakeSQLDate("12-31-99"), "12/31/1999");
  }
  FixedUserFormats dayFirst("dd.MM.yy");
  EXPECT_EQ(MakeSQLDate("04.03.01"), "3/4/2001");
  EXPECT_EQ(MakeSQLDate(""), "");
  EXPECT_THROW(MakeSQLDate("31.02.01"), ConversionError);
}

TEST(ToShortTime, RewritesATimeInTheUsersShortFormat) {
  FixedUserFormats formats("M/d/yy", "HH:mm");
  EXPECT_EQ(ToShortTime(""), "");
  EXPECT_EQ(ToShortTime("22:30:15"), "22:30");
  EXPECT_EQ(ToShortTime("9:05"), "09:05");
  EXPECT_EQ(ToShortTime("10:30 PM"), "22:30");
  EXPECT_THROW(ToShortTime("half past ten"), OperationAborted);
  EXPECT_THROW(ToShortTime("25:00"), OperationAborted);
}

}  // namespace
