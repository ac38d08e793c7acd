#include "mainwin/main_form.h"

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/base/ui_services.h"
#include "app/display_state.h"
#include "app/registry.h"
#include "app/settings.h"
#include "app/startup.h"
#include "data/data_access.h"
#include "data/statements.h"
#include "mainwin/grid_panel.h"
#include "mainwin/main_icons.h"
#include "mainwin/query_table_model.h"
#include "security/sign_in.h"
#include "security/user_lock.h"
#include "security/user_rights.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QDockWidget>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>

#ifndef FAULTBK_VERSION
#define FAULTBK_VERSION ""
#endif

namespace {

// The empty program list that gives the grid its fields before a release is chosen.
const QString EmptyProgramListSQL = QStringLiteral("Select * From Program Where Product=''  ");
// The value under Toolbars that keeps the bars' places.
const QString ToolbarLayoutValue = QStringLiteral("Layout");

// A field of the current record, empty when the data set has none.
QString CurrentText(const db::DataSet *dataSet, const QString &field) {
  if (!dataSet || !dataSet->isOpen() || dataSet->isEmpty() || dataSet->recordNumber() < 0 ||
      !dataSet->hasField(field))
    return {};
  return dataSet->asString(field);
}

int RowCount(const db::DataSet *dataSet) {
  return dataSet && dataSet->isOpen() ? dataSet->recordCount() : 0;
}

QString HelpPage(const char *name) {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Help/") + QLatin1String(name));
}

// Keeps both lists still while the context changes under them.
class FrozenGrids {
public:
  FrozenGrids(QTableView *a, QTableView *b) : a_(a), b_(b) {
    a_->setUpdatesEnabled(false);
    b_->setUpdatesEnabled(false);
  }
  ~FrozenGrids() {
    a_->setUpdatesEnabled(true);
    b_->setUpdatesEnabled(true);
  }
  FrozenGrids(const FrozenGrids &) = delete;
  FrozenGrids &operator=(const FrozenGrids &) = delete;

private:
  QTableView *a_;
  QTableView *b_;
};

}  // namespace

TMainForm::TMainForm(const QString &dataDirectory, QWidget *parent)
    : QMainWindow(parent), dataDirectory_(QDir(dataDirectory).absolutePath()) {
  TRACE_ROUTINE("bugmain", "TMainForm.Create");
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Faultbook"));
  setWindowIcon(MainIconFor(MainIcon::ViewDefects));
  resize(960, 640);  // the designed size, until the last run's is restored
  CreateActions();
  CreateControls();
  CreateMenus();
  CreateToolbars();
  CreateStatusBar();
  CreateTimers();
  previousContext_ = InstallWorkingContext(this);
  qApp->installEventFilter(this);
  FormCreate();
}

TMainForm::~TMainForm() {
  TRACE_ROUTINE("bugmain", "TMainForm.FormDestroy");
  qApp->removeEventFilter(this);
  if (tablesOpen_)
    CloseAllTables(sets_);
  InstallWorkingContext(previousContext_);
}

// ---------------------------------------------------------------------------------
// Start-up

void TMainForm::FormCreate() {
  TRACE_ROUTINE("bugmain", "TMainForm.FormCreate");
  ScopedBusyCursor busy;
  split_ = false;
  gridPanel_->setSplitPos(-1);  // half of the grid area, once the area has its size
  scrollBarAllowance_ = style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 4;

  ConfigureBDESettings(dataDirectory_);
  ApplyRegistryEntries(ReadRegistryEntries());
  LoadPreferences();
  // A stored database location may have moved the data directory.
  if (!DataDirectory().isEmpty())
    dataDirectory_ = QDir(DataDirectory()).absolutePath();
  programColorScheme_ = Prefs().programColor;
  defectColorScheme_ = Prefs().defectColor;
  if (Prefs().showByRelease) {
    // The defect list is the release's: one list at a time, and no way back to two.
    split_ = false;
    splitButtonAllowed_ = false;
    SetActionEnabled(splitBtn_, false);
  }

  // Help is the pages shipped beside the program, when they are there.
  if (!QFileInfo::exists(HelpPage("contents.html")))
    unavailable_.insert(helpBtn_);
  if (!QFileInfo::exists(HelpPage("index.html")))
    unavailable_.insert(helpIndexItem_);
  SetActionEnabled(helpBtn_, true);
  SetActionEnabled(helpIndexItem_, true);

  QDir().mkpath(Prefs().attachmentLocation);
  QDir::setCurrent(dataDirectory_);

  try {
    std::shared_ptr<db::Database> database = db::Database::open(dataDirectory_);
    tablesOpen_ = true;  // closing copes with data sets that never opened
    OpenAllTables(sets_, database);
  } catch (const db::EngineError &error) {
    Ui().error(QStringLiteral("An error occurred while opening the Faultbook data files:\r\n\r\n") + error.text());
    SetStartupFailed();
    return;
  }

  if (!SignInUser(*sets_.SecurityTbl, *sets_.UserLockTbl, dataDirectory_))
    return;

  DebugLog(QStringLiteral("Init main program query."));
  OpenQry(*sets_.ProgramQry, EmptyProgramListSQL);
  programModel_->setQuery(sets_.ProgramQry.get());
  defectModel_->setQuery(sets_.DefectQry.get());

  FillCustomLists();

  DebugLog(QStringLiteral("Show main form."));
  setMinimumSize(570, 230);
  RestoreToolbarLayout();
  ShowReleasesPanel(barReleasesItem_->isChecked());
}

