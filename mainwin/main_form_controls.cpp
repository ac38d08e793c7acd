// Building the main window: its panels, menus, toolbars, status bar and timers.

#include "mainwin/main_form.h"

#include "app/base/call_trace.h"
#include "mainwin/grid_columns.h"
#include "mainwin/grid_panel.h"
#include "mainwin/main_icons.h"
#include "mainwin/query_table_model.h"

#include <QAction>
#include <QActionGroup>
#include <QComboBox>
#include <QDockWidget>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTableView>
#include <QTimer>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// The listing reports of the Print menu, in their order.
const char *const ListingReports[] = {
    "Release Summary",
    "Release Detail",
    "Release Detail by Release",
    "Program Summary",
    "Program Detail",
    "Defect Detail",
    "Current Defect View",
    "Release Statistics By Severity",
    "Release Statistics By Status",
    "Release Statistics by Program",
    "Release Comparison",
    "Release Status Listing",
    "Release Shipping List",
    "Origin Notes Listing",
    "Customers by Defect Listing",
    "Defects by Group Listing",
    "Defect Change History",
    "Defect Remaining Effort",
};

// Features of other parts of the program are marked here until they are built: their
// items are shown disabled.
constexpr bool Available = true;
constexpr bool NotYet = false;

}  // namespace

QAction *TMainForm::NewAction(const QString &caption, bool available, const QKeySequence &shortcut) {
  TRACE_ROUTINE("bugmain", "TMainForm.NewAction");
  auto *action = new QAction(caption, this);
  if (!shortcut.isEmpty())
    action->setShortcut(shortcut);
  if (!available) {
    unavailable_.insert(action);
    action->setEnabled(false);
  }
  return action;
}

void TMainForm::SetActionEnabled(QAction *action, bool enabled) {
  action->setEnabled(enabled && !unavailable_.contains(action));
}

void TMainForm::CreateControls() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreateControls");
  auto *central = new QWidget(this);
  auto *layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  infoPnl_ = new QWidget(central);
  infoPnl_->setObjectName(QStringLiteral("InfoPnl"));
  infoPnl_->setAutoFillBackground(true);
  auto *info = new QHBoxLayout(infoPnl_);
  info->setContentsMargins(6, 2, 6, 2);
  info->setSpacing(8);
  infoIcon_ = new QLabel(infoPnl_);
  info->addWidget(infoIcon_, 0, Qt::AlignVCenter);
  auto *labels = new QVBoxLayout;
  labels->setContentsMargins(0, 0, 0, 0);
  labels->setSpacing(2);
  releaseDescLbl_ = new QLabel(infoPnl_);
  releaseDescLbl_->setObjectName(QStringLiteral("ReleaseDescLbl"));
  QFont bold = releaseDescLbl_->font();
  bold.setBold(true);
  releaseDescLbl_->setFont(bold);
  programDescLbl_ = new QLabel(infoPnl_);
  programDescLbl_->setObjectName(QStringLiteral("ProgramDescLbl"));
  labels->addWidget(releaseDescLbl_);
  labels->addWidget(programDescLbl_);
  info->addLayout(labels, 1);
  layout->addWidget(infoPnl_);

  gridPanel_ = new TGridPanel(central);
  layout->addWidget(gridPanel_, 1);
  setCentralWidget(central);

  programModel_ = new QueryTableModel(ProgramGridColumns(), this);
  defectModel_ = new QueryTableModel(DefectGridColumns(), this);
  programGrid()->setModel(programModel_);
  defectGrid()->setModel(defectModel_);
  for (QTableView *grid : {programGrid(), defectGrid()}) {
    const auto *model = static_cast<QueryTableModel *>(grid->model());
    for (int i = 0; i < model->columns().size(); ++i)
      if (model->columns()[i].width >= 0)
        grid->horizontalHeader()->resizeSection(i, model->columns()[i].width);
    grid->installEventFilter(this);
  }
  connect(programGrid()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex &current) { ProgramRowChanged(current.row()); });
  connect(defectGrid()->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex &current) { DefectRowChanged(current.row()); });
  connect(programGrid(), &QTableView::doubleClicked, this, [this] { DetailBtnClick(); });
  connect(defectGrid(), &QTableView::doubleClicked, this, [this] { infoBtn_->trigger(); });
  connect(gridPanel_, &TGridPanel::resized, this, &TMainForm::ResizeGrids);
  connect(gridPanel_, &TGridPanel::splitMoved, this, &TMainForm::ResizeGrids);

  toolWinReleaseSel_ = new QDockWidget(QStringLiteral("Releases"), this);
  toolWinReleaseSel_->setObjectName(QStringLiteral("ToolWinReleaseSel"));
  toolWinReleaseSel_->setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
  toolWinReleaseSel_->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                                  QDockWidget::DockWidgetFloatable);
  releaseTree_ = new QTreeWidget(toolWinReleaseSel_);
  releaseTree_->setObjectName(QStringLiteral("ReleaseTree"));
  releaseTree_->setHeaderHidden(true);
  releaseTree_->setContextMenuPolicy(Qt::CustomContextMenu);
  toolWinReleaseSel_->setWidget(releaseTree_);
  addDockWidget(Qt::LeftDockWidgetArea, toolWinReleaseSel_);
  resizeDocks({toolWinReleaseSel_}, {200}, Qt::Horizontal);
  connect(toolWinReleaseSel_, &QDockWidget::visibilityChanged, this, [this] { ResizeGrids(); });
}

