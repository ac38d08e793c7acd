#pragma once
// The data engine: one data directory, used by several processes at once, holding one
// SQLite database with every table of the data model. Statements are written in the
// program's local SQL and translated for SQLite (local_sql.h); tables and queries are
// walked record by record as data sets; editing a record locks it for every process
// until post or cancel.

#include "data/engine_errors.h"
#include "data/field_types.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <memory>
#include <optional>
#include <stdexcept>

namespace db {

class SchemaLookup;

// Every failure of the engine: a code of engine_errors.h and a text for the user.
class EngineError : public std::runtime_error {
public:
  EngineError(int code, const QString &text);
  int code() const { return code_; }
  QString text() const { return text_; }

private:
  int code_;
  QString text_;
};

class DatabaseImpl;

// What ChangeField changes in one field; every part left empty keeps the field's own.
struct FieldChange {
  QString name;
  std::optional<FieldType> type;
  int size = 0;       // width of Text, digits of Decimal
  int precision = 0;  // digits after the point of Decimal
};

// One open data directory. Shared by the data sets bound to it.
class Database {
public:
  // Opens an existing data directory; ErrNoDataDirectory when it holds no database.
  static std::shared_ptr<Database> open(const QString &directory);
  // Creates the database with every table in an existing, empty-of-database directory.
  static std::shared_ptr<Database> create(const QString &directory);
  // A directory is a data directory when its database holds the UserSec table.
  static bool isDataDirectory(const QString &directory);

  ~Database();
  QString directory() const;

  // Runs one statement of the local SQL that returns no rows (UPDATE, DELETE, INSERT,
  // ALTER TABLE); returns the number of rows changed.
  int execute(const QString &localSql);

  // Table names match without regard to letter case; "attach.DB" names Attach.
  bool tableExists(const QString &tableOrFileName) const;
  QString tableName(const QString &tableOrFileName) const;  // canonical; ErrTableNotFound
  QStringList tableNames() const;
  TableDef tableDef(const QString &tableOrFileName) const;  // fields in table order
  QList<FieldDef> fieldDefs(const QString &tableOrFileName) const;

  void createTable(const TableDef &definition);
  // Restructures one field in place, keeping the data, in one transaction: the
  // non-empty parts of the change replace those of the field. Values that do not fit
  // the new field (a text longer than a narrowed width) refuse the change as a whole.
  void changeField(const QString &tableOrFileName, const QString &fieldName, const FieldChange &change);

  // Record locks held by every process on a table (each running copy holds one on
  // UserLock).
  int recordLockCount(const QString &tableOrFileName) const;

  // Several statements as one: all or nothing.
  class Transaction {
  public:
    explicit Transaction(Database &database);
    ~Transaction();  // rolls back unless committed
    void commit();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;

  private:
    Database &database_;
    bool done_ = false;
  };

  // The schema as the local SQL translator sees it.
  const SchemaLookup &schema() const;

  DatabaseImpl &impl() const { return *impl_; }

private:
  explicit Database(std::unique_ptr<DatabaseImpl> impl);
  std::unique_ptr<DatabaseImpl> impl_;
};

// Options of DataSet::locate.
enum LocateOption { LocateExact = 0, LocateCaseInsensitive = 1, LocatePartialKey = 2 };

// A position a data set can return to.
struct Bookmark {
  QVariantList key;  // the record's identity within its data set
  int row = -1;
  bool isValid() const { return row >= 0 || !key.isEmpty(); }
};

class DataSetCursor;

// What tables and queries share: walking records and reading fields by name.
// Field values keep their field types: a defect number reads as a whole number
// (qlonglong), Integer and Short fields as qlonglong, Decimal as double, a Boolean as
// bool, a Date as QDate, a Time as QTime, a Timestamp as QDateTime, Text and Memo as
// QString, an empty field as a null QVariant. Fields of an empty data set read as null;
// walking or reading a closed one is ErrNoCurrentRecord. Moving a table that is in edit
// or insert posts the record when it was changed and cancels it otherwise.
class DataSet {
public:
  virtual ~DataSet();

