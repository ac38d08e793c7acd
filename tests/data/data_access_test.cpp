// The list statements and data-access routines on a real data directory.

#include "app/base/clock.h"
#include "app/base/debug_log.h"
#include "data/conversion_errors.h"
#include "data/data_access.h"
#include "data/dates.h"
#include "data/engine.h"
#include "data/main_data_sets.h"
#include "data/statements.h"
#include "data/working_context.h"
#include "tests/support/temp_data_directory.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// One product with two releases; release 2.0 has the programs bugs.exe and util.exe
// and the severities Critical, Minor, Cosmetic in that rank (not alphabetical).
class DataAccessTest : public ::testing::Test {
protected:
  void SetUp() override {
    for (const char *sql : {
             "INSERT INTO Release (Product, Release, Hidden) VALUES ('Faultbook', '2.0', False)",
             "INSERT INTO Release (Product, Release, Hidden) VALUES ('Faultbook', '1.0', True)",
             "INSERT INTO Release (Product, Release, Hidden) VALUES ('Faultbook', '1.5', False)",
             "INSERT INTO Release (Product, Release, Hidden) VALUES ('Other', '9.0', False)",
             "INSERT INTO Program (Product, Release, Program, Description, Status) "
             "VALUES ('Faultbook', '2.0', 'bugs.exe', 'The tracker', 'Active')",
             "INSERT INTO Program (Product, Release, Program, Status) VALUES ('Faultbook', '2.0', 'util.exe', 'Retired')",
             "INSERT INTO Program (Product, Release, Program, Status) VALUES ('Other', '9.0', 'bugs.exe', 'Active')",
             "INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('Faultbook', '2.0', 'Critical', 1)",
             "INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('Faultbook', '2.0', 'Minor', 2)",
             "INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('Faultbook', '2.0', 'Cosmetic', 3)",
             "INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('Other', '9.0', 'Critical', 1)",
             "INSERT INTO Resource (ResourceName) VALUES ('Zoe')",
             "INSERT INTO Resource (ResourceName) VALUES ('Adam')",
         })
      database()->execute(sql);
    // Defect number, program, severity, and which partner rows it has.
    addDefect(1, "bugs.exe", "Minor", true, true);
    addDefect(2, "bugs.exe", "Critical", false, true);  // no Origin
    addDefect(3, "bugs.exe", "Unranked", true, true);   // severity not in SevOrder
    addDefect(4, "bugs.exe", "Cosmetic", true, true);
    addDefect(5, "bugs.exe", "Critical", true, true);
    addDefect(6, "bugs.exe", "Minor", true, false);     // no Correct
    addDefect(7, "util.exe", "Critical", true, true);
    database()->execute("INSERT INTO Defect (Product, Release, Program, Defect, Severity) "
                        "VALUES ('Other', '9.0', 'bugs.exe', 1, 'Critical')");
    database()->execute("INSERT INTO Origin (Product, Release, Program, Defect) VALUES ('Other', '9.0', 'bugs.exe', 1)");
    database()->execute("INSERT INTO Correct (Product, Release, Program, Defect) VALUES ('Other', '9.0', 'bugs.exe', 1)");
  }

  void addDefect(int defect, const QString &program, const QString &severity, bool origin, bool correct) {
    const QString key = QStringLiteral("'Faultbook', '2.0', '%1', %2").arg(program).arg(defect);
    database()->execute("INSERT INTO Defect (Product, Release, Program, Defect, Severity, Status, Summary) VALUES (" +
                        key + ", '" + severity + "', 'Open', 'Defect " + QString::number(defect) + "')");
    if (origin)
      database()->execute("INSERT INTO Origin (Product, Release, Program, Defect, Technician) VALUES (" + key + ", 'Zoe')");
    if (correct)
      database()->execute("INSERT INTO Correct (Product, Release, Program, Defect, Programmer) VALUES (" + key +
                          ", 'Adam')");
  }

  void addView(const QString &release, const QString &name, const QString &group, const QString &customer) {
    database()->execute("INSERT INTO Filters (Product, Release, \"Filter Name\", GroupName, CustomerName) VALUES "
                        "('Faultbook', '" + release + "', '" + name + "', '" + group + "', '" + customer + "')");
  }