void TMainForm::ApplyRegistryEntries(const RegistryEntries &entries) {
  TRACE_ROUTINE("bugmain", "TMainForm.ApplyRegistryEntries");
  if (!entries.userId.isEmpty())
    SetCurrentUserId(entries.userId);
  lastProduct_ = entries.lastProduct;
  lastRelease_ = entries.lastRelease;
  lastProgram_ = entries.lastProgram;
  lastFilter_ = entries.lastFilter;
  if (entries.position)
    move(*entries.position);
  if (entries.size)
    resize(*entries.size);
  if (entries.windowState)
    setWindowState(*entries.windowState == 2 ? Qt::WindowMaximized : Qt::WindowNoState);
  if (entries.splitMode)
    split_ = *entries.splitMode;
  if (entries.splitPos)
    gridPanel_->setSplitPos(*entries.splitPos);
  barReleasesItem_->setChecked(entries.showReleaseSelector.value_or(true));
  if (entries.releaseSelectorWidth)
    releaseSelectorWidth_ = *entries.releaseSelectorWidth;
  if (entries.lastDefectSortField)
    defectSort_ = {*entries.lastDefectSortField, entries.lastDefectSortAsc.value_or(true)};
  if (entries.lastProgramSortField)
    programSort_ = {*entries.lastProgramSortField, entries.lastProgramSortAsc.value_or(true)};
  ApplyColumnWidths(programGrid(), entries.programColumnWidths);
  ApplyColumnWidths(defectGrid(), entries.defectColumnWidths);
}

void TMainForm::SetDefaults() {
  TRACE_ROUTINE("bugmain", "TMainForm.SetDefaults");
  DebugLog(QStringLiteral("Setting defaults."));
  if (StartupFailed())
    return;
  if (!lastProduct_.isEmpty() && !lastRelease_.isEmpty() && UserCanAccessProduct(lastProduct_)) {
    DebugLog(QStringLiteral("Changing to previous product/release."));
    ChangeRelease(lastProduct_, lastRelease_, {}, {});
    DebugLog(QStringLiteral("Applying previous filter, if any."));
    if (lastFilter_.isEmpty()) {
      ApplyFilter({});
    } else if (sets_.FilterTbl->findKey({CurProduct(), CurRelease(), lastFilter_})) {
      ApplyFilter(lastFilter_);
    } else {
      Ui().inform(QStringLiteral("The last view you selected no longer exists.  No view will be applied."));
      ApplyFilter({});
    }
  } else {
    DebugLog(QStringLiteral("No previous product/release selected or user does not have rights."));
    if (!lastProduct_.isEmpty() && !UserCanAccessProduct(lastProduct_))
      Ui().warn(QStringLiteral("You do not have access rights to the product \"") + lastProduct_ +
                QStringLiteral("\".  You must now select a new product to work in."));
    ActivateMenuBar(false);
    const bool selectorShown = SelectBtnClick();
    ActivateMenuBar(true);
    if (selectorShown && sets_.ReleaseTbl->isEmpty()) {
      SetStartupFailed();
      return;
    }
    if (!UserCanAccessProduct(CurProduct())) {
      Ui().warn(QStringLiteral("You have not selected a valid product.  Faultbook will now exit."));
      SetStartupFailed();
      return;
    }
  }

  // Reports, the report designer, favourite tools and recent releases are prepared
  // here for the current release once they are part of the program.
  DebugLog(QStringLiteral("Creating missing reports for this product/release."));

  // SplitBtnClick toggles the flag it is given.
  if (Prefs().showByRelease)
    split_ = false;
  split_ = !split_;
  SplitBtnClick();

  const TimerIntervals intervals = TimerIntervalsFor(Prefs().messagePollingDelay, Prefs().remoteReceivePollingDelay,
                                                     Prefs().refreshDisplayDelay, Prefs().hostPublishPollingDelay);
  const std::pair<QTimer *, int> timers[] = {{msgTimer_, intervals.messageMs},
                                             {rcvTimer_, intervals.receiveMs},
                                             {refreshTimer_, intervals.refreshMs},
                                             {postTimer_, intervals.postMs}};
  for (const auto &[timer, interval] : timers)
    if (interval > 0)
      timer->start(interval);
  DebugLog(QStringLiteral("Completed setting defaults."));
}

void TMainForm::FormShow() {
  TRACE_ROUTINE("bugmain", "TMainForm.FormShow");
  if (StartupFailed())
    return;
  if (Prefs().defectsOnStartup && !lastProgram_.trimmed().isEmpty() &&
      ProgramInQuery(*sets_.ProgramQry, CurProduct(), CurRelease(), lastProgram_)) {
    ReloadLists(true, false);
    DetailBtnClick();
  } else {
    SummaryBtnClick();
  }
}

