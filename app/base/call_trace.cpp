#include "app/base/call_trace.h"

#include <deque>

namespace {

struct TracedEntry {
  CallTraceEntry entry;
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
  QString module = QString::fromLatin1(unit).toLower().left(MaxEntryLength - 1);
  QString name = QString::fromLatin1(routine).left(MaxEntryLength - 1 - module.size());
  traceEntries.push_back({{std::move(module), std::move(name)}, depth_, sequence_});
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
  for (const auto &e : traceEntries)
    result.push_back(e.entry);
  return result;
}

void CallTraceClear() {
  traceEntries.clear();
}
