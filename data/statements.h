#pragma once
// The texts of the statements that fill the main window's lists and pick lists, in
// the local SQL. Every user text between single quotes goes through FixQuote; defect
// numbers stand without quotes.

#include <QString>

#include <memory>

namespace db {
class Database;
}

// Every single quote doubled.
QString FixQuote(const QString &text);

// Which list a statement fills.
enum class ListKind { Program, Defect };

// The statement of the program list (all programs of the release, those of the active
// view's program statuses) or of the defect list (each defect joined with its Origin,
// Correct, Program and SevOrder rows, and with its Groups / CustDef rows when the
// active view selects by group / customer). Empty program and defect leave their
// conditions out. The column sort of the working context orders it; a defect list
// without one is ordered by defect number. The active view is read from `database`.
QString MakeSQL(const std::shared_ptr<db::Database> &database, ListKind kind, const QString &product,
                const QString &release, const QString &program, const QString &defect);

// The statement with its Order By (if any) replaced by one on `field`. The severity
// column, `Defect."Severity"`, orders by the severity's list position.
QString UpdateOrderByClause(const QString &statement, const QString &field, bool ascending);

// The order text of a view's sort name ("Severity" → " SevOrder.SevSort  ,"); empty
// for "(none)" and for a name that is not one of the view editor's.
QString AddSortFieldSQL(const QString &sortName, bool descending);

// The statements of the pick lists.
QString ReleaseListSQL(const QString &product, bool includeHidden);
QString ProgramListSQL(const QString &product, const QString &release);
QString FilterListSQL();  // the views of the current product and release
QString ResourceListSQL();
