#include "defects/calc_msg_form.h"

#include "app/base/call_trace.h"
#include "app/error_report_form.h"
#include "defects/dialog_placement.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QScreen>
#include <QVBoxLayout>

namespace {

QPointer<TCalcMsgForm> calcMsgForm;

}  // namespace

TCalcMsgForm::TCalcMsgForm(QWidget *owner)
    : QWidget(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  TRACE_ROUTINE("calcmsg", "TCalcMsgForm.FormCreate");
  setObjectName(QStringLiteral("CalcMsgForm"));
  auto *frame = new QFrame;
  frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
  frame->setLineWidth(2);
  MsgLabel = new QLabel;
  MsgLabel->setAlignment(Qt::AlignCenter);
  auto *inner = new QVBoxLayout(frame);
  inner->addWidget(MsgLabel);
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(frame);
  setMinimumSize(300, 60);
}

void TCalcMsgForm::setCaption(const QString &caption) {
  TRACE_ROUTINE("calcmsg", "TCalcMsgForm.setCaption");
  setWindowTitle(caption);
}

void TCalcMsgForm::setMessage(const QString &text) {
  TRACE_ROUTINE("calcmsg", "TCalcMsgForm.setMessage");
  MsgLabel->setText(text);
}

QString TCalcMsgForm::message() const {
  return MsgLabel->text();
}

void TCalcMsgForm::showNotice() {
  TRACE_ROUTINE("calcmsg", "TCalcMsgForm.FormActivate");
  adjustSize();
  QRect ownerFrame;
  if (parentWidget())
    ownerFrame = parentWidget()->window()->frameGeometry();
  else if (QScreen *screen = this->screen())
    ownerFrame = screen->availableGeometry();
  move(CentredOn(ownerFrame, size()));
  show();
  raise();
  // Only this window's own pending layout and show work, then paint: no other events.
  QCoreApplication::sendPostedEvents(this);
  MsgLabel->repaint();
}

void CreateCalcMsgForm(QWidget *owner) {
  TRACE_ROUTINE("calcmsg", "CreateCalcMsgForm");
  delete calcMsgForm;
  calcMsgForm = new TCalcMsgForm(owner);
  SetBusyNoticeCloser([] {
    if (calcMsgForm)
      calcMsgForm->close();
  });
}

TCalcMsgForm *CalcMsgForm() {
  return calcMsgForm;
}

void DestroyCalcMsgForm() {
  TRACE_ROUTINE("calcmsg", "DestroyCalcMsgForm");
  SetBusyNoticeCloser({});
  delete calcMsgForm;
}

BusyNotice::BusyNotice(const QString &caption, const QString &text) {
  TRACE_ROUTINE("calcmsg", "BusyNotice.Show");
  if (!calcMsgForm)
    return;
  calcMsgForm->setCaption(caption);
  calcMsgForm->setMessage(text);
  calcMsgForm->showNotice();
}

BusyNotice::~BusyNotice() {
  TRACE_ROUTINE("calcmsg", "BusyNotice.Close");
  if (calcMsgForm)
    calcMsgForm->close();
}
