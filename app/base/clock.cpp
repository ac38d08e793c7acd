#include "app/base/clock.h"

namespace {
std::function<QDateTime()> &clockSource() {
  static std::function<QDateTime()> source = [] { return QDateTime::currentDateTime(); };
  return source;
}
}  // namespace

QDateTime CurrentDateTime() {
  return clockSource()();
}

QDate CurrentDate() {
  return CurrentDateTime().date();
}

FixedClock::FixedClock(const QDateTime &now) : previous_(clockSource()) {
  clockSource() = [now] { return now; };
}

FixedClock::~FixedClock() {
  clockSource() = previous_;
}
