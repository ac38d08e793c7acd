#pragma once
// Everything that shows a message box, beeps, asks a question, opens a file or folder
// dialog or changes the cursor goes through these services. The program installs the Qt
// implementation at start; tests install a scripted one that records every text and
// answers from a queue, so no modal window ever blocks a test.

#include <QString>
#include <QStringList>

enum class BeepKind { Default, Exclamation, Asterisk, Question, Hand };

// The buttons of a question, and the answer given.
enum AskButton : int {
  AskNone = 0,
  AskOk = 1 << 0,
  AskCancel = 1 << 1,
  AskYes = 1 << 2,
  AskNo = 1 << 3,
  AskAbort = 1 << 4,
  AskRetry = 1 << 5,
  AskIgnore = 1 << 6,
};

enum class MessageKind { Information, Warning, Error, Confirmation };

class UiServices {
public:
  virtual ~UiServices() = default;

  // A message box of its kind, preceded by the matching sound.
  virtual void inform(const QString &text) = 0;
  virtual void warn(const QString &text) = 0;
  virtual void error(const QString &text) = 0;
  // A question with the buttons given (AskYes | AskNo...); returns the button pressed,
  // AskCancel or AskNo when the box is closed otherwise.
  virtual int ask(const QString &text, int buttons, MessageKind kind = MessageKind::Confirmation) = 0;
  virtual void beep(BeepKind kind) = 0;

  // Empty result: the user cancelled.
  virtual QString pickFolder(const QString &caption, const QString &startFolder) = 0;
  virtual QString pickOpenFile(const QString &caption, const QString &startFolder, const QString &filter) = 0;
  virtual QString pickSaveFile(const QString &caption, const QString &startPath, const QString &filter) = 0;

  // Hourglass on/off, nested: the cursor comes back when the outermost one ends.
  virtual void beginBusy() = 0;
  virtual void endBusy() = 0;
  // Lets pending window messages through (repaints during long work).
  virtual void processEvents() = 0;
};

// The services in force. Before any are installed, a silent set that answers every
// question with its first button is in force (for tools without windows).
UiServices &Ui();
// Installs services (not owned) and returns the ones they replace.
UiServices *InstallUiServices(UiServices *services);

// The hourglass for the life of the scope.
class ScopedBusyCursor {
public:
  ScopedBusyCursor() { Ui().beginBusy(); }
  ~ScopedBusyCursor() { Ui().endBusy(); }
  ScopedBusyCursor(const ScopedBusyCursor &) = delete;
  ScopedBusyCursor &operator=(const ScopedBusyCursor &) = delete;
};
