#include "data/working_context.h"

#include "app/base/call_trace.h"

namespace {

class EmptyWorkingContext final : public WorkingContext {
public:
  QString curProduct() const override { return {}; }
  QString curRelease() const override { return {}; }
  QString curProgram() const override { return {}; }
  QString curDefect() const override { return {}; }
  QString curViewFilter() const override { return {}; }
  ColumnSort defectSort() const override { return {}; }
  ColumnSort programSort() const override { return {}; }
  bool showByRelease() const override { return false; }
};

EmptyWorkingContext emptyContext;
WorkingContext *currentContext = &emptyContext;

}  // namespace

WorkingContext &Context() {
  return *currentContext;
}

WorkingContext *InstallWorkingContext(WorkingContext *context) {
  WorkingContext *previous = currentContext;
  currentContext = context ? context : &emptyContext;
  return previous == &emptyContext ? nullptr : previous;
}

QString CurProduct() {
  TRACE_ROUTINE("bugsubs", "CurProduct");
  return Context().curProduct();
}

QString CurRelease() {
  TRACE_ROUTINE("bugsubs", "CurRelease");
  return Context().curRelease();
}

QString CurProgram() {
  TRACE_ROUTINE("bugsubs", "CurProgram");
  return Context().curProgram();
}

QString CurDefect() {
  TRACE_ROUTINE("bugsubs", "CurDefect");
  return Context().curDefect();
}

QString CurViewFilter() {
  TRACE_ROUTINE("bugsubs", "CurViewFilter");
  return Context().curViewFilter();
}

FixedWorkingContext::FixedWorkingContext(const WorkingContextValues &initial)
    : values(initial), previous_(InstallWorkingContext(this)) {}

FixedWorkingContext::~FixedWorkingContext() {
  InstallWorkingContext(previous_);
}
