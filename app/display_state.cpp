#include "app/display_state.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/registry.h"
#include "app/settings.h"

#include <QRegularExpression>

namespace {

constexpr const char *LastProduct = "Last Product";
constexpr const char *LastRelease = "Last Release";
constexpr const char *LastProgram = "Last Program";
constexpr const char *LastXPos = "Last X-Pos";
constexpr const char *LastYPos = "Last Y-Pos";
constexpr const char *LastWidth = "Last Width";
constexpr const char *LastHeight = "Last Height";
constexpr const char *LastWindowState = "Last Window State";
constexpr const char *SplitMode = "Split Mode";
constexpr const char *SplitPos = "Split Pos";
constexpr const char *ShowReleaseSelector = "Show Release Selector";
constexpr const char *ReleaseSelectorWidth = "Release Selector Width";
constexpr const char *LastDefectSortField = "Last Defect Sort Field";
constexpr const char *LastDefectSortAsc = "Last Defect Sort Asc";
constexpr const char *LastProgramSortField = "Last Program Sort Field";
constexpr const char *LastProgramSortAsc = "Last Program Sort Asc";

constexpr int NormalWindowState = 0;
constexpr int MaximizedWindowState = 2;

std::optional<int> integerIfStored(const RegistryKey &key, const char *name) {
  if (!key.valueExists(name))
    return std::nullopt;
  return key.readInteger(name);
}

std::optional<bool> boolIfStored(const RegistryKey &key, const char *name) {
  if (!key.valueExists(name))
    return std::nullopt;
  return key.readBool(name);
}

std::optional<QString> stringIfStored(const RegistryKey &key, const char *name) {
  if (!key.valueExists(name))
    return std::nullopt;
  return key.readString(name);
}

// Every stored "<grid> Col n Width" integer of the Columns key.
QMap<int, int> columnWidths(const RegistryKey &columns, const QString &grid) {
  const QRegularExpression pattern(QStringLiteral("^") + grid + QStringLiteral(" Col (\\d+) Width$"),
                                   QRegularExpression::CaseInsensitiveOption);
  QMap<int, int> widths;
  for (const QString &name : columns.valueNames()) {
    const QRegularExpressionMatch match = pattern.match(name);
    bool ok = false;
    const int column = match.hasMatch() ? match.captured(1).toInt(&ok) : -1;
    if (ok)
      widths.insert(column, columns.readInteger(name));
  }
  return widths;
}

void writeSort(RegistryKey &display, const char *fieldName, const char *ascName, const ColumnSort &sort) {
  if (sort.field.isEmpty()) {
    display.deleteValue(fieldName);
    display.deleteValue(ascName);
    return;
  }
  display.writeString(fieldName, sort.field);
  display.writeBool(ascName, sort.ascending);
}

}  // namespace

RegistryEntries ReadRegistryEntries() {
  TRACE_ROUTINE("display_state", "ReadRegistryEntries");
  DebugLog(QStringLiteral("Processing Registry entries."));
  RegistryEntries entries;
  entries.productKeyExists = ProductKeyExists();
  if (!entries.productKeyExists)
    return entries;
  DebugLog(QStringLiteral("Faultbook Registry key exists."));
  entries.userId = ReadSetting(reg::UserID);

  if (const auto display = OpenProductKey(regkey::Display, false)) {
    entries.lastProduct = display->readString(LastProduct);
    entries.lastRelease = display->readString(LastRelease);
    entries.lastProgram = display->readString(LastProgram);
    entries.lastFilter = display->readString(reg::LastFilter.name);
    if (display->valueExists(LastXPos) && display->valueExists(LastYPos))
      entries.position = QPoint(display->readInteger(LastXPos), display->readInteger(LastYPos));
    if (display->valueExists(LastWidth) && display->valueExists(LastHeight))
      entries.size = QSize(display->readInteger(LastWidth), display->readInteger(LastHeight));
    entries.windowState = integerIfStored(*display, LastWindowState);
    entries.splitMode = boolIfStored(*display, SplitMode);
    entries.splitPos = integerIfStored(*display, SplitPos);
    entries.showReleaseSelector = boolIfStored(*display, ShowReleaseSelector);
    entries.releaseSelectorWidth = integerIfStored(*display, ReleaseSelectorWidth);
    entries.lastDefectSortField = stringIfStored(*display, LastDefectSortField);
    entries.lastProgramSortField = stringIfStored(*display, LastProgramSortField);
    entries.lastDefectSortAsc = boolIfStored(*display, LastDefectSortAsc);
    entries.lastProgramSortAsc = boolIfStored(*display, LastProgramSortAsc);
  }
  if (const auto columns = OpenProductKey(regkey::Columns, false)) {
    entries.programColumnWidths = columnWidths(*columns, QStringLiteral("Program"));
    entries.defectColumnWidths = columnWidths(*columns, QStringLiteral("Defect"));
  }
  if (const auto messaging = OpenProductKey(regkey::Messaging, false))
    entries.mapiServices = boolIfStored(*messaging, reg::MAPIServices.name);
  DebugLog(QStringLiteral("Completed reading Faultbook registry entries."));
  return entries;
}

void SaveDisplayState(const DisplayState &state) {
  TRACE_ROUTINE("display_state", "SaveDisplayState");
  RegistryStore::Update update(CurrentUserRegistry());
  RegistryKey display = *OpenProductKey(regkey::Display, true);
  display.writeString(LastProduct, state.lastProduct);
  display.writeString(LastRelease, state.lastRelease);
  display.writeString(LastProgram, state.lastProgram);
  if (state.windowState == WindowShowState::Normal) {
    display.writeInteger(LastXPos, state.position.x());
    display.writeInteger(LastYPos, state.position.y());
    display.writeInteger(LastWidth, state.size.width());
    display.writeInteger(LastHeight, state.size.height());
  }
  if (state.windowState != WindowShowState::Minimized)
    display.writeInteger(LastWindowState,
                         state.windowState == WindowShowState::Maximized ? MaximizedWindowState : NormalWindowState);
  display.writeBool(SplitMode, state.splitMode);
  display.writeInteger(SplitPos, state.splitPos);
  display.writeBool(ShowReleaseSelector, state.showReleaseSelector);
  display.writeInteger(ReleaseSelectorWidth, state.releaseSelectorWidth);
  writeSort(display, LastDefectSortField, LastDefectSortAsc, state.defectSort);
  writeSort(display, LastProgramSortField, LastProgramSortAsc, state.programSort);

  RegistryKey columns = *OpenProductKey(regkey::Columns, true);
  for (int column = 0; column < state.programColumnWidths.size(); ++column)
    columns.writeInteger(QStringLiteral("Program Col %1 Width").arg(column), state.programColumnWidths[column]);
  for (int column = 0; column < state.defectColumnWidths.size(); ++column)
    columns.writeInteger(QStringLiteral("Defect Col %1 Width").arg(column), state.defectColumnWidths[column]);
}
