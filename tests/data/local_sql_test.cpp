// The local SQL translator: the program's statement forms as SQLite statements, and the
// same statements run on a database made from the data model.

#include "data/data_model.h"
#include "data/engine.h"
#include "data/local_sql.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <QMap>

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
     R"(SELECT "Release"."Release" AS "Release" FROM "Release" WHERE "Release"."Product" = 'P1' AND "Release"."Hidden" = 0 ORDER BY "Release"."Release")"},
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
    // Sub-selects see their own FROM list first.
    {"Select Customer, Contact From Customer  Where  Customer In (Select Customer From CustProd Where Product = 'P1')  "
     "And  UPPER(Customer) Like 'AC%'",
     R"(SELECT "Customer"."Customer" AS "Customer", "Customer"."Contact" AS "Contact" FROM "Customer" WHERE "Customer"."Customer" IN (SELECT "CustProd"."Customer" AS "Customer" FROM "CustProd" WHERE "CustProd"."Product" = 'P1') AND upper("Customer"."Customer") LIKE 'AC%')"},
    // Access rights.
    {"Select UserID from UserSec Where SubString(Rights From 57 For 1) = '1'",
     R"(SELECT "UserSec"."UserID" AS "UserID" FROM "UserSec" WHERE substr("UserSec"."Rights", 57, 1) = '1')"},
    {"Select UserID from UserSec Where (AllProducts = True) or Not (Products Is Null)",
     R"(SELECT "UserSec"."UserID" AS "UserID" FROM "UserSec" WHERE ("UserSec"."AllProducts" = 1) OR NOT (("UserSec"."Products" IS NULL OR "UserSec"."Products" = '')))"},
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

}  // namespace
