// A second copy of the program for the single-instance tests: takes the session's
// instance lock and answers "holding", or "refused" when another copy has it; then
// writes "raised" for every raise request it gets, until its standard input closes.

#include "app/single_instance.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv) {
  QCoreApplication application(argc, argv);
  SingleInstance instance;
  if (!instance.acquire()) {
    std::puts("refused");
    return 1;
  }
  QObject::connect(&instance, &SingleInstance::raiseRequested, [] {
    std::puts("raised");
    std::fflush(stdout);
  });
  QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&input, &QSocketNotifier::activated, [&input] {
    char buffer[256];
    if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
      input.setEnabled(false);
      QCoreApplication::quit();
    }
  });
  std::puts("holding");
  std::fflush(stdout);
  return application.exec();
}