void TMainForm::CreateActions() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreateActions");
  helpBtn_ = NewAction(QStringLiteral("&Contents"), Available);
  helpIndexItem_ = NewAction(QStringLiteral("Help &Index"), Available);
  selectBtn_ = NewAction(QStringLiteral("Products && &Releases"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_R));
  customersBtn_ = NewAction(QStringLiteral("Manage C&ustomers"), NotYet);
  groupsBtn_ = NewAction(QStringLiteral("Manage &Groups"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_G));
  userAccessBtn_ = NewAction(QStringLiteral("&User Access"), NotYet);
  splitBtn_ = NewAction(QStringLiteral("Split Screen"), Available);
  splitBtn_->setCheckable(true);
  filtersBtn_ = NewAction(QStringLiteral("Manage &Views"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_V));
  colorBtn_ = NewAction(QStringLiteral("C&olor View"), NotYet);
  notifyBtn_ = NewAction(QStringLiteral("Email Notifications"), NotYet);
  remoteSubmitBtn_ = NewAction(QStringLiteral("&Remote Submit"), NotYet);
  mailBtn_ = NewAction(QStringLiteral("&Mail Defect"), NotYet);
  mailCustomersItem_ = NewAction(QStringLiteral("Mail Defect to C&ustomers"), NotYet);
  addToGroupBtn_ = NewAction(QStringLiteral("Add Defect to &Group"), NotYet);
  chartsBtn_ = NewAction(QStringLiteral("&Charts"), NotYet);
  printBtn_ = NewAction(QStringLiteral("&Print Reports"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_P));
  findBtn_ = NewAction(QStringLiteral("&Find Defect..."), NotYet, QKeySequence(Qt::CTRL | Qt::Key_F));
  infoBtn_ = NewAction(QStringLiteral("&Edit Current Item"), NotYet);
  detailBtn_ = NewAction(QStringLiteral("View Defects"), Available);
  summaryBtn_ = NewAction(QStringLiteral("View Programs"), Available);
  deleteBtn_ = NewAction(QStringLiteral("&Delete Current Item"), NotYet, QKeySequence(Qt::Key_Delete));
  newBtn_ = NewAction(QStringLiteral("&New Item"), NotYet, QKeySequence(Qt::Key_Insert));
  refreshItem_ = NewAction(QStringLiteral("&Refresh"), Available);
  moveItem_ = NewAction(QStringLiteral("Mo&ve Item"), NotYet);
  viewProgramsItem_ = NewAction(QStringLiteral("&Programs"), Available);
  viewDefectsItem_ = NewAction(QStringLiteral("&Defects"), Available);

  // The toolbar's hints; the view decides those of New, Edit and Delete.
  const std::pair<QAction *, const char *> hints[] = {
      {helpBtn_, "Help"},
      {selectBtn_, "Products and Releases"},
      {customersBtn_, "Manage Customers"},
      {groupsBtn_, "Manage Groups"},
      {userAccessBtn_, "User Access"},
      {splitBtn_, "Split Browser"},
      {filtersBtn_, "View Filters"},
      {colorBtn_, "Color Mode"},
      {notifyBtn_, "Email Notifications"},
      {remoteSubmitBtn_, "Remote Submit"},
      {mailBtn_, "Mail Defect"},
      {addToGroupBtn_, "Add to Group"},
      {chartsBtn_, "Charts"},
      {printBtn_, "Print"},
      {findBtn_, "Find Item"},
      {infoBtn_, "Edit Item"},
      {detailBtn_, "View Defects"},
      {summaryBtn_, "View Programs"},
      {deleteBtn_, "Delete Item"},
      {newBtn_, "New Item"},
  };
  for (const auto &[action, hint] : hints)
    action->setToolTip(QString::fromLatin1(hint));

  const std::pair<QAction *, MainIcon> icons[] = {
      {helpBtn_, MainIcon::Help},
      {selectBtn_, MainIcon::ProductsAndReleases},
      {customersBtn_, MainIcon::Customers},
      {groupsBtn_, MainIcon::Groups},
      {userAccessBtn_, MainIcon::UserAccess},
      {splitBtn_, MainIcon::SplitBrowser},
      {filtersBtn_, MainIcon::ViewFilters},
      {colorBtn_, MainIcon::ColorMode},
      {notifyBtn_, MainIcon::EmailNotifications},
      {remoteSubmitBtn_, MainIcon::RemoteSubmit},
      {mailBtn_, MainIcon::MailDefect},
      {addToGroupBtn_, MainIcon::AddToGroup},
      {chartsBtn_, MainIcon::Charts},
      {printBtn_, MainIcon::Print},
      {findBtn_, MainIcon::Find},
      {infoBtn_, MainIcon::Edit},
      {detailBtn_, MainIcon::ViewDefects},
      {summaryBtn_, MainIcon::ViewPrograms},
      {deleteBtn_, MainIcon::Delete},
      {newBtn_, MainIcon::New},
  };
  for (const auto &[action, icon] : icons)
    action->setIcon(MainIconFor(icon));

  // "View Defects" and "View Programs" are one radio group.
  summaryBtn_->setCheckable(true);
  detailBtn_->setCheckable(true);
  viewGroup_ = new QActionGroup(this);
  viewGroup_->addAction(summaryBtn_);
  viewGroup_->addAction(detailBtn_);
  summaryBtn_->setChecked(true);

  connect(summaryBtn_, &QAction::triggered, this, &TMainForm::SummaryBtnClick);
  connect(detailBtn_, &QAction::triggered, this, &TMainForm::DetailBtnClick);
  connect(viewProgramsItem_, &QAction::triggered, this, &TMainForm::SummaryBtnClick);
  connect(viewDefectsItem_, &QAction::triggered, this, &TMainForm::DetailBtnClick);
  connect(splitBtn_, &QAction::triggered, this, &TMainForm::SplitBtnClick);
  connect(refreshItem_, &QAction::triggered, this, &TMainForm::RefreshCurrentDisplay);
  connect(helpBtn_, &QAction::triggered, this, &TMainForm::HelpContentsClick);
  connect(helpIndexItem_, &QAction::triggered, this, &TMainForm::HelpIndexClick);
}

