// Queries. Open runs the statement to its end and keeps the rows in a compact copy:
// one kind byte and one eight-byte payload per value, in blocks of rows. A text of up
// to eight bytes, and an ISO date, sit in the payload itself; longer texts in chunks of
// their own behind a one-byte length (five bytes from 255 on). A read left open would hold the database's shared lock and keep
// every other process from writing, so nothing stays open once open returns. Values are
// turned into field values only when they are read.

#include "app/base/call_trace.h"
#include "data/engine_internal.h"

#include <cstring>
#include <map>
#include <vector>

namespace db {

namespace {

constexpr int RowsPerBlock = 1024;
constexpr size_t TextChunkSize = 256 * 1024;

// Kinds of kept values beyond SQLite's own.
constexpr uint8_t InlineText = 16;  // + length: the bytes in the payload
constexpr uint8_t InlineDate = 32;  // "yyyy-MM-dd": its eight digits in the payload
constexpr int InlineTextMax = 8;

bool isIsoDate(const char *text, int length) {
  if (length != 10 || text[4] != '-' || text[7] != '-')
    return false;
  for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
    if (text[i] < '0' || text[i] > '9')
      return false;
  return true;
}

// Texts, each as its length and its bytes, at addresses that never move.
class TextArena {
public:
  const char *add(const char *text, int length) {
    const size_t needed = prefixSize(length) + size_t(length);
    if (needed > TextChunkSize / 4) {
      chunks_.emplace_back(new char[needed]);
      return store(chunks_.back().get(), text, length);
    }
    if (!current_ || used_ + needed > TextChunkSize) {
      chunks_.emplace_back(new char[TextChunkSize]);
      current_ = chunks_.back().get();
      used_ = 0;
    }
    const char *stored = store(current_ + used_, text, length);
    used_ += needed;
    return stored;
  }

  static int length(const char *stored) {
    if (uint8_t(stored[0]) != LongMark)
      return uint8_t(stored[0]);
    uint32_t length;
    std::memcpy(&length, stored + 1, sizeof length);
    return int(length);
  }
  static const char *text(const char *stored) { return stored + prefixSize(length(stored)); }

private:
  static constexpr uint8_t LongMark = 0xFF;
  static size_t prefixSize(int length) { return length < LongMark ? 1 : 1 + sizeof(uint32_t); }

  static const char *store(char *at, const char *text, int length) {
    if (length < LongMark) {
      at[0] = char(uint8_t(length));
    } else {
      at[0] = char(LongMark);
      const uint32_t size = uint32_t(length);
      std::memcpy(at + 1, &size, sizeof size);
    }
    if (length > 0)
      std::memcpy(at + prefixSize(length), text, size_t(length));
    return at;
  }

  std::vector<std::unique_ptr<char[]>> chunks_;
  char *current_ = nullptr;
  size_t used_ = 0;
};

class ResultCursor final : public DataSetCursor {
public:
  ResultCursor(DatabaseImpl &impl, const QString &sqliteSql);

  void first() override { moveTo(0); }
  void next() override {
    if (current_ + 1 < rows_) {
      ++current_;
      bof_ = eof_ = false;
    } else {
      eof_ = true;
    }
  }
  void prior() override {
    if (current_ > 0) {
      --current_;
      bof_ = eof_ = false;
    } else {
      bof_ = true;
    }
  }
  void last() override { moveTo(rows_ - 1); }
  bool eof() const override { return eof_; }
  bool bof() const override { return bof_; }
  bool isEmpty() const override { return rows_ == 0; }
  int recordCount() const override { return rows_; }
  int recordNumber() const override { return current_; }
  void moveTo(int row) override {
    if (rows_ == 0) {
      current_ = -1;
      bof_ = eof_ = true;
      return;
    }
    current_ = std::clamp(row, 0, rows_ - 1);
    bof_ = eof_ = false;
  }

  QVariant value(int column) const override {
    if (current_ < 0)
      return {};
    char inlineText[16];
    return FieldValue(typeOf(column), view(current_, column, inlineText));
  }

  bool locate(const QList<int> &columns, const QVariantList &values, int options) override;

  Bookmark bookmark() const override {
    Bookmark mark;
    mark.row = current_;
    return mark;
  }
  bool gotoBookmark(const Bookmark &mark) override {
    if (mark.row < 0 || mark.row >= rows_)
      return false;
    moveTo(mark.row);
    return true;
  }

private:
  struct Block {
    explicit Block(int columns)
        : kinds(new uint8_t[size_t(RowsPerBlock) * size_t(columns)]),
          payloads(new uint64_t[size_t(RowsPerBlock) * size_t(columns)]) {}
    std::unique_ptr<uint8_t[]> kinds;
    std::unique_ptr<uint64_t[]> payloads;
  };

