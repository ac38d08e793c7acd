#include "app/qt_ui_services.h"

#include "app/base/call_trace.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace {

// The sound that goes before a message box of each kind.
BeepKind SoundOf(MessageKind kind) {
  switch (kind) {
  case MessageKind::Information:
    return BeepKind::Asterisk;
  case MessageKind::Warning:
  case MessageKind::Error:
    return BeepKind::Exclamation;
  case MessageKind::Confirmation:
    return BeepKind::Question;
  }
  return BeepKind::Default;
}

QMessageBox::Icon IconOf(MessageKind kind) {
  switch (kind) {
  case MessageKind::Information:
    return QMessageBox::Information;
  case MessageKind::Warning:
    return QMessageBox::Warning;
  case MessageKind::Error:
    return QMessageBox::Critical;
  case MessageKind::Confirmation:
    return QMessageBox::Question;
  }
  return QMessageBox::NoIcon;
}

struct ButtonPair {
  int ask;
  QMessageBox::StandardButton qt;
};

constexpr ButtonPair buttonPairs[] = {
    {AskOk, QMessageBox::Ok},       {AskCancel, QMessageBox::Cancel}, {AskYes, QMessageBox::Yes},
    {AskNo, QMessageBox::No},       {AskAbort, QMessageBox::Abort},   {AskRetry, QMessageBox::Retry},
    {AskIgnore, QMessageBox::Ignore},
};

int ShowMessageBox(MessageKind kind, const QString &text, int buttons) {
  TRACE_ROUTINE("qtuiservices", "ShowMessageBox");
  QMessageBox box(IconOf(kind), QString::fromLatin1(ApplicationTitle), text, QMessageBox::NoButton,
                  QApplication::activeWindow());
  for (const auto &pair : buttonPairs)
    if (buttons & pair.ask)
      box.addButton(pair.qt);
  const auto pressed = static_cast<QMessageBox::StandardButton>(box.exec());
  for (const auto &pair : buttonPairs)
    if (pressed == pair.qt)
      return pair.ask;
  // Closed by the window's close box: the refusing answer among those offered.
  return (buttons & AskCancel) ? AskCancel : (buttons & AskNo) ? AskNo : AskNone;
}

}  // namespace

void QtUiServices::inform(const QString &text) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.inform");
  ask(text, AskOk, MessageKind::Information);
}

void QtUiServices::warn(const QString &text) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.warn");
  ask(text, AskOk, MessageKind::Warning);
}

void QtUiServices::error(const QString &text) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.error");
  ask(text, AskOk, MessageKind::Error);
}

int QtUiServices::ask(const QString &text, int buttons, MessageKind kind) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.ask");
  beep(SoundOf(kind));
  return ShowMessageBox(kind, text, buttons ? buttons : int(AskOk));
}

void QtUiServices::beep(BeepKind) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.beep");
  // The desktop offers one bell; every kind of sound rings it.
  QApplication::beep();
}

QString QtUiServices::pickFolder(const QString &caption, const QString &startFolder) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.pickFolder");
  return QFileDialog::getExistingDirectory(QApplication::activeWindow(), caption, startFolder);
}

QString QtUiServices::pickOpenFile(const QString &caption, const QString &startFolder, const QString &filter) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.pickOpenFile");
  return QFileDialog::getOpenFileName(QApplication::activeWindow(), caption, startFolder, filter);
}

QString QtUiServices::pickSaveFile(const QString &caption, const QString &startPath, const QString &filter) {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.pickSaveFile");
  return QFileDialog::getSaveFileName(QApplication::activeWindow(), caption, startPath, filter);
}

void QtUiServices::beginBusy() {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.beginBusy");
  if (busyDepth_++ == 0)
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

void QtUiServices::endBusy() {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.endBusy");
  if (busyDepth_ == 0)
    return;
  if (--busyDepth_ == 0)
    QApplication::restoreOverrideCursor();
}

void QtUiServices::processEvents() {
  TRACE_ROUTINE("qtuiservices", "QtUiServices.processEvents");
  QApplication::processEvents();
}
