#pragma once
// The application object of the program: an error thrown out of an event handler ends
// up here and goes to the handler the program block installed (the error report),
// after which the event loop goes on.

#include <QApplication>

#include <exception>
#include <functional>

class FaultbookApplication : public QApplication {
  Q_OBJECT

public:
  using UnhandledErrorHandler = std::function<void(std::exception_ptr)>;

  FaultbookApplication(int &argc, char **argv);

  // Without a handler an error goes on out of the event loop and ends the program.
  void setUnhandledErrorHandler(UnhandledErrorHandler handler);

  bool notify(QObject *receiver, QEvent *event) override;

private:
  UnhandledErrorHandler handler_;
};
