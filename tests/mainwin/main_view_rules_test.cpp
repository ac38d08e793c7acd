#include "mainwin/main_view_rules.h"

#include "security/user_rights.h"

#include <gtest/gtest.h>

#include <Qt>

#include <set>

namespace {

ViewRuleInputs Inputs(std::set<int> rights, bool mapi = false, bool byRelease = false) {
  ViewRuleInputs in;
  in.mapiEnabled = mapi;
  in.showByRelease = byRelease;
  in.hasRight = [rights](int position) { return rights.count(position) > 0; };
  return in;
}

TEST(MainViewRules, ProgramViewEnablesProgramWorkByProgramRights) {
  const ViewControlStates none = ProgramViewStates(Inputs({}));
  EXPECT_EQ(none.viewLevelText, "Viewing Programs");
  EXPECT_FALSE(none.programsItemEnabled);
  EXPECT_TRUE(none.defectsItemEnabled);
  EXPECT_FALSE(none.programLabelVisible);
  EXPECT_TRUE(none.programBoxEnabled);
  EXPECT_FALSE(none.newItem || none.deleteItem || none.moveItem);
  EXPECT_FALSE(none.mailDefect || none.addToGroup || none.selectionItems || none.remoteSubmit ||
               none.defectDetailReport || none.emailNotifications);
  EXPECT_EQ(none.newHint, "New Program");
  EXPECT_EQ(none.editHint, "Edit Program Information");
  EXPECT_EQ(none.deleteHint, "Delete Program");

  // Defect rights do nothing in the program view; program rights each open one action.
  const ViewControlStates defectRights =
      ProgramViewStates(Inputs({Right::DefectCreate, Right::DefectDelete, Right::DefectMove, Right::DefectGroups}));
  EXPECT_FALSE(defectRights.newItem || defectRights.deleteItem || defectRights.moveItem || defectRights.addToGroup);
  EXPECT_TRUE(ProgramViewStates(Inputs({Right::ProgramCreate})).newItem);
  EXPECT_TRUE(ProgramViewStates(Inputs({Right::ProgramDelete})).deleteItem);
  EXPECT_TRUE(ProgramViewStates(Inputs({Right::ProgramMove})).moveItem);
  // Notifications follow mail services; mail itself stays off in the program view.
  const ViewControlStates mapi = ProgramViewStates(Inputs({}, true));
  EXPECT_TRUE(mapi.emailNotifications);
  EXPECT_FALSE(mapi.mailDefect || mapi.remoteSubmit);
}

TEST(MainViewRules, DefectViewEnablesDefectWorkByDefectRights) {
  const ViewControlStates none = DefectViewStates(Inputs({}));
  EXPECT_EQ(none.viewLevelText, "Viewing Defects");
  EXPECT_TRUE(none.programsItemEnabled);
  EXPECT_FALSE(none.defectsItemEnabled);
  EXPECT_TRUE(none.programLabelVisible);
  EXPECT_TRUE(none.programBoxEnabled);
  EXPECT_TRUE(none.selectionItems);
  EXPECT_TRUE(none.defectDetailReport);
  EXPECT_FALSE(none.emailNotifications || none.mailDefect || none.remoteSubmit);
  EXPECT_FALSE(none.newItem || none.deleteItem || none.moveItem || none.addToGroup);
  EXPECT_EQ(none.newHint, "New Defect");
  EXPECT_EQ(none.editHint, "Edit Defect Information");
  EXPECT_EQ(none.deleteHint, "Delete Defect");

  const ViewControlStates programRights =
      DefectViewStates(Inputs({Right::ProgramCreate, Right::ProgramDelete, Right::ProgramMove}));
  EXPECT_FALSE(programRights.newItem || programRights.deleteItem || programRights.moveItem);
  EXPECT_TRUE(DefectViewStates(Inputs({Right::DefectCreate})).newItem);
  EXPECT_TRUE(DefectViewStates(Inputs({Right::DefectDelete})).deleteItem);
  EXPECT_TRUE(DefectViewStates(Inputs({Right::DefectMove})).moveItem);
  EXPECT_TRUE(DefectViewStates(Inputs({Right::DefectGroups})).addToGroup);

  const ViewControlStates mapi = DefectViewStates(Inputs({}, true));
  EXPECT_TRUE(mapi.mailDefect && mapi.remoteSubmit);
  EXPECT_FALSE(mapi.emailNotifications);

  // By release the defect list is not one program's: no program label, no program box.
  const ViewControlStates byRelease = DefectViewStates(Inputs({}, false, true));
  EXPECT_FALSE(byRelease.programLabelVisible);
  EXPECT_FALSE(byRelease.programBoxEnabled);
}

TEST(MainViewRules, ColorViewTextFollowsTheListShown) {
  struct Case {
    MainViewMode mode;
    bool programOpen, defectOpen;
    int programScheme, defectScheme;
    std::optional<QString> expected;
  };
  const Case cases[] = {
      {MainViewMode::Programs, true, true, 0, 3, QString()},
      {MainViewMode::Programs, true, false, 1, 0, QStringLiteral("Color by Status")},
      {MainViewMode::Programs, true, false, 2, 0, QString()},  // the program list has no nature colours
      {MainViewMode::Defects, true, true, 1, 1, QStringLiteral("Color by Status")},
      {MainViewMode::Defects, true, true, 1, 2, QStringLiteral("Color by Nature")},
      {MainViewMode::Defects, true, true, 0, 3, QStringLiteral("Color by Severity")},
      {MainViewMode::Defects, true, true, 1, 0, QString()},
      // A closed program list in the program view falls back to the defect list.
      {MainViewMode::Programs, false, true, 1, 2, QStringLiteral("Color by Nature")},
      {MainViewMode::Defects, true, false, 1, 1, std::nullopt},
  };
  for (const Case &c : cases)
    EXPECT_EQ(ColorViewStatusText(c.mode, c.programOpen, c.defectOpen, c.programScheme, c.defectScheme),
              c.expected)
        << int(c.mode) << c.programOpen << c.defectOpen << c.programScheme << c.defectScheme;
}

TEST(MainViewRules, ItemCountAndPanelHints) {
  EXPECT_EQ(ItemCountStatusText(MainViewMode::Programs, 12, 3), "12 programs listed.");
  EXPECT_EQ(ItemCountStatusText(MainViewMode::Defects, 12, 3), "3 defects listed.");
  EXPECT_EQ(ItemCountStatusText(MainViewMode::Defects, 12, 0), "0 defects listed.");

  const QList<int> widths{150, 150, 150, 150};
  const QStringList hints = StatusPanelHints();
  ASSERT_EQ(hints.size(), StatusPanelCount);
  EXPECT_EQ(hints[0], "Shows current view level: Programs or Defects.");
  EXPECT_EQ(hints[3], "Shows number of Programs or defects listed.");
  EXPECT_EQ(StatusPanelAt(0, widths), 0);
  EXPECT_EQ(StatusPanelAt(149, widths), 0);
  EXPECT_EQ(StatusPanelAt(150, widths), 1);
  EXPECT_EQ(StatusPanelAt(450, widths), 3);
  EXPECT_EQ(StatusPanelAt(2000, widths), 3);  // beyond the last panel: the last one's hint
}

TEST(MainViewRules, SplitGeometryAndDrag) {
  // The split stays where it is while it fits, and the defect grid takes the rest.
  SplitGeometry g = SplitGridGeometry(400, 150);
  EXPECT_EQ(g.splitPos, 150);
  EXPECT_EQ(g.programHeight, 150);
  EXPECT_EQ(g.defectTop, 156);
  EXPECT_EQ(g.defectHeight, 400 - 150 - 6);
  // An area grown shorter than the split puts it at three quarters.
  g = SplitGridGeometry(201, 300);
  EXPECT_EQ(g.splitPos, 151);
  EXPECT_EQ(g.defectHeight, 201 - 151 - 6);
  EXPECT_EQ(InitialSplitPos(301), 151);

  // Over the program grid: the pointer, but not above a quarter of the area.
  EXPECT_EQ(DraggedSplitPos(40, 206, 400), 100);
  EXPECT_EQ(DraggedSplitPos(180, 206, 400), 180);
  // Over the defect grid: the pointer, but not below three quarters.
  EXPECT_EQ(DraggedSplitPos(250, 206, 400), 250);
  EXPECT_EQ(DraggedSplitPos(390, 206, 400), 300);
}

TEST(MainViewRules, KeysTheWindowTakes) {
  struct Case {
    int key;
    MainViewMode mode;
    MainKeyAction action;
    bool consumed;
  };
  const Case cases[] = {
      {Qt::Key_Backspace, MainViewMode::Programs, MainKeyAction::None, true},
      {Qt::Key_Escape, MainViewMode::Defects, MainKeyAction::ProgramView, true},
      {Qt::Key_Backspace, MainViewMode::Defects, MainKeyAction::ProgramView, true},
      {Qt::Key_Return, MainViewMode::Programs, MainKeyAction::DefectView, true},
      {Qt::Key_Enter, MainViewMode::Defects, MainKeyAction::EditDefect, true},
      {Qt::Key_Insert, MainViewMode::Programs, MainKeyAction::NewItem, true},
      {Qt::Key_Delete, MainViewMode::Defects, MainKeyAction::DeleteItem, true},
      {Qt::Key_Down, MainViewMode::Programs, MainKeyAction::None, false},
      {Qt::Key_A, MainViewMode::Defects, MainKeyAction::None, false},
  };
  for (const Case &c : cases) {
    const MainKey k = MainKeyFor(c.key, c.mode);
    EXPECT_EQ(k.action, c.action) << c.key;
    EXPECT_EQ(k.consumed, c.consumed) << c.key;
  }
}

TEST(MainViewRules, RefreshTimerKeepsMarks) {
  EXPECT_TRUE(RefreshTimerShouldRefresh(true, true, MainViewMode::Programs, 5));
  EXPECT_TRUE(RefreshTimerShouldRefresh(true, true, MainViewMode::Defects, 1));
  EXPECT_FALSE(RefreshTimerShouldRefresh(true, true, MainViewMode::Defects, 2));
  EXPECT_FALSE(RefreshTimerShouldRefresh(false, true, MainViewMode::Programs, 0));
  EXPECT_FALSE(RefreshTimerShouldRefresh(true, false, MainViewMode::Programs, 0));
}

TEST(MainViewRules, TimerIntervals) {
  const TimerIntervals t = TimerIntervalsFor(3, 60, 60, 60);
  EXPECT_EQ(t.messageMs, 3000);
  EXPECT_EQ(t.receiveMs, 3600000);
  EXPECT_EQ(t.refreshMs, 60000);
  EXPECT_EQ(t.postMs, 3600000);
  // A period that is not positive stops its timer; a huge one is capped, not wrapped.
  const TimerIntervals odd = TimerIntervalsFor(0, -5, 1, 100000000);
  EXPECT_EQ(odd.messageMs, 0);
  EXPECT_EQ(odd.receiveMs, 0);
  EXPECT_EQ(odd.refreshMs, 1000);
  EXPECT_GT(odd.postMs, 0);
}

}  // namespace