void TMainForm::CreateMenus() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreateMenus");
  QMenuBar *bar = menuBar();
  bar->setObjectName(QStringLiteral("MenuBar"));

  QMenu *view = bar->addMenu(QStringLiteral("&View"));
  view->addAction(selectBtn_);
  view->addSeparator();
  view->addAction(viewProgramsItem_);
  view->addAction(viewDefectsItem_);
  view->addSeparator();
  view->addAction(chartsBtn_);
  view->addAction(colorBtn_);
  view->addAction(filtersBtn_);
  view->addAction(NewAction(QStringLiteral("Instant &Messaging"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_M)));
  view->addAction(groupsBtn_);
  view->addAction(customersBtn_);
  view->addAction(NewAction(QStringLiteral("Manage Resources"), NotYet));
  view->addSeparator();
  view->addAction(refreshItem_);
  // The five recent releases go here, above Exit, once they are kept.
  view->addSeparator();
  QAction *exitItem = NewAction(QStringLiteral("E&xit"), Available);
  connect(exitItem, &QAction::triggered, this, &QWidget::close);
  view->addAction(exitItem);

  QMenu *edit = bar->addMenu(QStringLiteral("&Edit"));
  edit->addAction(newBtn_);
  edit->addAction(infoBtn_);
  edit->addAction(deleteBtn_);
  edit->addSeparator();
  edit->addAction(moveItem_);
  edit->addAction(NewAction(QStringLiteral("&Copy Item"), NotYet));
  edit->addSeparator();
  selectionItems_ = {NewAction(QStringLiteral("Toggle Item &Selection"), NotYet),
                     NewAction(QStringLiteral("Select &All Items"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_A)),
                     NewAction(QStringLiteral("Deselect A&ll"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_D)),
                     NewAction(QStringLiteral("&Toggle All Selections"), NotYet, QKeySequence(Qt::CTRL | Qt::Key_T))};
  edit->addActions(selectionItems_);
  edit->addSeparator();
  edit->addAction(addToGroupBtn_);
  edit->addAction(mailBtn_);
  edit->addAction(mailCustomersItem_);
  edit->addAction(remoteSubmitBtn_);
  edit->addSeparator();
  edit->addAction(findBtn_);
  edit->addAction(NewAction(QStringLiteral("Find Ne&xt"), NotYet, QKeySequence(Qt::Key_F3)));

  QMenu *print = bar->addMenu(QStringLiteral("&Print"));
  for (const char *report : ListingReports) {
    QAction *item = print->addAction(QString::fromLatin1(report));
    unavailable_.insert(item);
    item->setEnabled(false);
    if (qstrcmp(report, "Defect Detail") == 0)
      defectDetailItem_ = item;
  }
  print->addSeparator();
  print->addAction(printBtn_);
  print->addAction(NewAction(QStringLiteral("Printer &Setup..."), NotYet));

  QMenu *tools = bar->addMenu(QStringLiteral("&Tools"));
  tools->addAction(NewAction(QStringLiteral("&Report Designer"), NotYet));
  tools->addSeparator();
  tools->addAction(NewAction(QStringLiteral("&Export Defects"), NotYet));
  tools->addAction(NewAction(QStringLiteral("&Import Defects"), NotYet));
  tools->addSeparator();
  tools->addAction(NewAction(QStringLiteral("&Clear MRU List"), NotYet));
  tools->addSeparator();
  // The favourite tools follow this item once they are kept.
  tools->addAction(NewAction(QStringLiteral("&Favorite Tools..."), NotYet));

  QMenu *remote = bar->addMenu(QStringLiteral("&Remote"));
  remote->addAction(NewAction(QStringLiteral("&Import Remote Defects"), NotYet));
  remote->addSeparator();
  remote->addAction(NewAction(QStringLiteral("Post Defects - All &Products and Releases"), NotYet));
  remote->addAction(NewAction(QStringLiteral("&Post Defects - Current Product / All Releases"), NotYet));
  remote->addAction(NewAction(QStringLiteral("Post Defects - &Current Product and Release"), NotYet));
  remote->addAction(NewAction(QStringLiteral("Post &Browser Submit Release Info"), NotYet));
  remote->addSeparator();
  remote->addAction(NewAction(QStringLiteral("&Retrieve Defect Database"), NotYet));

  QMenu *setup = bar->addMenu(QStringLiteral("&Setup"));
  setup->addAction(userAccessBtn_);
  setup->addAction(NewAction(QStringLiteral("Change &Password"), NotYet));
  setup->addSeparator();
  setup->addAction(NewAction(QStringLiteral("Copy Pr&ograms"), NotYet));
  setup->addAction(NewAction(QStringLiteral("Copy &Reports"), NotYet));
  setup->addAction(NewAction(QStringLiteral("Copy &Views"), NotYet));
  setup->addAction(NewAction(QStringLiteral("Copy &Groups"), NotYet));
  setup->addSeparator();
  QMenu *bars = setup->addMenu(QStringLiteral("&Toolbars"));
  barMainItem_ = bars->addAction(QStringLiteral("&Main"));
  barProgramsItem_ = bars->addAction(QStringLiteral("&Programs"));
  barFiltersItem_ = bars->addAction(QStringLiteral("&View Filters"));
  barReleasesItem_ = bars->addAction(QStringLiteral("&Releases"));
  bars->addSeparator();
  QAction *restoreAll = bars->addAction(QStringLiteral("Restore &All"));
  setup->addSeparator();
  setup->addAction(NewAction(QStringLiteral("&Preferences..."), NotYet));

  QMenu *help = bar->addMenu(QStringLiteral("&Help"));
  help->addAction(helpBtn_);
  help->addAction(helpIndexItem_);
  help->addSeparator();
  QAction *about = help->addAction(QStringLiteral("&About Faultbook..."));
  connect(about, &QAction::triggered, this, &TMainForm::AboutClick);

  topMenus_ = {view, edit, print, tools, remote, setup, help};

  // The bars' popup: on docks, toolbars and the release tree.
  popMainItem_ = new QAction(QStringLiteral("&Main"), this);
  popReleasesItem_ = new QAction(QStringLiteral("&Releases"), this);
  popProgramsItem_ = new QAction(QStringLiteral("&Programs"), this);
  popFiltersItem_ = new QAction(QStringLiteral("&View Filters"), this);
  popRefreshItem_ = NewAction(QStringLiteral("R&efresh"), NotYet);
  popRestoreAllItem_ = new QAction(QStringLiteral("&Restore All"), this);

  for (QAction *item : {barMainItem_, barProgramsItem_, barFiltersItem_, barReleasesItem_, popMainItem_,
                        popReleasesItem_, popProgramsItem_, popFiltersItem_})
    item->setCheckable(true);
  connect(bars, &QMenu::aboutToShow, this, [this, bars] { UpdateToolbarItems(bars); });
  connect(restoreAll, &QAction::triggered, this, &TMainForm::RestoreAllToolbars);
  connect(popRestoreAllItem_, &QAction::triggered, this, &TMainForm::RestoreAllToolbars);
  for (QAction *item : {barMainItem_, popMainItem_})
    connect(item, &QAction::triggered, this, [this](bool on) { toolbarMain_->setVisible(on); });
  for (QAction *item : {barProgramsItem_, popProgramsItem_})
    connect(item, &QAction::triggered, this, [this](bool on) { toolbarSelProg_->setVisible(on); });
  for (QAction *item : {barFiltersItem_, popFiltersItem_})
    connect(item, &QAction::triggered, this, [this](bool on) { toolbarSelFilter_->setVisible(on); });
  for (QAction *item : {barReleasesItem_, popReleasesItem_})
    connect(item, &QAction::triggered, this, [this](bool on) { ShowReleasesPanel(on); });
  connect(releaseTree_, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
    QMenu *menu = BuildToolbarPopup(true);
    menu->exec(releaseTree_->viewport()->mapToGlobal(at));
    delete menu;
  });
}

