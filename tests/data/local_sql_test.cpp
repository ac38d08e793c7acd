// The local SQL translator: the program's statement forms as SQLite statements, and the
// same statements run on a database made from the data model.

#include "data/data_model.h"
#include "data/engine.h"
#include "data/local_sql.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QMap>
#include <QTemporaryDir>

using namespace db;

namespace {

// The data model's tables, with fields taken away to stand for an older data directory.
class ModelSchema : public SchemaLookup {
public:
  ModelSchema() {
    for (const auto &table : DataModelTables())
      tables_.insert(table.name.toLower(), table);
  }
  bool findTable(const QString &tableOrFileName, TableDef &definition) const override {
    const auto found = tables_.constFind(StripTableFileExtension(tableOrFileName).toLower());
    if (found == tables_.constEnd())
      return false;
    definition = *found;
    return true;
  }
  void addFields(const QString &table, const QList<FieldDef> &fields) { tables_[table.toLower()].fields << fields; }
  void removeFields(const QString &table, const QStringList &fields) {
    auto &definition = tables_[table.toLower()];
    for (const auto &name : fields)
      definition.fields.removeIf([&](const FieldDef &f) { return f.name == name; });
  }

private:
  QMap<QString, TableDef> tables_;
};

QString Translated(const QString &localSql, const SchemaLookup &schema) {
  const TranslatedStatement statement = TranslateLocalSql(localSql, schema);
  return statement.sqliteStatements.join(QStringLiteral("\n"));
}

// The same tables in a SQLite database of its own, as the engine would make them.
class ModelDatabase {
public:
  explicit ModelDatabase(const ModelSchema &schema) : schema_(schema) {
    sqlite3_open(":memory:", &db_);
    run("PRAGMA case_sensitive_like = ON");
    for (const auto &table : DataModelTables()) {
      TableDef definition;
      schema.findTable(table.name, definition);
      QStringList columns;
      for (const auto &field : definition.fields)
        columns << ColumnDefinition(field);
      QStringList key;
      for (const auto &name : definition.primaryIndex()->fields)
        key << QuoteIdentifier(name);
      columns << QStringLiteral("PRIMARY KEY (%1)").arg(key.join(QStringLiteral(", ")));
      run(QStringLiteral("CREATE TABLE %1 (%2)").arg(QuoteIdentifier(table.name), columns.join(QStringLiteral(", "))));
    }
  }
  ~ModelDatabase() { sqlite3_close(db_); }

