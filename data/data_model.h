#pragma once
// The data model: every table of a data directory with its fields in table order, their
// types and widths, its primary key and secondary indexes. A new data directory is made
// from these definitions; the schema upgrade compares real tables with them.

#include "data/field_types.h"

namespace db {

// Every table, in the order of the data model.
const QList<TableDef> &DataModelTables();

// The definition of the table named, in any letter case and with or without the ".db"
// of its file name ("attach.DB" is Attach); null when the model has no such table.
const TableDef *DataModelTable(const QString &tableOrFileName);

// "attach.DB" -> "attach": the table part of a table file name; other names unchanged.
QString StripTableFileExtension(const QString &tableOrFileName);

}  // namespace db