void TMainForm::FormActivate() {
  TRACE_ROUTINE("bugmain", "TMainForm.FormActivate");
  if (StartupFailed())
    QCoreApplication::quit();
}

void TMainForm::showEvent(QShowEvent *event) {
  TRACE_ROUTINE("bugmain", "TMainForm.Show");
  QMainWindow::showEvent(event);
  if (formShown_)
    return;
  formShown_ = true;
  FormShow();
  // A desktop without a window manager may never activate the window, so a failed
  // start also ends here, once the window has come up.
  if (StartupFailed())
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

void TMainForm::changeEvent(QEvent *event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow())
    FormActivate();
}

// ---------------------------------------------------------------------------------
// Shutdown

void TMainForm::closeEvent(QCloseEvent *event) {
  TRACE_ROUTINE("bugmain", "TMainForm.FormClose");
  event->accept();
  if (StartupFailed() || !tablesOpen_)
    return;
  FormClose();
}

void TMainForm::FormClose() {
  TRACE_ROUTINE("bugmain", "TMainForm.FormCloseRun");
  ScopedBusyCursor busy;
  // Taken while the window is still up: the bars' and panels' visibility reads as the
  // user left it.
  const DisplayState state = CurrentDisplayState();
  const QByteArray toolbarLayout = saveState();
  hide();
  for (QTimer *timer : {msgTimer_, rcvTimer_, postTimer_, refreshTimer_})
    timer->stop();
  ReleaseUserLock(*sets_.UserLockTbl);
  SaveDisplayState(state);
  if (std::optional<RegistryKey> key = OpenProductKey(QString::fromLatin1(regkey::Toolbars), true))
    key->writeString(ToolbarLayoutValue, QString::fromLatin1(toolbarLayout.toBase64()));
  CloseAllTables(sets_);
  tablesOpen_ = false;
  DebugLog(QStringLiteral("Closing diagnostic logging file."));
  CloseDebugLogFile();
}

DisplayState TMainForm::CurrentDisplayState() const {
  TRACE_ROUTINE("bugmain", "TMainForm.CurrentDisplayState");
  DisplayState s;
  s.lastProduct = curProduct();
  s.lastRelease = curRelease();
  s.lastProgram = curProgram();
  s.windowState = isMinimized()   ? WindowShowState::Minimized
                  : isMaximized() ? WindowShowState::Maximized
                                  : WindowShowState::Normal;
  s.position = pos();
  s.size = size();
  s.splitMode = split_;
  s.splitPos = gridPanel_->splitPos();
  s.showReleaseSelector = !toolWinReleaseSel_->isHidden();
  s.releaseSelectorWidth = toolWinReleaseSel_->width();
  s.defectSort = defectSort_;
  s.programSort = programSort_;
  s.programColumnWidths = ColumnWidths(programGrid());
  s.defectColumnWidths = ColumnWidths(defectGrid());
  return s;
}

void TMainForm::RestoreToolbarLayout() {
  TRACE_ROUTINE("bugmain", "TMainForm.RestoreToolbarLayout");
  if (std::optional<RegistryKey> key = OpenProductKey(QString::fromLatin1(regkey::Toolbars), false))
    if (key->valueExists(ToolbarLayoutValue))
      restoreState(QByteArray::fromBase64(key->readString(ToolbarLayoutValue).toLatin1()));
  if (releaseSelectorWidth_ > 0)
    resizeDocks({toolWinReleaseSel_}, {releaseSelectorWidth_}, Qt::Horizontal);
}

// ---------------------------------------------------------------------------------
// The two views

ViewRuleInputs TMainForm::RuleInputs() const {
  ViewRuleInputs in;
  in.mapiEnabled = Prefs().mapiServices;
  in.showByRelease = Prefs().showByRelease;
  in.hasRight = [](int position) { return UserHasRights(position); };
  return in;
}

void TMainForm::ApplyViewStates(const ViewControlStates &s) {
  TRACE_ROUTINE("bugmain", "TMainForm.ApplyViewStates");
  SetActionEnabled(viewProgramsItem_, s.programsItemEnabled);
  SetActionEnabled(viewDefectsItem_, s.defectsItemEnabled);
  programList_->setEnabled(s.programBoxEnabled);
  SetActionEnabled(mailBtn_, s.mailDefect);
  SetActionEnabled(mailCustomersItem_, s.mailDefect);
  SetActionEnabled(defectDetailItem_, s.defectDetailReport);
  SetActionEnabled(addToGroupBtn_, s.addToGroup);
  for (QAction *item : selectionItems_)
    SetActionEnabled(item, s.selectionItems);
  SetActionEnabled(remoteSubmitBtn_, s.remoteSubmit);
  SetActionEnabled(notifyBtn_, s.emailNotifications);
  SetActionEnabled(newBtn_, s.newItem);
  SetActionEnabled(deleteBtn_, s.deleteItem);
  SetActionEnabled(moveItem_, s.moveItem);
  newBtn_->setToolTip(s.newHint);
  infoBtn_->setToolTip(s.editHint);
  deleteBtn_->setToolTip(s.deleteHint);
  statusPanels_[0]->setText(s.viewLevelText);
}

