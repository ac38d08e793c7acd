// faultbk-sql: the administrator's tool for a data directory.
//   faultbk-sql --create DIR              makes a new data directory
//   faultbk-sql [-c STATEMENT]... DIR     runs each statement in order; without -c,
//                                         the statements on standard input, each ended by ;
// Statements are the program's local SQL. A SELECT prints a line of field names and a
// line per row, tab-separated: dates yyyy-mm-dd, times hh:mm:ss, booleans True/False,
// nulls empty; tabs and line breaks inside a text print as \t, \n and \r so that a row
// stays one line. An engine error prints "Error <code>: <text>" on standard error and
// ends the run with status 1.

#include "app/base/call_trace.h"
#include "app/data_directory.h"
#include "app/settings_error.h"
#include "data/engine.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QTextStream>

#include <iostream>

namespace {

QString printable(const QVariant &value) {
  switch (value.metaType().id()) {
  case QMetaType::UnknownType: return {};
  case QMetaType::Bool: return value.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  case QMetaType::QDate: return value.toDate().toString(QStringLiteral("yyyy-MM-dd"));
  case QMetaType::QTime: return value.toTime().toString(QStringLiteral("HH:mm:ss"));
  case QMetaType::QDateTime: return value.toDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  case QMetaType::Double: return QString::number(value.toDouble(), 'g', 15);
  default: {
    QString text = value.toString();
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
  }
  }
}

bool isSelect(const QString &statement) {
  return statement.trimmed().section(QRegularExpression(QStringLiteral("\\s+")), 0, 0).compare(
             QLatin1String("select"), Qt::CaseInsensitive) == 0;
}

void runStatement(const std::shared_ptr<db::Database> &database, const QString &statement, QTextStream &out) {
  TRACE_ROUTINE("faultbksql", "RunStatement");
  if (!isSelect(statement)) {
    database->execute(statement);
    return;
  }
  db::Query query(database, statement);
  query.open();
  out << query.fieldNames().join(QLatin1Char('\t')) << '\n';
  const int columns = int(query.fieldNames().size());
  for (; !query.eof(); query.next()) {
    QStringList fields;
    for (int column = 0; column < columns; ++column)
      fields << printable(query.value(column));
    out << fields.join(QLatin1Char('\t')) << '\n';
  }
  out.flush();
}

// The statements of a script, each ended by a semicolon outside quotes; a last one
// without its semicolon counts too.
QStringList splitStatements(const QString &script) {
  QStringList statements;
  QString current;
  QChar quote;
  for (const QChar c : script) {
    if (quote.isNull() && c == QLatin1Char(';')) {
      if (!current.trimmed().isEmpty())
        statements << current.trimmed();
      current.clear();
      continue;
    }
    if (c == QLatin1Char('\'') || c == QLatin1Char('"')) {
      if (quote.isNull())
        quote = c;
      else if (quote == c)
        quote = QChar();
    }
    current += c;
  }
  if (!current.trimmed().isEmpty())
    statements << current.trimmed();
  return statements;
}

int usage() {
  std::cerr << "usage: faultbk-sql --create DIR\n"
               "       faultbk-sql [-c STATEMENT]... DIR   (without -c: statements ending in ; on standard input)\n";
  return 2;
}

int reportEngineError(const db::EngineError &error) {
  std::cerr << "Error " << error.code() << ": " << error.text().toStdString() << std::endl;
  return 1;
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  TRACE_ROUTINE("faultbksql", "main");
  const QStringList arguments = application.arguments().mid(1);

  if (arguments.value(0) == QLatin1String("--create")) {
    if (arguments.size() != 2)
      return usage();
    try {
      CreateDataDirectory(arguments[1]);
    } catch (const db::EngineError &error) {
      return reportEngineError(error);
    } catch (const SettingsError &error) {
      std::cerr << "Error: " << error.text().toStdString() << std::endl;
      return 1;
    }
    return 0;
  }

  QStringList statements;
  QString directory;
  for (int i = 0; i < arguments.size(); ++i) {
    if (arguments[i] == QLatin1String("-c")) {
      if (i + 1 >= arguments.size())
        return usage();
      statements << arguments[++i];
    } else if (directory.isEmpty() && !arguments[i].startsWith(QLatin1Char('-'))) {
      directory = arguments[i];
    } else {
      return usage();
    }
  }
  if (directory.isEmpty())
    return usage();

  QTextStream out(stdout);
  try {
    const auto database = db::Database::open(directory);
    if (statements.isEmpty()) {
      QTextStream in(stdin);
      statements = splitStatements(in.readAll());
    }
    for (const auto &statement : statements)
      runStatement(database, statement, out);
  } catch (const db::EngineError &error) {
    out.flush();
    return reportEngineError(error);
  }
  return 0;
}
