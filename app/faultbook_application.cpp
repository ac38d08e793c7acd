#include "app/faultbook_application.h"

FaultbookApplication::FaultbookApplication(int &argc, char **argv) : QApplication(argc, argv) {}

void FaultbookApplication::setUnhandledErrorHandler(UnhandledErrorHandler handler) {
  handler_ = std::move(handler);
}

// Not traced: it runs for every event, and the handler reads the trace the event's
// routines left.
bool FaultbookApplication::notify(QObject *receiver, QEvent *event) {
  std::exception_ptr error;
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    if (!handler_)
      throw;
    error = std::current_exception();
  }
  // Outside the catch block: the report's own window runs a nested event loop.
  const UnhandledErrorHandler handler = handler_;
  handler(error);
  return false;
}
