#pragma once
// A second station: the fb_test_station program, a process of its own on a data
// directory, driven one command line at a time. Commands and replies are described in
// station/fb_test_station.cpp.

#include <QProcess>
#include <QString>
#include <QStringList>

class TestStation {
public:
  explicit TestStation(const QString &dataDirectory);
  ~TestStation();  // ends the process
  TestStation(const TestStation &) = delete;
  TestStation &operator=(const TestStation &) = delete;

  // Sends one command (its words joined by tabs) and waits for the reply line.
  QString run(const QStringList &command);
  // Sends without waiting, so that several stations can act at the same moment.
  void send(const QStringList &command);
  QString reply();
  // Ends the process at once, as a crash or a power cut would.
  void kill();

private:
  QProcess process_;
};