  std::shared_ptr<db::Database> database() const { return directory_.database(); }

  // The defect numbers the statement lists, in order.
  QList<qint64> listed(const QString &statement) const {
    db::Query query(database(), statement);
    query.open();
    QList<qint64> defects;
    for (query.first(); !query.eof(); query.next())
      defects << query.asInteger("Defect");
    return defects;
  }

  QString defectStatement(const QString &program = "bugs.exe") const {
    return MakeSQL(database(), ListKind::Defect, "Faultbook", "2.0", program, "");
  }

  TempDataDirectory directory_;
  FixedWorkingContext context_{{.product = "Faultbook", .release = "2.0"}};
};

TEST_F(DataAccessTest, DefectListHoldsOnlyDefectsWithAllTheirPartners) {
  EXPECT_EQ(listed(defectStatement()), (QList<qint64>{1, 4, 5}));
  EXPECT_EQ(listed(defectStatement("")), (QList<qint64>{1, 4, 5, 7}));
  EXPECT_EQ(listed(MakeSQL(database(), ListKind::Defect, "Faultbook", "2.0", "bugs.exe", "4")), (QList<qint64>{4}));
  context_.values.defectSort.ascending = false;
  EXPECT_EQ(listed(defectStatement("")), (QList<qint64>{7, 5, 4, 1}));
}

TEST_F(DataAccessTest, DefectListRowsCarryTheirPartnersFields) {
  db::Query query(database(), defectStatement());
  query.open();
  ASSERT_FALSE(query.isEmpty());
  EXPECT_EQ(query.value("Defect"), QVariant(qlonglong(1)));
  EXPECT_EQ(query.asString("Technician"), "Zoe");
  EXPECT_EQ(query.asString("Programmer"), "Adam");
  EXPECT_EQ(query.asInteger("SevSort"), 2);
}

TEST_F(DataAccessTest, SeveritySortFollowsTheRankNotTheAlphabet) {
  // Critical (5 and 7) ranks 1, Minor (1) 2, Cosmetic (4) 3.
  context_.values.defectSort = {R"(Defect."Severity")", true};
  const QList<qint64> ascending = listed(defectStatement(""));
  ASSERT_EQ(ascending.size(), 4);
  EXPECT_EQ(QSet<qint64>(ascending.begin(), ascending.begin() + 2), (QSet<qint64>{5, 7}));
  EXPECT_EQ(ascending.mid(2), (QList<qint64>{1, 4}));
  context_.values.defectSort.ascending = false;
  const QList<qint64> descending = listed(defectStatement(""));
  ASSERT_EQ(descending.size(), 4);
  EXPECT_EQ(descending.mid(0, 2), (QList<qint64>{4, 1}));
}

TEST_F(DataAccessTest, AViewByGroupJoinsTheGroupRows) {
  addView("2.0", "Blockers", "Release Blockers", "(any customer)");
  for (const char *sql : {"INSERT INTO Groups (Product, Release, Program, Defect, GroupName) "
                          "VALUES ('Faultbook', '2.0', 'bugs.exe', 4, 'Release Blockers')",
                          "INSERT INTO Groups (Product, Release, Program, Defect, GroupName) "
                          "VALUES ('Faultbook', '2.0', 'bugs.exe', 4, 'Later')",
                          "INSERT INTO Groups (Product, Release, Program, Defect, GroupName) "
                          "VALUES ('Faultbook', '2.0', 'bugs.exe', 2, 'Later')"})
    database()->execute(sql);
  context_.values.viewFilter = "Blockers";
  const QString sql = defectStatement();
  EXPECT_TRUE(sql.startsWith(
      R"(Select Defect.*, Origin."Report Date", Origin.Technician, Correct.Programmer, Correct.Tester, )"
      R"(Correct."Testing Date", Program.Status, SevOrder.SevSort , Groups.GroupName From Defect, Origin, )"
      R"(Correct, Program, SevOrder , Groups Where  (Product = 'Faultbook'))"))
      << sql.toStdString();
  EXPECT_TRUE(sql.endsWith(R"((Defect.Severity = SevOrder.Severity)  And (Defect.Product = Groups.Product) and )"
                           R"((Defect.Release = Groups.Release) and (Defect.Program = Groups.Program) and )"
                           R"((Defect.Defect = Groups.Defect) Order By Defect.Defect ASC )"))
      << sql.toStdString();
  // Only defects in a group, once per group row (the view's own group condition
  // narrows this to one group).
  EXPECT_EQ(listed(sql), (QList<qint64>{4, 4}));
}

