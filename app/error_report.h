#pragma once
// What the error report says about an error that no routine handled: how serious it
// is, the texts of the report window, and the report file a user mails to support.

#include "app/base/call_trace.h"
#include "app/base/ui_services.h"

#include <QDateTime>
#include <QStringList>

#include <exception>
#include <vector>

class RegistryStore;

enum class ErrorSeverity { Serious, Warning };

struct ErrorDetails {
  QString className;    // "db::EngineError"; empty when the error is no exception object
  QString description;  // the error's message, "Unknown Error" when it has none
  ErrorSeverity severity;
};

// Serious: failures of memory, the system or input/output, and engine errors other
// than a record locked by another user. Everything else is a warning the user can
// correct.
ErrorDetails DescribeError(std::exception_ptr error);

// The silent stop (OperationAborted) ends an operation without any report.
bool IsSilentStop(std::exception_ptr error);

// How the report window presents an error of each severity.
struct ErrorPresentation {
  QString caption;      // "Application Error" or "Warning"
  QString label;        // over the description
  QString description;  // the error's, with the advice to exit for a serious one
  bool exitOffered;     // "&Exit" visible (and the default button)
  BeepKind sound;
};
ErrorPresentation PresentError(const ErrorDetails &details);

// "ER" + month, day and two-digit year + ".TXT": ER031502.TXT.
QString ErrorReportFileName(const QDate &date);

// This system's name and version for the report's OS line.
QString OperatingSystemName();

struct ErrorReportEnvironment {
  QString version;
  QString userId;
  int activeUsers = 0;
  QString databasePath;
  QString tempPath;  // the private directory, where the report file goes
};

// The settings under `keyPath` of a store, one line per key and value, each subkey
// after its parent's values.
QStringList RegistryDumpLines(RegistryStore &store, const QString &keyPath);

// The report file's lines: environment, error, call trace (innermost routine first)
// and the program's settings.
QStringList ErrorReportLines(const ErrorDetails &details, const std::vector<CallTraceEntry> &trace,
                             const ErrorReportEnvironment &environment, const QStringList &settings,
                             const QDateTime &when);

// Writes the report into `directory` under ErrorReportFileName(today) and returns its
// path; empty, with the reason in *error, when it cannot be written.
QString WriteErrorReportFile(const QString &directory, const QStringList &lines, QString *error);
