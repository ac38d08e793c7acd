#pragma once
// User-interface services for tests: every text shown is recorded with its kind, every
// question and dialog takes the next queued answer, and a question with no answer
// queued fails the test (answering as if cancelled) instead of blocking it.

#include "app/base/ui_services.h"

#include <deque>
#include <vector>

struct ShownMessage {
  MessageKind kind;
  QString text;
  int buttons;  // the buttons offered: AskOk for inform/warn/error
};

struct ShownDialog {
  enum Kind { Folder, OpenFile, SaveFile } kind;
  QString caption;
  QString start;
  QString filter;
};

class ScriptedUiServices final : public UiServices {
public:
  // Fails the test for answers still queued: a question the test expected never came.
  ~ScriptedUiServices() override;

  // The answer to the next question (AskYes...).
  void queueAnswer(int button);
  // The result of the next folder, open or save dialog: a path, or empty for Cancel.
  void queueDialogResult(const QString &path);

  const std::vector<ShownMessage> &messages() const { return messages_; }
  const std::vector<ShownDialog> &dialogs() const { return dialogs_; }
  const std::vector<BeepKind> &beeps() const { return beeps_; }
  // Every message text in the order shown.
  QStringList texts() const;
  bool shown(MessageKind kind, const QString &text) const;
  int busyDepth() const { return busyDepth_; }
  // Forgets what was recorded so far (answers stay queued).
  void clearRecord();

  void inform(const QString &text) override;
  void warn(const QString &text) override;
  void error(const QString &text) override;
  int ask(const QString &text, int buttons, MessageKind kind = MessageKind::Confirmation) override;
  void beep(BeepKind kind) override;
  QString pickFolder(const QString &caption, const QString &startFolder) override;
  QString pickOpenFile(const QString &caption, const QString &startFolder, const QString &filter) override;
  QString pickSaveFile(const QString &caption, const QString &startPath, const QString &filter) override;
  void beginBusy() override;
  void endBusy() override;
  void processEvents() override {}

private:
  QString dialogResult(ShownDialog dialog);

  std::vector<ShownMessage> messages_;
  std::vector<ShownDialog> dialogs_;
  std::vector<BeepKind> beeps_;
  std::deque<int> answers_;
  std::deque<QString> dialogResults_;
  int busyDepth_ = 0;
};

// Puts services in force for the life of the scope and brings back the previous ones.
class UiServicesInstaller {
public:
  explicit UiServicesInstaller(UiServices &services) : previous_(InstallUiServices(&services)) {}
  ~UiServicesInstaller() { InstallUiServices(previous_); }
  UiServicesInstaller(const UiServicesInstaller &) = delete;
  UiServicesInstaller &operator=(const UiServicesInstaller &) = delete;

private:
  UiServices *previous_;
};
