// The main of every test program: one QApplication for the whole run, so window tests
// and code that needs an event loop work; windows go to the offscreen platform unless
// the environment names another.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