TEST_F(DataAccessTest, AViewByCustomerJoinsTheCustomerRows) {
  addView("2.0", "Acme", "(any group)", "Acme Ltd");
  database()->execute("INSERT INTO CustDef (Product, Release, Program, Defect, Customer) "
                      "VALUES ('Faultbook', '2.0', 'bugs.exe', 5, 'Acme Ltd')");
  context_.values.viewFilter = "Acme";
  const QString sql = defectStatement();
  EXPECT_TRUE(sql.contains(R"(SevOrder.SevSort , CustDef.Customer From Defect, Origin, Correct, Program, SevOrder , )"
                           R"(CustDef Where  (Product)"))
      << sql.toStdString();
  EXPECT_TRUE(sql.endsWith(R"((Defect.Severity = SevOrder.Severity)  And (Defect.Product = CustDef.Product) and )"
                           R"((Defect.Release = CustDef.Release) and (Defect.Program = CustDef.Program) and )"
                           R"((Defect.Defect = CustDef.Defect) Order By Defect.Defect ASC )"))
      << sql.toStdString();
  EXPECT_EQ(listed(sql), (QList<qint64>{5}));
}

TEST_F(DataAccessTest, AViewIsSoughtInTheCurrentRelease) {
  const QString plain = defectStatement();
  addView("1.5", "Elsewhere", "Release Blockers", "Acme Ltd");
  addView("2.0", "Anything", "(any group)", "(any customer)");
  for (const char *view : {"Elsewhere", "Missing", "Anything"}) {
    context_.values.viewFilter = view;
    EXPECT_EQ(defectStatement(), plain) << view;
  }
}

TEST_F(DataAccessTest, ProgramListAndProgramInQuery) {
  db::Query programs(database());
  OpenQry(programs, MakeSQL(database(), ListKind::Program, "Faultbook", "2.0", "", ""));
  EXPECT_EQ(programs.recordCount(), 2);
  EXPECT_TRUE(ProgramInQuery(programs, "Faultbook", "2.0", "util.exe"));
  EXPECT_EQ(programs.asString("Program"), "util.exe");
  EXPECT_FALSE(ProgramInQuery(programs, "Faultbook", "2.0", "BUGS.EXE"));
  EXPECT_FALSE(ProgramInQuery(programs, "Other", "9.0", "bugs.exe"));
  OpenQry(programs, MakeSQL(database(), ListKind::Program, "Nobody", "", "", ""));
  EXPECT_FALSE(ProgramInQuery(programs, "Faultbook", "2.0", "bugs.exe"));
}

TEST_F(DataAccessTest, ColumnTitleSortReplacesTheViewsSort) {
  db::Query defects(database());
  // A view that sorts by nothing orders by defect number.
  OpenQry(defects, MakeSQL(database(), ListKind::Defect, "Faultbook", "2.0", "", "").section(" Order By", 0, 0) +
                       " Order By Defect");
  SortByColumnTitle(defects, R"(Defect."Severity")", true);
  EXPECT_TRUE(defects.sql().endsWith(" Order By SevOrder.SevSort ASC ")) << defects.sql().toStdString();
  QStringList programs;
  GetRecordsStringList(defects, "Defect", programs);
  EXPECT_EQ(programs.mid(2), (QStringList{"1", "4"}));
}

TEST_F(DataAccessTest, GetRecordsStringListReturnsToTheRow) {
  db::Query programs(database(), "Select * from Program Order By Program");
  programs.open();
  programs.next();
  QStringList list{"stale"};
  GetRecordsStringList(programs, "Program", list);
  EXPECT_EQ(list, (QStringList{"bugs.exe", "bugs.exe", "util.exe"}));
  EXPECT_EQ(programs.recordNumber(), 1);
}

