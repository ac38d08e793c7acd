// Tables walked in primary-key order straight on the database: each move is one short
// indexed statement from the current key ("the first record after this key"), finished
// at once, so a table open for the whole run holds no read on the database and sees
// what other processes have written. The current record is kept as its stored values
// and its row id; editing works on a copy and writes only the fields that changed.

#include "app/base/call_trace.h"
#include "data/engine_internal.h"

#include <map>

namespace db {

class Table::Cursor final : public DataSetCursor {
public:
  Cursor(DatabaseImpl &impl, TableDef definition, bool readOnly);
  ~Cursor() override;

  void first() override;
  void next() override;
  void prior() override;
  void last() override;
  bool eof() const override { return eof_; }
  bool bof() const override { return bof_; }
  bool isEmpty() const override;
  int recordCount() const override;
  int recordNumber() const override;
  void moveTo(int recordNumber) override;
  QVariant value(int column) const override;
  bool locate(const QList<int> &columns, const QVariantList &values, int options) override;
  Bookmark bookmark() const override;
  bool gotoBookmark(const Bookmark &bookmark) override;

  const TableDef &definition() const { return definition_; }
  EditState state() const { return state_; }
  bool readOnly = false;

  bool findKey(const QVariantList &keyValues);
  void findNearest(const QVariantList &keyValues);
  void insert();
  void edit();
  void setValue(int column, const QVariant &value);
  void post();
  void cancel();
  void deleteRecord();
  void refresh();

private:
  struct Row {
    int64_t rowid = 0;
    QList<StoredValue> values;
  };

  // Leaves edit or insert before a move: posts a changed record, cancels another.
  void checkBrowseMode();
  void moveToEnd(bool backward);
  void step(bool backward);
  void requireWritable(const char *what) const;

  Statement &prepared(const QString &sql);
  // Runs an INSERT, UPDATE or DELETE with the values bound in order; the statement is
  // reset whether it succeeds or not, so a refused write leaves it ready for the next.
  void write(const QString &sql, const QList<StoredValue> &binds);
  // Runs "SELECT rowid, fields FROM table <clause>" with the values bound in order;
  // the first row, if any.
  bool fetch(const QString &clause, const QList<StoredValue> &binds, Row &row);
  bool fetchByRowid(int64_t rowid, Row &row);
  void show(const Row &row);  // makes the row current
  void showNone();            // an empty table

  QList<StoredValue> keyOf(const Row &row) const;
  QString keyTuple(int count) const;  // ("Product", "Release") or (rowid)
  QString placeholders(int count) const;
  QString orderBy(bool descending) const;
  StoredValue keyStored(int keyPosition, const QVariant &value) const;

  bool lockCurrent(const Row &row);
  void releaseLock();

  DatabaseImpl &impl_;
  TableDef definition_;
  QList<int> keyColumns_;  // the fields of the primary key; none: the row id orders
  QString select_;

  Row current_;
  bool hasRecord_ = false;
  bool eof_ = true;
  bool bof_ = true;

  EditState state_ = EditState::Browse;
  QList<StoredValue> buffer_;
  QList<bool> modified_;

  std::unique_ptr<RecordLockFile> lockFile_;
  std::optional<uint64_t> heldLock_;