  // Runs SQLite text; an error fails the test with SQLite's message.
  void run(const QString &sql) {
    char *error = nullptr;
    const int rc = sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
    EXPECT_EQ(rc, SQLITE_OK) << sql.toStdString() << "\n" << (error ? error : "");
    sqlite3_free(error);
  }
  // Translates and runs a statement of the local SQL.
  void execute(const QString &localSql) {
    for (const auto &sql : TranslateLocalSql(localSql, schema_).sqliteStatements)
      run(sql);
  }
  // The rows of a local SQL SELECT, each as its fields joined with "|".
  QStringList rows(const QString &localSql) {
    const QString sql = Translated(localSql, schema_);
    sqlite3_stmt *statement = nullptr;
    QStringList result;
    if (sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
      ADD_FAILURE() << sql.toStdString() << "\n" << sqlite3_errmsg(db_);
      return result;
    }
    while (sqlite3_step(statement) == SQLITE_ROW) {
      QStringList fields;
      for (int i = 0; i < sqlite3_column_count(statement); ++i) {
        const auto *text = sqlite3_column_text(statement, i);
        fields << (text ? QString::fromUtf8(reinterpret_cast<const char *>(text)) : QStringLiteral("<null>"));
      }
      result << fields.join(QLatin1Char('|'));
    }
    sqlite3_finalize(statement);
    return result;
  }
  // Whether SQLite accepts the text as one statement.
  bool prepares(const QString &sql, QString &error) {
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(db_, utf8.constData(), -1, &statement, &tail);
    error = QString::fromUtf8(sqlite3_errmsg(db_));
    sqlite3_finalize(statement);
    return rc == SQLITE_OK && tail && QByteArray(tail).trimmed().isEmpty();
  }

private:
  const ModelSchema &schema_;
  sqlite3 *db_ = nullptr;
};

struct TranslationCase {
  const char *local;
  const char *sqlite;
};

// The statement forms the program writes, each beside the SQLite text it must become;
// every result must also be a statement SQLite accepts on the data model's tables.
const TranslationCase TranslationCases[] = {
    // The main window's initial queries and list fillers.
    {"Select all * from Program where Product = 'P1'",
     R"(SELECT ALL * FROM "Program" WHERE "Program"."Product" = 'P1')"},
    {"Select * From Program Where Product=''  ",
     R"(SELECT * FROM "Program" WHERE ("Program"."Product" = '' OR "Program"."Product" IS NULL))"},
    {"Select Release from Release where Product = 'P1' And Hidden = FALSE  Order By Release",
     R"(SELECT "Release"."Release" AS "Release" FROM "Release" WHERE "Release"."Product" = 'P1' AND coalesce("Release"."Hidden", 0) = 0 ORDER BY "Release"."Release")"},
    {"Select Filters.\"Filter Name\" from Filters where Product in ('P1') and Release in ('R1')",
     R"(SELECT "Filters"."Filter Name" AS "Filter Name" FROM "Filters" WHERE "Filters"."Product" IN ('P1') AND "Filters"."Release" IN ('R1'))"},
    {"Select Distinct Product From Release Order by Product",
     R"(SELECT DISTINCT "Release"."Product" AS "Product" FROM "Release" ORDER BY "Release"."Product")"},
    // The defect listing: unqualified fields are those of the first table that has them.
    {"Select Defect.*, Origin.\"Report Date\", SevOrder.SevSort From Defect, Origin, Correct, Program, SevOrder "
     "Where  (Product = 'P1') and (Program = 'a.exe') And (Defect.Product = Origin.Product) and "
     "(Defect.Severity = SevOrder.Severity)  Order By Defect.Defect ASC ",
     R"(SELECT "Defect".*, "Origin"."Report Date" AS "Report Date", "SevOrder"."SevSort" AS "SevSort" FROM "Defect", "Origin", "Correct", "Program", "SevOrder" WHERE ("Defect"."Product" = 'P1') AND ("Defect"."Program" = 'a.exe') AND ("Defect"."Product" = "Origin"."Product") AND ("Defect"."Severity" = "SevOrder"."Severity") ORDER BY "Defect"."Defect")"},
    {"Select all CustDef.*, Defect.Summary From CustDef, Defect Where (Product = 'P1') and "
     "(Defect.Defect = CustDef.Defect) Order by Product, Release, Program, Defect, Customer",
     R"(SELECT ALL "CustDef".*, "Defect"."Summary" AS "Summary" FROM "CustDef", "Defect" WHERE ("CustDef"."Product" = 'P1') AND ("Defect"."Defect" = "CustDef"."Defect") ORDER BY "CustDef"."Product", "CustDef"."Release", "CustDef"."Program", "CustDef"."Defect", "CustDef"."Customer")"},
    // Aliases, lower-case quoted table names, result names with a path.
    {"Select all * FROM Defect D, Origin O Where  Product in ('P1') and  (D.Nature = 'Bug') and "
     " (O.Defect = D.Defect) and (O.\"Original Release\" = 'R1')",
     R"(SELECT ALL * FROM "Defect" AS "D", "Origin" AS "O" WHERE "D"."Product" IN ('P1') AND ("D"."Nature" = 'Bug') AND ("O"."Defect" = "D"."Defect") AND ("O"."Original Release" = 'R1'))"},
    {"SELECT D.Product, D.\"EXE Date\" AS D.\"EXE Date\".\"DEXEDate\", O.Technician AS O.OTechnician FROM "
     "\"workarnd\" W, \"defect\" D, \"origin\" O WHERE (D.Defect  = '12') AND (W.Defect = D.Defect)",
     R"(SELECT "D"."Product" AS "Product", "D"."EXE Date" AS "DEXEDate", "O"."Technician" AS "OTechnician" FROM "Workarnd" AS "W", "Defect" AS "D", "Origin" AS "O" WHERE ("D"."Defect" = '12') AND ("W"."Defect" = "D"."Defect"))"},
    // Table file names.
    {"Select all * from attach.DB where Defect = 3", R"(SELECT ALL * FROM "Attach" WHERE "Attach"."Defect" = 3)"},
    {"Select \"defect.db\".Summary from \"defect.db\" where \"DEFECT\".Defect = 3",
     R"(SELECT "Defect"."Summary" AS "Summary" FROM "Defect" WHERE "Defect"."Defect" = 3)"},
    {"Select all * from \"attach.DB\"", R"(SELECT ALL * FROM "Attach")"},
    // Left joins, arithmetic and ordering by a result name.
    {"Select Defect.*, (Correct.EstProgHrs - Correct.ActProgHrs) + (Correct.EstTestHrs - Correct.ActTestHrs) As RemTotHrs "
     "From Defect LEFT JOIN Correct on  (Defect.Defect = Correct.Defect)  LEFT JOIN Program on "
     " (Defect.Program = Program.Program) Where  Product in ('P1') Order By RemTotHrs DESC ",
     R"(SELECT "Defect".*, ("Correct"."EstProgHrs" - "Correct"."ActProgHrs") + ("Correct"."EstTestHrs" - "Correct"."ActTestHrs") AS "RemTotHrs" FROM "Defect" LEFT JOIN "Correct" ON ("Defect"."Defect" = "Correct"."Defect") LEFT JOIN "Program" ON ("Defect"."Program" = "Program"."Program") WHERE "Defect"."Product" IN ('P1') ORDER BY "RemTotHrs" DESC)"},
    {"Select EstProgHrs - ActProgHrs * 2 From Correct",
     R"(SELECT "Correct"."EstProgHrs" - "Correct"."ActProgHrs" * 2 FROM "Correct")"},
    {"Select Summary || Error * 2, - -Priority From Defect",
     R"(SELECT "Defect"."Summary" || ("Defect"."Error" * 2), -(-"Defect"."Priority") FROM "Defect")"},
    {"Select Count(*) from Defect where Product = 'P1'",
     R"(SELECT count(*) FROM "Defect" WHERE "Defect"."Product" = 'P1')"},
    {"Select Severity, Count(*) As N, Count(Distinct Program) from Defect where Product not in ('P2') and "
     "Summary not like 'x%' and Priority not between 1 and 3 Group By Severity Having Count(*) > 1 Order By N DESC",
     R"(SELECT "Defect"."Severity" AS "Severity", count(*) AS "N", count(DISTINCT "Defect"."Program") FROM "Defect" WHERE "Defect"."Product" NOT IN ('P2') AND "Defect"."Summary" NOT LIKE 'x%' AND "Defect"."Priority" NOT BETWEEN 1 AND 3 GROUP BY "Defect"."Severity" HAVING count(*) > 1 ORDER BY "N" DESC)"},
    // Sub-selects see their own FROM list first.
    {"Select Customer, Contact From Customer  Where  Customer In (Select Customer From CustProd Where Product = 'P1')  "
     "And  UPPER(Customer) Like 'AC%'",
     R"(SELECT "Customer"."Customer" AS "Customer", "Customer"."Contact" AS "Contact" FROM "Customer" WHERE "Customer"."Customer" IN (SELECT "CustProd"."Customer" AS "Customer" FROM "CustProd" WHERE "CustProd"."Product" = 'P1') AND upper("Customer"."Customer") LIKE 'AC%')"},
    // Access rights.
    {"Select UserID from UserSec Where SubString(Rights From 57 For 1) = '1'",
     R"(SELECT "UserSec"."UserID" AS "UserID" FROM "UserSec" WHERE substr("UserSec"."Rights", 57, 1) = '1')"},
    {"Select UserID from UserSec Where (AllProducts = True) or Not (Products Is Null)",
     R"(SELECT "UserSec"."UserID" AS "UserID" FROM "UserSec" WHERE (coalesce("UserSec"."AllProducts", 0) = 1) OR NOT (("UserSec"."Products" IS NULL OR "UserSec"."Products" = '')))"},
    // View criteria: dates take their stored form, blanks match '' and null alike.
    {"Select all * from Defect, Origin Where (Product = 'P1') and (Origin.\"Report Date\" >= '1/5/2024') and "
     "(Origin.\"Report Date\" <= '12/31/2024') and (EstCompDate < '2/29/2024') and (ActCompDate IS NULL) and "
     "(AssignedTo IS NULL) and (Origin.Technician IS NOT NULL)",
     R"(SELECT ALL * FROM "Defect", "Origin" WHERE ("Defect"."Product" = 'P1') AND ("Origin"."Report Date" >= '2024-01-05') AND ("Origin"."Report Date" <= '2024-12-31') AND ("Defect"."EstCompDate" < '2024-02-29') AND ("Defect"."ActCompDate" IS NULL) AND (("Defect"."AssignedTo" IS NULL OR "Defect"."AssignedTo" = '')) AND (("Origin"."Technician" IS NOT NULL AND "Origin"."Technician" <> '')))"},
    {"Select all * from Defect where '1/2/2024' <= AssignedDate and ActCompDate between '3/1/2024' and \"3/31/2024\" "
     "and EstCompDate in ('1/1/2024', '') and Program in ('', 'b') and Program <> ''",
     R"(SELECT ALL * FROM "Defect" WHERE '2024-01-02' <= "Defect"."AssignedDate" AND "Defect"."ActCompDate" BETWEEN '2024-03-01' AND '2024-03-31' AND ("Defect"."EstCompDate" IN ('2024-01-01', '') OR "Defect"."EstCompDate" IS NULL) AND ("Defect"."Program" IN ('', 'b') OR "Defect"."Program" IS NULL) AND "Defect"."Program" <> '')"},
    {"SELECT All * From DefChgs WHERE  (Product = 'P1') and (Defect = 4)  Order By UpdateTime DESC",
     R"(SELECT ALL * FROM "DefChgs" WHERE ("DefChgs"."Product" = 'P1') AND ("DefChgs"."Defect" = 4) ORDER BY "DefChgs"."UpdateTime" DESC)"},
    {"Select all * from Messages where \"Time Sent\" > '2:05 PM' and \"Date Sent\" = '7/4/2023'",
     R"(SELECT ALL * FROM "Messages" WHERE "Messages"."Time Sent" > '14:05:00' AND "Messages"."Date Sent" = '2023-07-04')"},
    // Writes.
    {"UPDATE \"Filters\" SET CustomerName = \"(any customer)\"",
     R"(UPDATE "Filters" SET "CustomerName" = '(any customer)')"},
    {"UPDATE \"Release\" SET Hidden = FALSE ", R"(UPDATE "Release" SET "Hidden" = 0)"},
    {"UPDATE \"Attach\" SET StorageFile = FileName ", R"(UPDATE "Attach" SET "StorageFile" = "Attach"."FileName")"},
    {"UPDATE \"Correct\" SET EstProgHrs = 0, ActProgHrs = 0, EstTestHrs = 0, ActTestHrs = 0 ",
     R"(UPDATE "Correct" SET "EstProgHrs" = 0, "ActProgHrs" = 0, "EstTestHrs" = 0, "ActTestHrs" = 0)"},
    {"UPDATE \"CustProd\" SET Customer = 'O''Neil' Where Customer = 'Acme'",
     R"(UPDATE "CustProd" SET "Customer" = 'O''Neil' WHERE "CustProd"."Customer" = 'Acme')"},
    {"UPDATE \"Reports\" SET Description = 'Listing' Where  ReportToPrint = 10",
     R"(UPDATE "Reports" SET "Description" = 'Listing' WHERE "Reports"."ReportToPrint" = 10)"},
    {"UPDATE Release SET StartDate = '3/4/2001', DeliveryDate = ''",
     R"(UPDATE "Release" SET "StartDate" = '2001-03-04', "DeliveryDate" = NULL)"},
    {"DELETE From SevOrder WHERE  (Product = 'P1') and (Release = 'R1')",
     R"(DELETE FROM "SevOrder" WHERE ("SevOrder"."Product" = 'P1') AND ("SevOrder"."Release" = 'R1'))"},
    {"DELETE FROM Customer WHERE Customer='Acme';", R"(DELETE FROM "Customer" WHERE "Customer"."Customer" = 'Acme')"},
    {"INSERT INTO Messages (\"User ID\", \"Date Sent\", \"Time Sent\", Message) VALUES ('ann', '12/1/2024', '9:30', \"Hi\")",
     R"(INSERT INTO "Messages" ("User ID", "Date Sent", "Time Sent", "Message") VALUES ('ann', '2024-12-01', '09:30:00', 'Hi'))"},
    {"insert into Resource values ('Bo', NULL)",
     R"(INSERT INTO "Resource" ("ResourceName", "EMailAddr") VALUES ('Bo', NULL))"},
};

TEST(LocalSqlTranslation, ProgramStatementsBecomeTheirSqliteForms) {
  ModelSchema schema;
  ModelDatabase database(schema);
  for (const auto &testCase : TranslationCases) {
    SCOPED_TRACE(testCase.local);
    const QString sql = Translated(QString::fromUtf8(testCase.local), schema);
    EXPECT_EQ(sql.toStdString(), testCase.sqlite);
    QString error;
    EXPECT_TRUE(database.prepares(sql, error)) << error.toStdString();
  }
}

struct ErrorCase {
  const char *local;
  int code;
  const char *textPart;  // the message names what is wrong
};

const ErrorCase ErrorCases[] = {
    {"Select all * from Defects", ErrTableNotFound, "Defects"},
    {"Select all * from Defect where Produkt = 'P1'", ErrFieldNotFound, "Produkt"},
    {"Select Defect.* from Defect, Origin where Summery = 'x'", ErrFieldNotFound, "Summery"},
    {"Select Origin.Summary from Defect, Origin", ErrFieldNotFound, "Summary"},
    {"Select X.Summary from Defect D", ErrTableNotFound, "X"},
    {"UPDATE \"Filters\" SET Customer = 'a'", ErrFieldNotFound, "Customer"},
    {"Select all * from Defect Where Product = 'O'Brien'", ErrSyntax, "no closing quote"},
    {"Select all * from Defect where Summary = \"open", ErrSyntax, "no closing quote"},
    {"Select all * from Defect where Product = 'P1'; DELETE FROM Defect", ErrSyntax, "only one statement"},
    {"Select all * from Defect; ;", ErrSyntax, "only one statement"},
    {"Select all * from Defect -- where Product = 'x'", ErrSyntax, "Comments"},
    {"Select all * from Defect /* x */", ErrSyntax, "Comments"},
    {"Select all * from Defect where Product = ?", ErrSyntax, "?"},
    {"Select all * from Defect where Product = 'P1' Product", ErrSyntax, "\"Product\""},
    {"Select from Defect", ErrSyntax, "\"from\""},
    {"Select all * from Defect where", ErrSyntax, "the end of the statement"},
    {"Select all * from Defect Where 1 = 1 GROUP Product", ErrSyntax, "BY expected"},
    {"Select all * from Defect D RIGHT JOIN Origin O on D.Defect = O.Defect", ErrSyntax, "RIGHT"},
    {"Select Trim(Summary) from Defect", ErrSyntax, "Trim"},
    {"Select all * from Defect where Status = \"Origin\"", ErrSyntax, "Origin"},
    {"Select all * from Defect where *", ErrSyntax, "*"},
    {"Select all * from Defect where Product = Open", ErrFieldNotFound, "Open"},
    {"Select all * from Origin where \"Report Date\" >= '13/1/2024'", ErrInvalidValue, "13/1/2024"},
    {"Select all * from Origin where \"Report Date\" >= '2/30/2024'", ErrInvalidValue, "Report Date"},
    {"Select all * from Origin where \"Report Date\" >= '1/5/24'", ErrInvalidValue, "1/5/24"},
    {"Select all * from Attach where FileTime = '25:00'", ErrInvalidValue, "25:00"},
    {"UPDATE Release SET StartDate = 'soon'", ErrInvalidValue, "soon"},
    {"INSERT INTO Resource (ResourceName) VALUES ('a', 'b')", ErrSyntax, "2 values for 1 fields"},
    {"INSERT INTO Resource (ResourceName, resourcename) VALUES ('a', 'b')", ErrSyntax, "twice"},
    {"INSERT INTO Resource (ResourceName) VALUES (ResourceName)", ErrFieldNotFound, "ResourceName"},
    {"INSERT INTO Resource SELECT * FROM Resource", ErrSyntax, "VALUES"},
    {"ALTER TABLE \"Release\" ADD Hidden BOOLEAN", ErrGeneral, "already has a field Hidden"},
    {"ALTER TABLE \"Release\" ADD Shown BOOLEAN, ADD shown CHAR(4)", ErrGeneral, "shown"},
    {"ALTER TABLE \"Release\" ADD Code CHAR", ErrSyntax, "CHAR"},
    {"ALTER TABLE \"Release\" ADD Code CHAR(300)", ErrSyntax, "1 to 255"},
    {"ALTER TABLE \"Release\" ADD Code VARIANT", ErrSyntax, "VARIANT"},
    {"ALTER TABLE \"Release\" ADD Code BLOB(200,2)", ErrSyntax, "BLOB(200,2)"},
    {"ALTER TABLE \"Release\" ADD Code INTEGER(4)", ErrSyntax, "no width"},
    {"ALTER TABLE \"Release\" ADD Code AUTOINC", ErrSyntax, "AUTOINC"},
    {"ALTER TABLE \"Customer\" DROP Customer.\"Licenses\"", ErrFieldNotFound, "Licenses"},
    {"ALTER TABLE \"Customer\" DROP Phone, DROP Phone", ErrFieldNotFound, "Phone"},
    {"ALTER TABLE \"Customer\" DROP Release.Notes", ErrSyntax, "another table"},
    {"ALTER TABLE \"Customer\" RENAME Phone", ErrSyntax, "ADD or DROP"},
    {"VACUUM", ErrSyntax, "VACUUM"},
    {"", ErrSyntax, "the end of the statement"},
};

TEST(LocalSqlTranslation, RefusesWhatTheDialectDoesNotHaveNamingTheWord) {
  ModelSchema schema;
  for (const auto &testCase : ErrorCases) {
    SCOPED_TRACE(testCase.local);
    try {
      TranslateLocalSql(QString::fromUtf8(testCase.local), schema);
      ADD_FAILURE() << "translated";
    } catch (const EngineError &error) {
      EXPECT_EQ(error.code(), testCase.code) << error.text().toStdString();
      EXPECT_TRUE(error.text().contains(QString::fromUtf8(testCase.textPart))) << error.text().toStdString();
    }
  }
}

TEST(LocalSqlTranslation, RefusesNestingBeyondItsDepthInsteadOfOverflowing) {
  ModelSchema schema;
  for (const char *nest : {"(", "NOT ", "- "}) {
    SCOPED_TRACE(nest);
    const QString deep = QStringLiteral("Select all * from Defect where ") + QString::fromLatin1(nest).repeated(100000) + "1";
    try {
      TranslateLocalSql(deep, schema);
      ADD_FAILURE() << "translated";
    } catch (const EngineError &error) {
      EXPECT_EQ(error.code(), ErrSyntax);
      EXPECT_TRUE(error.text().contains(QStringLiteral("nested"))) << error.text().toStdString();
    }
  }
  const QString fine = QStringLiteral("Select all * from Defect where ") + QString(50, QLatin1Char('(')) + "Defect = 1" +
                       QString(50, QLatin1Char(')'));
  EXPECT_NO_THROW(TranslateLocalSql(fine, schema));
}

TEST(LocalSqlTranslation, AlterTableGivesOneStatementPerClauseAndReportsTheFields) {
  ModelSchema schema;
  schema.removeFields(QStringLiteral("Attach"), {"FileDate", "FileTime", "FileSize", "StorageFile"});
  schema.removeFields(QStringLiteral("UserSec"), {"AllProducts", "Products"});
  schema.removeFields(QStringLiteral("Correct"), {"EstProgHrs"});

  TranslatedStatement attach = TranslateLocalSql(
      "ALTER TABLE \"Attach\" ADD FileDate DATE, ADD FileTime TIME, ADD FileSize INTEGER, ADD StorageFile CHAR(255) ",
      schema);
  EXPECT_EQ(attach.kind, StatementKind::AlterTable);
  EXPECT_EQ(attach.table, "Attach");
  EXPECT_EQ(attach.sqliteStatements,
            QStringList({R"(ALTER TABLE "Attach" ADD COLUMN "FileDate" DATE)",
                         R"(ALTER TABLE "Attach" ADD COLUMN "FileTime" TIME)",
                         R"(ALTER TABLE "Attach" ADD COLUMN "FileSize" INTEGER)",
                         R"(ALTER TABLE "Attach" ADD COLUMN "StorageFile" CHAR(255) CHECK(length("StorageFile") <= 255))"}));
  ASSERT_EQ(attach.addedFields.size(), 4);
  EXPECT_EQ(attach.addedFields[3].type, FieldType::Text);
  EXPECT_EQ(attach.addedFields[3].size, 255);

  TranslatedStatement security =
      TranslateLocalSql("ALTER TABLE \"usersec.db\" ADD AllProducts BOOLEAN, ADD Products BLOB(200,1)", schema);
  EXPECT_EQ(security.table, "UserSec");
  ASSERT_EQ(security.addedFields.size(), 2);
  EXPECT_EQ(security.addedFields[0].type, FieldType::Boolean);
  EXPECT_EQ(security.addedFields[1].type, FieldType::Memo);
  EXPECT_EQ(security.addedFields[1].size, 200);

  TranslatedStatement hours = TranslateLocalSql("ALTER TABLE \"Correct\" ADD EstProgHrs DECIMAL(8,3)", schema);
  ASSERT_EQ(hours.addedFields.size(), 1);
  EXPECT_EQ(hours.addedFields[0].type, FieldType::Decimal);
  EXPECT_EQ(hours.addedFields[0].precision, 3);
  EXPECT_EQ(hours.sqliteStatements, QStringList({R"(ALTER TABLE "Correct" ADD COLUMN "EstProgHrs" DECIMAL(8,3))"}));

  TranslatedStatement rights = TranslateLocalSql(
      "ALTER TABLE \"UserSec\" DROP Rights, DROP userpassword, ADD Rights CHAR(128) ", schema);
  EXPECT_EQ(rights.droppedFields, QStringList({"Rights", "UserPassword"}));
  EXPECT_EQ(rights.sqliteStatements,
            QStringList({R"(ALTER TABLE "UserSec" DROP COLUMN "Rights")",
                         R"(ALTER TABLE "UserSec" DROP COLUMN "UserPassword")",
                         R"(ALTER TABLE "UserSec" ADD COLUMN "Rights" CHAR(128) CHECK(length("Rights") <= 128))"}));
}

// A defect with its partner records, as the defect editor writes them.
void InsertDefect(ModelDatabase &database, const char *product, const char *program, int defect, const char *severity,
                  bool withOrigin = true) {
  const QString key = QStringLiteral("'%1', 'R1', '%2', %3").arg(QLatin1String(product), QLatin1String(program)).arg(defect);
  database.execute(QStringLiteral("INSERT INTO Defect (Product, Release, Program, Defect, Severity, Summary) VALUES (%1, '%2', 'Defect %3')")
                       .arg(key, QLatin1String(severity))
                       .arg(defect));
  if (withOrigin)
    database.execute(QStringLiteral("INSERT INTO Origin (Product, Release, Program, Defect) VALUES (%1)").arg(key));
  database.execute(QStringLiteral("INSERT INTO Correct (Product, Release, Program, Defect) VALUES (%1)").arg(key));
}

TEST(LocalSqlExecution, DefectListingReadsUnqualifiedFieldsFromTheFirstTable) {
  ModelSchema schema;
  ModelDatabase database(schema);
  for (const char *product : {"P1", "P2"}) {
    database.execute(QStringLiteral("INSERT INTO Program (Product, Release, Program) VALUES ('%1', 'R1', 'a.exe')").arg(QLatin1String(product)));
    database.execute(QStringLiteral("INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('%1', 'R1', 'High', 1)").arg(QLatin1String(product)));
    database.execute(QStringLiteral("INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('%1', 'R1', 'Low', 2)").arg(QLatin1String(product)));
  }
  InsertDefect(database, "P1", "a.exe", 3, "Low");
  InsertDefect(database, "P1", "a.exe", 1, "High");
  InsertDefect(database, "P1", "a.exe", 2, "High", false);  // no Origin: not listed
  InsertDefect(database, "P1", "a.exe", 4, "Unknown");      // severity not in SevOrder: not listed
  InsertDefect(database, "P2", "a.exe", 5, "High");

  const QString listing =
      "Select Defect.*, Origin.\"Report Date\", Origin.Technician, Correct.Programmer, Correct.Tester, "
      "Correct.\"Testing Date\", Program.Status, SevOrder.SevSort From Defect, Origin, Correct, Program, SevOrder "
      "Where  (Product = 'P1') and (Release = 'R1') And (Defect.Product = Origin.Product) and "
      "(Defect.Release = Origin.Release) and (Defect.Program = Origin.Program) and (Defect.Defect = Origin.Defect) and "
      "(Defect.Product = Correct.Product) and (Defect.Release = Correct.Release) and "
      "(Defect.Program = Correct.Program) and (Defect.Defect = Correct.Defect) and "
      "(Defect.Product = Program.Product) and (Defect.Release = Program.Release) and "
      "(Defect.Program = Program.Program) and  (Defect.Product = SevOrder.Product) and "
      "(Defect.Release = SevOrder.Release) and (Defect.Severity = SevOrder.Severity) ";
  // Defect.* leads with the four key fields; SevOrder.SevSort comes last.
  QStringList defects;
  for (const auto &row : database.rows(listing + " Order By SevOrder.SevSort DESC , Defect ")) {
    const QStringList fields = row.split(QLatin1Char('|'));
    defects << fields[0] + QLatin1Char(' ') + fields[3] + QLatin1Char(' ') + fields.last();
  }
  EXPECT_EQ(defects, QStringList({"P1 3 2", "P1 1 1"}));
}

TEST(LocalSqlExecution, DatesCompareAndOrderAsDates) {
  ModelSchema schema;
  ModelDatabase database(schema);
  const char *reportDates[] = {"12/1/2023", "1/5/2024", "10/2/2024", "2/29/2024", "9/30/2024"};
  int defect = 0;
  for (const char *date : reportDates)
    database.execute(QStringLiteral("INSERT INTO Origin (Product, Release, Program, Defect, \"Report Date\") "
                                    "VALUES ('P1', 'R1', '', %1, '%2')")
                         .arg(++defect)
                         .arg(QLatin1String(date)));
  EXPECT_EQ(database.rows("Select Defect, \"Report Date\" from Origin where (Origin.\"Report Date\" >= '1/5/2024') and "
                          "(Origin.\"Report Date\" <= '9/30/2024') Order By Origin.\"Report Date\""),
            QStringList({"2|2024-01-05", "4|2024-02-29", "5|2024-09-30"}));
  EXPECT_EQ(database.rows("Select Defect from Origin where \"Report Date\" between '2/1/2024' and '12/31/2024' "
                          "Order By \"Report Date\" DESC"),
            QStringList({"3", "5", "4"}));
  database.execute("UPDATE Origin SET \"Report Date\" = '' WHERE Defect = 1");
  EXPECT_EQ(database.rows("Select Defect from Origin where \"Report Date\" IS NULL"), QStringList({"1"}));
}

TEST(LocalSqlExecution, BlankTextIsBlankWhetherStoredEmptyOrNull) {
  ModelSchema schema;
  ModelDatabase database(schema);
  database.execute("INSERT INTO Notify (Product, Release, Program, Status, Active) VALUES ('P1', 'R1', '', 'Open', True)");
  database.execute("INSERT INTO Notify (Product, Release, Program, Status, Active) VALUES ('P1', 'R1', 'a.exe', 'Open', False)");
  database.run(R"(INSERT INTO "Notify" ("Product", "Release", "Program", "Status") VALUES ('P1', 'R1', NULL, 'Closed'))");
  EXPECT_EQ(database.rows("Select Status from Notify where Program = '' Order By Status"), QStringList({"Closed", "Open"}));
  EXPECT_EQ(database.rows("Select Status from Notify where Program in ('') Order By Status"), QStringList({"Closed", "Open"}));
  EXPECT_EQ(database.rows("Select Status from Notify where Program IS NULL Order By Status"), QStringList({"Closed", "Open"}));
  EXPECT_EQ(database.rows("Select Program from Notify where Program IS NOT NULL"), QStringList({"a.exe"}));
  EXPECT_EQ(database.rows("Select Program from Notify where Program <> ''"), QStringList({"a.exe"}));
  EXPECT_EQ(database.rows("Select Program from Notify where Not (Program = '')"), QStringList({"a.exe"}));
  // A Boolean never set reads as False and compares as False.
  EXPECT_EQ(database.rows("Select Status from Notify where Active = True"), QStringList({"Open"}));
  EXPECT_EQ(database.rows("Select Status from Notify where Active = False Order By Status"),
            QStringList({"Closed", "Open"}));
  EXPECT_EQ(database.rows("Select Program from Notify where NOT (Active = True) and Program <> ''"), QStringList({"a.exe"}));
}

TEST(LocalSqlExecution, SchemaUpgradeStatementsRunOnAnOlderTable) {
  ModelSchema schema;
  schema.removeFields(QStringLiteral("Filters"), {"CustomerName", "GroupName"});
  schema.addFields(QStringLiteral("Customer"), {{"SupportActive", FieldType::Boolean}, {"Licenses", FieldType::Integer},
                                                {"Purchase Date", FieldType::Date}});
  ModelDatabase database(schema);
  database.execute("INSERT INTO Filters (Product, Release, \"Filter Name\") VALUES ('P1', 'R1', 'Mine')");
  database.execute("ALTER TABLE \"Filters\" ADD CustomerName CHAR(40)");
  database.execute("ALTER TABLE \"Filters\" ADD GroupName CHAR(25)");
  schema.addFields(QStringLiteral("Filters"), {{"CustomerName", FieldType::Text, 40}, {"GroupName", FieldType::Text, 25}});
  database.execute("UPDATE \"Filters\" SET CustomerName = \"(any customer)\"");
  database.execute("UPDATE \"Filters\" SET GroupName = \"(any group)\"");
  EXPECT_EQ(database.rows("Select \"Filter Name\", CustomerName, GroupName from Filters"),
            QStringList({"Mine|(any customer)|(any group)"}));

  database.execute("INSERT INTO Customer (Customer, Licenses, \"Purchase Date\") VALUES ('Acme', 3, '6/30/1999')");
  database.execute("ALTER TABLE \"Customer\" DROP Customer.\"SupportActive\" , DROP Customer.\"Licenses\" , "
                   "DROP Customer.\"Purchase Date\"");
  schema.removeFields(QStringLiteral("Customer"), {"SupportActive", "Licenses", "Purchase Date"});
  EXPECT_EQ(database.rows("Select Customer from Customer"), QStringList({"Acme"}));
  EXPECT_EQ(database.rows("Select all * from Customer").front().count(QLatin1Char('|')) + 1, 13);
}

TEST(LocalSqlExecution, HostileTextStaysOneValue) {
  ModelSchema schema;
  ModelDatabase database(schema);
  // The caller doubles the apostrophes (FixQuote); the rest is the user's text.
  const QString name = QStringLiteral("O'Brien'); DELETE FROM Customer; --\"x");
  QString quoted = name;
  quoted.replace(QLatin1Char('\''), QLatin1String("''"));
  database.execute(QStringLiteral("INSERT INTO Customer (Customer) VALUES ('%1')").arg(quoted));
  database.execute("INSERT INTO Customer (Customer) VALUES ('Acme')");
  EXPECT_EQ(database.rows(QStringLiteral("Select Customer from Customer where Customer = '%1'").arg(quoted)),
            QStringList({name}));
  database.execute(QStringLiteral("DELETE FROM Customer WHERE Customer='%1'").arg(quoted));
  EXPECT_EQ(database.rows("Select Customer from Customer"), QStringList({"Acme"}));
  // Without the doubling the statement is refused, not split.
  EXPECT_THROW(TranslateLocalSql(QStringLiteral("DELETE FROM Customer WHERE Customer='%1'").arg(name), schema), EngineError);
}

// The same rules through the engine, on a new data directory.
class LocalSqlOnDataDirectory : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(directory_.isValid());
    database_ = Database::create(directory_.path());
  }
  QStringList column(const QString &localSql, const QString &field) {
    Query query(database_, localSql);
    query.open();
    QStringList values;
    for (query.first(); !query.eof(); query.next())
      values << query.asString(field);
    return values;
  }

  QTemporaryDir directory_;
  std::shared_ptr<Database> database_;
};

