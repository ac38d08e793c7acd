#pragma once
// A new data directory with every table, in a temporary folder that goes with the
// fixture.

#include "data/engine.h"

#include <QTemporaryDir>

#include <memory>

class TempDataDirectory {
public:
  TempDataDirectory();
  QString path() const { return folder_.path(); }
  // The directory's database, opened by this process.
  std::shared_ptr<db::Database> database() const { return database_; }

private:
  QTemporaryDir folder_;
  std::shared_ptr<db::Database> database_;
};
