// Field values and their stored forms. Dates, times and timestamps are stored as ISO
// text so that they compare and order as dates; Booleans as 0 and 1; whole numbers as
// SQLite integers, so that a defect number 9 reads back as 9 and never as 9.0.

#include "app/base/call_trace.h"
#include "data/engine_internal.h"

#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace db {

namespace {

const QString DateForm = QStringLiteral("yyyy-MM-dd");
const QString TimeForm = QStringLiteral("HH:mm:ss");
const QString TimestampForm = QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz");

// Digits at text[from, from + count) as a number; -1 when any is not a digit.
int digits(const char *text, int from, int count) {
  int value = 0;
  for (int i = from; i < from + count; ++i) {
    if (text[i] < '0' || text[i] > '9')
      return -1;
    value = value * 10 + (text[i] - '0');
  }
  return value;
}

// "yyyy-MM-dd" at the start of text.
QDate parseStoredDate(const char *text, int length) {
  if (length < 10 || text[4] != '-' || text[7] != '-')
    return {};
  return QDate(digits(text, 0, 4), digits(text, 5, 2), digits(text, 8, 2));
}

// "HH:mm:ss" with an optional ".zzz", at text[from...].
QTime parseStoredTime(const char *text, int length, int from) {
  if (length - from < 8 || text[from + 2] != ':' || text[from + 5] != ':')
    return {};
  int milliseconds = 0;
  if (length - from >= 12 && text[from + 8] == '.')
    milliseconds = digits(text, from + 9, 3);
  return QTime(digits(text, from, 2), digits(text, from + 3, 2), digits(text, from + 6, 2), milliseconds);
}

QString viewText(const StoredView &stored) {
  return QString::fromUtf8(stored.text, stored.length);
}

QVariant wholeOrReal(double value) {
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 9007199254740992.0)
    return QVariant::fromValue(static_cast<qlonglong>(value));
  return value;
}

[[noreturn]] void invalidValue(const FieldDef &field, const QVariant &value, const QString &why = {}) {
  QString text = QStringLiteral("\"%1\" is not a valid value for field \"%2\" (%3)")
                     .arg(value.toString(), field.name, FieldTypeName(field.type));
  text += why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": ") + why + QLatin1Char('.');
  throw EngineError(ErrInvalidValue, text);
}

bool isWholeNumberType(int typeId) {
  switch (typeId) {
  case QMetaType::Int:
  case QMetaType::UInt:
  case QMetaType::LongLong:
  case QMetaType::ULongLong:
  case QMetaType::Long:
  case QMetaType::ULong:
  case QMetaType::Short:
  case QMetaType::UShort:
  case QMetaType::Char:
  case QMetaType::SChar:
  case QMetaType::UChar:
    return true;
  default:
    return false;
  }
}

// A number given for a numeric field: a whole number as an integer, else a double.
StoredValue storedNumber(const FieldDef &field, const QVariant &value) {
  const int typeId = value.metaType().id();
  if (typeId == QMetaType::Bool)
    return StoredValue::fromInteger(value.toBool() ? 1 : 0);
  if (isWholeNumberType(typeId))
    return StoredValue::fromInteger(value.toLongLong());
  double number = 0;
  bool ok = false;
  if (typeId == QMetaType::QString || typeId == QMetaType::QByteArray) {
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
      return StoredValue::null();
    number = QLocale::c().toDouble(text, &ok);
  } else {
    number = value.toDouble(&ok);
  }
  if (!ok || !std::isfinite(number))
    invalidValue(field, value, QStringLiteral("a number is needed"));
  const QVariant normal = wholeOrReal(number);
  if (normal.metaType().id() == QMetaType::LongLong)
    return StoredValue::fromInteger(normal.toLongLong());
  return StoredValue::fromReal(number);
}

StoredValue storedWholeNumber(const FieldDef &field, const QVariant &value, int64_t lowest, int64_t highest) {
  const StoredValue number = storedNumber(field, value);
  if (number.kind == StoredValue::Null)
    return number;
  if (number.kind != StoredValue::Integer)
    invalidValue(field, value, QStringLiteral("a whole number is needed"));
  if (number.integer < lowest || number.integer > highest)
    invalidValue(field, value, QStringLiteral("the field holds %1 to %2").arg(lowest).arg(highest));
  return number;
}