TEST_F(LocalSqlOnDataDirectory, LikeIsCaseSensitiveAndUpperFindsEveryCase) {
  for (const char *name : {"Acme", "acme corp", "ACME Ltd", "Zeta"})
    database_->execute(QStringLiteral("INSERT INTO Customer (Customer) VALUES ('%1')").arg(QLatin1String(name)));
  EXPECT_EQ(column("Select Customer, Contact, Phone, Fax From Customer  Where  Customer Like 'Ac%'", "Customer"),
            QStringList({"Acme"}));
  EXPECT_EQ(column("Select Customer From Customer Where UPPER(Customer) Like 'AC%' Order By Customer", "Customer"),
            QStringList({"ACME Ltd", "Acme", "acme corp"}));
}

TEST_F(LocalSqlOnDataDirectory, DatesWrittenMonthFirstReadAsDates) {
  int defect = 0;
  for (const char *date : {"10/2/2024", "1/5/2024", "2/29/2024"})
    database_->execute(QStringLiteral("INSERT INTO Defect (Product, Release, Program, Defect, EstCompDate) "
                                      "VALUES ('P1', 'R1', 'a.exe', %1, '%2')")
                           .arg(++defect)
                           .arg(QLatin1String(date)));
  Query query(database_, "Select Defect, EstCompDate from Defect where EstCompDate > '1/5/2024' Order By EstCompDate");
  query.open();
  ASSERT_EQ(query.recordCount(), 2);
  query.first();
  EXPECT_EQ(query.value("Defect"), QVariant(qlonglong(3)));
  EXPECT_EQ(query.asDate("EstCompDate"), QDate(2024, 2, 29));
  query.next();
  EXPECT_EQ(query.asDate("EstCompDate"), QDate(2024, 10, 2));
}

