#include "mainwin/grid_columns.h"

#include "app/base/call_trace.h"

QList<GridColumn> ProgramGridColumns() {
  TRACE_ROUTINE("bugmain", "ProgramGridColumns");
  return {
      {QStringLiteral("Program"), QStringLiteral("Program"), 87},
      {QStringLiteral("Description"), QStringLiteral("Description"), 220},
      {QStringLiteral("Status"), QStringLiteral("Status"), -1},
      {QStringLiteral("EXE Date"), QStringLiteral("File Date"), 80},
      {QStringLiteral("EXE Time"), QStringLiteral("File Time"), 81},
      {QStringLiteral("EXE Size"), QStringLiteral("File Size"), -1},
  };
}

QList<GridColumn> DefectGridColumns() {
  TRACE_ROUTINE("bugmain", "DefectGridColumns");
  return {
      {QStringLiteral("Selected"), QStringLiteral("X"), 15},
      {QString(), QString(), 11},
      {QStringLiteral("Defect"), QStringLiteral("Defect"), -1},
      {QStringLiteral("Program"), QStringLiteral("Program"), 92},
      {QStringLiteral("Status"), QStringLiteral("Status"), 87},
      {QStringLiteral("Nature"), QStringLiteral("Nature"), 95},
      {QStringLiteral("Severity"), QStringLiteral("Severity"), 89},
      {QStringLiteral("AssignedTo"), QStringLiteral("Assigned To"), 82},
      {QStringLiteral("Priority"), QStringLiteral("Priority"), 13},
      {QStringLiteral("Summary"), QStringLiteral("Summary"), 285},
  };
}
