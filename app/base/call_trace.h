#pragma once
// The call trace: the routines the program is in, innermost last. A routine records
// itself on entry and leaves on normal return only, so after an exception the trace
// still shows where it happened; the error report reads it and Continue clears it.

#include <QString>
#include <exception>
#include <vector>

struct CallTraceEntry {
  QString unit;     // unit name in lower case, "bugsubs"
  QString routine;  // "Class.Method" or "Routine"
  // Together they stay within 255 characters: the routine is cut to fit.
};

// The trace keeps at most this many entries; the oldest are dropped first.
inline constexpr int CallTraceCapacity = 32;

// Oldest first; the innermost routine is the last entry.
std::vector<CallTraceEntry> CallTraceEntries();
void CallTraceClear();

// One line at the top of a routine: TRACE_ROUTINE("bugsubs", "MakeSQL");
// The names are kept as given, not copied: pass string literals.
class CallTraceScope {
public:
  CallTraceScope(const char *unit, const char *routine);
  ~CallTraceScope();
  CallTraceScope(const CallTraceScope &) = delete;
  CallTraceScope &operator=(const CallTraceScope &) = delete;

private:
  int depth_;
  unsigned long long sequence_;
  int exceptionsAtEntry_;
};

#define TRACE_ROUTINE(unit, routine) const CallTraceScope callTraceScope_(unit, routine)