  void keepRow(sqlite3_stmt *statement);
  // The value as stored; an inline text is copied to `inlineText` (16 bytes), which
  // the view points into.
  StoredView view(int row, int column, char *inlineText) const;
  const FieldType *typeOf(int column) const { return typed_[size_t(column)] ? &types_[size_t(column)] : nullptr; }

  int columns_ = 0;
  int rows_ = 0;
  int current_ = -1;
  bool bof_ = true;
  bool eof_ = true;
  std::vector<FieldType> types_;
  std::vector<uint8_t> typed_;  // the column is a table field, not an expression
  std::vector<Block> blocks_;
  TextArena texts_;
};

ResultCursor::ResultCursor(DatabaseImpl &impl, const QString &sqliteSql) {
  Statement statement(impl.connection, sqliteSql);
  sqlite3_stmt *handle = statement.get();
  columns_ = sqlite3_column_count(handle);

  // A column drawn straight from a table field keeps that field's type and width.
  std::map<QString, TableDef> tables;
  QList<FieldDef> fields;
  QList<bool> typed;
  QHash<QString, int> nameUses;
  for (int column = 0; column < columns_; ++column) {
    const QString name = QString::fromUtf8(sqlite3_column_name(handle, column));
    FieldDef field;
    bool known = false;
    const char *table = sqlite3_column_table_name(handle, column);
    const char *origin = sqlite3_column_origin_name(handle, column);
    if (table && origin) {
      const QString tableName = QString::fromUtf8(table);
      auto found = tables.find(tableName);
      if (found == tables.end()) {
        TableDef definition;
        impl.findTableDef(tableName, definition);
        found = tables.emplace(tableName, definition).first;
      }
      if (const FieldDef *source = found->second.field(QString::fromUtf8(origin))) {
        field = *source;
        known = true;
      }
    }
    // A name given twice reads as the name, then name_1, name_2...
    const int uses = nameUses.value(name.toLower(), 0);
    nameUses.insert(name.toLower(), uses + 1);
    field.name = uses == 0 ? name : QStringLiteral("%1_%2").arg(name).arg(uses);
    fields << field;
    typed << known;
  }

  while (statement.step())
    keepRow(handle);

  // An expression's column takes the type of its first value.
  for (int column = 0; column < columns_; ++column) {
    if (typed[column])
      continue;
    FieldDef &field = fields[column];
    field.type = FieldType::Text;
    field.size = 0;
    for (int row = 0; row < rows_; ++row) {
      char inlineText[16];
      const int kind = view(row, column, inlineText).kind;
      if (kind == SQLITE_NULL)
        continue;
      if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT)
        field.type = FieldType::Number;
      break;
    }
  }
  setFields(fields);
  for (int column = 0; column < columns_; ++column) {
    types_.push_back(fields[column].type);
    typed_.push_back(typed[column] ? 1 : 0);
  }
  moveTo(0);
}

void ResultCursor::keepRow(sqlite3_stmt *statement) {
  const int inBlock = rows_ % RowsPerBlock;
  if (inBlock == 0)
    blocks_.emplace_back(columns_);
  Block &block = blocks_.back();
  uint8_t *kinds = block.kinds.get() + size_t(inBlock) * size_t(columns_);
  uint64_t *payloads = block.payloads.get() + size_t(inBlock) * size_t(columns_);
  for (int column = 0; column < columns_; ++column) {
    const int kind = sqlite3_column_type(statement, column);
    kinds[column] = uint8_t(kind);
    switch (kind) {
    case SQLITE_INTEGER: {
      const int64_t value = sqlite3_column_int64(statement, column);
      std::memcpy(&payloads[column], &value, sizeof value);
      break;
    }
    case SQLITE_FLOAT: {
      const double value = sqlite3_column_double(statement, column);
      std::memcpy(&payloads[column], &value, sizeof value);
      break;
    }
    case SQLITE_TEXT:
    case SQLITE_BLOB: {
      const char *text = kind == SQLITE_TEXT ? reinterpret_cast<const char *>(sqlite3_column_text(statement, column))
                                             : static_cast<const char *>(sqlite3_column_blob(statement, column));
      const int length = sqlite3_column_bytes(statement, column);
      if (kind == SQLITE_TEXT && length <= InlineTextMax) {
        kinds[column] = uint8_t(InlineText + length);
        payloads[column] = 0;
        std::memcpy(&payloads[column], text, size_t(length));
      } else if (kind == SQLITE_TEXT && isIsoDate(text, length)) {
        kinds[column] = InlineDate;
        char digits[8] = {text[0], text[1], text[2], text[3], text[5], text[6], text[8], text[9]};
        std::memcpy(&payloads[column], digits, sizeof digits);
      } else {
        payloads[column] = reinterpret_cast<uintptr_t>(texts_.add(text, length));
      }
      break;
    }
    default: payloads[column] = 0; break;
    }
  }
  ++rows_;
}

StoredView ResultCursor::view(int row, int column, char *inlineText) const {
  const Block &block = blocks_[size_t(row / RowsPerBlock)];
  const size_t at = size_t(row % RowsPerBlock) * size_t(columns_) + size_t(column);
  StoredView stored;
  stored.kind = block.kinds[at];
  const uint64_t slot = block.payloads[at];
  if (stored.kind >= InlineText && stored.kind <= InlineText + InlineTextMax) {
    stored.length = stored.kind - InlineText;
    stored.kind = SQLITE_TEXT;
    std::memcpy(inlineText, &slot, sizeof slot);
    stored.text = inlineText;
    return stored;
  }
  if (stored.kind == InlineDate) {
    char digits[8];
    std::memcpy(digits, &slot, sizeof slot);
    const char date[10] = {digits[0], digits[1], digits[2], digits[3], '-', digits[4], digits[5], '-', digits[6], digits[7]};
    std::memcpy(inlineText, date, sizeof date);
    stored.kind = SQLITE_TEXT;
    stored.text = inlineText;
    stored.length = 10;
    return stored;
  }
  switch (stored.kind) {
  case SQLITE_INTEGER: std::memcpy(&stored.integer, &slot, sizeof slot); break;
  case SQLITE_FLOAT: std::memcpy(&stored.real, &slot, sizeof slot); break;
  case SQLITE_TEXT:
  case SQLITE_BLOB: {
    const char *kept = reinterpret_cast<const char *>(uintptr_t(slot));
    stored.text = TextArena::text(kept);
    stored.length = TextArena::length(kept);
    break;
  }
  default: break;
  }
  return stored;
}

// The value sought in the form the column stores; false when it cannot be one.
bool soughtValue(const FieldDef *field, const QVariant &value, StoredValue &sought) {
  if (!value.isValid() || value.isNull()) {
    sought = StoredValue::null();
    return true;
  }
  if (field) {
    try {
      sought = ToStored(*field, value);
      return true;
    } catch (const EngineError &) {
      return false;  // "abc" sought in a number field: no record has it
    }
  }
  switch (value.metaType().id()) {
  case QMetaType::Bool: sought = StoredValue::fromInteger(value.toBool() ? 1 : 0); break;
  case QMetaType::Int:
  case QMetaType::LongLong:
  case QMetaType::UInt:
  case QMetaType::ULongLong: sought = StoredValue::fromInteger(value.toLongLong()); break;
  case QMetaType::Double: sought = StoredValue::fromReal(value.toDouble()); break;
  default: sought = StoredValue::fromText(value.toString()); break;
  }
  return true;
}

bool ResultCursor::locate(const QList<int> &columns, const QVariantList &values, int options) {
  QList<StoredValue> sought;
  QStringList soughtTexts;
  for (int i = 0; i < columns.size(); ++i) {
    const int column = columns[i];
    const FieldDef *field = typeOf(column) ? &fieldDefs()[column] : nullptr;
    StoredValue value;
    if (!soughtValue(field, values[i], value))
      return false;
    sought << value;
    soughtTexts << QString::fromStdString(value.text);
  }
  for (int row = 0; row < rows_; ++row) {
    bool matches = true;
    for (int i = 0; i < columns.size() && matches; ++i) {
      const int column = columns[i];
      const FieldDef *field = typeOf(column) ? &fieldDefs()[column] : nullptr;
      char inlineText[16];
      matches = LocateMatches(field, view(row, column, inlineText), sought[i], soughtTexts[i], options);
    }
    if (matches) {
      moveTo(row);
      return true;
    }
  }
  return false;
}

}  // namespace

Query::Query(std::shared_ptr<Database> database, const QString &sql) : DataSet(std::move(database)), sql_(sql) {}

Query::~Query() = default;

void Query::setSql(const QString &localSql) {
  TRACE_ROUTINE("engine", "Query.setSql");
  close();
  sql_ = localSql;
}

QString Query::sql() const {
  return sql_;
}

void Query::open() {
  TRACE_ROUTINE("engine", "Query.open");
  if (cursor_)
    return;
  DatabaseImpl &impl = database_->impl();
  const TranslatedStatement translated = TranslateLocalSql(sql_, impl.schema());
  if (translated.kind != StatementKind::Select || translated.sqliteStatements.size() != 1)
    throw EngineError(ErrSyntax, QStringLiteral("A query needs one SELECT statement; run other statements with "
                                                "execute. (%1)")
                                     .arg(sql_));
  cursor_ = std::make_unique<ResultCursor>(impl, translated.sqliteStatements.front());
}

void Query::close() {
  TRACE_ROUTINE("engine", "Query.close");
  cursor_.reset();
}

}  // namespace db
