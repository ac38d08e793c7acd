// The defect list of a large release: MakeSQL's defect statement opened through a
// Query and every value of every row read, beside the same join written by hand
// against the SQLite C API, in the same run on the same data directory. Prints both
// times, their ratio (goal: at most 1.3) and the memory the open query takes.
//
//   engine_bench [DEFECTS] [ROUNDS]      (100000 defects, 5 rounds)

#include "data/engine.h"
#include "data/statements.h"
#include "data/working_context.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <sqlite3.h>
#include <vector>

namespace {

const char *const Product = "Faultbook";
const char *const Release = "5.0";
constexpr int Programs = 100;
const char *const Severities[] = {"Critical", "High", "Medium", "Low"};

void check(int rc, sqlite3 *connection, const char *what) {
  if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
    std::fprintf(stderr, "%s: %s\n", what, sqlite3_errmsg(connection));
    std::exit(1);
  }
}

void exec(sqlite3 *connection, const char *sql) {
  check(sqlite3_exec(connection, sql, nullptr, nullptr, nullptr), connection, sql);
}

struct Insert {
  Insert(sqlite3 *connection, const char *sql) : connection(connection) {
    check(sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr), connection, sql);
  }
  ~Insert() { sqlite3_finalize(statement); }
  Insert &text(int index, const QByteArray &value) {
    sqlite3_bind_text(statement, index, value.constData(), int(value.size()), SQLITE_TRANSIENT);
    return *this;
  }
  Insert &integer(int index, qint64 value) {
    sqlite3_bind_int64(statement, index, value);
    return *this;
  }
  Insert &real(int index, double value) {
    sqlite3_bind_double(statement, index, value);
    return *this;
  }
  void run() {
    check(sqlite3_step(statement), connection, "insert");
    sqlite3_reset(statement);
  }
  sqlite3 *connection;
  sqlite3_stmt *statement = nullptr;
};

QByteArray programName(int n) { return QStringLiteral("module%1.exe").arg(n, 3, 10, QLatin1Char('0')).toUtf8(); }

QByteArray isoDate(int dayOffset) { return QDate(2020, 1, 1).addDays(dayOffset % 1500).toString(Qt::ISODate).toUtf8(); }

