#include "app/base/call_trace.h"

#include <deque>

namespace {

// Routines name themselves with string literals, so an entry keeps the pointers and
// the texts are made only when the error report reads the trace: recording stays cheap
// enough for the engine's per-row routines.
struct TracedEntry {
  const char *unit;
  const char *routine;
  int depth;
  unsigned long long sequence;
};

// An entry is "unit<TAB>routine" of at most this many characters.
constexpr int MaxEntryLength = 255;

// Everything runs on the user-interface thread; thread_local keeps test threads apart.
thread_local std::deque<TracedEntry> traceEntries;
thread_local int traceDepth = 0;
thread_local unsigned long long nextSequence = 0;

}  // namespace

CallTraceScope::CallTraceScope(const char *unit, const char *routine)
    : depth_(++traceDepth), sequence_(nextSequence++), exceptionsAtEntry_(std::uncaught_exceptions()) {
  // Entries at this depth or deeper belong to routines that have ended by an exception.
  // With no exception in flight, that exception was handled: they go. While one is in
  // flight (this routine runs during the unwinding) they stay for the error report.
  if (exceptionsAtEntry_ == 0)
    while (!traceEntries.empty() && traceEntries.back().depth >= depth_)
      traceEntries.pop_back();
  traceEntries.push_back({unit, routine, depth_, sequence_});
  while (traceEntries.size() > static_cast<size_t>(CallTraceCapacity))
    traceEntries.pop_front();
}

CallTraceScope::~CallTraceScope() {
  traceDepth = depth_ - 1;
  if (std::uncaught_exceptions() > exceptionsAtEntry_)
    return;  // left by an exception: stay in the trace for the error report
  // A normal return takes this routine off, with whatever the routines it called left
  // behind by exceptions it handled itself.
  while (!traceEntries.empty() && traceEntries.back().sequence >= sequence_)
    traceEntries.pop_back();
}

std::vector<CallTraceEntry> CallTraceEntries() {
  std::vector<CallTraceEntry> result;
  result.reserve(traceEntries.size());
  for (const auto &e : traceEntries) {
    QString unit = QString::fromLatin1(e.unit).toLower().left(MaxEntryLength - 1);
    QString routine = QString::fromLatin1(e.routine).left(MaxEntryLength - 1 - unit.size());
    result.push_back({std::move(unit), std::move(routine)});
  }
  return result;
}

void CallTraceClear() {
  traceEntries.clear();
}
