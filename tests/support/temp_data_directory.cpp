#include "tests/support/temp_data_directory.h"

#include <stdexcept>

TempDataDirectory::TempDataDirectory() {
  if (!folder_.isValid())
    throw std::runtime_error("no temporary folder for a data directory");
  database_ = db::Database::create(folder_.path());
}