void TMainForm::SetInfoPanel(MainViewMode mode) {
  TRACE_ROUTINE("bugmain", "TMainForm.SetInfoPanel");
  const bool programLabel = mode == MainViewMode::Defects && !Prefs().showByRelease;
  programDescLbl_->setVisible(programLabel);
  const int releaseHeight = releaseDescLbl_->sizeHint().height();
  const int height = programLabel ? releaseHeight + programDescLbl_->sizeHint().height() + 12 : releaseHeight + 8;
  infoPnl_->setFixedHeight(height);
  const int iconSize = qMin(height - 4, 32);
  infoIcon_->setPixmap(MainIconFor(mode == MainViewMode::Programs ? MainIcon::ViewPrograms : MainIcon::ViewDefects)
                           .pixmap(iconSize, iconSize));
}

void TMainForm::SetSummaryMode() {
  TRACE_ROUTINE("bugmain", "TMainForm.SetSummaryMode");
  if (StartupFailed())
    return;
  mode_ = MainViewMode::Programs;
  summaryBtn_->setChecked(true);
  gridPanel_->bringToFront(mode_);
  ApplyViewStates(ProgramViewStates(RuleInputs()));
  SetInfoPanel(mode_);
  UpdateStatusBar();
  if (isVisible())
    programGrid()->setFocus();
}

void TMainForm::SetDetailMode() {
  TRACE_ROUTINE("bugmain", "TMainForm.SetDetailMode");
  if (StartupFailed())
    return;
  detailProduct_ = CurProduct();
  detailRelease_ = CurRelease();
  detailProgram_ = CurProgram();
  mode_ = MainViewMode::Defects;
  detailBtn_->setChecked(true);
  gridPanel_->bringToFront(mode_);
  ApplyViewStates(DefectViewStates(RuleInputs()));
  if (!Prefs().showByRelease)
    programDescLbl_->setText(detailProgram_ + QStringLiteral(" - ") +
                             ProgramDescription(*sets_.ProgramTbl, detailProduct_, detailRelease_, detailProgram_));
  SetInfoPanel(mode_);
  SelectProgramInBox(detailProgram_);
  UpdateStatusBar();
  if (isVisible())
    defectGrid()->setFocus();
}

void TMainForm::SummaryBtnClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.SummaryBtnClick");
  if (StartupFailed())
    return;
  SetSummaryMode();
  RefreshCurrentDisplay();
  UpdateStatusBar();
  FocusGrid();
}

void TMainForm::DetailBtnClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.DetailBtnClick");
  if (StartupFailed())
    return;
  const QString program = CurrentText(sets_.ProgramQry.get(), QStringLiteral("Program"));
  if (!sets_.ProgramTbl->findKey({CurProduct(), CurRelease(), program})) {
    Ui().inform(QStringLiteral("A program has not been selected."));
    summaryBtn_->setChecked(mode_ == MainViewMode::Programs);
    detailBtn_->setChecked(mode_ == MainViewMode::Defects);
    return;
  }
  SetDetailMode();
  OpenDefectList();
  UpdateStatusBar();
}

void TMainForm::OpenDefectList() {
  TRACE_ROUTINE("bugmain", "TMainForm.OpenDefectList");
  const QString program =
      Prefs().showByRelease ? QString() : CurrentText(sets_.ProgramQry.get(), QStringLiteral("Program"));
  sets_.DefectQry->close();
  OpenQry(*sets_.DefectQry, MakeSQL(sets_.database, ListKind::Defect, CurProduct(), CurRelease(), program, {}));
  ReloadLists(false, true);
}

void TMainForm::RefreshCurrentDisplay() {
  TRACE_ROUTINE("bugmain", "TMainForm.RefreshCurrentDisplay");
  if (!tablesOpen_ || StartupFailed())
    return;
  DisplayedLists shown;
  shown.programList = mode_ == MainViewMode::Programs;
  shown.defectList = mode_ == MainViewMode::Defects || split_;
  shown.freezeProgramGrid = [this](bool frozen) { programGrid()->setUpdatesEnabled(!frozen); };
  ::RefreshCurrentDisplay(sets_, shown);
  ReloadLists(shown.programList, shown.defectList);
}

