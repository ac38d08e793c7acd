#pragma once
// The grid area of the main window: the program list and the defect list, one in
// front of the other, or both at once in split mode with the program list on top. In
// split mode the gap between them can be dragged to move the split.

#include "mainwin/main_view_rules.h"

#include <QWidget>

class QTableView;

class TGridPanel : public QWidget {
  Q_OBJECT
public:
  explicit TGridPanel(QWidget *parent = nullptr);

  QTableView *programGrid() const { return programGrid_; }
  QTableView *defectGrid() const { return defectGrid_; }

  // Which list is in front outside split mode.
  void bringToFront(MainViewMode mode);
  MainViewMode front() const { return front_; }

  void setSplit(bool split);
  bool split() const { return split_; }
  // Until a position is given, the split is at half of the area.
  int splitPos() const;
  void setSplitPos(int pos) { splitPos_ = pos; }
  bool dragging() const { return dragging_; }

  // Places the lists for the mode and the split position; a split position the area
  // no longer holds is moved back into it. Nothing while the area is not shown.
  void layoutGrids();

signals:
  // The area changed size, or the split moved: the window lays out again.
  void resized();
  void splitMoved();

protected:
  void resizeEvent(QResizeEvent *event) override;
  void mousePressEvent(QMouseEvent *event) override;
  void mouseMoveEvent(QMouseEvent *event) override;
  void mouseReleaseEvent(QMouseEvent *event) override;

private:
  QTableView *programGrid_;
  QTableView *defectGrid_;
  MainViewMode front_ = MainViewMode::Programs;
  bool split_ = false;
  int splitPos_ = -1;  // -1: half of the area
  bool dragging_ = false;
};
