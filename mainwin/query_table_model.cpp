#include "mainwin/query_table_model.h"

#include "app/base/call_trace.h"
#include "data/dates.h"
#include "data/engine.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

namespace {

// Rows read at a time, and how many such blocks are kept: a few screens' worth.
constexpr int RowBlock = 128;
constexpr int KeptBlocks = 16;

}  // namespace

QueryTableModel::QueryTableModel(QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), columns_(std::move(columns)) {
  TRACE_ROUTINE("bugmain", "QueryTableModel.Create");
}

void QueryTableModel::setQuery(db::Query *query) {
  TRACE_ROUTINE("bugmain", "QueryTableModel.SetQuery");
  query_ = query;
  reload();
}

void QueryTableModel::reload() {
  TRACE_ROUTINE("bugmain", "QueryTableModel.Reload");
  beginResetModel();
  blocks_.clear();
  rowCount_ = query_ && query_->isOpen() ? query_->recordCount() : 0;
  endResetModel();
}

int QueryTableModel::columnForField(const QString &field) const {
  TRACE_ROUTINE("bugmain", "QueryTableModel.ColumnForField");
  for (int i = 0; i < columns_.size(); ++i)
    if (!columns_[i].field.isEmpty() && columns_[i].field.compare(field, Qt::CaseInsensitive) == 0)
      return i;
  return -1;
}

int QueryTableModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : rowCount_;
}

int QueryTableModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const QueryTableModel::Row *QueryTableModel::row(int row) const {
  TRACE_ROUTINE("bugmain", "QueryTableModel.Row");
  if (!query_ || !query_->isOpen() || row < 0 || row >= rowCount_)
    return nullptr;
  const int first = row - row % RowBlock;
  auto found = blocks_.constFind(first);
  if (found == blocks_.constEnd()) {
    if (blocks_.size() >= KeptBlocks)
      blocks_.clear();
    QList<int> fieldIndexes;
    const QStringList names = query_->fieldNames();
    for (const GridColumn &column : columns_)
      fieldIndexes.append(column.field.isEmpty() ? -1 : static_cast<int>(names.indexOf(column.field)));
    QList<Row> rows;
    const int current = query_->recordNumber();
    query_->moveTo(first);
    for (int r = first; r < first + RowBlock && r < rowCount_ && !query_->eof(); ++r) {
      Row values;
      values.reserve(fieldIndexes.size());
      for (int index : fieldIndexes)
        values.append(index < 0 ? QVariant() : query_->value(index));
      rows.append(std::move(values));
      query_->next();
    }
    if (current >= 0)
      query_->moveTo(current);
    found = blocks_.insert(first, std::move(rows));
  }
  const int offset = row - first;
  return offset < found->size() ? &(*found)[offset] : nullptr;
}

QVariant QueryTableModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::CheckStateRole && role != Qt::EditRole))
    return {};
  const Row *values = row(index.row());
  if (!values || index.column() >= values->size())
    return {};
  const QVariant &value = values->at(index.column());
  const bool isBoolean = value.typeId() == QMetaType::Bool;
  if (role == Qt::CheckStateRole)
    return isBoolean ? QVariant(value.toBool() ? Qt::Checked : Qt::Unchecked) : QVariant();
  if (role == Qt::EditRole)
    return value;
  return isBoolean ? QVariant() : QVariant(displayText(value));
}

QVariant QueryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columns_.size())
    return QAbstractTableModel::headerData(section, orientation, role);
  return columns_[section].title;
}

Qt::ItemFlags QueryTableModel::flags(const QModelIndex &index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString QueryTableModel::displayText(const QVariant &value) {
  if (value.isNull())
    return {};
  switch (value.typeId()) {
  case QMetaType::QDate:
    return QLocale().toString(value.toDate(), ShortDateFormat());
  case QMetaType::QTime:
    return QLocale().toString(value.toTime(), ShortTimeFormat());
  case QMetaType::QDateTime:
    return QLocale().toString(value.toDateTime(), ShortDateFormat() + u' ' + ShortTimeFormat());
  default:
    return value.toString();
  }
}