// After a list's query was reopened: the grid shows its rows again, on the query's
// current row.
void TMainForm::ReloadLists(bool program, bool defect) {
  TRACE_ROUTINE("bugmain", "TMainForm.ReloadLists");
  syncingRows_ = true;
  const std::pair<QueryTableModel *, QTableView *> lists[] = {{programModel_, programGrid()},
                                                              {defectModel_, defectGrid()}};
  for (int i = 0; i < 2; ++i) {
    if (!(i == 0 ? program : defect))
      continue;
    auto [model, grid] = lists[i];
    model->reload();
    const int row = model->query() && model->query()->isOpen() ? model->query()->recordNumber() : -1;
    if (row >= 0 && row < model->rowCount()) {
      const QModelIndex index = model->index(row, 0);
      grid->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
      grid->scrollTo(index);
    }
  }
  syncingRows_ = false;
  if (program)
    SelectProgramInBox(CurrentText(sets_.ProgramQry.get(), QStringLiteral("Program")));
  UpdateStatusBarItemCount();
  ResizeGrids();
}

void TMainForm::ProgramRowChanged(int row) {
  TRACE_ROUTINE("bugmain", "TMainForm.ProgramRowChanged");
  if (syncingRows_ || row < 0 || !sets_.ProgramQry || !sets_.ProgramQry->isOpen())
    return;
  sets_.ProgramQry->moveTo(row);
  SelectProgramInBox(CurrentText(sets_.ProgramQry.get(), QStringLiteral("Program")));
  if (split_ && isVisible())
    OpenDefectList();
}

void TMainForm::DefectRowChanged(int row) {
  TRACE_ROUTINE("bugmain", "TMainForm.DefectRowChanged");
  if (syncingRows_ || row < 0 || !sets_.DefectQry || !sets_.DefectQry->isOpen())
    return;
  sets_.DefectQry->moveTo(row);
  if (Prefs().showByRelease)
    SelectProgramInBox(CurrentText(sets_.DefectQry.get(), QStringLiteral("Program")));
}

// ---------------------------------------------------------------------------------
// Status bar

void TMainForm::UpdateStatusBar() {
  TRACE_ROUTINE("bugmain", "TMainForm.UpdateStatusBar");
  const bool programOpen = sets_.ProgramQry && sets_.ProgramQry->isOpen();
  const bool defectOpen = sets_.DefectQry && sets_.DefectQry->isOpen();
  if (const std::optional<QString> text =
          ColorViewStatusText(mode_, programOpen, defectOpen, programColorScheme_, defectColorScheme_))
    statusPanels_[1]->setText(*text);
  UpdateStatusBarItemCount();
}

void TMainForm::UpdateStatusBarItemCount() {
  TRACE_ROUTINE("bugmain", "TMainForm.UpdateStatusBarItemCount");
  statusPanels_[3]->setText(ItemCountStatusText(mode_, RowCount(sets_.ProgramQry.get()), RowCount(sets_.DefectQry.get())));
}

QString TMainForm::statusPanelText(int panel) const {
  return panel >= 0 && panel < StatusPanelCount ? statusPanels_[panel]->text() : QString();
}

// ---------------------------------------------------------------------------------
// Views and programs boxes

void TMainForm::ApplyFilter(const QString &name) {
  TRACE_ROUTINE("bugmain", "TMainForm.ApplyFilter");
  ScopedBusyCursor busy;
  statusPanels_[2]->setText(name);
  if (!name.isEmpty()) {
    if (sets_.FilterTbl->findKey({CurProduct(), CurRelease(), name})) {
      filterList_->setCurrentIndex(filterList_->findText(name, Qt::MatchExactly | Qt::MatchCaseSensitive));
      WriteLastFilter(name);
    }
  } else {
    WriteLastFilter({});
    statusPanels_[2]->setText(QString::fromLatin1(NoViewAppliedText));
    filterList_->setCurrentIndex(filterList_->count() > 0 ? 0 : -1);
  }
  RefreshCurrentDisplay();
}

void TMainForm::ClearGridColumnSort() {
  TRACE_ROUTINE("bugmain", "TMainForm.ClearGridColumnSort");
  programSort_ = {};
  defectSort_ = {};
}

void TMainForm::FilterListClick(int index) {
  TRACE_ROUTINE("bugmain", "TMainForm.FilterListClick");
  if (StartupFailed())
    return;
  const QString name = filterList_->itemText(index);
  if (name.isEmpty())
    return;
  if (name == QStringLiteral("(none)")) {
    ClearGridColumnSort();
    ApplyFilter({});
  } else if (sets_.FilterTbl->findKey({CurProduct(), CurRelease(), name})) {
    ClearGridColumnSort();
    ApplyFilter(name);
  } else {
    Ui().warn(QStringLiteral("The filter \"") + name + QStringLiteral("\" was not found."));
  }
}

void TMainForm::ProgramListClick(int index) {
  TRACE_ROUTINE("bugmain", "TMainForm.ProgramListClick");
  if (StartupFailed())
    return;
  const QString name = programList_->itemText(index);
  if (ProgramInQuery(*sets_.ProgramQry, CurProduct(), CurRelease(), name)) {
    ReloadLists(true, false);
    DetailBtnClick();
  } else {
    Ui().warn(QStringLiteral("The program \"") + name + QStringLiteral("\" was not found."));
  }
}

