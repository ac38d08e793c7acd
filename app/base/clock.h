#pragma once
// "Now" for the whole program: overdue tests, history stamps, report headings, message
// times and the two-digit-year window all ask this clock, so a test can fix today.

#include <QDateTime>
#include <functional>

QDateTime CurrentDateTime();
QDate CurrentDate();

// Replaces the clock until the returned guard is destroyed.
class FixedClock {
public:
  explicit FixedClock(const QDateTime &now);
  ~FixedClock();
  FixedClock(const FixedClock &) = delete;
  FixedClock &operator=(const FixedClock &) = delete;

private:
  std::function<QDateTime()> previous_;
};