TEST_F(LocalSqlOnDataDirectory, UpgradeStatementsAddFillAndDropFields) {
  database_->execute("INSERT INTO Customer (Customer) VALUES ('Acme')");
  database_->execute("ALTER TABLE \"Customer\" ADD SupportActive BOOLEAN, ADD Licenses INTEGER, ADD Code CHAR(6)");
  const TableDef added = database_->tableDef("customer.db");
  ASSERT_NE(added.field("Code"), nullptr);
  EXPECT_EQ(added.field("Code")->size, 6);
  database_->execute("UPDATE \"Customer\" SET Code = \"(any)\", Licenses = 2, SupportActive = True");
  EXPECT_EQ(column("Select Code, Licenses from Customer where SupportActive = True", "Code"), QStringList({"(any)"}));
  EXPECT_THROW(database_->execute("UPDATE \"Customer\" SET Code = \"(any customer)\""), EngineError);
  EXPECT_EQ(column("Select Code from Customer", "Code"), QStringList({"(any)"}));

  database_->execute("ALTER TABLE \"Customer\" DROP Customer.\"SupportActive\" , DROP Customer.\"Licenses\" , DROP Code");
  const TableDef dropped = database_->tableDef("Customer");
  EXPECT_EQ(dropped.field("Licenses"), nullptr);
  EXPECT_EQ(dropped.fields.size(), DataModelTable("Customer")->fields.size());
  EXPECT_EQ(column("Select Customer from Customer", "Customer"), QStringList({"Acme"}));
}

TEST_F(LocalSqlOnDataDirectory, ASecondStatementIsRefusedAndNothingIsWritten) {
  database_->execute("INSERT INTO Resource (ResourceName) VALUES ('Ann')");
  try {
    database_->execute("DELETE FROM Resource WHERE ResourceName = 'x'; DELETE FROM Resource");
    ADD_FAILURE() << "ran";
  } catch (const EngineError &error) {
    EXPECT_EQ(error.code(), ErrSyntax);
  }
  EXPECT_EQ(column("Select ResourceName from Resource", "ResourceName"), QStringList({"Ann"}));
}

}  // namespace
