#include "data/field_types.h"

#include <QRegularExpression>

namespace db {

const IndexDef *TableDef::primaryIndex() const {
  for (const auto &index : indexes)
    if (index.primary)
      return &index;
  return nullptr;
}

const FieldDef *TableDef::field(const QString &fieldName) const {
  for (const auto &f : fields)
    if (f.name.compare(fieldName, Qt::CaseInsensitive) == 0)
      return &f;
  return nullptr;
}

QString QuoteIdentifier(const QString &name) {
  QString quoted = name;
  quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
  return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// Declared types are chosen for their SQLite affinity as much as for their names:
// CHAR gives text affinity, BLOB(n,1) none (memo text is kept exactly as written),
// the others numeric affinity, under which a whole Number such as 9.0 is stored as 9
// while dates and times stay their ISO text.
QString LocalSqlTypeName(const FieldDef &field) {
  switch (field.type) {
  case FieldType::Text: return QStringLiteral("CHAR(%1)").arg(field.size);
  case FieldType::Memo: return QStringLiteral("BLOB(%1,1)").arg(field.size > 0 ? field.size : 1);
  case FieldType::Number: return QStringLiteral("NUMBER");
  case FieldType::Integer: return QStringLiteral("INTEGER");
  case FieldType::Short: return QStringLiteral("SMALLINT");
  case FieldType::Decimal: return QStringLiteral("DECIMAL(%1,%2)").arg(field.size).arg(field.precision);
  case FieldType::Boolean: return QStringLiteral("BOOLEAN");
  case FieldType::Date: return QStringLiteral("DATE");
  case FieldType::Time: return QStringLiteral("TIME");
  case FieldType::Timestamp: return QStringLiteral("TIMESTAMP");
  case FieldType::AutoInc: return QStringLiteral("AUTOINC");
  }
  return {};
}

QString ColumnDefinition(const FieldDef &field) {
  QString definition = QuoteIdentifier(field.name) + QLatin1Char(' ') + LocalSqlTypeName(field);
  if (field.type == FieldType::Text)
    definition += QStringLiteral(" CHECK(length(%1) <= %2)").arg(QuoteIdentifier(field.name)).arg(field.size);
  return definition;
}

bool FieldTypeFromDeclaration(const QString &declaredType, FieldDef &field) {
  static const QRegularExpression pattern(
      QStringLiteral(R"(^\s*([A-Za-z]+)\s*(?:\(\s*(\d+)\s*(?:,\s*(\d+)\s*)?\))?\s*$)"));
  const auto match = pattern.match(declaredType);
  if (!match.hasMatch())
    return false;
  const QString name = match.captured(1).toUpper();
  const int first = match.captured(2).toInt();
  const int second = match.captured(3).toInt();
  field.size = 0;
  field.precision = 0;
  if (name == QLatin1String("CHAR") || name == QLatin1String("VARCHAR")) {
    field.type = FieldType::Text;
    field.size = first;
  } else if (name == QLatin1String("BLOB") || name == QLatin1String("MEMO")) {
    field.type = FieldType::Memo;
    field.size = first;
  } else if (name == QLatin1String("NUMBER") || name == QLatin1String("FLOAT") ||
             name == QLatin1String("NUMERIC")) {
    field.type = FieldType::Number;
  } else if (name == QLatin1String("INTEGER")) {
    field.type = FieldType::Integer;
  } else if (name == QLatin1String("SMALLINT")) {
    field.type = FieldType::Short;
  } else if (name == QLatin1String("DECIMAL")) {
    field.type = FieldType::Decimal;
    field.size = first;
    field.precision = second;
  } else if (name == QLatin1String("BOOLEAN")) {
    field.type = FieldType::Boolean;
  } else if (name == QLatin1String("DATE")) {
    field.type = FieldType::Date;
  } else if (name == QLatin1String("TIME")) {
    field.type = FieldType::Time;
  } else if (name == QLatin1String("TIMESTAMP")) {
    field.type = FieldType::Timestamp;
  } else if (name == QLatin1String("AUTOINC")) {
    field.type = FieldType::AutoInc;
  } else {
    return false;
  }
  return true;
}

QString FieldTypeName(FieldType type) {
  switch (type) {
  case FieldType::Text: return QStringLiteral("Text");
  case FieldType::Memo: return QStringLiteral("Memo");
  case FieldType::Number: return QStringLiteral("Number");
  case FieldType::Integer: return QStringLiteral("Integer");
  case FieldType::Short: return QStringLiteral("Short");
  case FieldType::Decimal: return QStringLiteral("Decimal");
  case FieldType::Boolean: return QStringLiteral("Boolean");
  case FieldType::Date: return QStringLiteral("Date");
  case FieldType::Time: return QStringLiteral("Time");
  case FieldType::Timestamp: return QStringLiteral("Timestamp");
  case FieldType::AutoInc: return QStringLiteral("AutoInc");
  }
  return {};
}

}  // namespace db