StoredValue storedDecimal(const FieldDef &field, const QVariant &value) {
  StoredValue number = storedNumber(field, value);
  if (number.kind == StoredValue::Null)
    return number;
  double real = number.kind == StoredValue::Integer ? static_cast<double>(number.integer) : number.real;
  const double scale = std::pow(10.0, field.precision);
  real = std::round(real * scale) / scale;
  if (field.size > 0 && std::fabs(real) >= std::pow(10.0, field.size - field.precision))
    invalidValue(field, value,
                 QStringLiteral("the field holds %1 digits, %2 after the point").arg(field.size).arg(field.precision));
  const QVariant normal = wholeOrReal(real);
  if (normal.metaType().id() == QMetaType::LongLong)
    return StoredValue::fromInteger(normal.toLongLong());
  return StoredValue::fromReal(real);
}

StoredValue storedBoolean(const FieldDef &field, const QVariant &value) {
  const int typeId = value.metaType().id();
  if (typeId == QMetaType::Bool)
    return StoredValue::fromInteger(value.toBool() ? 1 : 0);
  if (typeId == QMetaType::QString || typeId == QMetaType::QByteArray) {
    const QString text = value.toString().trimmed().toLower();
    if (text.isEmpty())
      return StoredValue::null();
    if (text == QLatin1String("true") || text == QLatin1String("t") || text == QLatin1String("1"))
      return StoredValue::fromInteger(1);
    if (text == QLatin1String("false") || text == QLatin1String("f") || text == QLatin1String("0"))
      return StoredValue::fromInteger(0);
    invalidValue(field, value, QStringLiteral("True or False is needed"));
  }
  bool ok = false;
  const double number = value.toDouble(&ok);
  if (!ok)
    invalidValue(field, value, QStringLiteral("True or False is needed"));
  return StoredValue::fromInteger(number != 0 ? 1 : 0);
}

QDate dateFromText(const QString &text) {
  QDate date = QDate::fromString(text, Qt::ISODate);
  if (!date.isValid())
    date = QDate::fromString(text, QStringLiteral("M/d/yyyy"));
  return date;
}

QTime timeFromText(const QString &text) {
  static const QStringList forms{QStringLiteral("H:mm:ss"), QStringLiteral("H:mm:ss.zzz"), QStringLiteral("H:mm"),
                                 QStringLiteral("h:mm:ss AP"), QStringLiteral("h:mm AP")};
  for (const auto &form : forms) {
    const QTime time = QLocale::c().toTime(text, form);
    if (time.isValid())
      return time;
  }
  return {};
}

QDateTime timestampFromText(const QString &text) {
  QDateTime stamp = QDateTime::fromString(text, TimestampForm);
  if (!stamp.isValid())
    stamp = QDateTime::fromString(text, Qt::ISODateWithMs);
  if (!stamp.isValid())
    stamp = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
  return stamp;
}

StoredValue storedDate(const FieldDef &field, const QVariant &value) {
  QDate date;
  switch (value.metaType().id()) {
  case QMetaType::QDate: date = value.toDate(); break;
  case QMetaType::QDateTime: date = value.toDateTime().date(); break;
  case QMetaType::QString: {
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
      return StoredValue::null();
    date = dateFromText(text);
    if (!date.isValid())
      invalidValue(field, value, QStringLiteral("a date is needed"));
    break;
  }
  default: invalidValue(field, value, QStringLiteral("a date is needed"));
  }
  return date.isValid() ? StoredValue::fromText(date.toString(DateForm)) : StoredValue::null();
}

StoredValue storedTime(const FieldDef &field, const QVariant &value) {
  QTime time;
  switch (value.metaType().id()) {
  case QMetaType::QTime: time = value.toTime(); break;
  case QMetaType::QDateTime: time = value.toDateTime().time(); break;
  case QMetaType::QString: {
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
      return StoredValue::null();
    time = timeFromText(text);
    if (!time.isValid())
      invalidValue(field, value, QStringLiteral("a time is needed"));
    break;
  }
  default: invalidValue(field, value, QStringLiteral("a time is needed"));
  }
  return time.isValid() ? StoredValue::fromText(time.toString(TimeForm)) : StoredValue::null();
}

StoredValue storedTimestamp(const FieldDef &field, const QVariant &value) {
  QDateTime stamp;
  switch (value.metaType().id()) {
  case QMetaType::QDateTime: stamp = value.toDateTime(); break;
  case QMetaType::QDate: stamp = value.toDate().startOfDay(); break;
  case QMetaType::QString: {
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
      return StoredValue::null();
    stamp = timestampFromText(text);
    if (!stamp.isValid())
      invalidValue(field, value, QStringLiteral("a date and time are needed"));
    break;
  }
  default: invalidValue(field, value, QStringLiteral("a date and time are needed"));
  }
  return stamp.isValid() ? StoredValue::fromText(stamp.toString(TimestampForm)) : StoredValue::null();
}

}  // namespace

