#pragma once
// The user-interface services of the running program: Qt message boxes with their
// sound first, Qt file and folder dialogs, and the override cursor for busy work.

#include "app/base/ui_services.h"

// The application's title: the caption of every message box.
inline constexpr char ApplicationTitle[] = "Faultbook";

class QtUiServices final : public UiServices {
public:
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
  void processEvents() override;

private:
  int busyDepth_ = 0;
};
