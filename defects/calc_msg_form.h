#pragma once
// The busy notice: a small window that stays on top, centred on its owner, saying
// what a long operation is doing while it runs. There is one for the whole program.

#include <QWidget>

class QLabel;

class TCalcMsgForm : public QWidget {
  Q_OBJECT

public:
  explicit TCalcMsgForm(QWidget *owner = nullptr);

  void setCaption(const QString &caption);
  void setMessage(const QString &text);
  QString message() const;
  // Shows the notice centred on its owner and paints the text at once, so it can be
  // read while the caller works without handling further window messages.
  void showNotice();

private:
  QLabel *MsgLabel;
};

// The program's busy notice, made at start-up; until then BusyNotice shows nothing.
// The error report closes it before it shows.
void CreateCalcMsgForm(QWidget *owner);
TCalcMsgForm *CalcMsgForm();
void DestroyCalcMsgForm();

// The busy notice with its caption and text for the life of the scope, closed however
// the scope ends.
class BusyNotice {
public:
  BusyNotice(const QString &caption, const QString &text);
  ~BusyNotice();
  BusyNotice(const BusyNotice &) = delete;
  BusyNotice &operator=(const BusyNotice &) = delete;
};
