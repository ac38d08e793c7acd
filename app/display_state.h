#pragma once
// What the main window remembers between runs under the product key: the station's
// user ID and mail switch read at start, and the window's place, split, release panel,
// sorts and column widths (keys Display and Columns), read at start and written when
// the window closes.

#include "data/working_context.h"

#include <QList>
#include <QMap>
#include <QPoint>
#include <QSize>
#include <QString>

#include <optional>

// The values start-up applies; a value that is not stored is absent and leaves the
// window as designed.
struct RegistryEntries {
  bool productKeyExists = false;
  QString userId;                     // Settings "User ID", empty when not stored
  std::optional<bool> mapiServices;   // Preferences\Messaging "MAPI Services"
  QString lastProduct;
  QString lastRelease;
  QString lastProgram;
  QString lastFilter;                 // empty: no view
  std::optional<QPoint> position;     // only when "Last X-Pos" and "Last Y-Pos" both exist
  std::optional<QSize> size;          // only when "Last Width" and "Last Height" both exist
  std::optional<int> windowState;     // 0 normal, 2 maximised
  std::optional<bool> splitMode;
  std::optional<int> splitPos;
  std::optional<bool> showReleaseSelector;
  std::optional<int> releaseSelectorWidth;
  std::optional<QString> lastDefectSortField;
  std::optional<bool> lastDefectSortAsc;
  std::optional<QString> lastProgramSortField;
  std::optional<bool> lastProgramSortAsc;
  // Column index -> width, for the "Program Col n Width" / "Defect Col n Width" stored.
  QMap<int, int> programColumnWidths;
  QMap<int, int> defectColumnWidths;
};

// Reads the entries (with the diagnostic log lines of the registry processing).
RegistryEntries ReadRegistryEntries();

enum class WindowShowState { Normal, Minimized, Maximized };

// The main window as it closes.
struct DisplayState {
  QString lastProduct;
  QString lastRelease;
  QString lastProgram;
  WindowShowState windowState = WindowShowState::Normal;
  QPoint position;  // the place and size are written only while the window is normal
  QSize size;
  bool splitMode = false;
  int splitPos = 0;
  bool showReleaseSelector = true;
  int releaseSelectorWidth = 0;
  ColumnSort defectSort;   // an empty field deletes both sort values
  ColumnSort programSort;
  QList<int> programColumnWidths;  // by column index
  QList<int> defectColumnWidths;
};

// Writes the Display and Columns values of a closing main window in one change.
// "Last Filter" is not among them: applying a view writes it (WriteLastFilter).
void SaveDisplayState(const DisplayState &state);