StoredValue StoredValue::fromText(const QString &v) {
  StoredValue s;
  s.kind = Text;
  s.text = v.toStdString();
  return s;
}

bool StoredValue::operator==(const StoredValue &other) const {
  if (kind != other.kind)
    return false;
  switch (kind) {
  case Null: return true;
  case Integer: return integer == other.integer;
  case Float: return real == other.real;
  case Text: return text == other.text;
  }
  return false;
}

StoredView ColumnView(sqlite3_stmt *statement, int column) {
  StoredView view;
  view.kind = sqlite3_column_type(statement, column);
  switch (view.kind) {
  case SQLITE_INTEGER: view.integer = sqlite3_column_int64(statement, column); break;
  case SQLITE_FLOAT: view.real = sqlite3_column_double(statement, column); break;
  case SQLITE_TEXT:
    view.text = reinterpret_cast<const char *>(sqlite3_column_text(statement, column));
    view.length = sqlite3_column_bytes(statement, column);
    break;
  case SQLITE_BLOB:
    view.text = static_cast<const char *>(sqlite3_column_blob(statement, column));
    view.length = sqlite3_column_bytes(statement, column);
    break;
  default: break;
  }
  return view;
}

StoredView ViewOf(const StoredValue &value) {
  StoredView view;
  view.kind = value.kind;
  view.integer = value.integer;
  view.real = value.real;
  view.text = value.text.data();
  view.length = static_cast<int>(value.text.size());
  return view;
}

QVariant FieldValue(const FieldType *type, const StoredView &stored) {
  if (stored.kind == SQLITE_NULL)
    return {};
  if (!type) {
    switch (stored.kind) {
    case SQLITE_INTEGER: return QVariant::fromValue(static_cast<qlonglong>(stored.integer));
    case SQLITE_FLOAT: return stored.real;
    case SQLITE_BLOB: return QByteArray(stored.text, stored.length);
    default: return viewText(stored);
    }
  }
  const bool isText = stored.kind == SQLITE_TEXT || stored.kind == SQLITE_BLOB;
  switch (*type) {
  case FieldType::Text:
  case FieldType::Memo:
    if (stored.kind == SQLITE_INTEGER)
      return QString::number(stored.integer);
    if (stored.kind == SQLITE_FLOAT)
      return QString::number(stored.real, 'g', 15);
    return viewText(stored);
  case FieldType::Number:
  case FieldType::Integer:
  case FieldType::Short:
  case FieldType::AutoInc:
    if (stored.kind == SQLITE_INTEGER)
      return QVariant::fromValue(static_cast<qlonglong>(stored.integer));
    if (stored.kind == SQLITE_FLOAT)
      return wholeOrReal(stored.real);
    return viewText(stored);
  case FieldType::Decimal:
    if (stored.kind == SQLITE_INTEGER)
      return static_cast<double>(stored.integer);
    if (stored.kind == SQLITE_FLOAT)
      return stored.real;
    return viewText(stored);
  case FieldType::Boolean:
    if (stored.kind == SQLITE_INTEGER)
      return stored.integer != 0;
    if (stored.kind == SQLITE_FLOAT)
      return stored.real != 0;
    return viewText(stored);
  case FieldType::Date:
    if (isText) {
      const QDate date = parseStoredDate(stored.text, stored.length);
      if (date.isValid() && stored.length == 10)
        return date;
      const QDate general = dateFromText(viewText(stored));
      if (general.isValid())
        return general;
    }
    break;
  case FieldType::Time:
    if (isText) {
      const QTime time = parseStoredTime(stored.text, stored.length, 0);
      if (time.isValid())
        return time;
      const QTime general = timeFromText(viewText(stored));
      if (general.isValid())
        return general;
    }
    break;
  case FieldType::Timestamp:
    if (isText) {
      const QDate date = parseStoredDate(stored.text, stored.length);
      const QTime time = stored.length > 11 ? parseStoredTime(stored.text, stored.length, 11) : QTime();
      if (date.isValid() && time.isValid())
        return QDateTime(date, time);
      const QDateTime general = timestampFromText(viewText(stored));
      if (general.isValid())
        return general;
    }
    break;
  }
  // A value the engine did not write in this form: shown as it is stored.
  return FieldValue(nullptr, stored);
}

