#include "data/local_sql_literals.h"

#include "app/base/call_trace.h"
#include "data/engine.h"

#include <QDate>
#include <QRegularExpression>
#include <QTime>

namespace db::localsql {

namespace {

// m/d/yyyy as statements write it, or the stored yyyy-mm-dd.
QDate ReadDate(const QString &text) {
  TRACE_ROUTINE("localsql", "ReadDate");
  static const QRegularExpression written(QStringLiteral(R"(^(\d{1,2})/(\d{1,2})/(\d{4})$)"));
  static const QRegularExpression stored(QStringLiteral(R"(^(\d{4})-(\d{2})-(\d{2})$)"));
  if (const auto match = written.match(text); match.hasMatch())
    return QDate(match.captured(3).toInt(), match.captured(1).toInt(), match.captured(2).toInt());
  if (const auto match = stored.match(text); match.hasMatch())
    return QDate(match.captured(1).toInt(), match.captured(2).toInt(), match.captured(3).toInt());
  return {};
}

// h:mm, h:mm:ss, h:mm:ss.zzz, each optionally followed by AM or PM.
QTime ReadTime(const QString &text) {
  TRACE_ROUTINE("localsql", "ReadTime");
  static const QRegularExpression pattern(
      QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2})(?:\.(\d{1,3}))?)?(?:\s*([AaPp])[Mm])?$)"));
  const auto match = pattern.match(text);
  if (!match.hasMatch())
    return {};
  int hour = match.captured(1).toInt();
  const QString half = match.captured(5).toUpper();
  if (!half.isEmpty()) {
    if (hour < 1 || hour > 12)
      return {};
    hour = hour % 12 + (half == QLatin1String("P") ? 12 : 0);
  }
  const int milliseconds = match.captured(4).isEmpty() ? 0 : match.captured(4).leftJustified(3, QLatin1Char('0')).toInt();
  return QTime(hour, match.captured(2).toInt(), match.captured(3).toInt(), milliseconds);
}

[[noreturn]] void RefuseLiteral(const QString &literal, const FieldDef &field, const char *form) {
  throw EngineError(ErrInvalidValue, QStringLiteral("'%1' is not a valid %2 for the field %3; write it as %4.")
                                         .arg(literal, FieldTypeName(field.type).toLower(), field.name,
                                              QLatin1String(form)));
}

}  // namespace

bool IsTemporal(FieldType type) {
  return type == FieldType::Date || type == FieldType::Time || type == FieldType::Timestamp;
}

QString StoredTemporalLiteral(const QString &literal, const FieldDef &field) {
  TRACE_ROUTINE("localsql", "StoredTemporalLiteral");
  const QString text = literal.trimmed();
  switch (field.type) {
  case FieldType::Date: {
    const QDate date = ReadDate(text);
    if (!date.isValid())
      RefuseLiteral(literal, field, "month/day/year, as 1/31/2024");
    return date.toString(QStringLiteral("yyyy-MM-dd"));
  }
  case FieldType::Time: {
    const QTime time = ReadTime(text);
    if (!time.isValid())
      RefuseLiteral(literal, field, "hours:minutes:seconds, as 14:05:00");
    return time.toString(QStringLiteral("HH:mm:ss"));
  }
  case FieldType::Timestamp: {
    const int blank = text.indexOf(QRegularExpression(QStringLiteral(R"(\s)")));
    const QDate date = ReadDate(blank < 0 ? text : text.left(blank));
    const QTime time = blank < 0 ? QTime(0, 0) : ReadTime(text.mid(blank + 1).trimmed());
    if (!date.isValid() || !time.isValid())
      RefuseLiteral(literal, field, "month/day/year hours:minutes:seconds, as 1/31/2024 14:05:00");
    return date.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char(' ') + time.toString(QStringLiteral("HH:mm:ss.zzz"));
  }
  default: return literal;
  }
}

}  // namespace db::localsql