void TMainForm::SelectProgramInBox(const QString &program) {
  programList_->setCurrentIndex(programList_->findText(program, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

void TMainForm::UpdateProgramBox() {
  TRACE_ROUTINE("bugmain", "TMainForm.UpdateProgramBox");
  QStringList programs;
  UpdateProgramList(sets_.database, CurProduct(), CurRelease(), programs);
  programs.sort(Qt::CaseInsensitive);
  programList_->clear();
  programList_->addItems(programs);
}

void TMainForm::UpdateFilterBox() {
  TRACE_ROUTINE("bugmain", "TMainForm.UpdateFilterBox");
  const QString shown = filterList_->currentText();
  QStringList views;
  UpdateFilterList(sets_.database, views, shown);
  // "(none)" stays first; the views follow in order.
  if (views.size() > 1) {
    QStringList named = views.mid(1);
    named.sort(Qt::CaseInsensitive);
    views = QStringList{views.first()} + named;
  }
  filterList_->clear();
  filterList_->addItems(views);
  // With no view shown the box says so: "(none)".
  filterList_->setCurrentIndex(
      shown.isEmpty() ? 0 : filterList_->findText(shown, Qt::MatchExactly | Qt::MatchCaseSensitive));
}

// ---------------------------------------------------------------------------------
// The working context

db::Table *TMainForm::ContextReleaseTable() const {
  // The release table's current record is the current product and release.
  return tablesOpen_ ? sets_.ReleaseTbl.get() : nullptr;
}

bool TMainForm::ChangeRelease(const QString &product, const QString &release, const QString &oldProduct,
                              const QString &oldRelease) {
  TRACE_ROUTINE("bugmain", "TMainForm.ChangeRelease");
  DebugLog(QStringLiteral("Entering ChangeRelease function."));
  DebugLog(QStringLiteral("ChangeRelease - checking if specified product/release exists. [") + product +
           QStringLiteral("] [") + release + QStringLiteral("]"));
  db::Table *releases = ContextReleaseTable();
  if (!releases || !releases->isOpen() || releases->isEmpty()) {
    DebugLog(QStringLiteral("ChangeRelease - specified product/release does not exist."));
    return false;
  }
  const db::Bookmark before = releases->bookmark();
  if (!releases->findKey({product, release})) {
    releases->gotoBookmark(before);
    DebugLog(QStringLiteral("ChangeRelease - specified product/release does not exist."));
    return false;
  }
  DebugLog(QStringLiteral("ChangeRelease - read product/release record."));
  DebugLog(QStringLiteral("ChangeRelease - call ChangeRelDesc."));
  if (!product.isEmpty())
    ChangeRelDesc(product, release, releases->asString(QStringLiteral("Description")));
  {
    DebugLog(QStringLiteral("ChangeRelease - disable controls during update."));
    FrozenGrids frozen(programGrid(), defectGrid());
    DebugLog(QStringLiteral("ChangeRelease - check if specified product or release is different"));
    if (product != oldProduct || release != oldRelease) {
      DebugLog(QStringLiteral("ChangeRelease - call SummaryBtnClick"));
      SummaryBtnClick();
      DebugLog(QStringLiteral("ChangeRelease - call ApplyFilter"));
      UpdateFilterBox();
      ApplyFilter({});
      DebugLog(QStringLiteral("ChangeRelease - back from ApplyFilter."));
    }
    DebugLog(QStringLiteral("ChangeRelease - call UpdateProgramList"));
    UpdateProgramBox();
    DebugLog(QStringLiteral("ChangeRelease - call UpdateFilterList"));
    UpdateFilterBox();
    DebugLog(QStringLiteral("ChangeRelease - enable controls after update."));
  }
  DebugLog(QStringLiteral("ChangeRelease - set ProgramList index"));
  SelectProgramInBox(CurProgram());
  DebugLog(QStringLiteral("Exiting ChangeRelease function."));
  return true;
}

void TMainForm::ChangeRelDesc(const QString &product, const QString &release, const QString &description) {
  TRACE_ROUTINE("bugmain", "TMainForm.ChangeRelDesc");
  releaseDescLbl_->setText(product + QStringLiteral(" ") + release + QStringLiteral(" - ") + description);
}

bool TMainForm::SelectBtnClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.SelectBtnClick");
  // Until the product/release selector is part of the program, the release the release
  // table stands on stays the context, as when the selector is cancelled.
  const QString product = curProduct();
  const QString release = curRelease();
  if (ContextReleaseTable() && !ContextReleaseTable()->isEmpty())
    ChangeRelease(product, release, product, release);
  return false;
}

QString TMainForm::curProduct() const {
  return CurrentText(ContextReleaseTable(), QStringLiteral("Product"));
}

QString TMainForm::curRelease() const {
  return CurrentText(ContextReleaseTable(), QStringLiteral("Release"));
}

QString TMainForm::curProgram() const {
  if (Prefs().showByRelease && mode_ == MainViewMode::Defects && RowCount(sets_.DefectQry.get()) > 0)
    return CurrentText(sets_.DefectQry.get(), QStringLiteral("Program"));
  return CurrentText(sets_.ProgramQry.get(), QStringLiteral("Program"));
}

QString TMainForm::curDefect() const {
  return CurrentText(sets_.DefectQry.get(), QStringLiteral("Defect"));
}

QString TMainForm::curViewFilter() const {
  return ReadSetting(reg::LastFilter);
}

bool TMainForm::showByRelease() const {
  return Prefs().showByRelease;
}

bool TMainForm::splitMode() const {
  return split_;
}

int TMainForm::splitPos() const {
  return gridPanel_->splitPos();
}

QTableView *TMainForm::programGrid() const {
  return gridPanel_->programGrid();
}

QTableView *TMainForm::defectGrid() const {
  return gridPanel_->defectGrid();
}

// ---------------------------------------------------------------------------------
// Split mode and the grids' sizes

void TMainForm::SplitBtnClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.SplitBtnClick");
  if (StartupFailed())
    return;
  split_ = !split_;
  splitBtn_->setChecked(split_);
  splitBtn_->setIcon(MainIconFor(split_ ? MainIcon::ZoomBrowser : MainIcon::SplitBrowser));
  splitBtn_->setToolTip(split_ ? QStringLiteral("Zoom Browser") : QStringLiteral("Split Browser"));
  gridPanel_->setSplit(split_);
  // In split mode only the focused list shows its selection.
  for (QTableView *grid : {programGrid(), defectGrid()}) {
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Inactive, QPalette::Highlight,
                     split_ ? palette.color(QPalette::Active, QPalette::Base)
                            : palette.color(QPalette::Active, QPalette::Highlight));
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     split_ ? palette.color(QPalette::Active, QPalette::Text)
                            : palette.color(QPalette::Active, QPalette::HighlightedText));
    grid->setPalette(palette);
  }
  if (split_) {
    ResizeGrids();
    if (tablesOpen_)
      OpenDefectList();
  } else {
    gridPanel_->bringToFront(mode_);
  }
  ResizeGrids();
}

