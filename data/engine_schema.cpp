// Tables as the schema holds them: definitions read back from SQLite's own catalogue
// (declared types carry types and widths), table creation from definitions, and the
// restructuring of one field with its data kept.
//
// Layout of a table: every field as ColumnDefinition declares it; fields of the
// primary key NOT NULL (a key text defaults to the empty text, as a record of a whole
// release carries an empty Program); the primary key as a named constraint; each
// secondary index as "Table.Index"; each AutoInc field filled by a trigger.

#include "app/base/call_trace.h"
#include "data/data_model.h"
#include "data/engine_internal.h"

#include <QRegularExpression>

namespace db {

namespace {

QString columnText(sqlite3_stmt *statement, int column) {
  return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)));
}

QString indexSqlName(const QString &table, const QString &index) {
  return table + QLatin1Char('.') + index;
}

QString autoIncTriggerName(const QString &table, const QString &field) {
  return table + QLatin1Char('.') + field + QLatin1String(".autoinc");
}

QString columnDeclaration(const FieldDef &field, bool inPrimaryKey) {
  QString declaration = ColumnDefinition(field);
  if (inPrimaryKey && field.type != FieldType::AutoInc) {
    declaration += QLatin1String(" NOT NULL");
    if (field.type == FieldType::Text)
      declaration += QLatin1String(" DEFAULT ''");
  }
  return declaration;
}

QString createTableSql(const QString &sqlName, const TableDef &definition) {
  const IndexDef *primary = definition.primaryIndex();
  QStringList parts;
  for (const auto &field : definition.fields)
    parts << columnDeclaration(field, primary && primary->fields.contains(field.name, Qt::CaseInsensitive));
  if (primary) {
    QStringList keys;
    for (const auto &key : primary->fields)
      keys << QuoteIdentifier(definition.field(key)->name);
    parts << (primary->name.isEmpty() ? QString() : QStringLiteral("CONSTRAINT %1 ").arg(QuoteIdentifier(primary->name))) +
                 QStringLiteral("PRIMARY KEY (%1)").arg(keys.join(QLatin1String(", ")));
  }
  return QStringLiteral("CREATE TABLE %1 (%2)").arg(QuoteIdentifier(sqlName), parts.join(QLatin1String(", ")));
}

// The indexes and triggers of a table, made once the table has its final name.
QStringList tableExtrasSql(const TableDef &definition) {
  QStringList statements;
  for (const auto &index : definition.indexes) {
    if (index.primary)
      continue;
    QStringList columns;
    for (const auto &field : index.fields)
      columns << QuoteIdentifier(definition.field(field)->name);
    statements << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                      .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(),
                           QuoteIdentifier(indexSqlName(definition.name, index.name)),
                           QuoteIdentifier(definition.name), columns.join(QLatin1String(", ")));
  }
  for (const auto &field : definition.fields) {
    if (field.type != FieldType::AutoInc)
      continue;
    const QString table = QuoteIdentifier(definition.name);
    const QString column = QuoteIdentifier(field.name);
    statements << QStringLiteral("CREATE TRIGGER %1 AFTER INSERT ON %2 FOR EACH ROW WHEN NEW.%3 IS NULL BEGIN "
                                 "UPDATE %2 SET %3 = (SELECT IFNULL(MAX(%3), 0) + 1 FROM %2) WHERE rowid = NEW.rowid; "
                                 "END")
                      .arg(QuoteIdentifier(autoIncTriggerName(definition.name, field.name)), table, column);
  }
  return statements;
}

void checkDefinition(const TableDef &definition) {
  if (definition.name.trimmed().isEmpty() || definition.fields.isEmpty())
    throw EngineError(ErrSyntax, QStringLiteral("A table needs a name and at least one field."));
  for (const auto &index : definition.indexes) {
    if (!index.primary && index.name.trimmed().isEmpty())
      throw EngineError(ErrSyntax, QStringLiteral("A secondary index of table \"%1\" needs a name.").arg(definition.name));
    for (const auto &field : index.fields)
      if (!definition.field(field))
        throw EngineError(ErrFieldNotFound, QStringLiteral("Index \"%1\" of table \"%2\" names field \"%3\", which "
                                                           "the table does not have.")
                                                .arg(index.name, definition.name, field));
  }
}

}  // namespace

void DatabaseImpl::refreshSchemaCache() const {
  Statement version(connection, QStringLiteral("PRAGMA schema_version"));
  version.step();
  const int current = sqlite3_column_int(version.get(), 0);
  if (current != cachedSchemaVersion_) {
    tableCache_.clear();
    cachedSchemaVersion_ = current;
  }
}

QString DatabaseImpl::findTableName(const QString &tableOrFileName) const {
  TableDef definition;
  return findTableDef(tableOrFileName, definition) ? definition.name : QString();
}

