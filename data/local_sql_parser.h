#pragma once
// The parsed form of one local SQL statement, before names are looked up in the
// schema (local_sql.cpp resolves and writes it for SQLite).

#include "data/local_sql.h"

#include <QList>
#include <QString>

#include <memory>
#include <vector>

namespace db::localsql {

struct SelectStatement;

struct Expr {
  enum class Kind {
    String,     // text: the value
    Number,     // text: as written
    Boolean,    // text: "1" or "0"
    Null,
    Name,       // qualifier (may be empty) and name; quoted when written in double quotes
    Star,       // * or qualifier.*
    Unary,      // text "NOT", "-" or "+"; operands[0]
    Binary,     // text: "OR", "AND", "=", "<>", "<", ">", "<=", ">=", "+", "-", "*", "/", "||"
    Function,   // text: upper-case name; operands: the arguments; distinct for COUNT(DISTINCT x)
    Substring,  // operands: value, start, optional length
    InList,     // operands[0] IN (operands[1...]); negated for NOT IN
    InSelect,   // operands[0] IN (select)
    Between,    // operands: value, low, high
    Like,       // operands: value, pattern
    IsNull,     // operands[0] IS NULL; negated for IS NOT NULL
    Paren,      // (operands[0])
    Exists,     // EXISTS (select)
    Subquery,   // (select) as a value
  };

  Kind kind = Kind::Null;
  int position = 0;
  QString text;
  QString qualifier;
  QString name;
  bool quoted = false;
  bool negated = false;
  bool distinct = false;
  std::vector<std::unique_ptr<Expr>> operands;
  std::unique_ptr<SelectStatement> select;
};
using ExprPtr = std::unique_ptr<Expr>;

struct SelectItem {
  ExprPtr expr;
  QString alias;  // the result name; "AS D.\"EXE Date\".\"DEXEDate\"" names it DEXEDate
};

enum class JoinKind { First, Comma, Inner, Left };

struct TableName {
  QString name;  // as written, a file extension included ("attach.DB")
  int position = 0;
};

struct FromItem {
  JoinKind join = JoinKind::First;
  TableName table;
  QString alias;
  ExprPtr on;  // Inner and Left joins
};

struct OrderItem {
  ExprPtr expr;
  bool descending = false;
};

struct SelectStatement {
  bool distinct = false;
  bool all = false;
  std::vector<SelectItem> items;
  std::vector<FromItem> from;
  ExprPtr where;
  std::vector<ExprPtr> groupBy;
  ExprPtr having;
  std::vector<OrderItem> orderBy;
};

struct ColumnName {
  QString qualifier;  // DROP Customer."Licenses"
  QString name;
  int position = 0;
};

struct Assignment {
  ColumnName column;
  ExprPtr value;
};

struct AlterClause {
  bool add = false;
  ColumnName column;
  QString typeName;  // ADD only: BOOLEAN, CHAR...
  QList<int> typeArguments;
  int typePosition = 0;
};

struct ParsedStatement {
  StatementKind kind = StatementKind::Select;
  std::unique_ptr<SelectStatement> select;  // Select
  TableName table;                          // Insert, Update, Delete, AlterTable
  std::vector<Assignment> assignments;      // Update
  ExprPtr where;                            // Update, Delete
  std::vector<ColumnName> columns;          // Insert; empty means every field in order
  std::vector<ExprPtr> values;              // Insert
  std::vector<AlterClause> alterClauses;    // AlterTable
};

// Throws EngineError ErrSyntax naming the word where the statement stops making sense.
// A statement may end in one ";"; anything after it is refused.
ParsedStatement ParseLocalSql(const QString &statement);

}  // namespace db::localsql