StoredValue ToStored(const FieldDef &field, const QVariant &value) {
  if (!value.isValid() || value.isNull())
    return StoredValue::null();
  switch (field.type) {
  case FieldType::Text:
  case FieldType::Memo:
    return StoredValue::fromText(value.toString());
  case FieldType::Number: return storedNumber(field, value);
  case FieldType::Integer:
  case FieldType::AutoInc: return storedWholeNumber(field, value, INT32_MIN, INT32_MAX);
  case FieldType::Short: return storedWholeNumber(field, value, INT16_MIN, INT16_MAX);
  case FieldType::Decimal: return storedDecimal(field, value);
  case FieldType::Boolean: return storedBoolean(field, value);
  case FieldType::Date: return storedDate(field, value);
  case FieldType::Time: return storedTime(field, value);
  case FieldType::Timestamp: return storedTimestamp(field, value);
  }
  return StoredValue::null();
}

int TextLength(const StoredValue &value) {
  // SQLite's length() counts characters: every UTF-8 byte that does not continue one.
  int characters = 0;
  for (const char c : value.text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
      ++characters;
  return characters;
}

QString FieldTooLongText(const QString &table, const QString &field, int width) {
  return QStringLiteral("The text for field \"%1\" of table \"%2\" is longer than the field's %3 characters; "
                        "nothing was written. Shorten the text to at most %3 characters.")
      .arg(field, table)
      .arg(width);
}

void CheckWidth(const QString &table, const FieldDef &field, const StoredValue &value) {
  if (field.type != FieldType::Text || value.kind != StoredValue::Text || field.size <= 0)
    return;
  if (TextLength(value) > field.size)
    throw EngineError(ErrFieldTooLong, FieldTooLongText(table, field.name, field.size));
}

void Bind(sqlite3_stmt *statement, int index, const StoredValue &value) {
  switch (value.kind) {
  case StoredValue::Null: sqlite3_bind_null(statement, index); break;
  case StoredValue::Integer: sqlite3_bind_int64(statement, index, value.integer); break;
  case StoredValue::Float: sqlite3_bind_double(statement, index, value.real); break;
  case StoredValue::Text:
    sqlite3_bind_text(statement, index, value.text.data(), static_cast<int>(value.text.size()), SQLITE_TRANSIENT);
    break;
  }
}

EngineError SqliteError(sqlite3 *connection, int resultCode, const QString &context, const TableDef *table) {
  const QString message = QString::fromUtf8(sqlite3_errmsg(connection));
  const int primary = resultCode & 0xFF;
  // "UNIQUE constraint failed: Defect.Product, ..." names the table written to.
  auto constraintTable = [&]() -> QString {
    if (table)
      return table->name;
    static const QRegularExpression tableName(QStringLiteral(R"(failed: ([^.]+)\.)"));
    return tableName.match(message).captured(1);
  };
  if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
    return EngineError(ErrBusy, QStringLiteral("The database stayed busy for more than %1 seconds while another "
                                               "station was using it. Try again in a moment.")
                                    .arg(BusyTimeoutMs / 1000));
  if (resultCode == SQLITE_CONSTRAINT_PRIMARYKEY || resultCode == SQLITE_CONSTRAINT_UNIQUE)
    return EngineError(ErrKeyViolation,
                       QStringLiteral("Key violation: table \"%1\" already holds a record with this key; "
                                      "nothing was written.")
                           .arg(constraintTable()));
  if (resultCode == SQLITE_CONSTRAINT_CHECK) {
    static const QRegularExpression widthCheck(QStringLiteral(R"re(length\("((?:[^"]|"")*)"\)\s*<=\s*(\d+))re"));
    const auto match = widthCheck.match(message);
    if (match.hasMatch()) {
      QString field = match.captured(1);
      field.replace(QLatin1String("\"\""), QLatin1String("\""));
      return EngineError(ErrFieldTooLong, FieldTooLongText(constraintTable(), field, match.captured(2).toInt()));
    }
  }
  if (resultCode == SQLITE_CONSTRAINT_NOTNULL) {
    static const QRegularExpression column(QStringLiteral(R"(failed: [^.]+\.(.+)$)"));
    return EngineError(ErrInvalidValue, QStringLiteral("Field \"%1\" of table \"%2\" belongs to the key and needs a "
                                                       "value; nothing was written.")
                                            .arg(column.match(message).captured(1), constraintTable()));
  }
  if (primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT)
    return EngineError(ErrGeneral, QStringLiteral("%1: the database file is damaged or not a database (%2).")
                                       .arg(context, message));
  return EngineError(ErrGeneral, QStringLiteral("%1: %2").arg(context, message));
}

}  // namespace db
