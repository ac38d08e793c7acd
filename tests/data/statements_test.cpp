// The texts of the list statements, character for character.

#include "data/conversion_errors.h"
#include "data/statements.h"
#include "data/working_context.h"

#include <gtest/gtest.h>

namespace {

// The defect statement up to its order, for product P, release R and program G.
const QString DefectStatementBody = QStringLiteral(
    R"(Select Defect.*, Origin."Report Date", Origin.Technician, Correct.Programmer, Correct.Tester, )"
    R"(Correct."Testing Date", Program.Status, SevOrder.SevSort From Defect, Origin, Correct, Program, SevOrder )"
    R"(Where  (Product = 'P') and (Release = 'R') and (Program = 'G') And )"
    R"((Defect.Product = Origin.Product) and (Defect.Release = Origin.Release) and )"
    R"((Defect.Program = Origin.Program) and (Defect.Defect = Origin.Defect) and )"
    R"((Defect.Product = Correct.Product) and (Defect.Release = Correct.Release) and )"
    R"((Defect.Program = Correct.Program) and (Defect.Defect = Correct.Defect) and )"
    R"((Defect.Product = Program.Product) and (Defect.Release = Program.Release) and )"
    R"((Defect.Program = Program.Program) and  (Defect.Product = SevOrder.Product) and )"
    R"((Defect.Release = SevOrder.Release) and (Defect.Severity = SevOrder.Severity))");

TEST(MakeSQL, ProgramListOfARelease) {
  FixedWorkingContext context;
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Program, "P", "R", "", ""),
            "Select all * from Program Where  (Product = 'P') and (Release = 'R')");
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Program, "P", "", "", ""), "Select all * from Program Where  (Product = 'P')");
}

TEST(MakeSQL, DefectListIsOrderedByDefectNumberWithoutAColumnSort) {
  FixedWorkingContext context;
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Defect, "P", "R", "G", ""), DefectStatementBody + " Order By Defect.Defect ASC ");
  context.values.defectSort.ascending = false;
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Defect, "P", "R", "G", ""), DefectStatementBody + " Order By Defect.Defect DESC ");
}

TEST(MakeSQL, OneDefectStandsWithoutQuotes) {
  FixedWorkingContext context;
  const QString sql = MakeSQL(nullptr, ListKind::Defect, "P", "R", "G", "42");
  EXPECT_TRUE(sql.contains("and (Program = 'G') and (Defect = 42)  And (Defect.Product = Origin.Product)")) << sql.toStdString();
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Program, "P", "R", "G", "7"),
            "Select all * from Program Where  (Product = 'P') and (Release = 'R') and (Program = 'G') and (Defect = 7) ");
}

TEST(MakeSQL, ADefectNumberThatIsNoNumberIsRefused) {
  FixedWorkingContext context;
  for (const char *defect : {"1 or 1=1", "9.5", "-3", "x"}) {
    try {
      MakeSQL(nullptr, ListKind::Defect, "P", "R", "G", defect);
      ADD_FAILURE() << defect;
    } catch (const ConversionError &error) {
      EXPECT_EQ(error.text(), QStringLiteral("\"%1\" is not a valid defect number.").arg(defect));
    }
  }
}

TEST(MakeSQL, ColumnSortOrdersTheList) {
  FixedWorkingContext context;
  context.values.defectSort = {R"(Defect."Summary")", false};
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Defect, "P", "R", "G", ""), DefectStatementBody + R"( Order By Defect."Summary" DESC )");
  // The severity column orders by the severity's position in the release's list.
  context.values.defectSort = {R"(Defect."Severity")", true};
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Defect, "P", "R", "G", ""), DefectStatementBody + " Order By SevOrder.SevSort ASC ");
  // The program list has an order only with a program column sort.
  context.values.programSort = {R"(Program."Status")", true};
  EXPECT_EQ(MakeSQL(nullptr, ListKind::Program, "P", "R", "", ""),
            R"(Select all * from Program Where  (Product = 'P') and (Release = 'R') Order By Program."Status" ASC )");
}

TEST(MakeSQL, ApostrophesAreDoubledInEveryStatement) {
  FixedWorkingContext context({.product = "O'Neil's", .release = "2'0"});
  const QString product = "O'Neil's", release = "2'0";
  const struct {
    const char *name;
    QString sql;
    QString expected;
  } cases[] = {
      {"program list", MakeSQL(nullptr, ListKind::Program, product, release, "it's", ""),
       "(Product = 'O''Neil''s') and (Release = '2''0') and (Program = 'it''s')"},
      {"defect list", MakeSQL(nullptr, ListKind::Defect, product, release, "it's", ""),
       "(Product = 'O''Neil''s') and (Release = '2''0') and (Program = 'it''s')"},
      {"releases", ReleaseListSQL(product, true), "Product = 'O''Neil''s'"},
      {"programs", ProgramListSQL(product, release), "Product in ('O''Neil''s') and Release in ('2''0')"},
      {"views", FilterListSQL(), "Product in ('O''Neil''s') and Release in ('2''0')"},
  };
  for (const auto &c : cases) {
    EXPECT_TRUE(c.sql.contains(c.expected)) << c.name << ": " << c.sql.toStdString();
    EXPECT_EQ(c.sql.count('\'') % 2, 0) << c.name;
  }
}

