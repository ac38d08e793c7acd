#pragma once
// A list model over an open query, for the main window's grids. Only the rows a view
// asks for are read, a block at a time, so a list of a hundred thousand rows costs no
// more to show than its first screen. Reading never moves the query's current record,
// which is the working context's current row.

#include "mainwin/grid_columns.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QVariant>

namespace db {
class Query;
}

class QueryTableModel : public QAbstractTableModel {
  Q_OBJECT
public:
  explicit QueryTableModel(QList<GridColumn> columns, QObject *parent = nullptr);

  // The query shown (not owned); null shows nothing.
  void setQuery(db::Query *query);
  db::Query *query() const { return query_; }
  // After the query was reopened, re-sorted or changed: re-reads the row count and
  // forgets the rows read so far.
  void reload();

  const QList<GridColumn> &columns() const { return columns_; }
  int columnForField(const QString &field) const;  // -1 when no column shows it

  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  // How a field value reads in a list: dates and times in the user's short formats,
  // empty fields blank. Booleans show as check marks, not text.
  static QString displayText(const QVariant &value);

private:
  using Row = QList<QVariant>;
  const Row *row(int row) const;

  QList<GridColumn> columns_;
  db::Query *query_ = nullptr;
  int rowCount_ = 0;
  mutable QHash<int, QList<Row>> blocks_;  // first row / RowBlock -> rows
};
