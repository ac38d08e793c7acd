#pragma once
// The rules of the main window that need no window: what each view enables and says,
// the status-bar texts, the split arithmetic, the keys the window takes for itself and
// when the timers act. The window applies these; tests call them directly.

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

enum class MainViewMode { Programs, Defects };

// What a view's rules depend on.
struct ViewRuleInputs {
  bool mapiEnabled = false;    // "MAPI Services"
  bool showByRelease = false;  // "Show By Release"
  std::function<bool(int)> hasRight;  // UserHasRights, positions of security/user_rights.h
};

// The state of every control that the view decides.
struct ViewControlStates {
  MainViewMode mode = MainViewMode::Programs;
  bool programsItemEnabled = false;  // "&Programs" of the View menu
  bool defectsItemEnabled = false;   // "&Defects"
  bool programLabelVisible = false;  // ProgramDescLbl
  bool programBoxEnabled = false;    // ProgramList
  bool mailDefect = false;           // "Mail Defect" button, "&Mail Defect", "Mail Defect to C&ustomers"
  bool defectDetailReport = false;   // "Defect Detail" of the Print menu
  bool addToGroup = false;           // "Add to Group" button, "Add Defect to &Group"
  bool selectionItems = false;       // the four selection items of the Edit menu
  bool remoteSubmit = false;         // "&Remote Submit" item and button
  bool emailNotifications = false;   // "Email Notifications" button, program popup "&Notify..."
  bool newItem = false;              // "New Item" button, "&New Item"
  bool deleteItem = false;           // "Delete Item" button, "&Delete Current Item"
  bool moveItem = false;             // "Mo&ve Item"
  QString newHint;
  QString editHint;
  QString deleteHint;
  QString viewLevelText;  // status panel 0
};

ViewControlStates ProgramViewStates(const ViewRuleInputs &inputs);
ViewControlStates DefectViewStates(const ViewRuleInputs &inputs);

// Status bar.
inline constexpr int StatusPanelCount = 4;
inline constexpr int StatusPanelWidth = 150;
QStringList StatusPanelHints();
// The panel under x, measured by the panels' widths; beyond the last, the last one.
int StatusPanelAt(int x, const QList<int> &panelWidths);
// Panel 1: the colour view of the list shown; nothing (the panel keeps its text) when
// neither the shown program list nor the defect list is open.
std::optional<QString> ColorViewStatusText(MainViewMode mode, bool programQueryOpen, bool defectQueryOpen,
                            int programColorScheme, int defectColorScheme);
// Panel 2 when no view is applied.
inline constexpr const char *NoViewAppliedText = "No View Applied";
// Panel 3: "12 programs listed." / "3 defects listed.".
QString ItemCountStatusText(MainViewMode mode, int programCount, int defectCount);

// Split mode. Positions are pixels from the top of the grid area.
inline constexpr int SplitGap = 6;
struct SplitGeometry {
  int splitPos = 0;  // possibly moved back into the area
  int programHeight = 0;
  int defectTop = 0;
  int defectHeight = 0;
};
SplitGeometry SplitGridGeometry(int clientHeight, int splitPos);
int InitialSplitPos(int clientHeight);
// Where a drag puts the split: over the program grid the pointer, not above a quarter
// of the area; over the defect grid the pointer, not below three quarters.
int DraggedSplitPos(int pointerY, int defectTop, int clientHeight);

// Keys the main window sees before its controls.
enum class MainKeyAction { None, ProgramView, DefectView, EditDefect, NewItem, DeleteItem };
struct MainKey {
  MainKeyAction action = MainKeyAction::None;
  bool consumed = false;  // the key does not reach the control, even with no action
};
// key is a Qt::Key value.
MainKey MainKeyFor(int key, MainViewMode mode);

// The refresh timer acts only on an active window with auto refresh on, and in defect
// view only while at most one row is marked (so marks are not lost).
bool RefreshTimerShouldRefresh(bool windowActive, bool autoRefresh, MainViewMode mode, int markedRows);

// Timer periods in milliseconds, from the preference values. A period that is not
// positive leaves its timer stopped (0); periods beyond the timer's range are capped.
struct TimerIntervals {
  int messageMs = 0;
  int receiveMs = 0;
  int refreshMs = 0;
  int postMs = 0;
};
TimerIntervals TimerIntervalsFor(int messageDelaySeconds, int receiveDelayMinutes, int refreshDelaySeconds,
                                 int publishDelayMinutes);
