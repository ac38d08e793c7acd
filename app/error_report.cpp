#include "app/error_report.h"

#include "app/atomic_write.h"
#include "app/base/clock.h"
#include "app/registry.h"
#include "data/conversion_errors.h"
#include "data/engine.h"

#include <QDir>
#include <QSysInfo>

#include <cxxabi.h>
#include <cstdlib>
#include <new>
#include <system_error>
#include <typeinfo>

namespace {

QString TypeName(const std::type_info &type) {
  int status = 0;
  char *demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
  const QString name = QString::fromUtf8(status == 0 && demangled ? demangled : type.name());
  std::free(demangled);
  return name;
}

const QString EqualsLine(60, QLatin1Char('='));

}  // namespace

ErrorDetails DescribeError(std::exception_ptr error) {
  TRACE_ROUTINE("errorreport", "DescribeError");
  if (!error)
    return {QString(), QStringLiteral("Unknown Error"), ErrorSeverity::Serious};
  try {
    std::rethrow_exception(error);
  } catch (const db::EngineError &e) {
    const auto severity = e.code() == db::ErrRecordLocked ? ErrorSeverity::Warning : ErrorSeverity::Serious;
    return {TypeName(typeid(e)), e.text().isEmpty() ? QString::fromUtf8(e.what()) : e.text(), severity};
  } catch (const std::bad_alloc &e) {
    return {TypeName(typeid(e)), QString::fromUtf8(e.what()), ErrorSeverity::Serious};
  } catch (const std::system_error &e) {  // input/output and other failures of the system
    return {TypeName(typeid(e)), QString::fromUtf8(e.what()), ErrorSeverity::Serious};
  } catch (const std::exception &e) {
    return {TypeName(typeid(e)), QString::fromUtf8(e.what()), ErrorSeverity::Warning};
  } catch (...) {
    return {QString(), QStringLiteral("Unknown Error"), ErrorSeverity::Serious};
  }
}

bool IsSilentStop(std::exception_ptr error) {
  TRACE_ROUTINE("errorreport", "IsSilentStop");
  if (!error)
    return false;
  try {
    std::rethrow_exception(error);
  } catch (const OperationAborted &) {
    return true;
  } catch (...) {
    return false;
  }
}

ErrorPresentation PresentError(const ErrorDetails &details) {
  TRACE_ROUTINE("errorreport", "PresentError");
  if (details.severity == ErrorSeverity::Serious)
    return {QStringLiteral("Application Error"), QStringLiteral("The following serious error has occurred:"),
            details.description + QStringLiteral("\nIt is recommended that you click Exit to close the application."),
            true, BeepKind::Hand};
  return {QStringLiteral("Warning"), QStringLiteral("Please correct the following, if possible:"),
          details.description, false, BeepKind::Exclamation};
}

QString ErrorReportFileName(const QDate &date) {
  TRACE_ROUTINE("errorreport", "ErrorReportFileName");
  return QStringLiteral("ER") + date.toString(QStringLiteral("MMddyy")) + QStringLiteral(".TXT");
}

QString OperatingSystemName() {
  TRACE_ROUTINE("errorreport", "OperatingSystemName");
  return QStringLiteral("%1 (%2 %3)").arg(QSysInfo::prettyProductName(), QSysInfo::kernelType(),
                                          QSysInfo::kernelVersion());
}

QStringList RegistryDumpLines(RegistryStore &store, const QString &keyPath) {
  TRACE_ROUTINE("errorreport", "RegistryDumpLines");
  QStringList lines;
  const auto key = store.openKey(keyPath, false);
  if (!key)
    return lines;
  lines << QLatin1Char('[') + keyPath + QLatin1Char(']');
  for (const QString &name : key->valueNames()) {
    const auto value = key->value(name);
    lines << QStringLiteral("    %1 = \"%2\"").arg(name, value ? value->toDisplayString() : QString());
  }
  for (const QString &subkey : key->subkeyNames())
    lines << RegistryDumpLines(store, keyPath + QLatin1Char('\\') + subkey);
  return lines;
}

QStringList ErrorReportLines(const ErrorDetails &details, const std::vector<CallTraceEntry> &trace,
                             const ErrorReportEnvironment &environment, const QStringList &settings,
                             const QDateTime &when) {
  TRACE_ROUTINE("errorreport", "ErrorReportLines");
  QStringList lines;
  lines << EqualsLine << QStringLiteral("               E R R O R    R E P O R T    L O G            ")
        << EqualsLine << QString();
  lines << EqualsLine << QStringLiteral("ENVIRONMENT INFORMATION:") << EqualsLine << QString();
  lines << QStringLiteral("Version:       ") + environment.version
        << QStringLiteral("User ID:       ") + environment.userId
        << QStringLiteral("Active Users:  ") + QString::number(environment.activeUsers)
        << QStringLiteral("Database Path: ") + QDir::toNativeSeparators(environment.databasePath)
        << QStringLiteral("Temp Path:     ") + QDir::toNativeSeparators(environment.tempPath)
        << QStringLiteral("OS Version:    ") + OperatingSystemName() << QString();
  // QDateTime::toString(format) speaks English (the C locale), as the report does.
  lines << EqualsLine << QStringLiteral("ERROR INFORMATION:") << EqualsLine
        << QStringLiteral("An application error occurred on:")
        << when.toString(QStringLiteral("dddd, MMMM d, yyyy, 'at' h:mm AP")) << QString();
  lines << QStringLiteral("Error Class:       ") + details.className
        << QStringLiteral("Error Description: ") + details.description << QString();
  lines << QStringLiteral("Call Stack:") << QStringLiteral("MODULE       ROUTINE")
        << QStringLiteral("----------   ------------------------------------------");
  for (auto entry = trace.rbegin(); entry != trace.rend(); ++entry)
    lines << entry->unit.left(10).leftJustified(10) + QStringLiteral("   ") + entry->routine;
  lines << QString();
  lines << EqualsLine << QStringLiteral("PROGRAM REGISTRY SETTINGS:") << EqualsLine << settings;
  return lines;
}

QString WriteErrorReportFile(const QString &directory, const QStringList &lines, QString *error) {
  TRACE_ROUTINE("errorreport", "WriteErrorReportFile");
  ScopedBusyCursor busy;
  const QString path = QDir(directory).filePath(ErrorReportFileName(CurrentDate()));
  QString reason;
  if (WriteFileAtomically(path, (lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8(), &reason))
    return path;
  if (error)
    *error = QStringLiteral("The error report \"%1\" cannot be written: %2").arg(QDir::toNativeSeparators(path), reason);
  return {};
}
