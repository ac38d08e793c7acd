#pragma once
// A new data directory, as the first run and the SQL tool make one: the database with
// every table, FAULTBK.INI with the shared options at their defaults, and the
// attachment and custom report directories.

#include <QString>

// Creates the data directory `directory` (made when missing). Throws db::EngineError
// when the database cannot be created (one already there included) and SettingsError
// when FAULTBK.INI or a directory cannot be written. An FAULTBK.INI already in the
// directory keeps its values; only missing options are added.
void CreateDataDirectory(const QString &directory);