TEST_F(DataAccessTest, PickLists) {
  QStringList list;
  UpdateReleaseList(database(), "Faultbook", list, false);
  EXPECT_EQ(list, (QStringList{"1.5", "2.0"}));
  UpdateReleaseList(database(), "Faultbook", list, true);
  EXPECT_EQ(list, (QStringList{"1.0", "1.5", "2.0"}));
  UpdateProgramList(database(), "Faultbook", "2.0", list);
  list.sort();
  EXPECT_EQ(list, (QStringList{"bugs.exe", "util.exe"}));
  UpdateResourceList(database(), list);
  EXPECT_EQ(list, (QStringList{"Adam", "Zoe"}));

  addView("2.0", "Mine", "(any group)", "(any customer)");
  addView("1.5", "Old", "(any group)", "(any customer)");
  EXPECT_EQ(UpdateFilterList(database(), list, "Mine"), 1);
  EXPECT_EQ(list, (QStringList{"(none)", "Mine"}));
  EXPECT_EQ(UpdateFilterList(database(), list, "(none)"), 0);
  EXPECT_EQ(UpdateFilterList(database(), list, "Old"), -1);
}

TEST_F(DataAccessTest, NamesWithApostrophesReachTheirRows) {
  database()->execute("INSERT INTO Release (Product, Release, Hidden) VALUES ('O''Neil''s', '2''0', False)");
  database()->execute("INSERT INTO Program (Product, Release, Program) VALUES ('O''Neil''s', '2''0', 'it''s.exe')");
  QStringList list;
  UpdateReleaseList(database(), "O'Neil's", list, false);
  EXPECT_EQ(list, QStringList{"2'0"});
  UpdateProgramList(database(), "O'Neil's", "2'0", list);
  EXPECT_EQ(list, QStringList{"it's.exe"});
  db::Query programs(database(), MakeSQL(database(), ListKind::Program, "O'Neil's", "2'0", "it's.exe", ""));
  programs.open();
  EXPECT_EQ(programs.recordCount(), 1);
}

TEST_F(DataAccessTest, ProgramDescription) {
  db::Table programs(database(), "program.db");
  programs.open();
  EXPECT_EQ(ProgramDescription(programs, "Faultbook", "2.0", "bugs.exe"), "The tracker");
  EXPECT_EQ(ProgramDescription(programs, "Faultbook", "2.0", "util.exe"), "");
  EXPECT_EQ(ProgramDescription(programs, "Faultbook", "2.0", "none.exe"), "");
}

TEST_F(DataAccessTest, SetDateFieldStoresTheTypedDateOrClearsIt) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  FixedUserFormats monthFirst("M/d/yy");
  db::Table releases(database(), "release.db");
  releases.open();
  ASSERT_TRUE(releases.findKey({"Faultbook", "2.0"}));
  releases.edit();
  SetDateField(releases, "StartDate", "3/4/50");
  releases.post();
  EXPECT_EQ(releases.asDate("StartDate"), QDate(2050, 3, 4));
  releases.edit();
  SetDateField(releases, "StartDate", "  ");
  releases.post();
  EXPECT_TRUE(releases.isNull("StartDate"));
  releases.edit();
  EXPECT_THROW(SetDateField(releases, "StartDate", "3/44/50"), ConversionError);
  releases.cancel();
}

TEST_F(DataAccessTest, ADateInAStatementComparesAsADate) {
  FixedClock clock(QDateTime(QDate(2024, 6, 15), QTime(10, 0)));
  FixedUserFormats dashes("M-d-yyyy");
  database()->execute("UPDATE Origin SET \"Report Date\" = '" + MakeSQLDate("12-1-2001") + "' WHERE Defect = 1");
  database()->execute("UPDATE Origin SET \"Report Date\" = '" + MakeSQLDate("3-4-2001") + "' WHERE Defect = 4");
  const QString since = defectStatement().section(" Order By", 0, 0) + " and (Origin.\"Report Date\" >= '" +
                        MakeSQLDate("4-1-2001") + "') Order By Defect.Defect";
  EXPECT_EQ(listed(since), (QList<qint64>{1}));
}

