#include "data/statements.h"

#include "app/base/call_trace.h"
#include "data/conversion_errors.h"
#include "data/engine.h"
#include "data/working_context.h"

namespace {

// What the active view adds to the defect list's joins.
struct ViewJoins {
  bool groups = false;
  bool customers = false;
};

// The view is sought for the current product and release; a view that does not exist
// there adds nothing.
ViewJoins ReadViewJoins(const std::shared_ptr<db::Database> &database, const QString &viewName) {
  TRACE_ROUTINE("bugsubs", "ReadViewJoins");
  if (viewName.isEmpty())
    return {};
  db::Table filters(database, QStringLiteral("filters.DB"));
  filters.setReadOnly(true);
  filters.open();
  if (!filters.findKey({CurProduct(), CurRelease(), viewName}))
    return {};
  return {filters.asString(QStringLiteral("GroupName")) != QLatin1String("(any group)"),
          filters.asString(QStringLiteral("CustomerName")) != QLatin1String("(any customer)")};
}

// Where the statement's Order By begins, -1 when it has none. Quoted literals and
// names are skipped, so that a release called "Order By Phone" is not taken for one.
int FindOrderBy(const QString &statement) {
  QChar quote;
  for (int i = 0; i < statement.size(); ++i) {
    const QChar c = statement[i];
    if (!quote.isNull()) {
      if (c == quote)
        quote = QChar();  // a doubled quote closes and opens again
    } else if (c == u'\'' || c == u'"') {
      quote = c;
    } else if (QStringView(statement).mid(i, 8).compare(u"order by", Qt::CaseInsensitive) == 0) {
      return i;
    }
  }
  return -1;
}

// A defect number stands in a statement without quotes, so it must be one.
QString DefectNumberText(const QString &defect) {
  const QString number = defect.trimmed();
  bool whole = !number.isEmpty();
  for (QChar c : number)
    whole = whole && c >= u'0' && c <= u'9';
  if (!whole)
    throw ConversionError(QStringLiteral("\"") + defect + QStringLiteral("\" is not a valid defect number."));
  return number;
}

}  // namespace

QString FixQuote(const QString &text) {
  TRACE_ROUTINE("bugsubs", "FixQuote");
  QString fixed = text;
  fixed.replace(QLatin1Char('\''), QLatin1String("''"));
  return fixed;
}

QString MakeSQL(const std::shared_ptr<db::Database> &database, ListKind kind, const QString &product,
                const QString &release, const QString &program, const QString &defect) {
  TRACE_ROUTINE("bugsubs", "MakeSQL");
  const ViewJoins joins = ReadViewJoins(database, CurViewFilter());
  QString sql;
  if (kind == ListKind::Program) {
    sql = QStringLiteral("Select all * from Program Where ");
  } else {
    sql = QStringLiteral("Select Defect.*, Origin.\"Report Date\", Origin.Technician, Correct.Programmer, "
                         "Correct.Tester, Correct.\"Testing Date\", Program.Status, SevOrder.SevSort ");
    if (joins.groups)
      sql += QStringLiteral(", Groups.GroupName ");
    if (joins.customers)
      sql += QStringLiteral(", CustDef.Customer ");
    sql += QStringLiteral("From Defect, Origin, Correct, Program, SevOrder ");
    if (joins.groups)
      sql += QStringLiteral(", Groups ");
    if (joins.customers)
      sql += QStringLiteral(", CustDef ");
    sql += QStringLiteral("Where ");
  }

  sql += QStringLiteral(" (Product = '") + FixQuote(product) + QStringLiteral("')");
  if (!release.isEmpty())
    sql += QStringLiteral(" and (Release = '") + FixQuote(release) + QStringLiteral("')");
  if (!program.isEmpty())
    sql += QStringLiteral(" and (Program = '") + FixQuote(program) + QStringLiteral("')");
  if (!defect.isEmpty())
    sql += QStringLiteral(" and (Defect = ") + DefectNumberText(defect) + QStringLiteral(") ");

  if (kind == ListKind::Defect) {
    sql += QStringLiteral(" And ");
    sql += QStringLiteral("(Defect.Product = Origin.Product) and (Defect.Release = Origin.Release) and ");
    sql += QStringLiteral("(Defect.Program = Origin.Program) and (Defect.Defect = Origin.Defect) and ");
    sql += QStringLiteral("(Defect.Product = Correct.Product) and (Defect.Release = Correct.Release) and ");
    sql += QStringLiteral("(Defect.Program = Correct.Program) and (Defect.Defect = Correct.Defect) and ");
    sql += QStringLiteral("(Defect.Product = Program.Product) and (Defect.Release = Program.Release) and ");
    sql += QStringLiteral("(Defect.Program = Program.Program) and  ");
    sql += QStringLiteral("(Defect.Product = SevOrder.Product) and ");
    sql += QStringLiteral("(Defect.Release = SevOrder.Release) and ");
    sql += QStringLiteral("(Defect.Severity = SevOrder.Severity) ");
    if (joins.groups) {
      sql += QStringLiteral(" And ");
      sql += QStringLiteral("(Defect.Product = Groups.Product) and (Defect.Release = Groups.Release) and ");
      sql += QStringLiteral("(Defect.Program = Groups.Program) and (Defect.Defect = Groups.Defect) ");
    }
    if (joins.customers) {
      sql += QStringLiteral(" And ");
      sql += QStringLiteral("(Defect.Product = CustDef.Product) and (Defect.Release = CustDef.Release) and ");
      sql += QStringLiteral("(Defect.Program = CustDef.Program) and (Defect.Defect = CustDef.Defect) ");
    }
  }

  // A column sort replaces the view's; a defect list always has an order.
  const ColumnSort sort = kind == ListKind::Defect ? Context().defectSort() : Context().programSort();
  if (!sort.field.isEmpty())
    sql = UpdateOrderByClause(sql, sort.field, sort.ascending);
  if (kind == ListKind::Defect && FindOrderBy(sql) < 0)
    sql = UpdateOrderByClause(sql, QStringLiteral("Defect.Defect"), sort.ascending);
  return sql;
}