bool DatabaseImpl::findTableDef(const QString &tableOrFileName, TableDef &definition) const {
  TRACE_ROUTINE("engine", "DatabaseImpl.findTableDef");
  refreshSchemaCache();
  const QString name = StripTableFileExtension(tableOrFileName);
  const QString cacheKey = name.toLower();
  if (const auto cached = tableCache_.constFind(cacheKey); cached != tableCache_.constEnd()) {
    definition = *cached;
    return true;
  }

  Statement table(connection, QStringLiteral("SELECT name, sql FROM sqlite_schema WHERE type = 'table' AND "
                                             "name = ?1 COLLATE NOCASE AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
  table.bind(1, StoredValue::fromText(name));
  if (name.isEmpty() || !table.step())
    return false;
  TableDef read;
  read.name = columnText(table.get(), 0);
  const QString createSql = columnText(table.get(), 1);

  IndexDef primary;
  primary.primary = primary.unique = true;
  QMap<int, QString> keyPositions;
  Statement columns(connection, QStringLiteral("SELECT name, type, pk FROM pragma_table_info(?1)"));
  columns.bind(1, StoredValue::fromText(read.name));
  while (columns.step()) {
    FieldDef field;
    field.name = columnText(columns.get(), 0);
    if (!FieldTypeFromDeclaration(columnText(columns.get(), 1), field))
      field.type = FieldType::Text;  // a column this engine did not declare: text of no set width
    read.fields << field;
    if (const int position = sqlite3_column_int(columns.get(), 2); position > 0)
      keyPositions.insert(position, field.name);
  }
  if (!keyPositions.isEmpty()) {
    primary.fields = keyPositions.values();
    static const QRegularExpression constraintName(
        QStringLiteral(R"re(CONSTRAINT\s+"((?:[^"]|"")*)"\s+PRIMARY\s+KEY)re"),
        QRegularExpression::CaseInsensitiveOption);
    primary.name = constraintName.match(createSql).captured(1).replace(QLatin1String("\"\""), QLatin1String("\""));
    read.indexes << primary;
  }

  Statement indexes(connection, QStringLiteral("SELECT name, \"unique\" FROM pragma_index_list(?1) WHERE origin = 'c' "
                                               "ORDER BY name"));
  indexes.bind(1, StoredValue::fromText(read.name));
  while (indexes.step()) {
    IndexDef index;
    const QString sqlName = columnText(indexes.get(), 0);
    const QString prefix = read.name + QLatin1Char('.');
    index.name = sqlName.startsWith(prefix, Qt::CaseInsensitive) ? sqlName.mid(prefix.size()) : sqlName;
    index.unique = sqlite3_column_int(indexes.get(), 1) != 0;
    Statement keys(connection, QStringLiteral("SELECT name FROM pragma_index_info(?1) ORDER BY seqno"));
    keys.bind(1, StoredValue::fromText(sqlName));
    while (keys.step())
      index.fields << columnText(keys.get(), 0);
    read.indexes << index;
  }

  tableCache_.insert(cacheKey, read);
  definition = read;
  return true;
}

TableDef DatabaseImpl::requireTableDef(const QString &tableOrFileName) const {
  TableDef definition;
  if (!findTableDef(tableOrFileName, definition))
    throw EngineError(ErrTableNotFound, QStringLiteral("Table \"%1\" does not exist in the data directory \"%2\".")
                                            .arg(tableOrFileName, directory));
  return definition;
}

void Database::createTable(const TableDef &definition) {
  TRACE_ROUTINE("engine", "Database.createTable");
  checkDefinition(definition);
  if (tableExists(definition.name))
    throw EngineError(ErrGeneral, QStringLiteral("Table \"%1\" already exists.").arg(definition.name));
  Transaction transaction(*this);
  impl_->exec(createTableSql(definition.name, definition));
  for (const auto &sql : tableExtrasSql(definition))
    impl_->exec(sql);
  transaction.commit();
}

void Database::changeField(const QString &tableOrFileName, const QString &fieldName, const FieldChange &change) {
  TRACE_ROUTINE("engine", "Database.changeField");
  const TableDef old = impl_->requireTableDef(tableOrFileName);
  const FieldDef *oldField = old.field(fieldName);
  if (!oldField)
    throw EngineError(ErrFieldNotFound,
                      QStringLiteral("Table \"%1\" has no field \"%2\".").arg(old.name, fieldName));
  const QString oldName = oldField->name;

  TableDef restructured = old;
  for (auto &field : restructured.fields) {
    if (field.name != oldName)
      continue;
    if (!change.name.isEmpty())
      field.name = change.name;
    if (change.type)
      field.type = *change.type;
    if (change.size > 0)
      field.size = change.size;
    if (change.precision > 0)
      field.precision = change.precision;
  }
  const QString newName = restructured.field(change.name.isEmpty() ? oldName : change.name)->name;
  if (newName.compare(oldName, Qt::CaseInsensitive) != 0 && old.field(newName))
    throw EngineError(ErrGeneral, QStringLiteral("Table \"%1\" already has a field \"%2\".").arg(old.name, newName));
  for (auto &index : restructured.indexes)
    for (auto &field : index.fields)
      if (field.compare(oldName, Qt::CaseInsensitive) == 0)
        field = newName;

  // A new table beside the old one, the rows copied with their record numbers, the old
  // one dropped and the new one renamed: all or nothing.
  const QString temporary = old.name + QLatin1String(".restructure");
  QStringList targetColumns{QStringLiteral("rowid")};
  QStringList sourceColumns{QStringLiteral("rowid")};
  for (int i = 0; i < old.fields.size(); ++i) {
    targetColumns << QuoteIdentifier(restructured.fields[i].name);
    sourceColumns << QuoteIdentifier(old.fields[i].name);
  }
  Transaction transaction(*this);
  impl_->exec(createTableSql(temporary, restructured));
  restructured.name = old.name;
  impl_->exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                  .arg(QuoteIdentifier(temporary), targetColumns.join(QLatin1String(", ")),
                       sourceColumns.join(QLatin1String(", ")), QuoteIdentifier(old.name)),
              &restructured);
  impl_->exec(QStringLiteral("DROP TABLE %1").arg(QuoteIdentifier(old.name)));
  impl_->exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(QuoteIdentifier(temporary), QuoteIdentifier(old.name)));
  for (const auto &sql : tableExtrasSql(restructured))
    impl_->exec(sql);
  transaction.commit();
}

}  // namespace db
