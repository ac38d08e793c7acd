#include "app/base/call_trace.h"

#include <algorithm>
#include <deque>

namespace {

struct TracedEntry {
  CallTraceEntry entry;
  int depth;
};

// Everything runs on the user-interface thread; thread_local keeps test threads apart.
thread_local std::deque<TracedEntry> traceEntries;
thread_local int traceDepth = 0;

}  // namespace

CallTraceScope::CallTraceScope(const char *unit, const char *routine)
    : depth_(++traceDepth), exceptionsAtEntry_(std::uncaught_exceptions()) {
  traceEntries.push_back({{QString::fromLatin1(unit), QString::fromLatin1(routine)}, depth_});
  while (traceEntries.size() > static_cast<size_t>(CallTraceCapacity))
    traceEntries.pop_front();
}

CallTraceScope::~CallTraceScope() {
  traceDepth = depth_ - 1;
  if (std::uncaught_exceptions() > exceptionsAtEntry_)
    return;  // left by an exception: stay in the trace for the error report
  // A normal return also drops what routines below this one left behind by an
  // exception that this routine handled itself.
  while (!traceEntries.empty() && traceEntries.back().depth >= depth_)
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
