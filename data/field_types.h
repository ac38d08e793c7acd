#pragma once
// Field and table definitions of the data model, and how each field type is declared in
// the SQLite schema. The declaration is the one place where a field's type and width
// live: the engine writes it when it creates or alters a table and reads it back to
// describe the table (type, width, precision), to check widths and to type results.

#include <QList>
#include <QString>
#include <QStringList>

namespace db {

enum class FieldType {
  Text,       // CHAR(n)
  Memo,       // BLOB(n,1): text of any length, n bytes held in the record
  Number,     // floating point; defect numbers are whole numbers held in it
  Integer,    // 32-bit
  Short,      // 16-bit
  Decimal,    // DECIMAL(p,s)
  Boolean,
  Date,
  Time,
  Timestamp,
  AutoInc,
};

struct FieldDef {
  QString name;
  FieldType type = FieldType::Text;
  int size = 0;       // width of Text, record-held bytes of Memo, digits of Decimal
  int precision = 0;  // digits after the point of Decimal
};

struct IndexDef {
  QString name;        // empty for an unnamed primary index
  QStringList fields;  // in key order
  bool primary = false;
  bool unique = false;
};

struct TableDef {
  QString name;  // SQL name, "Defect"
  QList<FieldDef> fields;
  QList<IndexDef> indexes;

  const IndexDef *primaryIndex() const;
  const FieldDef *field(const QString &name) const;  // case-insensitive; null if absent
};

// The SQLite column definition of a field: quoted name, declared type and, for Text,
// the width check. "\"Summary\" CHAR(200) CHECK(length(\"Summary\") <= 200)".
QString ColumnDefinition(const FieldDef &field);

// Reads a declared type back ("CHAR(20)", "BLOB(100,1)", "DECIMAL(8,3)"...).
// Returns false for a declaration this engine did not write.
bool FieldTypeFromDeclaration(const QString &declaredType, FieldDef &field);

// The type as the local SQL writes it in ALTER TABLE: BOOLEAN, CHAR(n), INTEGER...
QString LocalSqlTypeName(const FieldDef &field);

// "Text", "Memo"... for messages and field descriptions.
QString FieldTypeName(FieldType type);

// Double-quoted SQLite identifier.
QString QuoteIdentifier(const QString &name);

}  // namespace db
