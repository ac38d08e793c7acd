#include "data/data_access.h"

#include "app/base/call_trace.h"
#include "app/base/ui_services.h"
#include "data/engine.h"
#include "data/main_data_sets.h"
#include "data/statements.h"
#include "data/working_context.h"

namespace {

// Keeps the program grid frozen for a scope, however it is left.
class ProgramGridFreeze {
public:
  explicit ProgramGridFreeze(const std::function<void(bool)> &freeze) : freeze_(freeze) {
    if (freeze_)
      freeze_(true);
  }
  ~ProgramGridFreeze() {
    if (freeze_)
      freeze_(false);
  }
  ProgramGridFreeze(const ProgramGridFreeze &) = delete;
  ProgramGridFreeze &operator=(const ProgramGridFreeze &) = delete;

private:
  const std::function<void(bool)> &freeze_;
};

void ReadList(const std::shared_ptr<db::Database> &database, const QString &statement, const QString &field,
              QStringList &list) {
  TRACE_ROUTINE("bugsubs", "ReadList");
  db::Query query(database, statement);
  query.open();
  GetRecordsStringList(query, field, list);
}

}  // namespace

void OpenQry(db::Query &query, const QString &statement) {
  TRACE_ROUTINE("bugsubs", "OpenQry");
  ScopedBusyCursor busy;
  query.close();
  query.setSql(statement);
  query.open();
}

void SortByColumnTitle(db::Query &query, const QString &field, bool ascending) {
  TRACE_ROUTINE("bugsubs", "SortByColumnTitle");
  const QString firstLine = query.sql().section(QLatin1Char('\n'), 0, 0);
  OpenQry(query, UpdateOrderByClause(firstLine, field, ascending));
}

bool ProgramInQuery(db::Query &programQry, const QString &product, const QString &release,
                    const QString &program) {
  TRACE_ROUTINE("bugsubs", "ProgramInQuery");
  if (programQry.isEmpty())
    return false;
  programQry.first();
  return programQry.locate(QStringLiteral("Product;Release;Program"), {product, release, program}, db::LocateExact);
}

void GetRecordsStringList(db::DataSet &dataSet, const QString &field, QStringList &list) {
  TRACE_ROUTINE("bugsubs", "GetRecordsStringList");
  ScopedBusyCursor busy;
  list.clear();
  const db::Bookmark position = dataSet.bookmark();
  for (dataSet.first(); !dataSet.eof(); dataSet.next())
    list << dataSet.asString(field);
  if (position.isValid())
    dataSet.gotoBookmark(position);
}

void UpdateReleaseList(const std::shared_ptr<db::Database> &database, const QString &product, QStringList &list,
                       bool includeHidden) {
  TRACE_ROUTINE("bugsubs", "UpdateReleaseList");
  ReadList(database, ReleaseListSQL(product, includeHidden), QStringLiteral("Release"), list);
}

void UpdateProgramList(const std::shared_ptr<db::Database> &database, const QString &product,
                       const QString &release, QStringList &list) {
  TRACE_ROUTINE("bugsubs", "UpdateProgramList");
  ReadList(database, ProgramListSQL(product, release), QStringLiteral("Program"), list);
}

int UpdateFilterList(const std::shared_ptr<db::Database> &database, QStringList &list, const QString &shownView) {
  TRACE_ROUTINE("bugsubs", "UpdateFilterList");
  ReadList(database, FilterListSQL(), QStringLiteral("Filter Name"), list);
  list.prepend(QStringLiteral("(none)"));
  return list.indexOf(shownView);
}

void UpdateResourceList(const std::shared_ptr<db::Database> &database, QStringList &list) {
  TRACE_ROUTINE("bugsubs", "UpdateResourceList");
  ReadList(database, ResourceListSQL(), QStringLiteral("ResourceName"), list);
}

QString ProgramDescription(db::Table &programTbl, const QString &product, const QString &release,
                           const QString &program) {
  TRACE_ROUTINE("bugsubs", "ProgramDescription");
  if (!programTbl.findKey({product, release, program}))
    return {};
  return programTbl.asString(QStringLiteral("Description"));
}

int GetActiveUserCount(const db::Database &database) {
  TRACE_ROUTINE("bugsubs", "GetActiveUserCount");
  return database.recordLockCount(QStringLiteral("userlock.db"));
}

void RefreshCurrentDisplay(MainDataSets &sets, const DisplayedLists &shown) {
  TRACE_ROUTINE("bugsubs", "RefreshCurrentDisplay");
  ScopedBusyCursor busy;
  const QString product = CurProduct();
  const QString release = CurRelease();
  const QString program = CurProgram();
  const QString defect = CurDefect();
  if (shown.programList) {
    ProgramGridFreeze freeze(shown.freezeProgramGrid);
    sets.ProgramTbl->refresh();
    OpenQry(*sets.ProgramQry, MakeSQL(sets.database, ListKind::Program, product, release, {}, {}));
    ProgramInQuery(*sets.ProgramQry, product, release, program);
  }
  if (shown.defectList) {
    sets.DefectTbl->refresh();
    sets.OriginTbl->refresh();
    sets.CorrectionTbl->refresh();
    const QString listedProgram = Context().showByRelease() ? QString() : program;
    OpenQry(*sets.DefectQry, MakeSQL(sets.database, ListKind::Defect, product, release, listedProgram, {}));
    if (!defect.isEmpty() && !sets.DefectQry->isEmpty())
      sets.DefectQry->locate(QStringLiteral("Product;Release;Program;Defect"),
                             {product, release, program, defect.toLongLong()}, db::LocateExact);
  }
  Ui().processEvents();
}