// The release with its programs, severity order and defects, each defect with its
// Origin and Correct rows, written straight into the data directory's database.
void fill(const QString &databaseFile, int defects) {
  sqlite3 *connection = nullptr;
  check(sqlite3_open(databaseFile.toUtf8().constData(), &connection), connection, "open");
  exec(connection, "BEGIN");
  {
    Insert program(connection, "INSERT INTO Program (Product, Release, Program, Description, Status) VALUES (?,?,?,?,?)");
    for (int p = 0; p < Programs; ++p)
      program.text(1, Product).text(2, Release).text(3, programName(p)).text(4, "A program of the release")
          .text(5, p % 3 ? "Approved" : "Pending").run();
    Insert severity(connection, "INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES (?,?,?,?)");
    for (int s = 0; s < 4; ++s)
      severity.text(1, Product).text(2, Release).text(3, Severities[s]).integer(4, s + 1).run();

    Insert defect(connection,
                  "INSERT INTO Defect (Product, Release, Program, Defect, \"EXE Date\", \"EXE Time\", \"EXE Size\", "
                  "Status, Error, Nature, Severity, Priority, Summary, AssignedTo, AssignedDate, EstCompDate, "
                  "Selected, Submitted) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    Insert origin(connection, "INSERT INTO Origin (Product, Release, Program, Defect, \"Original Release\", "
                              "\"Operating System\", Technician, \"Report Date\", Notes) VALUES (?,?,?,?,?,?,?,?,?)");
    Insert correct(connection, "INSERT INTO Correct (Product, Release, Program, Defect, Programmer, Tester, "
                               "\"Testing Date\", EstProgHrs, ActProgHrs, EstTestHrs, ActTestHrs) "
                               "VALUES (?,?,?,?,?,?,?,?,?,?,?)");
    for (int d = 1; d <= defects; ++d) {
      const QByteArray program = programName(d % Programs);
      defect.text(1, Product).text(2, Release).text(3, program).integer(4, d).text(5, isoDate(d)).text(6, "10:15:00")
          .integer(7, 1048576 + d).text(8, d % 5 ? "Open" : "Closed").text(9, QByteArray::number(d % 97))
          .text(10, d % 2 ? "Bug" : "Enhancement").text(11, Severities[d % 4]).integer(12, d % 999 + 1)
          .text(13, QStringLiteral("Defect %1: the report window stops responding after a resize").arg(d).toUtf8())
          .text(14, "Programmer " + QByteArray::number(d % 12)).text(15, isoDate(d + 3)).text(16, isoDate(d + 30))
          .integer(17, 0).integer(18, 0).run();
      origin.text(1, Product).text(2, Release).text(3, program).integer(4, d).text(5, Release).text(6, "Linux")
          .text(7, "Tester " + QByteArray::number(d % 7)).text(8, isoDate(d)).text(9, "Seen at the customer's site.")
          .run();
      correct.text(1, Product).text(2, Release).text(3, program).integer(4, d)
          .text(5, "Programmer " + QByteArray::number(d % 12)).text(6, "Tester " + QByteArray::number(d % 7))
          .text(7, isoDate(d + 40)).real(8, 4.5).real(9, 2.25).real(10, 1.5).integer(11, 0).run();
    }
  }
  exec(connection, "COMMIT");
  sqlite3_close(connection);
}

// What reading a value costs an application: text as QString, numbers as numbers.
double consume(const QVariant &value) {
  switch (value.metaType().id()) {
  case QMetaType::QString: return value.toString().size();
  case QMetaType::LongLong: return double(value.toLongLong());
  case QMetaType::Double: return value.toDouble();
  case QMetaType::QDate: return value.toDate().day();
  case QMetaType::QTime: return value.toTime().minute();
  case QMetaType::Bool: return value.toBool() ? 1 : 0;
  default: return 0;
  }
}

struct Result {
  double seconds = 0;
  int rows = 0;
  double checksum = 0;
};

Result throughQuery(const std::shared_ptr<db::Database> &database, const QString &statement) {
  QElapsedTimer timer;
  timer.start();
  db::Query query(database, statement);
  query.open();
  Result result;
  const int columns = int(query.fieldNames().size());
  for (; !query.eof(); query.next()) {
    for (int column = 0; column < columns; ++column)
      result.checksum += consume(query.value(column));
    ++result.rows;
  }
  result.seconds = timer.nsecsElapsed() / 1e9;
  return result;
}

const char *const HandWrittenJoin =
    "SELECT Defect.*, Origin.\"Report Date\", Origin.Technician, Correct.Programmer, Correct.Tester, "
    "Correct.\"Testing Date\", Program.Status, SevOrder.SevSort "
    "FROM Defect, Origin, Correct, Program, SevOrder "
    "WHERE Defect.Product = ?1 AND Defect.Release = ?2 "
    "AND Defect.Product = Origin.Product AND Defect.Release = Origin.Release "
    "AND Defect.Program = Origin.Program AND Defect.Defect = Origin.Defect "
    "AND Defect.Product = Correct.Product AND Defect.Release = Correct.Release "
    "AND Defect.Program = Correct.Program AND Defect.Defect = Correct.Defect "
    "AND Defect.Product = Program.Product AND Defect.Release = Program.Release AND Defect.Program = Program.Program "
    "AND Defect.Product = SevOrder.Product AND Defect.Release = SevOrder.Release "
    "AND Defect.Severity = SevOrder.Severity "
    "ORDER BY Defect.Defect ASC";

// The engine's page cache, so that the two differ only in what the engine adds.
const char *const CacheSizePragma = "PRAGMA cache_size=-32768";

Result handWritten(const QString &databaseFile) {
  QElapsedTimer timer;
  timer.start();
  sqlite3 *connection = nullptr;
  check(sqlite3_open_v2(databaseFile.toUtf8().constData(), &connection, SQLITE_OPEN_READONLY, nullptr), connection,
        "open");
  exec(connection, CacheSizePragma);
  sqlite3_stmt *statement = nullptr;
  check(sqlite3_prepare_v2(connection, HandWrittenJoin, -1, &statement, nullptr), connection, "prepare");
  sqlite3_bind_text(statement, 1, Product, -1, SQLITE_STATIC);
  sqlite3_bind_text(statement, 2, Release, -1, SQLITE_STATIC);
  Result result;
  const int columns = sqlite3_column_count(statement);
  while (sqlite3_step(statement) == SQLITE_ROW) {
    for (int column = 0; column < columns; ++column) {
      switch (sqlite3_column_type(statement, column)) {
      case SQLITE_INTEGER: result.checksum += consume(QVariant::fromValue(qlonglong(sqlite3_column_int64(statement, column)))); break;
      case SQLITE_FLOAT: result.checksum += consume(sqlite3_column_double(statement, column)); break;
      case SQLITE_TEXT:
        result.checksum += consume(QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                                                     sqlite3_column_bytes(statement, column)));
        break;
      default: break;
      }
    }
    ++result.rows;
  }
  sqlite3_finalize(statement);
  sqlite3_close(connection);
  result.seconds = timer.nsecsElapsed() / 1e9;
  return result;
}

