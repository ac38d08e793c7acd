#pragma once
// What the parts of the engine share and nobody else sees: the open SQLite connection
// of a data directory, prepared statements, the stored forms of field values and the
// record lock files. Included only by data/engine*.cpp.

#include "data/engine.h"
#include "data/local_sql.h"

#include <QHash>

#include <cstdint>
#include <sqlite3.h>
#include <string>

namespace db {

// The database file of a data directory.
inline constexpr const char *DatabaseFileName = "faultbk.sqlite";
// How long a writer waits for a busy database before ErrBusy.
inline constexpr int BusyTimeoutMs = 10000;
// Page cache of a connection, in kilobytes.
inline constexpr int CacheSizeKb = 32768;

// A value as SQLite stores it: null, whole number, floating point or UTF-8 text.
struct StoredValue {
  enum Kind : uint8_t { Null = SQLITE_NULL, Integer = SQLITE_INTEGER, Float = SQLITE_FLOAT, Text = SQLITE_TEXT };
  Kind kind = Null;
  int64_t integer = 0;
  double real = 0;
  std::string text;

  static StoredValue null() { return {}; }
  static StoredValue fromInteger(int64_t v) { StoredValue s; s.kind = Integer; s.integer = v; return s; }
  static StoredValue fromReal(double v) { StoredValue s; s.kind = Float; s.real = v; return s; }
  static StoredValue fromText(const QString &v);
  bool operator==(const StoredValue &other) const;
};

// A stored value seen in place (a result column or a kept result row), not owned.
struct StoredView {
  int kind = SQLITE_NULL;
  int64_t integer = 0;
  double real = 0;
  const char *text = nullptr;
  int length = 0;
};

StoredView ColumnView(sqlite3_stmt *statement, int column);
StoredView ViewOf(const StoredValue &value);

// The field value of a stored value: the field's type when known, SQLite's own type
// when the column is an expression (type == nullptr).
QVariant FieldValue(const FieldType *type, const StoredView &stored);

// The stored form of a value given for a field. ErrInvalidValue when the value does not
// fit the field's type; widths are checked apart (CheckWidth) so that post can refuse.
StoredValue ToStored(const FieldDef &field, const QVariant &value);
// ErrFieldTooLong, naming the table, field and width, when a text is wider than its field.
void CheckWidth(const QString &table, const FieldDef &field, const StoredValue &value);
// Characters as SQLite's length() counts them.
int TextLength(const StoredValue &value);

void Bind(sqlite3_stmt *statement, int index, const StoredValue &value);

// The engine error for a failed SQLite call, with the field width named when a CHECK
// on a text width failed (table: the table written to, when known).
EngineError SqliteError(sqlite3 *connection, int resultCode, const QString &context,
                        const TableDef *table = nullptr);

// A prepared statement, finalized with its owner.
class Statement {
public:
  Statement() = default;
  Statement(sqlite3 *connection, const QString &sql);
  ~Statement();
  Statement(Statement &&other) noexcept;
  Statement &operator=(Statement &&other) noexcept;
  Statement(const Statement &) = delete;
  Statement &operator=(const Statement &) = delete;

  sqlite3_stmt *get() const { return statement_; }
  // One step: true for a row, false when done; an engine error otherwise.
  bool step(const TableDef *writtenTable = nullptr);
  void reset();
  void bind(int index, const StoredValue &value) { Bind(statement_, index, value); }

private:
  sqlite3 *connection_ = nullptr;
  sqlite3_stmt *statement_ = nullptr;
};

// Locks between processes on the records of one table: byte-range locks of open file
// descriptions on the table's lock file in the data directory, one byte per record at a
// position hashed from the table and key. The kernel drops them with the process.
class RecordLockFile {
public:
  RecordLockFile(const QString &directory, const QString &table);
  ~RecordLockFile();
  RecordLockFile(const RecordLockFile &) = delete;
  RecordLockFile &operator=(const RecordLockFile &) = delete;

  // False when another holder (another process, or another data set of this one) has it.
  bool tryLock(uint64_t position);
  void unlock(uint64_t position);

  static uint64_t position(const QString &table, const QList<StoredValue> &key);
  // Locks held on the table's file by every holder.
  static int count(const QString &directory, const QString &table);

private:
  int descriptor_ = -1;
};

class DatabaseImpl {
public:
  DatabaseImpl(const QString &directory, sqlite3 *connection);
  ~DatabaseImpl();

  QString directory;
  sqlite3 *connection;

  void exec(const QString &sql, const TableDef *writtenTable = nullptr);
  // The canonical name of a table, empty when there is none.
  QString findTableName(const QString &tableOrFileName) const;
  // The definition read from the schema; false when there is no such table.
  bool findTableDef(const QString &tableOrFileName, TableDef &definition) const;
  TableDef requireTableDef(const QString &tableOrFileName) const;  // ErrTableNotFound

  // Nested scopes of one write transaction: BEGIN IMMEDIATE outside, savepoints within.
  void begin();
  void commit();
  void rollback();

  const SchemaLookup &schema() const { return schemaLookup_; }

private:
  class Lookup final : public SchemaLookup {
  public:
    explicit Lookup(const DatabaseImpl &impl) : impl_(impl) {}
    bool findTable(const QString &tableOrFileName, TableDef &definition) const override {
      return impl_.findTableDef(tableOrFileName, definition);
    }

  private:
    const DatabaseImpl &impl_;
  };

  void refreshSchemaCache() const;

  Lookup schemaLookup_{*this};
  int transactionDepth_ = 0;
  mutable int cachedSchemaVersion_ = -1;
  mutable QHash<QString, TableDef> tableCache_;  // by lower-case name
};

// The walking and reading that Query and Table each do their own way.
class DataSetCursor {
public:
  virtual ~DataSetCursor() = default;

  virtual void first() = 0;
  virtual void next() = 0;
  virtual void prior() = 0;
  virtual void last() = 0;
  virtual bool eof() const = 0;
  virtual bool bof() const = 0;
  virtual bool isEmpty() const = 0;
  virtual int recordCount() const = 0;
  virtual int recordNumber() const = 0;
  virtual void moveTo(int recordNumber) = 0;
  virtual QVariant value(int fieldIndex) const = 0;
  virtual bool locate(const QList<int> &fields, const QVariantList &values, int options) = 0;
  virtual Bookmark bookmark() const = 0;
  virtual bool gotoBookmark(const Bookmark &bookmark) = 0;

  const QList<FieldDef> &fieldDefs() const { return fields_; }
  int fieldIndex(const QString &name) const;  // -1 when absent

protected:
  void setFields(QList<FieldDef> fields);

private:
  QList<FieldDef> fields_;
  QHash<QString, int> indexByName_;  // exact names first, then lower-case ones
};

// Whether a stored value matches a value sought by locate.
bool LocateMatches(const FieldDef *field, const StoredView &stored, const StoredValue &sought,
                   const QString &soughtText, int options);

}  // namespace db
