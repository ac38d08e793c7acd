// What tables and queries share: fields by name and the typed readers over them.

#include "app/base/call_trace.h"
#include "data/dates.h"
#include "data/engine_internal.h"

namespace db {

// --- DataSetCursor ---

void DataSetCursor::setFields(QList<FieldDef> fields) {
  fields_ = std::move(fields);
  indexByName_.clear();
  for (int i = 0; i < fields_.size(); ++i)
    if (!indexByName_.contains(fields_[i].name))
      indexByName_.insert(fields_[i].name, i);
  for (int i = 0; i < fields_.size(); ++i)
    if (!indexByName_.contains(fields_[i].name.toLower()))
      indexByName_.insert(fields_[i].name.toLower(), i);
}

int DataSetCursor::fieldIndex(const QString &name) const {
  if (const auto exact = indexByName_.constFind(name); exact != indexByName_.constEnd())
    return *exact;
  return indexByName_.value(name.toLower(), -1);
}

bool LocateMatches(const FieldDef *field, const StoredView &stored, const StoredValue &sought,
                   const QString &soughtText, int options) {
  if (sought.kind == StoredValue::Null)
    return stored.kind == SQLITE_NULL;
  if (stored.kind == SQLITE_NULL)
    return false;
  const bool textField = !field || field->type == FieldType::Text || field->type == FieldType::Memo;
  if (sought.kind == StoredValue::Text && (stored.kind == SQLITE_TEXT || stored.kind == SQLITE_BLOB)) {
    if (textField && (options & (LocateCaseInsensitive | LocatePartialKey))) {
      const QString text = QString::fromUtf8(stored.text, stored.length);
      const Qt::CaseSensitivity sensitivity =
          (options & LocateCaseInsensitive) ? Qt::CaseInsensitive : Qt::CaseSensitive;
      if (options & LocatePartialKey)
        return text.startsWith(soughtText, sensitivity);
      return text.compare(soughtText, sensitivity) == 0;
    }
    return stored.length == static_cast<int>(sought.text.size()) &&
           std::equal(sought.text.begin(), sought.text.end(), stored.text);
  }
  const bool storedNumeric = stored.kind == SQLITE_INTEGER || stored.kind == SQLITE_FLOAT;
  const bool soughtNumeric = sought.kind == StoredValue::Integer || sought.kind == StoredValue::Float;
  if (storedNumeric && soughtNumeric) {
    if (stored.kind == SQLITE_INTEGER && sought.kind == StoredValue::Integer)
      return stored.integer == sought.integer;
    const double a = stored.kind == SQLITE_INTEGER ? double(stored.integer) : stored.real;
    const double b = sought.kind == StoredValue::Integer ? double(sought.integer) : sought.real;
    return a == b;
  }
  return false;
}

// --- DataSet ---

DataSet::DataSet(std::shared_ptr<Database> database) : database_(std::move(database)) {}

DataSet::~DataSet() = default;

bool DataSet::isOpen() const {
  return cursor_ != nullptr;
}

namespace {

DataSetCursor &openCursor(const std::unique_ptr<DataSetCursor> &cursor) {
  if (!cursor)
    throw EngineError(ErrNoCurrentRecord, QStringLiteral("The data set is not open; open it before using it."));
  return *cursor;
}

}  // namespace

void DataSet::first() {
  TRACE_ROUTINE("engine", "DataSet.first");
  openCursor(cursor_).first();
}
void DataSet::next() {
  TRACE_ROUTINE("engine", "DataSet.next");
  openCursor(cursor_).next();
}
void DataSet::prior() {
  TRACE_ROUTINE("engine", "DataSet.prior");
  openCursor(cursor_).prior();
}
void DataSet::last() {
  TRACE_ROUTINE("engine", "DataSet.last");
  openCursor(cursor_).last();
}
bool DataSet::eof() const { return !cursor_ || cursor_->eof(); }
bool DataSet::bof() const { return !cursor_ || cursor_->bof(); }
bool DataSet::isEmpty() const { return !cursor_ || cursor_->isEmpty(); }
int DataSet::recordCount() const { return cursor_ ? cursor_->recordCount() : 0; }
int DataSet::recordNumber() const { return cursor_ ? cursor_->recordNumber() : -1; }
void DataSet::moveTo(int recordNumber) {
  TRACE_ROUTINE("engine", "DataSet.moveTo");
  openCursor(cursor_).moveTo(recordNumber);
}

QStringList DataSet::fieldNames() const {
  QStringList names;
  for (const auto &field : openCursor(cursor_).fieldDefs())
    names << field.name;
  return names;
}

QList<FieldDef> DataSet::fieldDefs() const {
  return openCursor(cursor_).fieldDefs();
}

bool DataSet::hasField(const QString &field) const {
  return openCursor(cursor_).fieldIndex(field) >= 0;
}

QVariant DataSet::value(const QString &field) const {
  TRACE_ROUTINE("engine", "DataSet.value");
  const DataSetCursor &cursor = openCursor(cursor_);
  const int index = cursor.fieldIndex(field);
  if (index < 0)
    throw EngineError(ErrFieldNotFound, QStringLiteral("Field \"%1\" not found.").arg(field));
  return cursor.value(index);
}

QVariant DataSet::value(int fieldIndex) const {
  TRACE_ROUTINE("engine", "DataSet.value");
  const DataSetCursor &cursor = openCursor(cursor_);
  if (fieldIndex < 0 || fieldIndex >= cursor.fieldDefs().size())
    throw EngineError(ErrFieldNotFound, QStringLiteral("There is no field number %1.").arg(fieldIndex));
  return cursor.value(fieldIndex);
}

bool DataSet::isNull(const QString &field) const {
  return !value(field).isValid();
}

QString DataSet::asString(const QString &field) const {
  const QVariant v = value(field);
  switch (v.metaType().id()) {
  case QMetaType::UnknownType: return {};
  case QMetaType::Bool: return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
  case QMetaType::QDate: return v.toDate().toString(ShortDateFormat());
  case QMetaType::QTime: return v.toTime().toString(ShortTimeFormat());
  case QMetaType::QDateTime: {
    const QDateTime stamp = v.toDateTime();
    return stamp.date().toString(ShortDateFormat()) + QLatin1Char(' ') + stamp.time().toString(ShortTimeFormat());
  }
  case QMetaType::Double: return QString::number(v.toDouble(), 'g', 15);
  default: return v.toString();
  }
}

qint64 DataSet::asInteger(const QString &field) const {
  const QVariant v = value(field);
  if (v.metaType().id() == QMetaType::QString)
    return v.toString().trimmed().toLongLong();
  if (v.metaType().id() == QMetaType::Double)
    return static_cast<qint64>(v.toDouble());
  return v.toLongLong();
}

double DataSet::asFloat(const QString &field) const {
  return value(field).toDouble();
}

bool DataSet::asBoolean(const QString &field) const {
  const QVariant v = value(field);
  if (v.metaType().id() == QMetaType::QString)
    return v.toString().trimmed().compare(QLatin1String("True"), Qt::CaseInsensitive) == 0;
  return v.toBool();
}

QDate DataSet::asDate(const QString &field) const {
  const QVariant v = value(field);
  if (v.metaType().id() == QMetaType::QDateTime)
    return v.toDateTime().date();
  return v.toDate();
}

QTime DataSet::asTime(const QString &field) const {
  const QVariant v = value(field);
  if (v.metaType().id() == QMetaType::QDateTime)
    return v.toDateTime().time();
  return v.toTime();
}

QDateTime DataSet::asDateTime(const QString &field) const {
  const QVariant v = value(field);
  if (v.metaType().id() == QMetaType::QDate)
    return v.toDate().startOfDay();
  return v.toDateTime();
}

bool DataSet::locate(const QString &fields, const QVariantList &values, int options) {
  TRACE_ROUTINE("engine", "DataSet.locate");
  DataSetCursor &cursor = openCursor(cursor_);
  const QStringList names = fields.split(QLatin1Char(';'), Qt::SkipEmptyParts);
  if (names.size() != values.size())
    throw EngineError(ErrInvalidValue, QStringLiteral("Locate on \"%1\" was given %2 values for %3 fields.")
                                           .arg(fields)
                                           .arg(values.size())
                                           .arg(names.size()));
  QList<int> indexes;
  for (const auto &name : names) {
    const int index = cursor.fieldIndex(name.trimmed());
    if (index < 0)
      throw EngineError(ErrFieldNotFound, QStringLiteral("Field \"%1\" not found.").arg(name.trimmed()));
    indexes << index;
  }
  return cursor.locate(indexes, values, options);
}

Bookmark DataSet::bookmark() const {
  return openCursor(cursor_).bookmark();
}

bool DataSet::gotoBookmark(const Bookmark &bookmark) {
  TRACE_ROUTINE("engine", "DataSet.gotoBookmark");
  return bookmark.isValid() && openCursor(cursor_).gotoBookmark(bookmark);
}

}  // namespace db
