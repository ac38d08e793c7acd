#include "mainwin/grid_panel.h"

#include "app/base/call_trace.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QTableView>

namespace {

QTableView *MakeGrid(QWidget *parent, const QString &name) {
  auto *grid = new QTableView(parent);
  grid->setObjectName(name);
  grid->setSelectionBehavior(QAbstractItemView::SelectRows);
  grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
  grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid->setAlternatingRowColors(false);
  grid->setWordWrap(false);
  grid->setTabKeyNavigation(false);
  grid->verticalHeader()->setVisible(false);
  grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  grid->verticalHeader()->setDefaultSectionSize(grid->fontMetrics().height() + 6);
  grid->horizontalHeader()->setHighlightSections(false);
  grid->horizontalHeader()->setMinimumSectionSize(4);  // the mark columns are narrower than a title
  grid->horizontalHeader()->setSectionsMovable(false);
  grid->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  QFont titleFont = grid->horizontalHeader()->font();
  titleFont.setBold(true);
  grid->horizontalHeader()->setFont(titleFont);
  return grid;
}

}  // namespace

TGridPanel::TGridPanel(QWidget *parent)
    : QWidget(parent), programGrid_(MakeGrid(this, QStringLiteral("ProgramGrid"))),
      defectGrid_(MakeGrid(this, QStringLiteral("DefectGrid"))) {
  TRACE_ROUTINE("bugmain", "TGridPanel.Create");
  setObjectName(QStringLiteral("GridPanel"));
  bringToFront(MainViewMode::Programs);
}

void TGridPanel::bringToFront(MainViewMode mode) {
  TRACE_ROUTINE("bugmain", "TGridPanel.BringToFront");
  front_ = mode;
  if (!split_) {
    programGrid_->setVisible(mode == MainViewMode::Programs);
    defectGrid_->setVisible(mode == MainViewMode::Defects);
  }
}

void TGridPanel::setSplit(bool split) {
  TRACE_ROUTINE("bugmain", "TGridPanel.SetSplit");
  split_ = split;
  if (split) {
    setCursor(Qt::SplitVCursor);
    programGrid_->setVisible(true);
    defectGrid_->setVisible(true);
  } else {
    dragging_ = false;
    unsetCursor();
    bringToFront(front_);
  }
}

int TGridPanel::splitPos() const {
  return splitPos_ >= 0 ? splitPos_ : InitialSplitPos(height());
}

void TGridPanel::layoutGrids() {
  TRACE_ROUTINE("bugmain", "TGridPanel.LayoutGrids");
  // Before the window is up the area has no real size yet: a split position measured
  // against it would be lost. The first resize lays the lists out.
  if (!isVisible())
    return;
  const int clientHeight = height();
  if (!split_) {
    programGrid_->setGeometry(0, 0, width(), clientHeight);
    defectGrid_->setGeometry(0, 0, width(), clientHeight);
    return;
  }
  const SplitGeometry g = SplitGridGeometry(clientHeight, splitPos());
  splitPos_ = g.splitPos;
  programGrid_->setGeometry(0, 0, width(), g.programHeight);
  defectGrid_->setGeometry(0, g.defectTop, width(), g.defectHeight);
}

void TGridPanel::resizeEvent(QResizeEvent *event) {
  TRACE_ROUTINE("bugmain", "TGridPanel.Resize");
  QWidget::resizeEvent(event);
  emit resized();
}

// Only the gap between the lists belongs to the area itself, so a press that reaches
// it in split mode starts a drag.
void TGridPanel::mousePressEvent(QMouseEvent *event) {
  TRACE_ROUTINE("bugmain", "TGridPanel.MouseDown");
  if (split_ && event->button() == Qt::LeftButton) {
    dragging_ = true;
    event->accept();
    return;
  }
  QWidget::mousePressEvent(event);
}

void TGridPanel::mouseMoveEvent(QMouseEvent *event) {
  TRACE_ROUTINE("bugmain", "TGridPanel.MouseMove");
  if (!dragging_) {
    QWidget::mouseMoveEvent(event);
    return;
  }
  splitPos_ = DraggedSplitPos(qRound(event->position().y()), defectGrid_->y(), height());
  emit splitMoved();
}

void TGridPanel::mouseReleaseEvent(QMouseEvent *event) {
  TRACE_ROUTINE("bugmain", "TGridPanel.MouseUp");
  if (dragging_) {
    dragging_ = false;
    event->accept();
    return;
  }
  QWidget::mouseReleaseEvent(event);
}