QMenu *TMainForm::BuildToolbarPopup(bool onReleaseTree) {
  TRACE_ROUTINE("bugmain", "TMainForm.BuildToolbarPopup");
  auto *menu = new QMenu(this);
  menu->addActions({popMainItem_, popReleasesItem_, popProgramsItem_, popFiltersItem_, popRefreshItem_});
  menu->addSeparator();
  menu->addAction(popRestoreAllItem_);
  // Refresh rebuilds the release tree, so it is offered only there.
  popRefreshItem_->setVisible(onReleaseTree);
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { UpdateToolbarItems(menu); });
  return menu;
}

void TMainForm::CreateToolbars() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreateToolbars");
  toolbarMain_ = addToolBar(QStringLiteral("Standard"));
  toolbarMain_->setObjectName(QStringLiteral("ToolbarMain"));
  toolbarMain_->setIconSize(QSize(24, 24));
  const QList<QList<QAction *>> groups = {
      {newBtn_, deleteBtn_},
      {summaryBtn_, detailBtn_, infoBtn_},
      {findBtn_, printBtn_, chartsBtn_},
      {addToGroupBtn_, mailBtn_, remoteSubmitBtn_, notifyBtn_},
      {colorBtn_, filtersBtn_, splitBtn_},
      {userAccessBtn_, groupsBtn_, customersBtn_, selectBtn_},
      {helpBtn_},
  };
  for (const QList<QAction *> &group : groups) {
    if (!toolbarMain_->actions().isEmpty())
      toolbarMain_->addSeparator();
    toolbarMain_->addActions(group);
  }

  // The two boxes share the row below the buttons.
  addToolBarBreak();
  toolbarSelProg_ = addToolBar(QStringLiteral("Programs"));
  toolbarSelProg_->setObjectName(QStringLiteral("ToolbarSelProg"));
  toolbarSelProg_->addWidget(new QLabel(QStringLiteral(" Program "), toolbarSelProg_));
  programList_ = new QComboBox(toolbarSelProg_);
  programList_->setObjectName(QStringLiteral("ProgramList"));
  programList_->setEditable(false);
  programList_->setMinimumContentsLength(18);
  programList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  toolbarSelProg_->addWidget(programList_);
  connect(programList_, &QComboBox::activated, this, &TMainForm::ProgramListClick);

  toolbarSelFilter_ = addToolBar(QStringLiteral("Filters"));
  toolbarSelFilter_->setObjectName(QStringLiteral("ToolbarSelFilter"));
  toolbarSelFilter_->addWidget(new QLabel(QStringLiteral(" View Filter "), toolbarSelFilter_));
  filterList_ = new QComboBox(toolbarSelFilter_);
  filterList_->setObjectName(QStringLiteral("FilterList"));
  filterList_->setEditable(false);
  filterList_->setMinimumContentsLength(18);
  filterList_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  toolbarSelFilter_->addWidget(filterList_);
  connect(filterList_, &QComboBox::activated, this, &TMainForm::FilterListClick);
}