void TMainForm::ResizeGrids() {
  TRACE_ROUTINE("bugmain", "TMainForm.ResizeGrids");
  gridPanel_->layoutGrids();
  if (Prefs().fitGridWidth)
    for (QTableView *grid : {programGrid(), defectGrid()})
      if (grid->isVisibleTo(gridPanel_))
        FitGridWidth(grid);
}

// The last shown column grows so that the columns fill the grid; it never shrinks.
void TMainForm::FitGridWidth(QTableView *grid) {
  TRACE_ROUTINE("bugmain", "TMainForm.FitGridWidth");
  QHeaderView *header = grid->horizontalHeader();
  int last = -1;
  for (int visual = 0; visual < header->count(); ++visual) {
    const int logical = header->logicalIndex(visual);
    if (!header->isSectionHidden(logical) && header->sectionSize(logical) > 0)
      last = visual;
  }
  if (last < 0)
    return;
  int before = 0;
  for (int visual = 0; visual < last; ++visual) {
    const int logical = header->logicalIndex(visual);
    if (!header->isSectionHidden(logical))
      before += header->sectionSize(logical);
  }
  const int lastLogical = header->logicalIndex(last);
  const int fitted = grid->width() - before - scrollBarAllowance_;
  if (fitted > header->sectionSize(lastLogical))
    header->resizeSection(lastLogical, fitted);
}

void TMainForm::ApplyColumnWidths(QTableView *grid, const QMap<int, int> &widths) {
  TRACE_ROUTINE("bugmain", "TMainForm.ApplyColumnWidths");
  QHeaderView *header = grid->horizontalHeader();
  for (auto it = widths.constBegin(); it != widths.constEnd(); ++it) {
    if (it.key() < 0 || it.key() >= header->count())
      continue;
    header->setSectionHidden(it.key(), it.value() <= 0);
    if (it.value() > 0)
      header->resizeSection(it.key(), it.value());
  }
}

QList<int> TMainForm::ColumnWidths(QTableView *grid) const {
  QList<int> widths;
  const QHeaderView *header = grid->horizontalHeader();
  for (int i = 0; i < header->count(); ++i)
    widths.append(header->isSectionHidden(i) ? 0 : header->sectionSize(i));
  return widths;
}

int TMainForm::MarkedDefectRows() const {
  return static_cast<int>(defectGrid()->selectionModel()->selectedRows().size());
}

void TMainForm::resizeEvent(QResizeEvent *event) {
  QMainWindow::resizeEvent(event);
  ResizeGrids();
}

void TMainForm::FocusGrid() {
  TRACE_ROUTINE("bugmain", "TMainForm.FocusGrid");
  QTableView *grid = mode_ == MainViewMode::Programs ? programGrid() : defectGrid();
  if (isVisible() && grid->isVisible())
    grid->setFocus();
}

void TMainForm::ActivateMenuBar(bool enabled) {
  TRACE_ROUTINE("bugmain", "TMainForm.ActivateMenuBar");
  for (QMenu *menu : topMenus_)
    menu->menuAction()->setEnabled(enabled);
}

// ---------------------------------------------------------------------------------
// Toolbars and the release panel