TEST_F(DataAccessTest, OpenAndCloseAllTables) {
  QTemporaryDir logFolder;
  ASSERT_TRUE(OpenDebugLogFile(logFolder.path()));
  MainDataSets sets;
  OpenAllTables(sets, database());
  EXPECT_EQ(sets.ProgramQry->sql(), "Select all * from Program where Product = ''");
  EXPECT_EQ(sets.DefectQry->sql(), "Select all * from Defect where Product=''");
  EXPECT_TRUE(sets.ProgramQry->isEmpty());
  EXPECT_EQ(sets.ResourceQry->recordCount(), 2);
  EXPECT_EQ(sets.AttachTbl->tableName(), "Attach");
  EXPECT_EQ(sets.FilterTbl->tableName(), "Filters");
  const std::vector<db::DataSet *> all{
      sets.ProgramQry.get(), sets.DefectQry.get(), sets.ReleaseQry.get(), sets.ResourceQry.get(),
      sets.ProgramTbl.get(), sets.DefectTbl.get(), sets.OriginTbl.get(), sets.WorkaroundTbl.get(),
      sets.CorrectionTbl.get(), sets.GroupTbl.get(), sets.GroupHdrTbl.get(), sets.CustDefTbl.get(),
      sets.CustomerTbl.get(), sets.CustProdTbl.get(), sets.AttachTbl.get(), sets.ResourceTbl.get(),
      sets.SecurityTbl.get(), sets.UserLockTbl.get(), sets.ReportTbl.get(), sets.NotifyTbl.get(),
      sets.ReleaseTbl.get(), sets.FilterTbl.get(), sets.MessageTbl.get()};
  for (db::DataSet *dataSet : all)
    EXPECT_TRUE(dataSet->isOpen());
  CloseAllTables(sets);
  for (db::DataSet *dataSet : all)
    EXPECT_FALSE(dataSet->isOpen());
  CloseDebugLogFile();
  QFile log(logFolder.filePath(DebugLogFileName));
  ASSERT_TRUE(log.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(log.readAll()).split('\n', Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 3);
  EXPECT_TRUE(lines[0].endsWith("] Open Faultbook database files.")) << lines[0].toStdString();
  EXPECT_TRUE(lines[1].endsWith("] Finished opening all tables.")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].endsWith("] Close Faultbook database files.")) << lines[2].toStdString();
}

TEST_F(DataAccessTest, EngineErrorsOfAStatementReachTheCaller) {
  db::Query query(database());
  EXPECT_THROW(OpenQry(query, "Select Nothing from Nowhere"), db::EngineError);
  EXPECT_FALSE(query.isOpen());
}

TEST_F(DataAccessTest, RefreshCurrentDisplayRebuildsAndReturnsToTheCurrentRows) {
  MainDataSets sets;
  OpenAllTables(sets, database());
  context_.values.program = "bugs.exe";
  context_.values.defect = "4";
  std::vector<bool> freezes;
  DisplayedLists shown{true, true, [&](bool frozen) { freezes.push_back(frozen); }};

  addDefect(8, "bugs.exe", "Minor", true, true);  // written by another station meanwhile
  RefreshCurrentDisplay(sets, shown);
  EXPECT_EQ(freezes, (std::vector<bool>{true, false}));
  EXPECT_EQ(sets.ProgramQry->recordCount(), 2);
  EXPECT_EQ(sets.ProgramQry->asString("Program"), "bugs.exe");
  EXPECT_EQ(sets.DefectQry->recordCount(), 4);
  EXPECT_EQ(sets.DefectQry->asInteger("Defect"), 4);

  context_.values.showByRelease = true;
  RefreshCurrentDisplay(sets, {false, true, {}});
  EXPECT_EQ(sets.DefectQry->recordCount(), 5);
  EXPECT_EQ(sets.DefectQry->asInteger("Defect"), 4);
  CloseAllTables(sets);
}

TEST_F(DataAccessTest, ActiveUsersAreTheLocksOnUserLock) {
  database()->execute("INSERT INTO UserLock (UserID) VALUES ('alice')");
  EXPECT_EQ(GetActiveUserCount(*database()), 0);
  db::Table userLock(database(), "userlock.db");
  userLock.open();
  userLock.edit();
  EXPECT_EQ(GetActiveUserCount(*database()), 1);
  userLock.cancel();
  EXPECT_EQ(GetActiveUserCount(*database()), 0);
}

}  // namespace
