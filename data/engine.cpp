// One data directory, one SQLite database file in it. The connection is set up for
// several processes, possibly on several stations through a network share: a rollback
// journal (WAL needs shared memory that network file systems do not give), writers that
// wait a bounded time for a busy database, LIKE that respects letter case.

#include "app/base/call_trace.h"
#include "data/data_model.h"
#include "data/engine_internal.h"

#include <QDir>
#include <QFileInfo>

namespace db {

namespace {

QString databasePath(const QString &directory) {
  return QDir(directory).filePath(QString::fromLatin1(DatabaseFileName));
}

sqlite3 *openConnection(const QString &directory, int flags) {
  TRACE_ROUTINE("engine", "OpenConnection");
  sqlite3 *connection = nullptr;
  const int rc = sqlite3_open_v2(databasePath(directory).toUtf8().constData(), &connection,
                                 flags | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    const QString message = connection ? QString::fromUtf8(sqlite3_errmsg(connection)) : QString();
    sqlite3_close(connection);
    throw EngineError(ErrGeneral, QStringLiteral("The database of \"%1\" cannot be opened: %2").arg(directory, message));
  }
  sqlite3_extended_result_codes(connection, 1);
  sqlite3_busy_timeout(connection, BusyTimeoutMs);
  return connection;
}

// Settings of every connection. The journal mode is a property of the file, the rest
// of the connection.
void configure(DatabaseImpl &impl) {
  TRACE_ROUTINE("engine", "Configure");
  impl.exec(QStringLiteral("PRAGMA journal_mode=DELETE"));
  impl.exec(QStringLiteral("PRAGMA case_sensitive_like=ON"));
  impl.exec(QStringLiteral("PRAGMA foreign_keys=OFF"));
  // The joins of the lists seek the same index pages over and over within one read.
  impl.exec(QStringLiteral("PRAGMA cache_size=-%1").arg(CacheSizeKb));
}

bool holdsUserSec(sqlite3 *connection) {
  sqlite3_stmt *statement = nullptr;
  bool found = false;
  if (sqlite3_prepare_v2(connection,
                         "SELECT 1 FROM sqlite_schema WHERE type = 'table' AND name = 'UserSec' COLLATE NOCASE", -1,
                         &statement, nullptr) == SQLITE_OK)
    found = sqlite3_step(statement) == SQLITE_ROW;
  sqlite3_finalize(statement);
  return found;
}

}  // namespace

// --- Statement ---

Statement::Statement(sqlite3 *connection, const QString &sql) : connection_(connection) {
  const QByteArray text = sql.toUtf8();
  const int rc = sqlite3_prepare_v2(connection, text.constData(), static_cast<int>(text.size()), &statement_, nullptr);
  if (rc != SQLITE_OK) {
    EngineError error = SqliteError(connection, rc, QStringLiteral("The statement cannot be prepared"));
    sqlite3_finalize(statement_);
    statement_ = nullptr;
    throw error;
  }
}

Statement::~Statement() {
  sqlite3_finalize(statement_);
}

Statement::Statement(Statement &&other) noexcept
    : connection_(other.connection_), statement_(other.statement_) {
  other.statement_ = nullptr;
}

Statement &Statement::operator=(Statement &&other) noexcept {
  if (this != &other) {
    sqlite3_finalize(statement_);
    connection_ = other.connection_;
    statement_ = other.statement_;
    other.statement_ = nullptr;
  }
  return *this;
}

bool Statement::step(const TableDef *writtenTable) {
  const int rc = sqlite3_step(statement_);
  if (rc == SQLITE_ROW)
    return true;
  if (rc == SQLITE_DONE)
    return false;
  EngineError error = SqliteError(connection_, rc, QStringLiteral("The statement failed"), writtenTable);
  sqlite3_reset(statement_);
  throw error;
}

void Statement::reset() {
  sqlite3_reset(statement_);
  sqlite3_clear_bindings(statement_);
}

// --- DatabaseImpl ---

DatabaseImpl::DatabaseImpl(const QString &directory_, sqlite3 *connection_)
    : directory(directory_), connection(connection_) {}

DatabaseImpl::~DatabaseImpl() {
  sqlite3_close_v2(connection);
}

void DatabaseImpl::exec(const QString &sql, const TableDef *writtenTable) {
  Statement statement(connection, sql);
  while (statement.step(writtenTable)) {
  }
}

void DatabaseImpl::begin() {
  TRACE_ROUTINE("engine", "DatabaseImpl.begin");
  // IMMEDIATE takes the write lock at once, so a writer waits for another instead of
  // failing when both hold a read and want to write.
  exec(transactionDepth_ == 0 ? QStringLiteral("BEGIN IMMEDIATE")
                              : QStringLiteral("SAVEPOINT level%1").arg(transactionDepth_));
  ++transactionDepth_;
}

void DatabaseImpl::commit() {
  TRACE_ROUTINE("engine", "DatabaseImpl.commit");
  if (transactionDepth_ == 1)
    exec(QStringLiteral("COMMIT"));
  else
    exec(QStringLiteral("RELEASE level%1").arg(transactionDepth_ - 1));
  --transactionDepth_;
}

void DatabaseImpl::rollback() {
  TRACE_ROUTINE("engine", "DatabaseImpl.rollback");
  --transactionDepth_;
  // A failed statement may already have ended the transaction; rolling back what is
  // left must not throw over the error being reported.
  const QByteArray sql = transactionDepth_ == 0
                             ? QByteArray("ROLLBACK")
                             : QStringLiteral("ROLLBACK TO level%1; RELEASE level%1").arg(transactionDepth_).toUtf8();
  if (transactionDepth_ > 0 || !sqlite3_get_autocommit(connection))
    sqlite3_exec(connection, sql.constData(), nullptr, nullptr, nullptr);
}

// --- Database ---

Database::Database(std::unique_ptr<DatabaseImpl> impl) : impl_(std::move(impl)) {}

Database::~Database() = default;

std::shared_ptr<Database> Database::open(const QString &directory) {
  TRACE_ROUTINE("engine", "Database.open");
  if (!QFileInfo::exists(databasePath(directory)))
    throw EngineError(ErrNoDataDirectory,
                      QStringLiteral("\"%1\" is not a Faultbook data directory: it holds no database. Choose the "
                                     "data directory, or create a new one there.")
                          .arg(QDir::toNativeSeparators(directory)));
  auto impl = std::make_unique<DatabaseImpl>(QDir(directory).absolutePath(),
                                             openConnection(directory, SQLITE_OPEN_READWRITE));
  if (!holdsUserSec(impl->connection))
    throw EngineError(ErrNoDataDirectory,
                      QStringLiteral("\"%1\" is not a Faultbook data directory: its database holds no UserSec "
                                     "table.")
                          .arg(QDir::toNativeSeparators(directory)));
  configure(*impl);
  return std::shared_ptr<Database>(new Database(std::move(impl)));
}

std::shared_ptr<Database> Database::create(const QString &directory) {
  TRACE_ROUTINE("engine", "Database.create");
  if (!QFileInfo(directory).isDir())
    throw EngineError(ErrGeneral, QStringLiteral("The directory \"%1\" does not exist; create it first.")
                                      .arg(QDir::toNativeSeparators(directory)));
  if (QFileInfo::exists(databasePath(directory)))
    throw EngineError(ErrGeneral, QStringLiteral("\"%1\" already holds a database; a new one was not created.")
                                      .arg(QDir::toNativeSeparators(directory)));
  auto impl = std::make_unique<DatabaseImpl>(QDir(directory).absolutePath(),
                                             openConnection(directory, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE));
  configure(*impl);
  std::shared_ptr<Database> database(new Database(std::move(impl)));
  try {
    Transaction transaction(*database);
    for (const auto &definition : DataModelTables())
      database->createTable(definition);
    transaction.commit();
  } catch (...) {
    database.reset();
    QFile::remove(databasePath(directory));
    throw;
  }
  return database;
}

bool Database::isDataDirectory(const QString &directory) {
  TRACE_ROUTINE("engine", "Database.isDataDirectory");
  if (!QFileInfo::exists(databasePath(directory)))
    return false;
  sqlite3 *connection = nullptr;
  bool found = false;
  if (sqlite3_open_v2(databasePath(directory).toUtf8().constData(), &connection, SQLITE_OPEN_READONLY, nullptr) ==
      SQLITE_OK) {
    sqlite3_busy_timeout(connection, BusyTimeoutMs);
    found = holdsUserSec(connection);
  }
  sqlite3_close(connection);
  return found;
}

QString Database::directory() const {
  return impl_->directory;
}

const SchemaLookup &Database::schema() const {
  return impl_->schema();
}

int Database::execute(const QString &localSql) {
  TRACE_ROUTINE("engine", "Database.execute");
  const TranslatedStatement translated = TranslateLocalSql(localSql, impl_->schema());
  if (translated.kind == StatementKind::Select)
    throw EngineError(ErrSyntax, QStringLiteral("A SELECT returns rows: open it as a query. (%1)").arg(localSql));
  TableDef written;
  const bool known = !translated.table.isEmpty() && impl_->findTableDef(translated.table, written);
  int changed = 0;
  Transaction transaction(*this);
  for (const auto &sql : translated.sqliteStatements) {
    impl_->exec(sql, known ? &written : nullptr);
    changed += sqlite3_changes(impl_->connection);
  }
  transaction.commit();
  return changed;
}

bool Database::tableExists(const QString &tableOrFileName) const {
  TRACE_ROUTINE("engine", "Database.tableExists");
  return !impl_->findTableName(tableOrFileName).isEmpty();
}

QString Database::tableName(const QString &tableOrFileName) const {
  TRACE_ROUTINE("engine", "Database.tableName");
  return impl_->requireTableDef(tableOrFileName).name;
}

QStringList Database::tableNames() const {
  TRACE_ROUTINE("engine", "Database.tableNames");
  Statement statement(impl_->connection,
                      QStringLiteral("SELECT name FROM sqlite_schema WHERE type = 'table' AND name NOT LIKE "
                                     "'sqlite\\_%' ESCAPE '\\' ORDER BY name COLLATE NOCASE"));
  QStringList names;
  while (statement.step())
    names << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement.get(), 0)));
  return names;
}

TableDef Database::tableDef(const QString &tableOrFileName) const {
  TRACE_ROUTINE("engine", "Database.tableDef");
  return impl_->requireTableDef(tableOrFileName);
}

QList<FieldDef> Database::fieldDefs(const QString &tableOrFileName) const {
  TRACE_ROUTINE("engine", "Database.fieldDefs");
  return impl_->requireTableDef(tableOrFileName).fields;
}

int Database::recordLockCount(const QString &tableOrFileName) const {
  TRACE_ROUTINE("engine", "Database.recordLockCount");
  return RecordLockFile::count(impl_->directory, tableName(tableOrFileName));
}

Database::Transaction::Transaction(Database &database) : database_(database) {
  database_.impl().begin();
}

Database::Transaction::~Transaction() {
  if (!done_)
    database_.impl().rollback();
}

void Database::Transaction::commit() {
  TRACE_ROUTINE("engine", "Transaction.commit");
  database_.impl().commit();
  done_ = true;
}

}  // namespace db
