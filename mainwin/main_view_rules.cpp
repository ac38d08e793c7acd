#include "mainwin/main_view_rules.h"

#include "app/base/call_trace.h"
#include "security/user_rights.h"

#include <Qt>

#include <climits>
#include <cmath>

namespace {

bool Granted(const ViewRuleInputs &inputs, int position) {
  return inputs.hasRight && inputs.hasRight(position);
}

int RoundedShare(int clientHeight, double share) {
  return static_cast<int>(std::lround(clientHeight * share));
}

int Milliseconds(int count, int unitMs) {
  if (count <= 0)
    return 0;
  const long long ms = static_cast<long long>(count) * unitMs;
  return ms > INT_MAX ? INT_MAX : static_cast<int>(ms);
}

}  // namespace

ViewControlStates ProgramViewStates(const ViewRuleInputs &inputs) {
  TRACE_ROUTINE("bugmain", "ProgramViewStates");
  ViewControlStates s;
  s.mode = MainViewMode::Programs;
  s.programsItemEnabled = false;
  s.defectsItemEnabled = true;
  s.programLabelVisible = false;
  s.programBoxEnabled = true;
  s.mailDefect = false;
  s.defectDetailReport = false;
  s.addToGroup = false;
  s.selectionItems = false;
  s.remoteSubmit = false;
  s.emailNotifications = inputs.mapiEnabled;
  s.deleteItem = Granted(inputs, Right::ProgramDelete);
  s.newItem = Granted(inputs, Right::ProgramCreate);
  s.moveItem = Granted(inputs, Right::ProgramMove);
  s.newHint = QStringLiteral("New Program");
  s.editHint = QStringLiteral("Edit Program Information");
  s.deleteHint = QStringLiteral("Delete Program");
  s.viewLevelText = QStringLiteral("Viewing Programs");
  return s;
}

ViewControlStates DefectViewStates(const ViewRuleInputs &inputs) {
  TRACE_ROUTINE("bugmain", "DefectViewStates");
  ViewControlStates s;
  s.mode = MainViewMode::Defects;
  s.programsItemEnabled = true;
  s.defectsItemEnabled = false;
  s.programLabelVisible = !inputs.showByRelease;
  s.programBoxEnabled = !inputs.showByRelease;
  s.mailDefect = inputs.mapiEnabled;
  s.defectDetailReport = true;
  s.addToGroup = Granted(inputs, Right::DefectGroups);
  s.selectionItems = true;
  s.remoteSubmit = inputs.mapiEnabled;
  s.emailNotifications = false;
  s.deleteItem = Granted(inputs, Right::DefectDelete);
  s.newItem = Granted(inputs, Right::DefectCreate);
  s.moveItem = Granted(inputs, Right::DefectMove);
  s.newHint = QStringLiteral("New Defect");
  s.editHint = QStringLiteral("Edit Defect Information");
  s.deleteHint = QStringLiteral("Delete Defect");
  s.viewLevelText = QStringLiteral("Viewing Defects");
  return s;
}

QStringList StatusPanelHints() {
  TRACE_ROUTINE("bugmain", "StatusPanelHints");
  return {QStringLiteral("Shows current view level: Programs or Defects."),
          QStringLiteral("Shows current color view applied."),
          QStringLiteral("Shows current view filter applied."),
          QStringLiteral("Shows number of Programs or defects listed.")};
}

int StatusPanelAt(int x, const QList<int> &panelWidths) {
  TRACE_ROUTINE("bugmain", "StatusPanelAt");
  int right = 0;
  for (int i = 0; i < panelWidths.size(); ++i) {
    right += panelWidths[i];
    if (x < right)
      return i;
  }
  return panelWidths.size() - 1;
}

std::optional<QString> ColorViewStatusText(MainViewMode mode, bool programQueryOpen, bool defectQueryOpen,
                                           int programColorScheme, int defectColorScheme) {
  TRACE_ROUTINE("bugmain", "ColorViewStatusText");
  if (mode == MainViewMode::Programs && programQueryOpen)
    return programColorScheme == 1 ? QStringLiteral("Color by Status") : QString();
  if (defectQueryOpen) {
    switch (defectColorScheme) {
    case 1:
      return QStringLiteral("Color by Status");
    case 2:
      return QStringLiteral("Color by Nature");
    case 3:
      return QStringLiteral("Color by Severity");
    default:
      return QString();
    }
  }
  return std::nullopt;
}

QString ItemCountStatusText(MainViewMode mode, int programCount, int defectCount) {
  TRACE_ROUTINE("bugmain", "ItemCountStatusText");
  if (mode == MainViewMode::Defects)
    return QString::number(defectCount) + QStringLiteral(" defects listed.");
  return QString::number(programCount) + QStringLiteral(" programs listed.");
}

SplitGeometry SplitGridGeometry(int clientHeight, int splitPos) {
  TRACE_ROUTINE("bugmain", "SplitGridGeometry");
  SplitGeometry g;
  g.splitPos = clientHeight < splitPos ? RoundedShare(clientHeight, 0.75) : splitPos;
  g.programHeight = g.splitPos;
  g.defectTop = g.programHeight + SplitGap;
  g.defectHeight = clientHeight - g.programHeight - SplitGap;
  if (g.defectHeight < 0)
    g.defectHeight = 0;
  return g;
}

int InitialSplitPos(int clientHeight) {
  TRACE_ROUTINE("bugmain", "InitialSplitPos");
  return RoundedShare(clientHeight, 0.5);
}

int DraggedSplitPos(int pointerY, int defectTop, int clientHeight) {
  TRACE_ROUTINE("bugmain", "DraggedSplitPos");
  if (pointerY < defectTop) {
    const int top = RoundedShare(clientHeight, 0.25);
    return pointerY < top ? top : pointerY;
  }
  const int bottom = RoundedShare(clientHeight, 0.75);
  return pointerY > bottom ? bottom : pointerY;
}

MainKey MainKeyFor(int key, MainViewMode mode) {
  TRACE_ROUTINE("bugmain", "MainKeyFor");
  switch (key) {
  case Qt::Key_Backspace:
  case Qt::Key_Escape:
    return {mode == MainViewMode::Programs ? MainKeyAction::None : MainKeyAction::ProgramView, true};
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return {mode == MainViewMode::Programs ? MainKeyAction::DefectView : MainKeyAction::EditDefect, true};
  case Qt::Key_Insert:
    return {MainKeyAction::NewItem, true};
  case Qt::Key_Delete:
    return {MainKeyAction::DeleteItem, true};
  default:
    return {};
  }
}

bool RefreshTimerShouldRefresh(bool windowActive, bool autoRefresh, MainViewMode mode, int markedRows) {
  TRACE_ROUTINE("bugmain", "RefreshTimerShouldRefresh");
  return windowActive && autoRefresh && (mode == MainViewMode::Programs || markedRows <= 1);
}

TimerIntervals TimerIntervalsFor(int messageDelaySeconds, int receiveDelayMinutes, int refreshDelaySeconds,
                                 int publishDelayMinutes) {
  TRACE_ROUTINE("bugmain", "TimerIntervalsFor");
  return {Milliseconds(messageDelaySeconds, 1000), Milliseconds(receiveDelayMinutes, 60000),
          Milliseconds(refreshDelaySeconds, 1000), Milliseconds(publishDelayMinutes, 60000)};
}
