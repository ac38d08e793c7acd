#include "app/base/ui_services.h"

namespace {

// For programs without windows: nothing is shown, questions take their first button.
class SilentUiServices final : public UiServices {
public:
  void inform(const QString &) override {}
  void warn(const QString &) override {}
  void error(const QString &) override {}
  int ask(const QString &, int buttons, MessageKind) override {
    for (int bit = 1; bit <= AskIgnore; bit <<= 1)
      if (buttons & bit)
        return bit;
    return AskNone;
  }
  void beep(BeepKind) override {}
  QString pickFolder(const QString &, const QString &) override { return {}; }
  QString pickOpenFile(const QString &, const QString &, const QString &) override { return {}; }
  QString pickSaveFile(const QString &, const QString &, const QString &) override { return {}; }
  void beginBusy() override {}
  void endBusy() override {}
  void processEvents() override {}
};

SilentUiServices silentServices;
UiServices *currentServices = &silentServices;

}  // namespace

UiServices &Ui() {
  return *currentServices;
}

UiServices *InstallUiServices(UiServices *services) {
  UiServices *previous = currentServices;
  currentServices = services ? services : &silentServices;
  return previous;
}
