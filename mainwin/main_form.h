#pragma once
// TMainForm, the one main window: the release panel, the program and defect lists, the
// menus, the three toolbars, the status bar and the four timers. It owns the main
// tables and queries and is the working context every other window reads. The rules
// it follows live in main_view_rules.h; this class puts them on the screen.

#include "data/main_data_sets.h"
#include "data/working_context.h"
#include "mainwin/main_view_rules.h"

#include <QMainWindow>
#include <QMap>
#include <QSet>

class QAction;
class QActionGroup;
class QComboBox;
class QDockWidget;
class QLabel;
class QMenu;
class QTableView;
class QTimer;
class QToolBar;
class QTreeWidget;
class QueryTableModel;
class TGridPanel;
struct DisplayState;
struct RegistryEntries;

class TMainForm : public QMainWindow, public WorkingContext {
  Q_OBJECT
public:
  // Builds the window and runs the start-up of the main window on the data directory
  // found by the program block: engine settings, registry and preferences, the tables,
  // the sign-in. A fatal step sets StartupFailed and the window ends the run when it
  // is next shown or activated.
  explicit TMainForm(const QString &dataDirectory, QWidget *parent = nullptr);
  ~TMainForm() override;

  // Restores the last product, release and view, the split and the timers.
  void SetDefaults();

  // Operations other windows call.
  void SetSummaryMode();
  void SetDetailMode();
  void SummaryBtnClick();
  void DetailBtnClick();
  void ApplyFilter(const QString &name);
  void UpdateStatusBar();
  void UpdateStatusBarItemCount();
  void ResizeGrids();
  void SplitBtnClick();
  void FocusGrid();
  void ActivateMenuBar(bool enabled);
  // The product/release selector; false while there is none to show.
  bool SelectBtnClick();
  // Makes (product, release) the working context; false when it does not exist.
  bool ChangeRelease(const QString &product, const QString &release, const QString &oldProduct,
                     const QString &oldRelease);
  void ChangeRelDesc(const QString &product, const QString &release, const QString &description);
  void ShowReleasesPanel(bool show);
  // Re-reads the lists shown for the working context.
  void RefreshCurrentDisplay();
  void ClearGridColumnSort();

  // WorkingContext
  QString curProduct() const override;
  QString curRelease() const override;
  QString curProgram() const override;
  QString curDefect() const override;
  QString curViewFilter() const override;
  ColumnSort defectSort() const override { return defectSort_; }
  ColumnSort programSort() const override { return programSort_; }
  bool showByRelease() const override;

  // What the window shows, for the program's other windows and for tests.
  MainViewMode mode() const { return mode_; }
  bool splitMode() const;
  int splitPos() const;
  QString statusPanelText(int panel) const;
  MainDataSets &dataSets() { return sets_; }
  TGridPanel *gridPanel() const { return gridPanel_; }
  QTableView *programGrid() const;
  QTableView *defectGrid() const;
  QueryTableModel *programModel() const { return programModel_; }
  QueryTableModel *defectModel() const { return defectModel_; }
  QComboBox *programList() const { return programList_; }
  QComboBox *filterList() const { return filterList_; }
  QDockWidget *releasePanel() const { return toolWinReleaseSel_; }
  QTimer *refreshTimer() const { return refreshTimer_; }

protected:
  void showEvent(QShowEvent *event) override;
  void changeEvent(QEvent *event) override;
  void closeEvent(QCloseEvent *event) override;
  void resizeEvent(QResizeEvent *event) override;
  bool eventFilter(QObject *watched, QEvent *event) override;
  QMenu *createPopupMenu() override;

private:
  // Start-up and shutdown.
  void FormCreate();
  void FormShow();
  void FormActivate();
  void FormClose();
  void ApplyRegistryEntries(const RegistryEntries &entries);
  void RestoreToolbarLayout();
  DisplayState CurrentDisplayState() const;

  // Building the window.
  void CreateControls();
  void CreateActions();
  void CreateMenus();
  void CreateToolbars();
  void CreateStatusBar();
  void CreateTimers();
  QAction *NewAction(const QString &caption, bool available, const QKeySequence &shortcut = {});
  void SetActionEnabled(QAction *action, bool enabled);
  void ApplyViewStates(const ViewControlStates &states);
  void SetInfoPanel(MainViewMode mode);

  // Lists.
  void ReloadLists(bool program, bool defect);
  void ProgramRowChanged(int row);
  void DefectRowChanged(int row);
  void OpenDefectList();
  void SelectProgramInBox(const QString &program);
  void UpdateProgramBox();
  void UpdateFilterBox();
  void ProgramListClick(int index);
  void FilterListClick(int index);
  void FitGridWidth(QTableView *grid);
  void ApplyColumnWidths(QTableView *grid, const QMap<int, int> &widths);
  QList<int> ColumnWidths(QTableView *grid) const;
  int MarkedDefectRows() const;

  // Handlers.
  void KeyAction(MainKeyAction action);
  void RefreshTimerTimer();
  QMenu *BuildToolbarPopup(bool onReleaseTree);
  void UpdateToolbarItems(QMenu *menu);
  void RestoreAllToolbars();
  void HelpContentsClick();
  void HelpIndexClick();
  void AboutClick();
  ViewRuleInputs RuleInputs() const;
  db::Table *ContextReleaseTable() const;