// Kilobytes of a line of /proc/self/status ("VmHWM:", "VmRSS:").
long statusKb(const char *key) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly))
    return -1;
  for (const QByteArray &line : status.readAll().split('\n'))
    if (line.startsWith(key))
      return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toLong();
  return -1;
}

void resetPeak() {
  QFile clear(QStringLiteral("/proc/self/clear_refs"));
  if (clear.open(QIODevice::WriteOnly))
    clear.write("5");
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  const int defects = argc > 1 ? std::atoi(argv[1]) : 100000;
  const int rounds = argc > 2 ? std::atoi(argv[2]) : 5;

  QTemporaryDir folder;
  const QString databaseFile = QDir(folder.path()).filePath(QStringLiteral("faultbk.sqlite"));
  std::shared_ptr<db::Database> database = db::Database::create(folder.path());
  QElapsedTimer fillTimer;
  fillTimer.start();
  fill(databaseFile, defects);
  std::printf("data directory: %d defects in %d programs of one release, with Origin, Correct, Program and SevOrder "
              "rows (filled in %.1f s)\n",
              defects, Programs, fillTimer.elapsed() / 1000.0);

  WorkingContextValues context;
  context.product = QString::fromLatin1(Product);
  context.release = QString::fromLatin1(Release);
  context.showByRelease = true;
  FixedWorkingContext fixed(context);
  const QString statement =
      MakeSQL(database, ListKind::Defect, context.product, context.release, QString(), QString());

  // Warm the file cache and check that both read the same rows.
  const Result firstQuery = throughQuery(database, statement);
  const Result firstHand = handWritten(databaseFile);
  if (firstQuery.rows != firstHand.rows || firstQuery.rows != defects)
    std::printf("WARNING: rows differ: query %d, hand-written %d, defects %d\n", firstQuery.rows, firstHand.rows,
                defects);

  std::vector<double> queryTimes, handTimes;
  for (int round = 0; round < rounds; ++round) {
    queryTimes.push_back(throughQuery(database, statement).seconds);
    handTimes.push_back(handWritten(databaseFile).seconds);
  }
  const double query = median(queryTimes);
  const double hand = median(handTimes);
  std::printf("rows read: %d, every value of every row\n", firstQuery.rows);
  std::printf("Query over MakeSQL's defect statement: %.3f s (median of %d)\n", query, rounds);
  std::printf("hand-written join, SQLite C API:       %.3f s (median of %d)\n", hand, rounds);
  std::printf("ratio: %.2f (goal: at most 1.30)\n", query / hand);

  // The memory of the open query: the process's peak while it opens and is walked,
  // over what the process held before.
  const long before = statusKb("VmRSS:");
  resetPeak();
  {
    db::Query open(database, statement);
    open.open();
    double checksum = 0;
    for (; !open.eof(); open.next())
      checksum += consume(open.value(0));
    const long held = statusKb("VmRSS:");
    const long peak = statusKb("VmHWM:");
    std::printf("memory of the open query: %.1f MB held, %.1f MB at the peak (process: %.1f MB before, %.1f MB peak)\n",
                (held - before) / 1024.0, (peak - before) / 1024.0, before / 1024.0, peak / 1024.0);
    if (checksum < 0)
      std::printf("%f\n", checksum);
  }
  return 0;
}