QString UpdateOrderByClause(const QString &statement, const QString &field, bool ascending) {
  TRACE_ROUTINE("bugsubs", "UpdateOrderByClause");
  const QString orderField =
      field == QLatin1String("Defect.\"Severity\"") ? QStringLiteral("SevOrder.SevSort") : field;
  QString sql = statement;
  const int orderBy = FindOrderBy(sql);
  if (orderBy >= 0)
    sql.truncate(orderBy);
  return sql.trimmed() + QStringLiteral(" Order By ") + orderField +
         (ascending ? QStringLiteral(" ASC ") : QStringLiteral(" DESC "));
}

QString AddSortFieldSQL(const QString &sortName, bool descending) {
  TRACE_ROUTINE("bugsubs", "AddSortFieldSQL");
  static const struct {
    const char16_t *name;
    const char16_t *text;
  } sortTexts[] = {
      {u"Program", u"Program "},
      {u"Defect Number", u"Defect "},
      {u"Status", u" Status "},
      {u"Nature", u" Nature "},
      {u"Severity", u" SevOrder.SevSort "},
      {u"Priority", u" Priority "},
      {u"Assigned To", u" AssignedTo "},
      {u"Programmer", u" Correct.Programmer "},
      {u"Tester", u" Correct.Tester "},
      {u"Date Reported", u" Origin.\"Report Date\" "},
      {u"Fixed Date", u" Defect.\"ActCompDate\" "},
      {u"Tested Date", u" Correct.\"Testing Date\" "},
  };
  for (const auto &entry : sortTexts)
    if (sortName == QStringView(entry.name))
      return QString::fromUtf16(entry.text) + (descending ? QStringLiteral(" Desc") : QString()) +
             QStringLiteral(" ,");
  return {};  // "(none)", or a name no view editor offers
}

QString ReleaseListSQL(const QString &product, bool includeHidden) {
  TRACE_ROUTINE("bugsubs", "ReleaseListSQL");
  QString sql = QStringLiteral("Select Release from Release where Product = '") + FixQuote(product) +
                QStringLiteral("'");
  if (!includeHidden)
    sql += QStringLiteral(" And Hidden = FALSE ");
  return sql + QStringLiteral(" Order By Release");
}

QString ProgramListSQL(const QString &product, const QString &release) {
  TRACE_ROUTINE("bugsubs", "ProgramListSQL");
  return QStringLiteral("Select Program from Program where Product in ('") + FixQuote(product) +
         QStringLiteral("') and Release in ('") + FixQuote(release) + QStringLiteral("')");
}

QString FilterListSQL() {
  TRACE_ROUTINE("bugsubs", "FilterListSQL");
  return QStringLiteral("Select Filters.\"Filter Name\" from Filters where Product in ('") +
         FixQuote(CurProduct()) + QStringLiteral("') and Release in ('") + FixQuote(CurRelease()) +
         QStringLiteral("')");
}

QString ResourceListSQL() {
  TRACE_ROUTINE("bugsubs", "ResourceListSQL");
  return QStringLiteral("Select ResourceName from Resource Order By ResourceName");
}
