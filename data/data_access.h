#pragma once
// How the rest of the program reaches the data: opening statements, walking result
// sets into lists, finding the current program, the pick lists, the active users and
// the refresh of the main window's lists for the working context.

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace db {
class Database;
class DataSet;
class Query;
class Table;
}  // namespace db
struct MainDataSets;

// Closes the query, gives it the statement and opens it again, under the hourglass.
// Engine errors pass to the caller.
void OpenQry(db::Query &query, const QString &statement);

// Reopens the query with its Order By replaced by one on the field (UpdateOrderByClause).
void SortByColumnTitle(db::Query &query, const QString &field, bool ascending);

// Whether the program list holds the program (exact, case-sensitive); when it does,
// the list is left on its row.
bool ProgramInQuery(db::Query &programQry, const QString &product, const QString &release,
                    const QString &program);

// The field's text of every row from the first, in order; the data set returns to the
// row it was on.
void GetRecordsStringList(db::DataSet &dataSet, const QString &field, QStringList &list);

// The pick lists, each read by a fresh statement.
void UpdateReleaseList(const std::shared_ptr<db::Database> &database, const QString &product, QStringList &list,
                       bool includeHidden);
void UpdateProgramList(const std::shared_ptr<db::Database> &database, const QString &product,
                       const QString &release, QStringList &list);
// "(none)" and the views of the current product and release; returns the position of
// `shownView` (the name the main window's view box shows) in the list, -1 when it is
// not there.
int UpdateFilterList(const std::shared_ptr<db::Database> &database, QStringList &list, const QString &shownView);
void UpdateResourceList(const std::shared_ptr<db::Database> &database, QStringList &list);

// The program's Description, found on the program table's key; empty when there is no
// such program. The table is left on the program's record.
QString ProgramDescription(db::Table &programTbl, const QString &product, const QString &release,
                           const QString &program);

// The running copies of the program on this data directory: each holds one lock on
// UserLock.
int GetActiveUserCount(const db::Database &database);

// What the main window shows, for RefreshCurrentDisplay.
struct DisplayedLists {
  bool programList = false;  // the program view
  bool defectList = false;   // the defect view, or split mode showing both lists
  // Called with true before the program list is rebuilt and with false after, so the
  // window can keep its grid still; may be empty.
  std::function<void(bool frozen)> freezeProgramGrid;
};

// Rebuilds the lists shown for the working context from fresh statements and returns
// to the program and defect that were current, when they are still listed.
void RefreshCurrentDisplay(MainDataSets &sets, const DisplayedLists &shown);