void TMainForm::CreateStatusBar() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreateStatusBar");
  QStatusBar *bar = statusBar();
  bar->setObjectName(QStringLiteral("StatusBar"));
  bar->setSizeGripEnabled(true);
  bar->setMouseTracking(true);
  bar->installEventFilter(this);
  for (QLabel *&panel : statusPanels_) {
    panel = new QLabel(bar);
    panel->setFixedWidth(StatusPanelWidth);
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    panel->setContentsMargins(3, 0, 3, 0);
    // The bar itself tells which panel the pointer is over.
    panel->setAttribute(Qt::WA_TransparentForMouseEvents);
    bar->addWidget(panel);
  }
  statusPanels_[2]->setText(QString::fromLatin1(NoViewAppliedText));
}

void TMainForm::CreateTimers() {
  TRACE_ROUTINE("bugmain", "TMainForm.CreateTimers");
  // Each timer fires once SetDefaults has given it its period. The message, receive and
  // post timers act on their ticks once messages between users, remote submissions and
  // posting are part of the program; until then nothing is connected to them.
  msgTimer_ = new QTimer(this);
  msgTimer_->setObjectName(QStringLiteral("MsgTimer"));
  rcvTimer_ = new QTimer(this);
  rcvTimer_->setObjectName(QStringLiteral("RcvTimer"));
  refreshTimer_ = new QTimer(this);
  refreshTimer_->setObjectName(QStringLiteral("RefreshTimer"));
  postTimer_ = new QTimer(this);
  postTimer_->setObjectName(QStringLiteral("PostTimer"));
  connect(refreshTimer_, &QTimer::timeout, this, &TMainForm::RefreshTimerTimer);
}