  QString dataDirectory_;
  MainDataSets sets_;
  WorkingContext *previousContext_ = nullptr;
  MainViewMode mode_ = MainViewMode::Programs;
  bool split_ = false;
  bool splitButtonAllowed_ = true;
  int programColorScheme_ = 0;
  int defectColorScheme_ = 0;
  int scrollBarAllowance_ = 0;  // a vertical scroll bar's width + 4
  int releaseSelectorWidth_ = 0;
  bool formShown_ = false;
  bool tablesOpen_ = false;
  bool syncingRows_ = false;
  ColumnSort programSort_;
  ColumnSort defectSort_;
  // The context remembered when the defect view was entered.
  QString detailProduct_, detailRelease_, detailProgram_;
  // From the registry at start: the working context of the last run.
  QString lastProduct_, lastRelease_, lastProgram_, lastFilter_;
  // Actions whose feature is not part of the program yet: they stay disabled.
  QSet<QAction *> unavailable_;

  // Controls.
  QWidget *infoPnl_ = nullptr;
  QLabel *infoIcon_ = nullptr;
  QLabel *releaseDescLbl_ = nullptr;
  QLabel *programDescLbl_ = nullptr;
  TGridPanel *gridPanel_ = nullptr;
  QueryTableModel *programModel_ = nullptr;
  QueryTableModel *defectModel_ = nullptr;
  QLabel *statusPanels_[StatusPanelCount] = {};
  QToolBar *toolbarMain_ = nullptr;
  QToolBar *toolbarSelProg_ = nullptr;
  QToolBar *toolbarSelFilter_ = nullptr;
  QComboBox *programList_ = nullptr;
  QComboBox *filterList_ = nullptr;
  QDockWidget *toolWinReleaseSel_ = nullptr;
  QTreeWidget *releaseTree_ = nullptr;
  QTimer *msgTimer_ = nullptr;
  QTimer *rcvTimer_ = nullptr;
  QTimer *refreshTimer_ = nullptr;
  QTimer *postTimer_ = nullptr;

  // Toolbar buttons and the menu items that share their state.
  QAction *helpBtn_ = nullptr;          // "Help", "&Contents"
  QAction *helpIndexItem_ = nullptr;
  QAction *selectBtn_ = nullptr;        // "Products and Releases"
  QAction *customersBtn_ = nullptr;     // "Manage Customers"
  QAction *groupsBtn_ = nullptr;        // "Manage Groups"
  QAction *userAccessBtn_ = nullptr;    // "User Access"
  QAction *splitBtn_ = nullptr;         // "Split Screen"
  QAction *filtersBtn_ = nullptr;       // "View Filters"
  QAction *colorBtn_ = nullptr;         // "Color Mode"
  QAction *notifyBtn_ = nullptr;        // "Email Notifications"
  QAction *remoteSubmitBtn_ = nullptr;  // "Remote Submit", "&Remote Submit"
  QAction *mailBtn_ = nullptr;          // "Mail Defect", "&Mail Defect"
  QAction *mailCustomersItem_ = nullptr;
  QAction *addToGroupBtn_ = nullptr;    // "Add to Group", "Add Defect to &Group"
  QAction *chartsBtn_ = nullptr;        // "Charts"
  QAction *printBtn_ = nullptr;         // "Print", "&Print Reports"
  QAction *findBtn_ = nullptr;          // "Find Item", "&Find Defect..."
  QAction *infoBtn_ = nullptr;          // "Edit Item", "&Edit Current Item"
  QAction *detailBtn_ = nullptr;        // "View Defects"
  QAction *summaryBtn_ = nullptr;       // "View Programs"
  QAction *deleteBtn_ = nullptr;        // "Delete Item", "&Delete Current Item"
  QAction *newBtn_ = nullptr;           // "New Item", "&New Item"
  QAction *refreshItem_ = nullptr;      // "&Refresh"
  QActionGroup *viewGroup_ = nullptr;

  QAction *viewProgramsItem_ = nullptr;  // "&Programs"
  QAction *viewDefectsItem_ = nullptr;   // "&Defects"
  QAction *moveItem_ = nullptr;          // "Mo&ve Item"
  QAction *defectDetailItem_ = nullptr;  // "Defect Detail" of the Print menu
  QList<QAction *> selectionItems_;      // the four selection items
  QList<QMenu *> topMenus_;

  // The bars' items of the Setup menu and of the bars' popup.
  QAction *barMainItem_ = nullptr;
  QAction *barProgramsItem_ = nullptr;
  QAction *barFiltersItem_ = nullptr;
  QAction *barReleasesItem_ = nullptr;
  QAction *popMainItem_ = nullptr;
  QAction *popReleasesItem_ = nullptr;
  QAction *popProgramsItem_ = nullptr;
  QAction *popFiltersItem_ = nullptr;
  QAction *popRefreshItem_ = nullptr;
  QAction *popRestoreAllItem_ = nullptr;
};