TEST(FixQuote, DoublesEverySingleQuote) {
  EXPECT_EQ(FixQuote("it's ''here''"), "it''s ''''here''''");
  EXPECT_EQ(FixQuote("plain \"double\""), "plain \"double\"");
  EXPECT_EQ(FixQuote(""), "");
}

TEST(UpdateOrderByClause, ReplacesTheOrderThatIsThere) {
  const struct {
    QString statement, field;
    bool ascending;
    QString expected;
  } cases[] = {
      // A view's own sort gives way to a column sort.
      {"Select all * from Defect where x = 1 Order By Defect", R"(Defect."Status")", true,
       R"(Select all * from Defect where x = 1 Order By Defect."Status" ASC )"},
      {"Select * from Defect  ORDER BY  Priority  Desc , Status", "Defect.Defect", false,
       "Select * from Defect Order By Defect.Defect DESC "},
      {"  Select * from Program  ", R"(Program."Status")", true, R"(Select * from Program Order By Program."Status" ASC )"},
      {"Select * from Defect Order By x", R"(Defect."Severity")", false, "Select * from Defect Order By SevOrder.SevSort DESC "},
      // Words inside quotes are no order.
      {"Select * from Program where Release = 'Order By Phone' and Product = 'It''s order by'", "Program.Program", true,
       "Select * from Program where Release = 'Order By Phone' and Product = 'It''s order by' Order By Program.Program ASC "},
      {R"(Select "order by" from T Order By A)", "B", true, R"(Select "order by" from T Order By B ASC )"},
  };
  for (const auto &c : cases)
    EXPECT_EQ(UpdateOrderByClause(c.statement, c.field, c.ascending), c.expected) << c.statement.toStdString();
}

TEST(MakeSQL, AReleaseNamedLikeAnOrderKeepsItsName) {
  FixedWorkingContext context;
  const QString sql = MakeSQL(nullptr, ListKind::Defect, "P", "Order By Mail", "", "");
  EXPECT_TRUE(sql.contains("(Release = 'Order By Mail')"));
  EXPECT_TRUE(sql.endsWith("(Defect.Severity = SevOrder.Severity) Order By Defect.Defect ASC ")) << sql.toStdString();
}

TEST(AddSortFieldSQL, MapsTheViewEditorsSortNames) {
  const struct {
    const char *name;
    const char *ascending;
    const char *descending;
  } cases[] = {
      {"(none)", "", ""},
      {"Program", "Program  ,", "Program  Desc ,"},
      {"Defect Number", "Defect  ,", "Defect  Desc ,"},
      {"Status", " Status  ,", " Status  Desc ,"},
      {"Nature", " Nature  ,", " Nature  Desc ,"},
      {"Severity", " SevOrder.SevSort  ,", " SevOrder.SevSort  Desc ,"},
      {"Priority", " Priority  ,", " Priority  Desc ,"},
      {"Assigned To", " AssignedTo  ,", " AssignedTo  Desc ,"},
      {"Programmer", " Correct.Programmer  ,", " Correct.Programmer  Desc ,"},
      {"Tester", " Correct.Tester  ,", " Correct.Tester  Desc ,"},
      {"Date Reported", R"( Origin."Report Date"  ,)", R"( Origin."Report Date"  Desc ,)"},
      {"Fixed Date", R"( Defect."ActCompDate"  ,)", R"( Defect."ActCompDate"  Desc ,)"},
      {"Tested Date", R"( Correct."Testing Date"  ,)", R"( Correct."Testing Date"  Desc ,)"},
      // A stored name no editor offers (an empty field) adds nothing rather than a lone comma.
      {"", "", ""},
      {"Summary", "", ""},
  };
  for (const auto &c : cases) {
    EXPECT_EQ(AddSortFieldSQL(c.name, false), c.ascending) << c.name;
    EXPECT_EQ(AddSortFieldSQL(c.name, true), c.descending) << c.name;
  }
}

TEST(PickListStatements, AreTheFixedTexts) {
  FixedWorkingContext context({.product = "P", .release = "R"});
  EXPECT_EQ(ReleaseListSQL("P", false), "Select Release from Release where Product = 'P' And Hidden = FALSE  Order By Release");
  EXPECT_EQ(ReleaseListSQL("P", true), "Select Release from Release where Product = 'P' Order By Release");
  EXPECT_EQ(ProgramListSQL("P", "R"), "Select Program from Program where Product in ('P') and Release in ('R')");
  EXPECT_EQ(FilterListSQL(), R"(Select Filters."Filter Name" from Filters where Product in ('P') and Release in ('R'))");
  EXPECT_EQ(ResourceListSQL(), "Select ResourceName from Resource Order By ResourceName");
}

}  // namespace