  virtual void open() = 0;
  virtual void close() = 0;
  bool isOpen() const;

  void first();
  void next();
  void prior();
  void last();
  bool eof() const;  // after next() past the last record, or empty
  bool bof() const;  // after prior() before the first record, or empty
  bool isEmpty() const;
  int recordCount() const;
  int recordNumber() const;  // 0-based position of the current record, -1 when none
  void moveTo(int recordNumber);

  QStringList fieldNames() const;
  QList<FieldDef> fieldDefs() const;
  bool hasField(const QString &field) const;

  QVariant value(const QString &field) const;
  QVariant value(int fieldIndex) const;
  bool isNull(const QString &field) const;
  // "" for null; dates and times in the user's short formats, booleans True/False.
  QString asString(const QString &field) const;
  qint64 asInteger(const QString &field) const;  // 0 for null
  double asFloat(const QString &field) const;
  bool asBoolean(const QString &field) const;    // false for null
  QDate asDate(const QString &field) const;      // invalid for null
  QTime asTime(const QString &field) const;
  QDateTime asDateTime(const QString &field) const;

  // Moves to the first record whose fields ("Product;Release;Program") equal the values;
  // false, staying put, when there is none. The options apply to text fields.
  bool locate(const QString &fields, const QVariantList &values, int options = LocateExact);

  Bookmark bookmark() const;
  bool gotoBookmark(const Bookmark &bookmark);

  std::shared_ptr<Database> database() const { return database_; }

protected:
  explicit DataSet(std::shared_ptr<Database> database);
  std::shared_ptr<Database> database_;
  std::unique_ptr<DataSetCursor> cursor_;
};

// The rows of one local-SQL SELECT, read in order. Open reads every row into a compact
// copy, so that no read stays open on the database while the rows are walked (an open
// read would hold off every other process's writes). A field named twice in the select
// list reads as the name, then the name with "_1", "_2"...
class Query : public DataSet {
public:
  explicit Query(std::shared_ptr<Database> database, const QString &sql = {});
  ~Query() override;
  void setSql(const QString &localSql);  // closes the query
  QString sql() const;
  void open() override;
  void close() override;

private:
  QString sql_;
};

enum class EditState { Inactive, Browse, Edit, Insert };

// One table, opened by file name ("defect.db") or SQL name, walked in primary-key order.
class Table : public DataSet {
public:
  Table(std::shared_ptr<Database> database, const QString &tableOrFileName);
  ~Table() override;  // cancels an edit in progress

  QString tableName() const;
  void setReadOnly(bool readOnly);
  bool readOnly() const;
  void open() override;
  void close() override;
  EditState state() const;

  // Seek on the primary key by its first values. findKey: exact, false when absent.
  // findNearest: the first record at or after the values (a null value is the lowest),
  // else the last record with eof() true.
  bool findKey(const QVariantList &keyValues);
  void findNearest(const QVariantList &keyValues);

  // A new record with every field null; post() writes it. Text fields of the key stay
  // empty text rather than null; AutoInc fields get one more than the highest on post.
  void insert();
  // Locks the current record for every process until post() or cancel();
  // ErrRecordLocked when another process, or another data set of this one, holds it.
  void edit();
  void setValue(const QString &field, const QVariant &value);  // Edit or Insert only
  void post();    // ErrKeyViolation, ErrFieldTooLong... leave the record in edit
  void cancel();  // outside edit and insert: nothing to do
  // Deletes the current record (ErrRecordLocked when another holds it) and moves to
  // the next one, or the last when it was the last.
  void deleteRecord();
  // Re-reads the table, keeping the current record when it still exists.
  void refresh();

private:
  class Cursor;
  Cursor &cursor() const;
  QString tableOrFileName_;
  bool readOnly_ = false;
};

}  // namespace db