void TMainForm::ShowReleasesPanel(bool show) {
  TRACE_ROUTINE("bugmain", "TMainForm.ShowReleasesPanel");
  barReleasesItem_->setChecked(show);
  popReleasesItem_->setChecked(show);
  toolWinReleaseSel_->setVisible(show);
  ResizeGrids();
  // The tree of products and releases is built here once it is part of the program;
  // a hidden panel holds none.
  if (!show)
    releaseTree_->clear();
}

void TMainForm::UpdateToolbarItems(QMenu *) {
  TRACE_ROUTINE("bugmain", "TMainForm.UpdateToolbarItems");
  const std::pair<QWidget *, QList<QAction *>> bars[] = {
      {toolbarMain_, {barMainItem_, popMainItem_}},
      {toolbarSelProg_, {barProgramsItem_, popProgramsItem_}},
      {toolbarSelFilter_, {barFiltersItem_, popFiltersItem_}},
      {toolWinReleaseSel_, {barReleasesItem_, popReleasesItem_}},
  };
  for (const auto &[bar, items] : bars)
    for (QAction *item : items)
      item->setChecked(!bar->isHidden());
}

void TMainForm::RestoreAllToolbars() {
  TRACE_ROUTINE("bugmain", "TMainForm.RestoreAllToolbars");
  toolbarMain_->setVisible(true);
  toolbarSelProg_->setVisible(true);
  toolbarSelFilter_->setVisible(true);
  ShowReleasesPanel(true);
}

QMenu *TMainForm::createPopupMenu() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreatePopupMenu");
  // The window frees the menu after use; its items are the window's.
  QMenu *menu = BuildToolbarPopup(false);
  UpdateToolbarItems(menu);
  return menu;
}

// ---------------------------------------------------------------------------------
// Keys, the status bar's hints, the grids' focus

bool TMainForm::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::ShortcutOverride:
  case QEvent::KeyPress: {
    // The menu bar keeps its own keys while the user walks it with the keyboard.
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || widget->window() != this || qobject_cast<QMenuBar *>(widget))
      break;
    auto *key = static_cast<QKeyEvent *>(event);
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
      break;
    const MainKey action = MainKeyFor(key->key(), mode_);
    if (!action.consumed)
      break;
    event->accept();
    if (event->type() == QEvent::KeyPress)
      KeyAction(action.action);
    return true;
  }
  case QEvent::MouseMove:
    if (watched == statusBar()) {
      QList<int> widths;
      for (QLabel *panel : statusPanels_)
        widths.append(panel->width());
      const int x = static_cast<QMouseEvent *>(event)->position().toPoint().x() - statusPanels_[0]->x();
      statusBar()->setToolTip(StatusPanelHints().value(StatusPanelAt(x, widths)));
    }
    break;
  case QEvent::FocusIn:
    // In split mode the list that has the focus decides the view.
    if (watched == programGrid() && mode_ != MainViewMode::Programs)
      SetSummaryMode();
    else if (watched == defectGrid() && mode_ != MainViewMode::Defects)
      SetDetailMode();
    break;
  default:
    break;
  }
  return QMainWindow::eventFilter(watched, event);
}

void TMainForm::KeyAction(MainKeyAction action) {
  TRACE_ROUTINE("bugmain", "TMainForm.KeyAction");
  switch (action) {
  case MainKeyAction::None:
    break;
  case MainKeyAction::ProgramView:
    SummaryBtnClick();
    break;
  case MainKeyAction::DefectView:
    DetailBtnClick();
    break;
  case MainKeyAction::EditDefect:
    infoBtn_->trigger();
    break;
  case MainKeyAction::NewItem:
    newBtn_->trigger();
    break;
  case MainKeyAction::DeleteItem:
    deleteBtn_->trigger();
    break;
  }
}

// ---------------------------------------------------------------------------------
// Timers, help, about

void TMainForm::RefreshTimerTimer() {
  TRACE_ROUTINE("bugmain", "TMainForm.RefreshTimerTimer");
  if (RefreshTimerShouldRefresh(isActiveWindow(), Prefs().autoRefreshDisplay, mode_, MarkedDefectRows()))
    RefreshCurrentDisplay();
}

void TMainForm::HelpContentsClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.HelpContentsClick");
  QDesktopServices::openUrl(QUrl::fromLocalFile(HelpPage("contents.html")));
  FocusGrid();
}

void TMainForm::HelpIndexClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.HelpIndexClick");
  QDesktopServices::openUrl(QUrl::fromLocalFile(HelpPage("index.html")));
}

void TMainForm::AboutClick() {
  TRACE_ROUTINE("bugmain", "TMainForm.AboutClick");
  QString text = QStringLiteral("<b>Faultbook</b>");
  if (!QStringLiteral(FAULTBK_VERSION).isEmpty())
    text += QStringLiteral("<br>Version ") + QStringLiteral(FAULTBK_VERSION);
  text += QStringLiteral("<br><br>Defect tracking for the makers of software.");
  QMessageBox::about(this, QStringLiteral("About Faultbook"), text);
}