  std::map<QString, Statement> statements_;
};

Table::Cursor::Cursor(DatabaseImpl &impl, TableDef definition, bool readOnly_)
    : readOnly(readOnly_), impl_(impl), definition_(std::move(definition)) {
  QStringList columns{QStringLiteral("rowid")};
  for (const auto &field : definition_.fields)
    columns << QuoteIdentifier(field.name);
  select_ = QStringLiteral("SELECT %1 FROM %2 ").arg(columns.join(QLatin1String(", ")), QuoteIdentifier(definition_.name));
  if (const IndexDef *primary = definition_.primaryIndex())
    for (const auto &key : primary->fields)
      for (int i = 0; i < definition_.fields.size(); ++i)
        if (definition_.fields[i].name.compare(key, Qt::CaseInsensitive) == 0)
          keyColumns_ << i;
  setFields(definition_.fields);
}

Table::Cursor::~Cursor() {
  releaseLock();
}

// --- statements ---

Statement &Table::Cursor::prepared(const QString &sql) {
  auto found = statements_.find(sql);
  if (found == statements_.end())
    found = statements_.emplace(sql, Statement(impl_.connection, sql)).first;
  return found->second;
}

void Table::Cursor::write(const QString &sql, const QList<StoredValue> &binds) {
  Statement &statement = prepared(sql);
  for (int i = 0; i < binds.size(); ++i)
    statement.bind(i + 1, binds[i]);
  try {
    statement.step(&definition_);
  } catch (...) {
    statement.reset();
    throw;
  }
  statement.reset();
}

bool Table::Cursor::fetch(const QString &clause, const QList<StoredValue> &binds, Row &row) {
  Statement &statement = prepared(select_ + clause);
  for (int i = 0; i < binds.size(); ++i)
    statement.bind(i + 1, binds[i]);
  bool found = false;
  try {
    found = statement.step();
    if (found) {
      row.rowid = sqlite3_column_int64(statement.get(), 0);
      row.values.clear();
      for (int column = 0; column < definition_.fields.size(); ++column) {
        const StoredView view = ColumnView(statement.get(), column + 1);
        StoredValue value;
        value.kind = StoredValue::Kind(view.kind == SQLITE_BLOB ? SQLITE_TEXT : view.kind);
        value.integer = view.integer;
        value.real = view.real;
        if (view.text)
          value.text.assign(view.text, size_t(view.length));
        row.values << value;
      }
    }
  } catch (...) {
    statement.reset();
    throw;
  }
  statement.reset();
  return found;
}

bool Table::Cursor::fetchByRowid(int64_t rowid, Row &row) {
  return fetch(QStringLiteral("WHERE rowid = ?1"), {StoredValue::fromInteger(rowid)}, row);
}

void Table::Cursor::show(const Row &row) {
  current_ = row;
  hasRecord_ = true;
  eof_ = bof_ = false;
}

void Table::Cursor::showNone() {
  current_ = {};
  hasRecord_ = false;
  eof_ = bof_ = true;
}

QList<StoredValue> Table::Cursor::keyOf(const Row &row) const {
  QList<StoredValue> key;
  if (keyColumns_.isEmpty())
    key << StoredValue::fromInteger(row.rowid);
  for (const int column : keyColumns_)
    key << row.values[column];
  return key;
}

QString Table::Cursor::keyTuple(int count) const {
  if (keyColumns_.isEmpty())
    return QStringLiteral("(rowid)");
  QStringList names;
  for (int i = 0; i < count; ++i)
    names << QuoteIdentifier(definition_.fields[keyColumns_[i]].name);
  return QLatin1Char('(') + names.join(QLatin1String(", ")) + QLatin1Char(')');
}

QString Table::Cursor::placeholders(int count) const {
  QStringList marks;
  for (int i = 1; i <= count; ++i)
    marks << QStringLiteral("?%1").arg(i);
  return QLatin1Char('(') + marks.join(QLatin1String(", ")) + QLatin1Char(')');
}

QString Table::Cursor::orderBy(bool descending) const {
  QStringList names;
  const QString direction = descending ? QStringLiteral(" DESC") : QString();
  if (keyColumns_.isEmpty())
    names << QStringLiteral("rowid") + direction;
  for (const int column : keyColumns_)
    names << QuoteIdentifier(definition_.fields[column].name) + direction;
  return QStringLiteral(" ORDER BY ") + names.join(QLatin1String(", ")) + QStringLiteral(" LIMIT 1");
}

// The fields of the primary key are never null (the schema says NOT NULL), so key
// comparisons by row value are exact; a key text given as null is the empty text.
StoredValue Table::Cursor::keyStored(int keyPosition, const QVariant &value) const {
  if (keyColumns_.isEmpty())
    return StoredValue::fromInteger(value.toLongLong());
  const FieldDef &field = definition_.fields[keyColumns_[keyPosition]];
  StoredValue stored = ToStored(field, value);
  if (stored.kind == StoredValue::Null && field.type == FieldType::Text)
    stored = StoredValue::fromText(QString());
  return stored;
}

int Table::Cursor::recordCount() const {
  Statement &statement =
      const_cast<Cursor *>(this)->prepared(QStringLiteral("SELECT count(*) FROM %1").arg(QuoteIdentifier(definition_.name)));
  statement.step();
  const int count = sqlite3_column_int(statement.get(), 0);
  statement.reset();
  return count;
}

bool Table::Cursor::isEmpty() const {
  if (state_ == EditState::Insert)
    return false;
  Row row;
  return !const_cast<Cursor *>(this)->fetch(QStringLiteral("LIMIT 1"), {}, row);
}

int Table::Cursor::recordNumber() const {
  if (!hasRecord_)
    return -1;
  const QList<StoredValue> key = keyOf(current_);
  Statement &statement = const_cast<Cursor *>(this)->prepared(
      QStringLiteral("SELECT count(*) FROM %1 WHERE %2 < %3")
          .arg(QuoteIdentifier(definition_.name), keyTuple(key.size()), placeholders(key.size())));
  for (int i = 0; i < key.size(); ++i)
    statement.bind(i + 1, key[i]);
  statement.step();
  const int number = sqlite3_column_int(statement.get(), 0);
  statement.reset();
  return number;
}

// --- moving ---

void Table::Cursor::checkBrowseMode() {
  if (state_ == EditState::Browse)
    return;
  if (modified_.contains(true))
    post();
  else
    cancel();
}

// The first record in key order, or the last one going backward.
void Table::Cursor::moveToEnd(bool backward) {
  checkBrowseMode();
  Row row;
  if (fetch(orderBy(backward), {}, row))
    show(row);
  else
    showNone();
}

// The record after the current one in key order, or before it going backward.
void Table::Cursor::step(bool backward) {
  checkBrowseMode();
  if (!hasRecord_) {
    moveToEnd(backward);
    return;
  }
  const QList<StoredValue> key = keyOf(current_);
  const QString condition = QStringLiteral("WHERE %1 %2 %3")
                                .arg(keyTuple(key.size()), backward ? QStringLiteral("<") : QStringLiteral(">"),
                                     placeholders(key.size()));
  Row row;
  if (fetch(condition + orderBy(backward), key, row))
    show(row);
  else
    (backward ? bof_ : eof_) = true;
}

void Table::Cursor::first() {
  TRACE_ROUTINE("engine", "Table.first");
  moveToEnd(false);
}

void Table::Cursor::last() {
  TRACE_ROUTINE("engine", "Table.last");
  moveToEnd(true);
}

void Table::Cursor::next() {
  TRACE_ROUTINE("engine", "Table.next");
  step(false);
}

void Table::Cursor::prior() {
  TRACE_ROUTINE("engine", "Table.prior");
  step(true);
}

void Table::Cursor::moveTo(int recordNumber) {
  TRACE_ROUTINE("engine", "Table.moveTo");
  checkBrowseMode();
  Row row;
  if (recordNumber >= 0 &&
      fetch(orderBy(false) + QStringLiteral(" OFFSET ?1"), {StoredValue::fromInteger(recordNumber)}, row))
    show(row);
  else if (recordNumber < 0)
    first();
  else
    last();
}

QVariant Table::Cursor::value(int column) const {
  const FieldType type = definition_.fields[column].type;
  if (state_ != EditState::Browse)
    return FieldValue(&type, ViewOf(buffer_[column]));
  if (!hasRecord_)
    return {};
  return FieldValue(&type, ViewOf(current_.values[column]));
}

bool Table::Cursor::locate(const QList<int> &columns, const QVariantList &values, int options) {
  checkBrowseMode();
  QStringList conditions;
  QList<StoredValue> binds;
  for (int i = 0; i < columns.size(); ++i) {
    const FieldDef &field = definition_.fields[columns[i]];
    const QString name = QuoteIdentifier(field.name);
    StoredValue sought;
    try {
      sought = ToStored(field, values[i]);
    } catch (const EngineError &) {
      return false;  // "abc" sought in a number field: no record has it
    }
    if (sought.kind == StoredValue::Null) {
      conditions << name + QLatin1String(" IS NULL");
      continue;
    }
    const bool text = field.type == FieldType::Text || field.type == FieldType::Memo;
    const QString collation = text && (options & LocateCaseInsensitive) ? QStringLiteral(" COLLATE NOCASE") : QString();
    binds << sought;
    if (text && (options & LocatePartialKey)) {
      binds << StoredValue::fromInteger(TextLength(sought));
      conditions << QStringLiteral("substr(%1, 1, ?%2) = ?%3%4").arg(name).arg(binds.size()).arg(binds.size() - 1).arg(collation);
    } else {
      conditions << QStringLiteral("%1 = ?%2%3").arg(name).arg(binds.size()).arg(collation);
    }
  }
  Row row;
  if (!fetch(QStringLiteral("WHERE ") + conditions.join(QLatin1String(" AND ")) + orderBy(false), binds, row))
    return false;
  show(row);
  return true;
}

Bookmark Table::Cursor::bookmark() const {
  Bookmark mark;
  if (!hasRecord_)
    return mark;
  const FieldType integer = FieldType::Integer;
  const QList<StoredValue> key = keyOf(current_);
  for (int i = 0; i < key.size(); ++i) {
    const FieldType type = keyColumns_.isEmpty() ? integer : definition_.fields[keyColumns_[i]].type;
    mark.key << FieldValue(&type, ViewOf(key[i]));
  }
  return mark;
}

bool Table::Cursor::gotoBookmark(const Bookmark &mark) {
  return !mark.key.isEmpty() && findKey(mark.key);
}

bool Table::Cursor::findKey(const QVariantList &keyValues) {
  TRACE_ROUTINE("engine", "Table.findKey");
  checkBrowseMode();
  const int keyCount = keyColumns_.isEmpty() ? 1 : int(keyColumns_.size());
  if (keyValues.isEmpty() || keyValues.size() > keyCount)
    throw EngineError(ErrInvalidValue, QStringLiteral("A seek on table \"%1\" needs 1 to %2 key values; %3 were given.")
                                           .arg(definition_.name)
                                           .arg(keyCount)
                                           .arg(keyValues.size()));
  QList<StoredValue> key;
  for (int i = 0; i < keyValues.size(); ++i)
    key << keyStored(i, keyValues[i]);
  Row row;
  if (!fetch(QStringLiteral("WHERE %1 = %2").arg(keyTuple(key.size()), placeholders(key.size())) + orderBy(false), key,
             row))
    return false;
  show(row);
  return true;
}

void Table::Cursor::findNearest(const QVariantList &keyValues) {
  TRACE_ROUTINE("engine", "Table.findNearest");
  checkBrowseMode();
  // A null value sorts before every other: the values from the first null on ask for
  // nothing more.
  QList<StoredValue> key;
  const int keyCount = keyColumns_.isEmpty() ? 1 : int(keyColumns_.size());
  for (int i = 0; i < keyValues.size() && i < keyCount; ++i) {
    if (!keyValues[i].isValid() || keyValues[i].isNull())
      break;
    key << keyStored(i, keyValues[i]);
  }
  if (key.isEmpty()) {
    first();
    return;
  }
  Row row;
  if (fetch(QStringLiteral("WHERE %1 >= %2").arg(keyTuple(key.size()), placeholders(key.size())) + orderBy(false), key,
            row)) {
    show(row);
    return;
  }
  last();
  eof_ = true;
}

// --- editing ---

void Table::Cursor::requireWritable(const char *what) const {
  if (readOnly)
    throw EngineError(ErrReadOnly, QStringLiteral("Table \"%1\" is open read-only; the record cannot be %2.")
                                       .arg(definition_.name, QString::fromLatin1(what)));
}

bool Table::Cursor::lockCurrent(const Row &row) {
  if (!lockFile_)
    lockFile_ = std::make_unique<RecordLockFile>(impl_.directory, definition_.name);
  const uint64_t position = RecordLockFile::position(definition_.name, keyOf(row));
  if (heldLock_ == position)
    return true;
  if (!lockFile_->tryLock(position))
    return false;
  releaseLock();
  heldLock_ = position;
  return true;
}

void Table::Cursor::releaseLock() {
  if (heldLock_ && lockFile_)
    lockFile_->unlock(*heldLock_);
  heldLock_.reset();
}

void Table::Cursor::insert() {
  TRACE_ROUTINE("engine", "Table.insert");
  requireWritable("added");
  checkBrowseMode();
  buffer_.clear();
  modified_.clear();
  for (int column = 0; column < definition_.fields.size(); ++column) {
    const bool keyText = keyColumns_.contains(column) && definition_.fields[column].type == FieldType::Text;
    buffer_ << (keyText ? StoredValue::fromText(QString()) : StoredValue::null());
    modified_ << false;
  }
  state_ = EditState::Insert;
}

void Table::Cursor::edit() {
  TRACE_ROUTINE("engine", "Table.edit");
  requireWritable("changed");
  if (state_ != EditState::Browse)
    return;
  if (!hasRecord_)
    throw EngineError(ErrNoCurrentRecord,
                      QStringLiteral("Table \"%1\" has no current record to edit.").arg(definition_.name));
  // Lock, then read the record afresh, so that the edit starts from what the last
  // holder posted. Should the key have changed meanwhile, the lock follows it.
  Row fresh = current_;
  for (int attempt = 0;; ++attempt) {
    if (!lockCurrent(fresh)) {
      releaseLock();
      throw EngineError(ErrRecordLocked, EngineErrorText(ErrRecordLocked));
    }
    const QList<StoredValue> lockedKey = keyOf(fresh);
    if (!fetchByRowid(current_.rowid, fresh)) {
      releaseLock();
      throw EngineError(ErrNoCurrentRecord, QStringLiteral("The record of table \"%1\" was deleted by another user.")
                                                .arg(definition_.name));
    }
    if (keyOf(fresh) == lockedKey || attempt == 3)
      break;
  }
  show(fresh);
  buffer_ = current_.values;
  modified_ = QList<bool>(definition_.fields.size(), false);
  state_ = EditState::Edit;
}

void Table::Cursor::setValue(int column, const QVariant &value) {
  if (state_ == EditState::Browse)
    throw EngineError(ErrNotEditing, QStringLiteral("Table \"%1\" is not in edit or insert mode; field \"%2\" cannot "
                                                    "be set. Call edit or insert first.")
                                         .arg(definition_.name, definition_.fields[column].name));
  const FieldDef &field = definition_.fields[column];
  StoredValue stored = ToStored(field, value);
  if (stored.kind == StoredValue::Null && field.type == FieldType::Text && keyColumns_.contains(column))
    stored = StoredValue::fromText(QString());
  buffer_[column] = stored;
  modified_[column] = true;
}

void Table::Cursor::post() {
  TRACE_ROUTINE("engine", "Table.post");
  if (state_ == EditState::Browse)
    throw EngineError(ErrNotEditing, QStringLiteral("Table \"%1\" is not in edit or insert mode; there is nothing to "
                                                    "post.")
                                         .arg(definition_.name));
  for (int column = 0; column < definition_.fields.size(); ++column)
    if (modified_[column] || state_ == EditState::Insert)
      CheckWidth(definition_.name, definition_.fields[column], buffer_[column]);

  const QString table = QuoteIdentifier(definition_.name);
  int64_t rowid = current_.rowid;
  if (state_ == EditState::Insert) {
    QStringList names;
    for (const auto &field : definition_.fields)
      names << QuoteIdentifier(field.name);
    write(QStringLiteral("INSERT INTO %1 (%2) VALUES %3")
              .arg(table, names.join(QLatin1String(", ")), placeholders(int(names.size()))),
          buffer_);
    rowid = sqlite3_last_insert_rowid(impl_.connection);
  } else {
    QStringList assignments;
    QList<StoredValue> binds;
    for (int column = 0; column < definition_.fields.size(); ++column) {
      if (!modified_[column])
        continue;
      binds << buffer_[column];
      assignments << QStringLiteral("%1 = ?%2").arg(QuoteIdentifier(definition_.fields[column].name)).arg(binds.size());
    }
    if (!assignments.isEmpty()) {
      binds << StoredValue::fromInteger(rowid);
      write(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?%3")
                .arg(table, assignments.join(QLatin1String(", ")))
                .arg(binds.size()),
            binds);
      if (sqlite3_changes(impl_.connection) == 0)
        throw EngineError(ErrNoCurrentRecord, QStringLiteral("The record of table \"%1\" was deleted by another user; "
                                                             "cancel the edit.")
                                                  .arg(definition_.name));
    }
  }
  releaseLock();
  state_ = EditState::Browse;
  Row row;
  if (fetchByRowid(rowid, row))
    show(row);
}

void Table::Cursor::cancel() {
  TRACE_ROUTINE("engine", "Table.cancel");
  releaseLock();
  state_ = EditState::Browse;
  buffer_.clear();
  modified_.clear();
}

void Table::Cursor::deleteRecord() {
  TRACE_ROUTINE("engine", "Table.deleteRecord");
  requireWritable("deleted");
  if (state_ == EditState::Insert) {
    cancel();
    return;
  }
  if (!hasRecord_)
    throw EngineError(ErrNoCurrentRecord,
                      QStringLiteral("Table \"%1\" has no current record to delete.").arg(definition_.name));
  if (!lockCurrent(current_))
    throw EngineError(ErrRecordLocked, EngineErrorText(ErrRecordLocked));
  const QList<StoredValue> key = keyOf(current_);
  write(QStringLiteral("DELETE FROM %1 WHERE rowid = ?1").arg(QuoteIdentifier(definition_.name)),
        {StoredValue::fromInteger(current_.rowid)});
  releaseLock();
  state_ = EditState::Browse;
  buffer_.clear();
  modified_.clear();
  Row row;
  if (fetch(QStringLiteral("WHERE %1 > %2").arg(keyTuple(key.size()), placeholders(key.size())) + orderBy(false), key,
            row))
    show(row);
  else
    last();
}

void Table::Cursor::refresh() {
  TRACE_ROUTINE("engine", "Table.refresh");
  if (state_ != EditState::Browse)
    return;
  if (!hasRecord_) {
    first();
    return;
  }
  Row row;
  if (fetchByRowid(current_.rowid, row)) {
    show(row);
    return;
  }
  // Deleted meanwhile: the record that now stands at its key, or the last.
  const QList<StoredValue> key = keyOf(current_);
  if (fetch(QStringLiteral("WHERE %1 >= %2").arg(keyTuple(key.size()), placeholders(key.size())) + orderBy(false), key,
            row))
    show(row);
  else
    last();
}

// --- Table ---

Table::Table(std::shared_ptr<Database> database, const QString &tableOrFileName)
    : DataSet(std::move(database)), tableOrFileName_(tableOrFileName) {}

Table::~Table() = default;

Table::Cursor &Table::cursor() const {
  if (!cursor_)
    throw EngineError(ErrNoCurrentRecord,
                      QStringLiteral("Table \"%1\" is not open; open it before using it.").arg(tableOrFileName_));
  return static_cast<Cursor &>(*cursor_);
}

QString Table::tableName() const {
  TRACE_ROUTINE("engine", "Table.tableName");
  if (cursor_)
    return cursor().definition().name;
  const QString name = database_->impl().findTableName(tableOrFileName_);
  return name.isEmpty() ? tableOrFileName_ : name;
}

void Table::setReadOnly(bool readOnly) {
  readOnly_ = readOnly;
  if (cursor_)
    cursor().readOnly = readOnly;
}

bool Table::readOnly() const {
  return readOnly_;
}

void Table::open() {
  TRACE_ROUTINE("engine", "Table.open");
  if (cursor_)
    return;
  DatabaseImpl &impl = database_->impl();
  cursor_ = std::make_unique<Cursor>(impl, impl.requireTableDef(tableOrFileName_), readOnly_);
  cursor().first();
}

void Table::close() {
  TRACE_ROUTINE("engine", "Table.close");
  cursor_.reset();
}

EditState Table::state() const {
  return cursor_ ? cursor().state() : EditState::Inactive;
}

bool Table::findKey(const QVariantList &keyValues) { return cursor().findKey(keyValues); }
void Table::findNearest(const QVariantList &keyValues) { cursor().findNearest(keyValues); }
void Table::insert() { cursor().insert(); }
void Table::edit() { cursor().edit(); }
void Table::post() { cursor().post(); }
void Table::cancel() { cursor().cancel(); }
void Table::deleteRecord() { cursor().deleteRecord(); }
void Table::refresh() { cursor().refresh(); }

void Table::setValue(const QString &field, const QVariant &value) {
  TRACE_ROUTINE("engine", "Table.setValue");
  Cursor &tableCursor = cursor();
  const int column = tableCursor.fieldIndex(field);
  if (column < 0)
    throw EngineError(ErrFieldNotFound,
                      QStringLiteral("Table \"%1\" has no field \"%2\".").arg(tableCursor.definition().name, field));
  tableCursor.setValue(column, value);
}

}  // namespace db
