#pragma once
// The columns of the two main lists: the field each shows, its title and its designed
// width. The index of a column is its number in the `Columns` values saved at close.

#include <QList>
#include <QString>

struct GridColumn {
  QString field;   // empty: a blank column with no field
  QString title;
  int width = -1;  // designed width in pixels; -1 the default width, 0 hidden
};

QList<GridColumn> ProgramGridColumns();
QList<GridColumn> DefectGridColumns();
