#include "app/data_directory.h"

#include "app/base/call_trace.h"
#include "app/settings.h"
#include "app/settings_error.h"
#include "data/engine.h"

#include <QDir>

namespace {

void makeDirectory(const QString &path) {
  if (!QDir().mkpath(path))
    throw SettingsError(QStringLiteral("The directory \"") + QDir::toNativeSeparators(path) +
                        QStringLiteral("\" could not be created. Check that you may write there."));
}

}  // namespace

void CreateDataDirectory(const QString &directory) {
  TRACE_ROUTINE("data_directory", "CreateDataDirectory");
  makeDirectory(directory);
  db::Database::create(directory);
  WriteDefaultSharedOptions(directory);
  // The attachment and report directories the shared options name.
  Preferences options;
  ReadSharedOptions(directory, options);
  makeDirectory(options.attachmentLocation);
  makeDirectory(options.customReports);
}
