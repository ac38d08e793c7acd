#include "data/local_sql.h"

#include "app/base/call_trace.h"
#include "data/engine.h"
#include "data/local_sql_literals.h"
#include "data/local_sql_parser.h"

#include <optional>

namespace db {

namespace {

using namespace localsql;

// A table of a FROM list (or the one table an UPDATE, DELETE or INSERT writes).
struct SourceTable {
  TableDef definition;
  QString alias;
  QString reference() const { return alias.isEmpty() ? definition.name : alias; }
};

// The names a part of a statement can see: its own FROM list first, then the lists
// of the statements it is nested in. ORDER BY, GROUP BY and HAVING also see the
// result names given with AS.
struct Scope {
  std::vector<SourceTable> tables;
  const Scope *outer = nullptr;
  QStringList resultNames;
  bool resultNamesVisible = false;
};

// A name resolved to a field of a table in scope, or to a result name (field null).
struct ResolvedColumn {
  const FieldDef *field = nullptr;
  QString sql;
};

const Expr &Unwrapped(const Expr &expr) {
  const Expr *inner = &expr;
  while (inner->kind == Expr::Kind::Paren)
    inner = inner->operands.front().get();
  return *inner;
}

bool IsText(const FieldDef *field) {
  return field && (field->type == FieldType::Text || field->type == FieldType::Memo);
}

bool IsBoolean(const FieldDef *field) {
  return field && field->type == FieldType::Boolean;
}

// True, False, 1 or 0.
bool IsTruthLiteral(const Expr &expr) {
  const Expr &inner = Unwrapped(expr);
  return inner.kind == Expr::Kind::Boolean ||
         (inner.kind == Expr::Kind::Number && (inner.text == QLatin1String("0") || inner.text == QLatin1String("1")));
}

bool IsTemporalField(const FieldDef *field) {
  return field && IsTemporal(field->type);
}

QString SqlString(const QString &value) {
  QString quoted = value;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Binding strength in SQLite, so that an operand is put in parentheses exactly where
// SQLite would otherwise group the statement differently from the way it was parsed.
enum Precedence { PrecOr = 1, PrecAnd, PrecNot, PrecCompare, PrecAdd, PrecMultiply, PrecConcat, PrecUnary, PrecPrimary };

int BinaryPrecedence(const QString &op) {
  if (op == QLatin1String("OR"))
    return PrecOr;
  if (op == QLatin1String("AND"))
    return PrecAnd;
  if (op == QLatin1String("+") || op == QLatin1String("-"))
    return PrecAdd;
  if (op == QLatin1String("*") || op == QLatin1String("/"))
    return PrecMultiply;
  if (op == QLatin1String("||"))
    return PrecConcat;
  return PrecCompare;
}

struct Sql {
  QString text;
  int precedence = PrecPrimary;
};

class Translator {
public:
  explicit Translator(const SchemaLookup &schema) : schema_(schema) {}

  TranslatedStatement translate(const ParsedStatement &statement);

private:
  SourceTable sourceTable(const TableName &name, const QString &alias = {}) const;
  QString select(const SelectStatement &select, const Scope *outer);
  QString fromList(const SelectStatement &select, Scope &scope);
  QString update(const ParsedStatement &statement, TranslatedStatement &result);
  QString insert(const ParsedStatement &statement, TranslatedStatement &result);
  void alterTable(const ParsedStatement &statement, TranslatedStatement &result);
  const FieldDef &targetField(const SourceTable &table, const ColumnName &column) const;

  Sql expr(const Expr &expr, const Scope &scope);
  QString operand(const Expr &expr, const Scope &scope, int parentPrecedence, bool rightSide = false);
  const SourceTable *qualifiedTable(const Scope &level, const QString &qualifier) const;
  std::optional<ResolvedColumn> resolveName(const Expr &name, const Scope &scope) const;
  const FieldDef *columnField(const Expr &expr, const Scope &scope) const;
  std::optional<QString> stringValue(const Expr &expr, const Scope &scope) const;
  QString valueFor(const Expr &value, const FieldDef *field, const Scope &scope);
  Sql comparison(const Expr &expr, const Scope &scope);
  Sql inList(const Expr &expr, const Scope &scope);

  const SchemaLookup &schema_;
};

SourceTable Translator::sourceTable(const TableName &name, const QString &alias) const {
  TRACE_ROUTINE("localsql", "Translator.sourceTable");
  SourceTable table;
  if (!schema_.findTable(name.name, table.definition))
    throw EngineError(ErrTableNotFound, QStringLiteral("The table %1 does not exist in the data directory.").arg(name.name));
  table.alias = alias;
  return table;
}

TranslatedStatement Translator::translate(const ParsedStatement &statement) {
  TRACE_ROUTINE("localsql", "Translator.translate");
  TranslatedStatement result;
  result.kind = statement.kind;
  switch (statement.kind) {
  case StatementKind::Select: result.sqliteStatements << select(*statement.select, nullptr); break;
  case StatementKind::Update: result.sqliteStatements << update(statement, result); break;
  case StatementKind::Insert: result.sqliteStatements << insert(statement, result); break;
  case StatementKind::Delete: {
    Scope scope;
    scope.tables.push_back(sourceTable(statement.table));
    result.table = scope.tables.front().definition.name;
    QString sql = QStringLiteral("DELETE FROM ") + QuoteIdentifier(result.table);
    if (statement.where)
      sql += QStringLiteral(" WHERE ") + expr(*statement.where, scope).text;
    result.sqliteStatements << sql;
    break;
  }
  case StatementKind::AlterTable: alterTable(statement, result); break;
  }
  return result;
}

QString Translator::select(const SelectStatement &select, const Scope *outer) {
  TRACE_ROUTINE("localsql", "Translator.select");
  Scope scope;
  scope.outer = outer;
  // The FROM list first: the select list and the conditions are read against it.
  const QString from = fromList(select, scope);

  QStringList items;
  for (const auto &item : select.items) {
    const Expr &value = *item.expr;
    if (value.kind == Expr::Kind::Star) {
      if (value.qualifier.isEmpty()) {
        items << QStringLiteral("*");
        continue;
      }
      const SourceTable *table = qualifiedTable(scope, value.qualifier);
      if (!table)
        throw EngineError(ErrTableNotFound, QStringLiteral("%1.* names no table of the statement's FROM list.").arg(value.qualifier));
      items << QuoteIdentifier(table->reference()) + QStringLiteral(".*");
      continue;
    }
    QString text = expr(value, scope).text;
    QString resultName = item.alias;
    if (resultName.isEmpty() && Unwrapped(value).kind == Expr::Kind::Name)
      if (const FieldDef *field = columnField(value, scope))
        resultName = field->name;
    if (!resultName.isEmpty())
      text += QStringLiteral(" AS ") + QuoteIdentifier(resultName);
    if (!item.alias.isEmpty())
      scope.resultNames << item.alias;
    items << text;
  }

  QString sql = QStringLiteral("SELECT ");
  if (select.distinct)
    sql += QStringLiteral("DISTINCT ");
  else if (select.all)
    sql += QStringLiteral("ALL ");
  sql += items.join(QStringLiteral(", ")) + QStringLiteral(" FROM ") + from;
  if (select.where)
    sql += QStringLiteral(" WHERE ") + expr(*select.where, scope).text;

  scope.resultNamesVisible = true;
  if (!select.groupBy.empty()) {
    QStringList groups;
    for (const auto &group : select.groupBy)
      groups << expr(*group, scope).text;
    sql += QStringLiteral(" GROUP BY ") + groups.join(QStringLiteral(", "));
  }
  if (select.having)
    sql += QStringLiteral(" HAVING ") + expr(*select.having, scope).text;
  if (!select.orderBy.empty()) {
    QStringList orders;
    for (const auto &order : select.orderBy)
      orders << expr(*order.expr, scope).text + (order.descending ? QStringLiteral(" DESC") : QString());
    sql += QStringLiteral(" ORDER BY ") + orders.join(QStringLiteral(", "));
  }
  return sql;
}

QString Translator::fromList(const SelectStatement &select, Scope &scope) {
  TRACE_ROUTINE("localsql", "Translator.fromList");
  for (const auto &item : select.from)
    scope.tables.push_back(sourceTable(item.table, item.alias));
  QString sql;
  for (size_t i = 0; i < select.from.size(); ++i) {
    const FromItem &item = select.from[i];
    const SourceTable &table = scope.tables[i];
    switch (item.join) {
    case JoinKind::First: break;
    case JoinKind::Comma: sql += QStringLiteral(", "); break;
    case JoinKind::Inner: sql += QStringLiteral(" INNER JOIN "); break;
    case JoinKind::Left: sql += QStringLiteral(" LEFT JOIN "); break;
    }
    sql += QuoteIdentifier(table.definition.name);
    if (!table.alias.isEmpty())
      sql += QStringLiteral(" AS ") + QuoteIdentifier(table.alias);
    // ON conditions see the whole FROM list, as WHERE does.
    if (item.on)
      sql += QStringLiteral(" ON ") + expr(*item.on, scope).text;
  }
  return sql;
}

const FieldDef &Translator::targetField(const SourceTable &table, const ColumnName &column) const {
  TRACE_ROUTINE("localsql", "Translator.targetField");
  if (!column.qualifier.isEmpty() && column.qualifier.compare(table.definition.name, Qt::CaseInsensitive) != 0) {
    TableDef named;
    if (!schema_.findTable(column.qualifier, named) || named.name != table.definition.name)
      throw EngineError(ErrSyntax, QStringLiteral("%1.%2 is not a field of the table %3 that the statement changes.")
                                       .arg(column.qualifier, column.name, table.definition.name));
  }
  const FieldDef *field = table.definition.field(column.name);
  if (!field)
    throw EngineError(ErrFieldNotFound,
                      QStringLiteral("The field %1 does not exist in the table %2.").arg(column.name, table.definition.name));
  return *field;
}

QString Translator::update(const ParsedStatement &statement, TranslatedStatement &result) {
  TRACE_ROUTINE("localsql", "Translator.update");
  Scope scope;
  scope.tables.push_back(sourceTable(statement.table));
  const SourceTable &table = scope.tables.front();
  result.table = table.definition.name;
  QStringList assignments;
  for (const auto &assignment : statement.assignments) {
    const FieldDef &field = targetField(table, assignment.column);
    assignments << QuoteIdentifier(field.name) + QStringLiteral(" = ") + valueFor(*assignment.value, &field, scope);
  }
  QString sql = QStringLiteral("UPDATE ") + QuoteIdentifier(result.table) + QStringLiteral(" SET ") +
                assignments.join(QStringLiteral(", "));
  if (statement.where)
    sql += QStringLiteral(" WHERE ") + expr(*statement.where, scope).text;
  return sql;
}

QString Translator::insert(const ParsedStatement &statement, TranslatedStatement &result) {
  TRACE_ROUTINE("localsql", "Translator.insert");
  const SourceTable table = sourceTable(statement.table);
  result.table = table.definition.name;
  QList<const FieldDef *> fields;
  if (statement.columns.empty()) {
    for (const auto &field : table.definition.fields)
      fields << &field;
  } else {
    for (const auto &column : statement.columns) {
      const FieldDef *field = &targetField(table, column);
      if (fields.contains(field))
        throw EngineError(ErrSyntax, QStringLiteral("The field %1 is named twice in the INSERT.").arg(field->name));
      fields << field;
    }
  }
  if (fields.size() != int(statement.values.size()))
    throw EngineError(ErrSyntax, QStringLiteral("The INSERT into %1 gives %2 values for %3 fields.")
                                     .arg(result.table)
                                     .arg(statement.values.size())
                                     .arg(fields.size()));
  // The values see no table: a double-quoted word among them is a string.
  const Scope scope;
  QStringList names;
  QStringList values;
  for (int i = 0; i < fields.size(); ++i) {
    names << QuoteIdentifier(fields[i]->name);
    values << valueFor(*statement.values[i], fields[i], scope);
  }
  return QStringLiteral("INSERT INTO ") + QuoteIdentifier(result.table) + QStringLiteral(" (") +
         names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (") + values.join(QStringLiteral(", ")) +
         QLatin1Char(')');
}

void Translator::alterTable(const ParsedStatement &statement, TranslatedStatement &result) {
  TRACE_ROUTINE("localsql", "Translator.alterTable");
  const SourceTable table = sourceTable(statement.table);
  result.table = table.definition.name;
  const QString head = QStringLiteral("ALTER TABLE ") + QuoteIdentifier(result.table);
  // The fields as each clause finds them, the earlier clauses done.
  QStringList fields;
  for (const auto &field : table.definition.fields)
    fields << field.name;
  auto indexOf = [&fields](const QString &name) {
    for (int i = 0; i < fields.size(); ++i)
      if (fields[i].compare(name, Qt::CaseInsensitive) == 0)
        return i;
    return -1;
  };
  for (const auto &clause : statement.alterClauses) {
    if (!clause.add) {
      const ColumnName &column = clause.column;
      if (!column.qualifier.isEmpty()) {
        TableDef named;
        if (!schema_.findTable(column.qualifier, named) || named.name != result.table)
          throw EngineError(ErrSyntax, QStringLiteral("DROP %1.%2 names another table than %3.")
                                           .arg(column.qualifier, column.name, result.table));
      }
      const int index = indexOf(column.name);
      if (index < 0)
        throw EngineError(ErrFieldNotFound,
                          QStringLiteral("The field %1 does not exist in the table %2.").arg(column.name, result.table));
      result.droppedFields << fields.takeAt(index);
      result.sqliteStatements << head + QStringLiteral(" DROP COLUMN ") + QuoteIdentifier(result.droppedFields.last());
      continue;
    }
    FieldDef field;
    field.name = clause.column.name;
    QString declaration = clause.typeName;
    QStringList arguments;
    for (int argument : clause.typeArguments)
      arguments << QString::number(argument);
    if (!arguments.isEmpty())
      declaration += QLatin1Char('(') + arguments.join(QLatin1Char(',')) + QLatin1Char(')');
    const auto refuseType = [&](const QString &why) {
      throw EngineError(ErrSyntax, QStringLiteral("The field type %1 of %2 (position %3) %4.")
                                       .arg(declaration, field.name)
                                       .arg(clause.typePosition + 1)
                                       .arg(why));
    };
    if (!FieldTypeFromDeclaration(declaration, field))
      refuseType(QStringLiteral("is not a type of the local SQL"));
    const int argumentCount = clause.typeArguments.size();
    switch (field.type) {
    case FieldType::Text:
      if (argumentCount != 1 || field.size < 1 || field.size > 255)
        refuseType(QStringLiteral("needs a width from 1 to 255, as CHAR(40)"));
      break;
    case FieldType::Memo:
      if (argumentCount < 1 || argumentCount > 2 || field.size < 1 || field.size > 240 ||
          (argumentCount == 2 && clause.typeArguments[1] != 1))
        refuseType(QStringLiteral("needs the bytes held in the record (1 to 240) and the memo subtype 1, as BLOB(200,1)"));
      break;
    case FieldType::Decimal:
      if (argumentCount != 2 || field.size < 1 || field.size > 32 || field.precision < 0 || field.precision > field.size)
        refuseType(QStringLiteral("needs its digits and digits after the point, as DECIMAL(8,3)"));
      break;
    case FieldType::AutoInc: refuseType(QStringLiteral("cannot be added to a table that has records"));
    default:
      if (argumentCount != 0)
        refuseType(QStringLiteral("takes no width"));
      break;
    }
    if (indexOf(field.name) >= 0)
      throw EngineError(ErrGeneral, QStringLiteral("The table %1 already has a field %2.").arg(result.table, field.name));
    fields << field.name;
    result.addedFields << field;
    result.sqliteStatements << head + QStringLiteral(" ADD COLUMN ") + ColumnDefinition(field);
  }
}

// The table of a FROM list that a qualifier names: by its alias, else by its own name
// or file name ("defect.db".Product).
const SourceTable *Translator::qualifiedTable(const Scope &level, const QString &qualifier) const {
  TRACE_ROUTINE("localsql", "Translator.qualifiedTable");
  for (const auto &table : level.tables)
    if (table.reference().compare(qualifier, Qt::CaseInsensitive) == 0)
      return &table;
  TableDef named;
  if (!schema_.findTable(qualifier, named))
    return nullptr;
  for (const auto &table : level.tables)
    if (table.definition.name == named.name)
      return &table;
  return nullptr;
}

// The field of a table in scope that a name stands for: the qualifier's table, or the
// first table of the innermost FROM list that has it. A double-quoted word that names
// nothing gives no column (it is a string); any other unknown name is an error.
std::optional<ResolvedColumn> Translator::resolveName(const Expr &name, const Scope &scope) const {
  TRACE_ROUTINE("localsql", "Translator.resolveName");
  if (!name.qualifier.isEmpty()) {
    for (const Scope *level = &scope; level; level = level->outer) {
      const SourceTable *table = qualifiedTable(*level, name.qualifier);
      if (!table)
        continue;
      const FieldDef *field = table->definition.field(name.name);
      if (!field)
        throw EngineError(ErrFieldNotFound, QStringLiteral("The field %1 does not exist in the table %2.")
                                                .arg(name.name, table->definition.name));
      return ResolvedColumn{field, QuoteIdentifier(table->reference()) + QLatin1Char('.') + QuoteIdentifier(field->name)};
    }
    throw EngineError(ErrTableNotFound,
                      QStringLiteral("%1.%2: %1 is no table or alias of the statement.").arg(name.qualifier, name.name));
  }
  for (const Scope *level = &scope; level; level = level->outer) {
    if (level->resultNamesVisible)
      for (const auto &resultName : level->resultNames)
        if (resultName.compare(name.name, Qt::CaseInsensitive) == 0)
          return ResolvedColumn{nullptr, QuoteIdentifier(resultName)};
    for (const auto &table : level->tables)
      if (const FieldDef *field = table.definition.field(name.name))
        return ResolvedColumn{field, QuoteIdentifier(table.reference()) + QLatin1Char('.') + QuoteIdentifier(field->name)};
  }
  if (name.quoted) {
    TableDef table;
    if (schema_.findTable(name.name, table))
      throw EngineError(ErrSyntax, QStringLiteral("\"%1\" (position %2) names a table where a value belongs.")
                                       .arg(name.name)
                                       .arg(name.position + 1));
    return std::nullopt;
  }
  QStringList tables;
  for (const Scope *level = &scope; level; level = level->outer)
    for (const auto &table : level->tables)
      tables << table.definition.name;
  if (tables.isEmpty())
    throw EngineError(ErrFieldNotFound, QStringLiteral("%1 (position %2) is not a value; write text between single quotes.")
                                            .arg(name.name)
                                            .arg(name.position + 1));
  if (tables.size() == 1)
    throw EngineError(ErrFieldNotFound,
                      QStringLiteral("The field %1 does not exist in the table %2.").arg(name.name, tables.front()));
  throw EngineError(ErrFieldNotFound, QStringLiteral("The field %1 does not exist in any table of the statement (%2).")
                                          .arg(name.name, tables.join(QStringLiteral(", "))));
}

// The field an operand is, when it is a plain (possibly parenthesized) field name.
const FieldDef *Translator::columnField(const Expr &expr, const Scope &scope) const {
  TRACE_ROUTINE("localsql", "Translator.columnField");
  const Expr &inner = Unwrapped(expr);
  if (inner.kind != Expr::Kind::Name)
    return nullptr;
  const auto column = resolveName(inner, scope);
  return column ? column->field : nullptr;
}

// The text of a string literal, or of a double-quoted word that names nothing.
std::optional<QString> Translator::stringValue(const Expr &expr, const Scope &scope) const {
  TRACE_ROUTINE("localsql", "Translator.stringValue");
  const Expr &inner = Unwrapped(expr);
  if (inner.kind == Expr::Kind::String)
    return inner.text;
  if (inner.kind == Expr::Kind::Name && inner.quoted && inner.qualifier.isEmpty() && !resolveName(inner, scope))
    return inner.name;
  return std::nullopt;
}

// A value compared with or stored into `field`: date and time literals take the
// field's stored form.
QString Translator::valueFor(const Expr &value, const FieldDef *field, const Scope &scope) {
  TRACE_ROUTINE("localsql", "Translator.valueFor");
  if (IsTemporalField(field))
    if (const auto text = stringValue(value, scope)) {
      if (text->trimmed().isEmpty())
        return QStringLiteral("NULL");
      return SqlString(StoredTemporalLiteral(*text, *field));
    }
  return expr(value, scope).text;
}

QString Translator::operand(const Expr &expr, const Scope &scope, int parentPrecedence, bool rightSide) {
  const Sql sql = this->expr(expr, scope);
  if (sql.precedence < parentPrecedence || (rightSide && sql.precedence == parentPrecedence))
    return QLatin1Char('(') + sql.text + QLatin1Char(')');
  return sql.text;
}

// A comparison; a blank text is the same whether the field holds '' or null, so
// "Program = ''" finds the records that apply to a whole release either way.
Sql Translator::comparison(const Expr &expr, const Scope &scope) {
  TRACE_ROUTINE("localsql", "Translator.comparison");
  const Expr &left = *expr.operands[0];
  const Expr &right = *expr.operands[1];
  const FieldDef *leftField = columnField(left, scope);
  const FieldDef *rightField = columnField(right, scope);
  const auto leftString = leftField ? std::nullopt : stringValue(left, scope);
  const auto rightString = rightField ? std::nullopt : stringValue(right, scope);
  const FieldDef *field = leftField && rightString ? leftField : rightField && leftString ? rightField : nullptr;
  const std::optional<QString> &literal = field == leftField ? rightString : leftString;
  if (field && literal && literal->isEmpty() && (IsText(field) || IsTemporalField(field)) &&
      expr.text == QLatin1String("=")) {
    const QString column = operand(field == leftField ? left : right, scope, PrecCompare);
    return {QStringLiteral("(%1 = '' OR %1 IS NULL)").arg(column), PrecPrimary};
  }
  QString leftSql = field && field == rightField ? valueFor(left, field, scope) : operand(left, scope, PrecCompare);
  QString rightSql = field && field == leftField ? valueFor(right, field, scope) : operand(right, scope, PrecCompare, true);
  // A blank Boolean reads as False, so it compares as False too: "Hidden = FALSE"
  // lists the releases whose Hidden was never set.
  if (IsTruthLiteral(right) && IsBoolean(leftField))
    leftSql = QStringLiteral("coalesce(%1, 0)").arg(leftSql);
  else if (IsTruthLiteral(left) && IsBoolean(rightField))
    rightSql = QStringLiteral("coalesce(%1, 0)").arg(rightSql);
  return {leftSql + QLatin1Char(' ') + expr.text + QLatin1Char(' ') + rightSql, PrecCompare};
}

Sql Translator::inList(const Expr &expr, const Scope &scope) {
  TRACE_ROUTINE("localsql", "Translator.inList");
  const FieldDef *field = columnField(*expr.operands[0], scope);
  const QString subject = operand(*expr.operands[0], scope, PrecCompare);
  QStringList items;
  bool blankListed = false;
  for (size_t i = 1; i < expr.operands.size(); ++i) {
    const auto text = stringValue(*expr.operands[i], scope);
    blankListed = blankListed || (text && text->isEmpty());
    if (text && text->isEmpty() && IsTemporalField(field))
      items << QStringLiteral("''");
    else
      items << (field ? valueFor(*expr.operands[i], field, scope) : operand(*expr.operands[i], scope, PrecCompare));
  }
  const QString list = subject + (expr.negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) +
                       items.join(QStringLiteral(", ")) + QLatin1Char(')');
  if (blankListed && !expr.negated && (IsText(field) || IsTemporalField(field)))
    return {QStringLiteral("(%1 OR %2 IS NULL)").arg(list, subject), PrecPrimary};
  return {list, PrecCompare};
}

Sql Translator::expr(const Expr &expr, const Scope &scope) {
  TRACE_ROUTINE("localsql", "Translator.expr");
  switch (expr.kind) {
  case Expr::Kind::String: return {SqlString(expr.text)};
  case Expr::Kind::Number:
  case Expr::Kind::Boolean: return {expr.text};
  case Expr::Kind::Null: return {QStringLiteral("NULL")};
  case Expr::Kind::Name: {
    const auto column = resolveName(expr, scope);
    return {column ? column->sql : SqlString(expr.name)};
  }
  case Expr::Kind::Star:
    throw EngineError(ErrSyntax, QStringLiteral("\"*\" (position %1) stands for fields only in the select list or COUNT(*).")
                                     .arg(expr.position + 1));
  case Expr::Kind::Paren: return {QLatin1Char('(') + this->expr(*expr.operands[0], scope).text + QLatin1Char(')')};
  case Expr::Kind::Unary: {
    if (expr.text == QLatin1String("NOT"))
      return {QStringLiteral("NOT ") + operand(*expr.operands[0], scope, PrecNot), PrecNot};
    // Parenthesized operands keep two signs from reading as a comment.
    return {expr.text + operand(*expr.operands[0], scope, PrecPrimary), PrecUnary};
  }
  case Expr::Kind::Binary: {
    const int precedence = BinaryPrecedence(expr.text);
    if (precedence == PrecCompare)
      return comparison(expr, scope);
    // "a || b * c" was read as a || (b * c): SQLite binds || tighter than * and +,
    // so such operands get their parentheses here.
    return {operand(*expr.operands[0], scope, precedence) + QLatin1Char(' ') + expr.text + QLatin1Char(' ') +
                operand(*expr.operands[1], scope, precedence, true),
            precedence};
  }
  case Expr::Kind::Function: {
    const Expr &argument = *expr.operands[0];
    const QString inner = argument.kind == Expr::Kind::Star ? QStringLiteral("*") : this->expr(argument, scope).text;
    return {expr.text.toLower() + QLatin1Char('(') + (expr.distinct ? QStringLiteral("DISTINCT ") : QString()) + inner +
            QLatin1Char(')')};
  }
  case Expr::Kind::Substring: {
    QStringList arguments;
    for (const auto &argument : expr.operands)
      arguments << this->expr(*argument, scope).text;
    return {QStringLiteral("substr(") + arguments.join(QStringLiteral(", ")) + QLatin1Char(')')};
  }
  case Expr::Kind::InList: return inList(expr, scope);
  case Expr::Kind::InSelect:
    return {operand(*expr.operands[0], scope, PrecCompare) + (expr.negated ? QStringLiteral(" NOT IN (") : QStringLiteral(" IN (")) +
                select(*expr.select, &scope) + QLatin1Char(')'),
            PrecCompare};
  case Expr::Kind::Between: {
    const FieldDef *field = columnField(*expr.operands[0], scope);
    return {operand(*expr.operands[0], scope, PrecCompare) + (expr.negated ? QStringLiteral(" NOT BETWEEN ") : QStringLiteral(" BETWEEN ")) +
                valueFor(*expr.operands[1], field, scope) + QStringLiteral(" AND ") + valueFor(*expr.operands[2], field, scope),
            PrecCompare};
  }
  case Expr::Kind::Like:
    return {operand(*expr.operands[0], scope, PrecCompare) + (expr.negated ? QStringLiteral(" NOT LIKE ") : QStringLiteral(" LIKE ")) +
                operand(*expr.operands[1], scope, PrecCompare, true),
            PrecCompare};
  case Expr::Kind::IsNull: {
    const FieldDef *field = columnField(*expr.operands[0], scope);
    const QString subject = operand(*expr.operands[0], scope, PrecCompare);
    if (IsText(field))
      return {expr.negated ? QStringLiteral("(%1 IS NOT NULL AND %1 <> '')").arg(subject)
                           : QStringLiteral("(%1 IS NULL OR %1 = '')").arg(subject)};
    return {subject + (expr.negated ? QStringLiteral(" IS NOT NULL") : QStringLiteral(" IS NULL")), PrecCompare};
  }
  case Expr::Kind::Exists: return {QStringLiteral("EXISTS (") + select(*expr.select, &scope) + QLatin1Char(')')};
  case Expr::Kind::Subquery: return {QLatin1Char('(') + select(*expr.select, &scope) + QLatin1Char(')')};
  }
  return {};
}

}  // namespace

TranslatedStatement TranslateLocalSql(const QString &localSql, const SchemaLookup &schema) {
  TRACE_ROUTINE("localsql", "TranslateLocalSql");
  const ParsedStatement statement = ParseLocalSql(localSql);
  Translator translator(schema);
  return translator.translate(statement);
}

}  // namespace db
