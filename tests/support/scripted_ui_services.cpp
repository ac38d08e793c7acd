#include "tests/support/scripted_ui_services.h"

#include <gtest/gtest.h>

ScriptedUiServices::~ScriptedUiServices() {
  for (int answer : answers_)
    ADD_FAILURE() << "A queued answer (" << answer << ") was never asked for.";
  for (const QString &path : dialogResults_)
    ADD_FAILURE() << "A queued dialog result \"" << path.toStdString() << "\" was never asked for.";
}

void ScriptedUiServices::queueAnswer(int button) {
  answers_.push_back(button);
}

void ScriptedUiServices::queueDialogResult(const QString &path) {
  dialogResults_.push_back(path);
}

QStringList ScriptedUiServices::texts() const {
  QStringList result;
  for (const auto &m : messages_)
    result << m.text;
  return result;
}

bool ScriptedUiServices::shown(MessageKind kind, const QString &text) const {
  for (const auto &m : messages_)
    if (m.kind == kind && m.text == text)
      return true;
  return false;
}

void ScriptedUiServices::clearRecord() {
  messages_.clear();
  dialogs_.clear();
  beeps_.clear();
}

void ScriptedUiServices::inform(const QString &text) {
  messages_.push_back({MessageKind::Information, text, AskOk});
}

void ScriptedUiServices::warn(const QString &text) {
  messages_.push_back({MessageKind::Warning, text, AskOk});
}

void ScriptedUiServices::error(const QString &text) {
  messages_.push_back({MessageKind::Error, text, AskOk});
}

int ScriptedUiServices::ask(const QString &text, int buttons, MessageKind kind) {
  messages_.push_back({kind, text, buttons});
  if (answers_.empty()) {
    ADD_FAILURE() << "The question \"" << text.toStdString() << "\" came with no answer queued.";
    return (buttons & AskCancel) ? AskCancel : AskNo;
  }
  const int answer = answers_.front();
  answers_.pop_front();
  EXPECT_TRUE(buttons & answer) << "The queued answer " << answer << " is not a button of \""
                                << text.toStdString() << "\".";
  return answer;
}

void ScriptedUiServices::beep(BeepKind kind) {
  beeps_.push_back(kind);
}

QString ScriptedUiServices::dialogResult(ShownDialog dialog) {
  dialogs_.push_back(dialog);
  if (dialogResults_.empty()) {
    ADD_FAILURE() << "The dialog \"" << dialog.caption.toStdString() << "\" came with no result queued.";
    return {};
  }
  const QString result = dialogResults_.front();
  dialogResults_.pop_front();
  return result;
}

QString ScriptedUiServices::pickFolder(const QString &caption, const QString &startFolder) {
  return dialogResult({ShownDialog::Folder, caption, startFolder, {}});
}

QString ScriptedUiServices::pickOpenFile(const QString &caption, const QString &startFolder,
                                         const QString &filter) {
  return dialogResult({ShownDialog::OpenFile, caption, startFolder, filter});
}

QString ScriptedUiServices::pickSaveFile(const QString &caption, const QString &startPath,
                                         const QString &filter) {
  return dialogResult({ShownDialog::SaveFile, caption, startPath, filter});
}

void ScriptedUiServices::beginBusy() {
  ++busyDepth_;
}

void ScriptedUiServices::endBusy() {
  EXPECT_GT(busyDepth_, 0) << "The busy cursor was ended more often than begun.";
  if (busyDepth_ > 0)
    --busyDepth_;
}
