#pragma once
// The working context: which product, release, program, defect and view are current,
// and how the two lists are sorted. The main window owns it (its release editor's
// current record, its grids' rows, the registry's `Display\Last Filter`); the data
// routines read it through this interface, since all of that lives above them.

#include <QString>

// A sort chosen by clicking a grid title: `Defect."Severity"`, `Program."Status"`...
struct ColumnSort {
  QString field;  // empty: no column sort
  bool ascending = true;
};

class WorkingContext {
public:
  virtual ~WorkingContext() = default;

  virtual QString curProduct() const = 0;
  virtual QString curRelease() const = 0;
  // The current defect row's program when "Show By Release" is on, the defect view is
  // active and the defect list has rows; else the current program row's.
  virtual QString curProgram() const = 0;
  virtual QString curDefect() const = 0;
  // The active view's name, empty when no view is applied.
  virtual QString curViewFilter() const = 0;
  virtual ColumnSort defectSort() const = 0;
  virtual ColumnSort programSort() const = 0;
  // The defect list shows every defect of the release instead of one program's.
  virtual bool showByRelease() const = 0;
};

// The context in force; before one is installed, an empty one (nothing current, no
// view, no column sort).
WorkingContext &Context();
// Installs a context (not owned) and returns the one it replaces; null puts back the
// empty one.
WorkingContext *InstallWorkingContext(WorkingContext *context);

QString CurProduct();
QString CurRelease();
QString CurProgram();
QString CurDefect();
QString CurViewFilter();

// A context of plain values, in force for its lifetime: for programs without a main
// window and for tests. The values may be changed while it is installed.
struct WorkingContextValues {
  QString product{};
  QString release{};
  QString program{};
  QString defect{};
  QString viewFilter{};
  ColumnSort defectSort{};
  ColumnSort programSort{};
  bool showByRelease = false;
};

class FixedWorkingContext final : public WorkingContext {
public:
  explicit FixedWorkingContext(const WorkingContextValues &initial = {});
  ~FixedWorkingContext() override;
  FixedWorkingContext(const FixedWorkingContext &) = delete;
  FixedWorkingContext &operator=(const FixedWorkingContext &) = delete;

  WorkingContextValues values;

  QString curProduct() const override { return values.product; }
  QString curRelease() const override { return values.release; }
  QString curProgram() const override { return values.program; }
  QString curDefect() const override { return values.defect; }
  QString curViewFilter() const override { return values.viewFilter; }
  ColumnSort defectSort() const override { return values.defectSort; }
  ColumnSort programSort() const override { return values.programSort; }
  bool showByRelease() const override { return values.showByRelease; }

private:
  WorkingContext *previous_;
};
