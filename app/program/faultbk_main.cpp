// The program block: one run from the single-instance check to the message loop. Every
// fatal step shows its own message and sets StartupFailed; a run that failed before the
// main window exists ends here, one that failed later ends when the window comes up.

#include "app/base/call_trace.h"
#include "app/base/debug_log.h"
#include "app/error_report_form.h"
#include "app/faultbook_application.h"
#include "app/qt_ui_services.h"
#include "app/settings.h"
#include "app/single_instance.h"
#include "app/splash_form.h"
#include "app/startup.h"
#include "defects/calc_msg_form.h"
#include "mainwin/main_form.h"

#include <QDir>

#include <memory>
#include <optional>

#ifndef FAULTBK_VERSION
#define FAULTBK_VERSION ""
#endif

namespace {

// A second copy asked for the window: bring it forward, restored if it was minimised.
void BringForward(QWidget &window) {
  TRACE_ROUTINE("faultbk", "BringForward");
  if (window.isMinimized())
    window.showNormal();
  window.show();
  window.raise();
  window.activateWindow();
}

}  // namespace

int main(int argc, char **argv) {
  FaultbookApplication application(argc, argv);
  application.setApplicationName(QString::fromLatin1(ApplicationTitle));
  application.setApplicationDisplayName(QString::fromLatin1(ApplicationTitle));
  application.setApplicationVersion(QStringLiteral(FAULTBK_VERSION));
  QtUiServices ui;
  InstallUiServices(&ui);
  application.setUnhandledErrorHandler(GlobalErrorHandler);
  CallTraceClear();

  // The log goes where the program was started, before any change of directory.
  const QString startingDirectory = QDir::currentPath();
  SingleInstance instance;
  std::unique_ptr<TMainForm> mainForm;
  std::optional<CallTraceScope> mainEntry;
  try {
    if (!CheckSingleInstance(instance))
      return 0;
    if (DiagnosticModeRequested())
      StartDiagnosticMode(startingDirectory);
    TSplashForm splash(application.applicationVersion());
    MoveRegistryTree();
    DebugLog(QStringLiteral("Checking database directory."));
    const QString dataDirectory = LocateDatabase();
    if (dataDirectory.isEmpty())
      SetStartupFailed();
    else
      SetDataDirectory(dataDirectory);

    DebugLog(QStringLiteral("Creating forms."));
    if (!StartupFailed()) {
      splash.ShowSplashScreen();
      mainForm = std::make_unique<TMainForm>(dataDirectory);
      QObject::connect(&instance, &SingleInstance::raiseRequested, mainForm.get(),
                       [form = mainForm.get()] { BringForward(*form); });
    }
    if (!StartupFailed()) {
      mainEntry.emplace("faultbk", "Main");
      CreateCalcMsgForm(mainForm.get());
      DebugLog(QStringLiteral("Completed creating forms."));
      splash.raise();
      mainForm->SetDefaults();
    }
    splash.hide();
  } catch (...) {
    GlobalErrorHandler(std::current_exception());
  }
  if (!mainForm)
    return 0;
  DebugLog(QStringLiteral("Beginning main message loop."));
  mainForm->show();
  const int exitCode = application.exec();
  DestroyCalcMsgForm();
  return exitCode;
}
