// The list model over a query: what the grids show, read a block at a time without
// moving the query's current record (the working context's current row).

#include "data/dates.h"
#include "data/engine.h"
#include "mainwin/grid_columns.h"
#include "mainwin/query_table_model.h"
#include "tests/support/temp_data_directory.h"

#include <gtest/gtest.h>

namespace {

class QueryTableModelTest : public ::testing::Test {
protected:
  void SetUp() override {
    db::Database &database = *data.database();
    db::Database::Transaction transaction(database);
    for (int n = 1; n <= RowCount; ++n)
      database.execute(QStringLiteral("INSERT INTO Defect (Product, Release, Program, Defect, Summary, Selected, "
                                      "AssignedDate) VALUES ('P', 'R', 'a.exe', %1, 'Summary %1', %2, '3/%3/2024')")
                           .arg(n)
                           .arg(n % 2 == 0 ? "True" : "False")
                           .arg(n % 28 + 1));
    transaction.commit();
  }

  static constexpr int RowCount = 1000;
  TempDataDirectory data;
};

TEST_F(QueryTableModelTest, ShowsTheRowsWithoutMovingTheCurrentRecord) {
  FixedUserFormats formats(QStringLiteral("M/d/yy"));
  db::Query query(data.database(), "Select * from Defect Order By Defect");
  query.open();
  query.moveTo(10);
  QList<GridColumn> columns = DefectGridColumns();
  columns.append({QStringLiteral("AssignedDate"), QStringLiteral("Assigned"), 80});
  QueryTableModel model(columns);
  model.setQuery(&query);
  ASSERT_EQ(model.rowCount(), RowCount);
  ASSERT_EQ(model.columnCount(), columns.size());
  EXPECT_EQ(model.headerData(9, Qt::Horizontal).toString(), "Summary");
  EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "X");

  const int summary = model.columnForField("Summary");
  const int defect = model.columnForField("Defect");
  // Rows far apart, out of order, and the last one.
  for (int row : {0, 999, 500, 129, 128, 3})
    EXPECT_EQ(model.index(row, summary).data().toString(), QStringLiteral("Summary %1").arg(row + 1)) << row;
  EXPECT_EQ(model.index(998, defect).data().toString(), "999");
  EXPECT_EQ(query.recordNumber(), 10);
  EXPECT_EQ(query.asString("Defect"), "11");

  // A Boolean is a check mark, not a text; the spacer column shows nothing; dates in
  // the user's short pattern with four-digit years.
  EXPECT_EQ(model.index(1, 0).data(Qt::CheckStateRole).toInt(), Qt::Checked);
  EXPECT_EQ(model.index(0, 0).data(Qt::CheckStateRole).toInt(), Qt::Unchecked);
  EXPECT_TRUE(model.index(1, 0).data().toString().isEmpty());
  EXPECT_TRUE(model.index(1, 1).data().toString().isEmpty());
  EXPECT_EQ(model.index(0, columns.size() - 1).data().toString(), "3/2/2024");
  EXPECT_FALSE(model.index(RowCount, summary).data().isValid());
}

TEST_F(QueryTableModelTest, ReloadFollowsTheReopenedQuery) {
  db::Query query(data.database(), "Select * from Defect Order By Defect");
  query.open();
  QueryTableModel model(DefectGridColumns());
  model.setQuery(&query);
  const int summary = model.columnForField("Summary");
  EXPECT_EQ(model.index(0, summary).data().toString(), "Summary 1");

  query.setSql("Select * from Defect Where Defect > 995 Order By Defect DESC");
  query.open();
  model.reload();
  ASSERT_EQ(model.rowCount(), 5);
  EXPECT_EQ(model.index(0, summary).data().toString(), "Summary 1000");

  query.close();
  model.reload();
  EXPECT_EQ(model.rowCount(), 0);
}

}  // namespace
