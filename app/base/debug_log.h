#pragma once
// The diagnostic log, DebugLog.txt: one time-stamped line per event, flushed as it is
// written, so a support person can see how far a run got. Lines are written only in
// diagnostic mode, which is on from OpenDebugLogFile until CloseDebugLogFile.

#include <QString>

// Creates or truncates DebugLog.txt in the given directory (start-up passes the
// starting directory) and switches diagnostic mode on. False, with the reason in
// *error, when the file cannot be created; diagnostic mode then stays off.
bool OpenDebugLogFile(const QString &directory, QString *error = nullptr);

// Diagnostic mode: the log is open.
bool DiagnosticMode();

// "[mm/dd/yyyy hh:mm:ss.zzz AM] message" as one line; does nothing outside diagnostic mode.
void DebugLog(const QString &message);

// Flushes and closes the log and switches diagnostic mode off.
void CloseDebugLogFile();

// The file name, for the program block and tests.
inline constexpr const char *DebugLogFileName = "DebugLog.txt";
