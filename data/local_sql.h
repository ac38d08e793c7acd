#pragma once
// The program's local SQL, translated for SQLite with a tokenizer that knows the
// schema. The rules the program's statements rely on hold after translation:
// - an unqualified field in a statement over several tables is that field of the first
//   table in the FROM list that has it;
// - a quoted m/d/yyyy date compared with or stored into a Date, Time or Timestamp field
//   becomes the stored form, so dates compare and order as dates;
// - a double-quoted word that names no field or table is a string;
// - True/False, SUBSTRING(x FROM n FOR m), Select all *, multi-clause ALTER TABLE.
// - a blank text field is blank whether it holds '' or null: "= ''", "IS NULL" and an
//   IN list holding '' find both, so "Program = ''" finds the records that apply to a
//   whole release however they were written. Text is stored as given ('' stays '');
//   an empty date or time stored by UPDATE or INSERT becomes null.
// - a Boolean never set reads as False and compares as False ("Hidden = FALSE").
// - every name and value is written anew, quoted, so no text of a statement can make a
//   second statement; one trailing ";" is allowed, anything after it refused.
// Stored forms: Date "yyyy-MM-dd", Time "HH:mm:ss", Timestamp "yyyy-MM-dd HH:mm:ss.zzz",
// Boolean 0/1.

#include "data/field_types.h"

#include <QString>
#include <QStringList>

namespace db {

// What the translator needs to know of the schema.
class SchemaLookup {
public:
  virtual ~SchemaLookup() = default;
  // Fills the definition of the table named (any letter case, file extension allowed);
  // false when there is none.
  virtual bool findTable(const QString &tableOrFileName, TableDef &definition) const = 0;
};

enum class StatementKind { Select, Insert, Update, Delete, AlterTable };

struct TranslatedStatement {
  StatementKind kind = StatementKind::Select;
  QString table;                 // the table written to (canonical name), empty for Select
  QStringList sqliteStatements;  // in order; ALTER TABLE gives one per clause
  // ALTER TABLE ... ADD: the fields added, so the engine can describe them.
  QList<FieldDef> addedFields;
  QStringList droppedFields;
};

// Throws EngineError ErrSyntax, ErrTableNotFound or ErrFieldNotFound with a text that
// names the offending word, ErrInvalidValue for a date or time literal that is none.
TranslatedStatement TranslateLocalSql(const QString &localSql, const SchemaLookup &schema);

}  // namespace db
