// The main window on a real data directory, offscreen: the two views and split mode
// with their status texts, the keys, the views box, the refresh timer, and the state
// that a closed window leaves for the next start.

#include "main_form_fixture.h"

#include "app/registry.h"
#include "mainwin/grid_panel.h"
#include "mainwin/query_table_model.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>

namespace {

void WriteDisplay(const QString &name, const RegistryValue &value) {
  OpenProductKey(QString::fromLatin1(regkey::Display), true)->writeValue(name, value);
}

std::optional<RegistryValue> ReadDisplay(const QString &name) {
  std::optional<RegistryKey> key = OpenProductKey(QString::fromLatin1(regkey::Display), false);
  return key ? key->value(name) : std::nullopt;
}

void PressKey(QWidget *target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
}

void SelectRow(QTableView *grid, int row) {
  grid->selectionModel()->setCurrentIndex(grid->model()->index(row, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QString Cell(QTableView *grid, int row, int column) {
  return grid->model()->index(row, column).data().toString();
}

TEST_F(MainFormTest, FirstStartShowsTheProgramsOfTheOnlyRelease) {
  seedRelease();
  TMainForm &f = start();
  ASSERT_FALSE(StartupFailed()) << ui.texts().join('\n').toStdString();
  EXPECT_EQ(CurProduct(), "Tracker");
  EXPECT_EQ(CurRelease(), "2.0");
  EXPECT_EQ(f.mode(), MainViewMode::Programs);
  EXPECT_EQ(f.statusPanelText(0), "Viewing Programs");
  EXPECT_EQ(f.statusPanelText(1), "");
  EXPECT_EQ(f.statusPanelText(2), "No View Applied");
  EXPECT_EQ(f.statusPanelText(3), "2 programs listed.");
  ASSERT_EQ(f.programModel()->rowCount(), 2);
  EXPECT_EQ(Cell(f.programGrid(), 0, 0), "app.exe");
  EXPECT_EQ(Cell(f.programGrid(), 1, 1), "A tool");
  EXPECT_EQ(f.programList()->count(), 2);
  EXPECT_EQ(f.filterList()->itemText(0), "(none)");
  // The first user of a new installation holds every right, and is told so.
  EXPECT_TRUE(UserHasRights(Right::Security));
  ASSERT_EQ(ui.messages().size(), 1u) << ui.texts().join('\n').toStdString();
  EXPECT_TRUE(ui.messages()[0].text.contains("Faultbook Admin"));
}

TEST_F(MainFormTest, KeysAndButtonsSwitchBetweenProgramsAndDefects) {
  seedRelease();
  TMainForm &f = start();
  ui.clearRecord();
  SelectRow(f.programGrid(), 1);  // tool.exe
  EXPECT_EQ(CurProgram(), "tool.exe");

  // Backspace in the program view does nothing; Enter opens the program's defects.
  PressKey(f.programGrid(), Qt::Key_Backspace);
  EXPECT_EQ(f.mode(), MainViewMode::Programs);
  PressKey(f.programGrid(), Qt::Key_Return);
  ASSERT_EQ(f.mode(), MainViewMode::Defects);
  EXPECT_EQ(f.statusPanelText(0), "Viewing Defects");
  EXPECT_EQ(f.statusPanelText(3), "1 defects listed.");
  EXPECT_EQ(Cell(f.defectGrid(), 0, 9), "Defect number 3");
  EXPECT_TRUE(f.defectGrid()->isVisibleTo(&f));
  EXPECT_FALSE(f.programGrid()->isVisibleTo(&f));
  EXPECT_EQ(f.programList()->currentText(), "tool.exe");

  // Escape goes back and the program row is still the current one.
  PressKey(f.defectGrid(), Qt::Key_Escape);
  ASSERT_EQ(f.mode(), MainViewMode::Programs);
  EXPECT_EQ(f.statusPanelText(3), "2 programs listed.");
  EXPECT_EQ(CurProgram(), "tool.exe");

  // The program box opens the chosen program's defects.
  const int app = f.programList()->findText("app.exe");
  f.programList()->setCurrentIndex(app);
  emit f.programList()->activated(app);
  ASSERT_EQ(f.mode(), MainViewMode::Defects);
  EXPECT_EQ(f.statusPanelText(3), "2 defects listed.");
  EXPECT_EQ(CurProgram(), "app.exe");
  EXPECT_TRUE(ui.messages().empty()) << ui.texts().join('\n').toStdString();
}

TEST_F(MainFormTest, DefectViewNeedsAProgram) {
  execute({"INSERT INTO Release (Product, Release, Description, Hidden) VALUES ('Tracker', '1.0', 'Empty', False)"});
  TMainForm &f = start();
  ASSERT_FALSE(StartupFailed());
  EXPECT_EQ(f.statusPanelText(3), "0 programs listed.");
  PressKey(f.programGrid(), Qt::Key_Return);
  EXPECT_EQ(f.mode(), MainViewMode::Programs);
  EXPECT_TRUE(ui.shown(MessageKind::Information, "A program has not been selected."));
}

TEST_F(MainFormTest, DefectsOnStartupOpenTheLastProgramsDefects) {
  seedRelease();
  OpenProductKey(QString::fromLatin1(regkey::General), true)->writeBool("Defects on Startup", true);
  WriteDisplay("Last Product", RegistryValue("Tracker"));
  WriteDisplay("Last Release", RegistryValue("2.0"));
  WriteDisplay("Last Program", RegistryValue("tool.exe"));
  TMainForm &f = start();
  ASSERT_EQ(f.mode(), MainViewMode::Defects);
  EXPECT_EQ(CurProgram(), "tool.exe");
  EXPECT_EQ(f.statusPanelText(3), "1 defects listed.");

  // A last program that is gone: the program view.
  closeForm();
  execute({"DELETE FROM Program WHERE Program = 'tool.exe'"});
  TMainForm &again = start();
  EXPECT_EQ(again.mode(), MainViewMode::Programs);
  EXPECT_EQ(again.statusPanelText(3), "1 programs listed.");
}

TEST_F(MainFormTest, NoRightToTheLastProductEndsTheStartWithoutAUsableProduct) {
  seedRelease();
  execute({"INSERT INTO UserSec (UserID, AllProducts, Products, Rights) VALUES ('Faultbook Admin', True, '', '" +
               QString(RightsLength, '1') + "')",
           "INSERT INTO UserSec (UserID, AllProducts, Products, Rights) VALUES ('guest', False, 'Other', '" +
               QString(RightsLength, '0') + "')"});
  OpenProductKey(QString::fromLatin1(regkey::Settings), true)->writeString("User ID", "guest");
  WriteDisplay("Last Product", RegistryValue("Tracker"));
  WriteDisplay("Last Release", RegistryValue("2.0"));
  start();
  EXPECT_TRUE(ui.shown(MessageKind::Warning, "You do not have access rights to the product \"Tracker\".  You must "
                                             "now select a new product to work in."));
  EXPECT_TRUE(ui.shown(MessageKind::Warning, "You have not selected a valid product.  Faultbook will now exit."));
  EXPECT_TRUE(StartupFailed());
}

TEST_F(MainFormTest, SplitModeShowsBothListsAndFollowsTheProgramRow) {
  seedRelease();
  TMainForm &f = start();
  f.resize(800, 600);
  QApplication::processEvents();
  f.SplitBtnClick();
  ASSERT_TRUE(f.splitMode());
  QTableView *programs = f.programGrid();
  QTableView *defects = f.defectGrid();
  EXPECT_TRUE(programs->isVisibleTo(&f));
  EXPECT_TRUE(defects->isVisibleTo(&f));
  EXPECT_EQ(programs->height(), f.splitPos());
  EXPECT_EQ(defects->y(), f.splitPos() + 6);
  EXPECT_EQ(defects->y() + defects->height(), f.gridPanel()->height());
  EXPECT_EQ(f.defectModel()->rowCount(), 2);  // app.exe's defects

  // Each change of the program row rebuilds the defect list for that program.
  SelectRow(programs, 1);
  EXPECT_EQ(f.defectModel()->rowCount(), 1);
  EXPECT_EQ(Cell(defects, 0, 9), "Defect number 3");

  // The list that takes the focus decides the view.
  QFocusEvent focusIn(QEvent::FocusIn);
  QApplication::sendEvent(defects, &focusIn);
  EXPECT_EQ(f.mode(), MainViewMode::Defects);
  EXPECT_EQ(f.statusPanelText(3), "1 defects listed.");
  QApplication::sendEvent(programs, &focusIn);
  EXPECT_EQ(f.mode(), MainViewMode::Programs);

  f.SplitBtnClick();
  EXPECT_FALSE(f.splitMode());
  EXPECT_TRUE(programs->isVisibleTo(&f));
  EXPECT_FALSE(defects->isVisibleTo(&f));
  EXPECT_EQ(programs->height(), f.gridPanel()->height());
}

TEST_F(MainFormTest, SplitDragStopsAtAQuarterAndThreeQuarters) {
  seedRelease();
  TMainForm &f = start();
  f.resize(800, 600);
  f.SplitBtnClick();
  QApplication::processEvents();
  TGridPanel *panel = f.gridPanel();
  const int height = panel->height();
  auto mouse = [panel](QEvent::Type type, int y) {
    QMouseEvent event(type, QPointF(10, y), panel->mapToGlobal(QPointF(10, y)), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(panel, &event);
  };
  mouse(QEvent::MouseButtonPress, f.splitPos() + 3);  // in the gap
  mouse(QEvent::MouseMove, 5);
  EXPECT_EQ(f.splitPos(), qRound(height * 0.25));
  EXPECT_EQ(f.programGrid()->height(), f.splitPos());
  mouse(QEvent::MouseMove, height - 2);
  EXPECT_EQ(f.splitPos(), qRound(height * 0.75));
  mouse(QEvent::MouseButtonRelease, height - 2);
  mouse(QEvent::MouseMove, height / 2);  // no longer dragging
  EXPECT_EQ(f.splitPos(), qRound(height * 0.75));
}

TEST_F(MainFormTest, StatusBarHintFollowsThePanelUnderThePointer) {
  seedRelease();
  TMainForm &f = start();
  f.resize(800, 600);
  QApplication::processEvents();
  QStatusBar *bar = f.statusBar();
  const QStringList hints = StatusPanelHints();
  auto moveTo = [bar](int x) {
    QMouseEvent event(QEvent::MouseMove, QPointF(x, 5), bar->mapToGlobal(QPointF(x, 5)), Qt::NoButton,
                      Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(bar, &event);
  };
  moveTo(10);
  EXPECT_EQ(bar->toolTip(), hints[0]);
  moveTo(StatusPanelWidth * 2 + 20);
  EXPECT_EQ(bar->toolTip(), hints[2]);
  moveTo(bar->width() - 2);  // beyond the last panel
  EXPECT_EQ(bar->toolTip(), hints[3]);
}

TEST_F(MainFormTest, ViewsBoxAndTheLastViewOfTheLastRun) {
  seedRelease();
  execute({"INSERT INTO Filters (Product, Release, \"Filter Name\") VALUES ('Tracker', '2.0', 'Mine')"});
  WriteDisplay("Last Product", RegistryValue("Tracker"));
  WriteDisplay("Last Release", RegistryValue("2.0"));
  WriteDisplay("Last Filter", RegistryValue("Gone"));
  TMainForm &f = start();
  // A view deleted since the last run: told so, and no view.
  EXPECT_TRUE(ui.shown(MessageKind::Information,
                       "The last view you selected no longer exists.  No view will be applied."));
  EXPECT_EQ(f.statusPanelText(2), "No View Applied");
  EXPECT_FALSE(ReadDisplay("Last Filter").has_value());
  ASSERT_EQ(f.filterList()->count(), 2);

  const int mine = f.filterList()->findText("Mine");
  emit f.filterList()->activated(mine);
  EXPECT_EQ(f.statusPanelText(2), "Mine");
  EXPECT_EQ(ReadDisplay("Last Filter"), RegistryValue("Mine"));
  EXPECT_EQ(f.filterList()->currentText(), "Mine");

  // A view another user deleted meanwhile keeps the stored view and the box as they are.
  execute({"DELETE FROM Filters WHERE \"Filter Name\" = 'Mine'"});
  f.ApplyFilter("Mine");
  EXPECT_EQ(ReadDisplay("Last Filter"), RegistryValue("Mine"));
  EXPECT_EQ(f.filterList()->currentText(), "Mine");
  emit f.filterList()->activated(mine);
  EXPECT_TRUE(ui.shown(MessageKind::Warning, "The filter \"Mine\" was not found."));

  emit f.filterList()->activated(0);  // "(none)"
  EXPECT_EQ(f.statusPanelText(2), "No View Applied");
  EXPECT_FALSE(ReadDisplay("Last Filter").has_value());
}

TEST_F(MainFormTest, RefreshTimerRereadsTheListsWhenAutoRefreshIsOn) {
  seedRelease();
  OpenProductKey(QString::fromLatin1(regkey::System), true)->writeBool("Auto Refresh Display", true);
  OpenProductKey(QString::fromLatin1(regkey::System), true)->writeInteger("Refresh Display Delay", 1);
  TMainForm &f = start();
  ASSERT_EQ(f.refreshTimer()->interval(), 1000);
  ASSERT_EQ(f.programModel()->rowCount(), 2);
  f.activateWindow();
  QApplication::setActiveWindow(&f);
  ASSERT_TRUE(waitFor([&] { return f.isActiveWindow(); }));
  // Another station adds a program.
  execute({"INSERT INTO Program (Product, Release, Program) VALUES ('Tracker', '2.0', 'new.exe')"});
  EXPECT_TRUE(waitFor([&] { return f.programModel()->rowCount() == 3; }));
  EXPECT_EQ(f.statusPanelText(3), "3 programs listed.");
}

TEST_F(MainFormTest, ClosedWindowComesBackAsItWasLeft) {
  seedRelease();
  {
    TMainForm &f = start();
    f.resize(900, 640);
    f.move(40, 30);
    QApplication::processEvents();
    SelectRow(f.programGrid(), 1);  // tool.exe
    f.SplitBtnClick();
    f.findChild<QToolBar *>("ToolbarSelFilter")->hide();
    f.ShowReleasesPanel(false);
    f.programGrid()->horizontalHeader()->resizeSection(1, 133);
    f.defectGrid()->horizontalHeader()->setSectionHidden(5, true);
    closeForm();
  }
  EXPECT_EQ(ReadDisplay("Last Product"), RegistryValue("Tracker"));
  EXPECT_EQ(ReadDisplay("Last Program"), RegistryValue("tool.exe"));
  EXPECT_EQ(ReadDisplay("Last Width"), RegistryValue(900));
  EXPECT_EQ(ReadDisplay("Split Mode"), RegistryValue(1));
  std::optional<RegistryKey> columns = OpenProductKey(QString::fromLatin1(regkey::Columns), false);
  ASSERT_TRUE(columns);
  EXPECT_EQ(columns->readInteger("Program Col 1 Width"), 133);
  EXPECT_EQ(columns->readInteger("Defect Col 5 Width"), 0);
  // The user lock went with the window.
  EXPECT_EQ(db::Database::open(dataDir())->recordLockCount("userlock.db"), 0);

  TMainForm &again = start();
  EXPECT_EQ(again.size(), QSize(900, 640));
  EXPECT_EQ(again.pos(), QPoint(40, 30));
  EXPECT_TRUE(again.splitMode());
  EXPECT_TRUE(again.defectGrid()->isVisibleTo(&again));
  // The split comes back where it was, though the window had no size yet when it was set.
  const std::optional<RegistryValue> splitPos = ReadDisplay("Split Pos");
  ASSERT_TRUE(splitPos);
  EXPECT_GT(splitPos->integer(), 100);
  EXPECT_EQ(again.splitPos(), splitPos->integer());
  EXPECT_EQ(again.programGrid()->height(), splitPos->integer());
  EXPECT_TRUE(again.findChild<QToolBar *>("ToolbarSelFilter")->isHidden());
  EXPECT_FALSE(again.findChild<QToolBar *>("ToolbarSelProg")->isHidden());
  EXPECT_TRUE(again.releasePanel()->isHidden());
  EXPECT_EQ(again.programGrid()->horizontalHeader()->sectionSize(1), 133);
  EXPECT_TRUE(again.defectGrid()->horizontalHeader()->isSectionHidden(5));
  EXPECT_EQ(CurProduct(), "Tracker");
  EXPECT_EQ(CurRelease(), "2.0");
}

TEST_F(MainFormTest, MaximisedWindowKeepsItsNormalPlace) {
  seedRelease();
  WriteDisplay("Last X-Pos", RegistryValue(11));
  WriteDisplay("Last Y-Pos", RegistryValue(12));
  WriteDisplay("Last Width", RegistryValue(700));
  WriteDisplay("Last Height", RegistryValue(500));
  TMainForm &f = start();
  f.showMaximized();
  QApplication::processEvents();
  ASSERT_TRUE(f.isMaximized());
  closeForm();
  EXPECT_EQ(ReadDisplay("Last Window State"), RegistryValue(2));
  EXPECT_EQ(ReadDisplay("Last Width"), RegistryValue(700));
  EXPECT_EQ(ReadDisplay("Last X-Pos"), RegistryValue(11));

  TMainForm &again = start();
  EXPECT_TRUE(again.isMaximized());
}

TEST_F(MainFormTest, MenuItemsOfPartsStillToComeAreDisabled) {
  seedRelease();
  TMainForm &f = start();
  ui.clearRecord();
  auto item = [&f](const QString &text) -> QAction * {
    for (QAction *action : f.findChildren<QAction *>())
      if (action->text() == text)
        return action;
    return nullptr;
  };
  for (const char *text : {"&New Item", "&Edit Current Item", "&Delete Current Item", "&Find Defect...",
                           "&Preferences...", "Release Summary", "&Import Remote Defects"}) {
    QAction *action = item(QString::fromLatin1(text));
    ASSERT_NE(action, nullptr) << text;
    EXPECT_FALSE(action->isEnabled()) << text;
  }
  for (const char *text : {"&Defects", "&Refresh", "E&xit", "&About Faultbook..."}) {
    QAction *action = item(QString::fromLatin1(text));
    ASSERT_NE(action, nullptr) << text;
    EXPECT_TRUE(action->isEnabled()) << text;
  }
  EXPECT_FALSE(item("&Programs")->isEnabled());  // already in the program view
  // Insert and Delete are taken by the window, and do nothing while their items are off.
  PressKey(f.programGrid(), Qt::Key_Delete);
  PressKey(f.programGrid(), Qt::Key_Insert);
  EXPECT_EQ(f.programModel()->rowCount(), 2);
  EXPECT_TRUE(ui.messages().empty());
}

}  // namespace
