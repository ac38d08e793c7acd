#include "tests/support/test_station.h"

#include <stdexcept>

namespace {
constexpr int ReplyTimeoutMs = 30000;
}

TestStation::TestStation(const QString &dataDirectory) {
  process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process_.start(QStringLiteral(FB_TEST_STATION), {dataDirectory});
  if (!process_.waitForStarted(ReplyTimeoutMs))
    throw std::runtime_error("fb_test_station did not start: " + process_.errorString().toStdString());
  const QString greeting = reply();
  if (greeting != QLatin1String("ready"))
    throw std::runtime_error("fb_test_station did not get ready: " + greeting.toStdString());
}

TestStation::~TestStation() {
  kill();
}

void TestStation::send(const QStringList &command) {
  process_.write((command.join(QLatin1Char('\t')) + QLatin1Char('\n')).toUtf8());
  process_.waitForBytesWritten(ReplyTimeoutMs);
}

QString TestStation::reply() {
  while (!process_.canReadLine()) {
    if (process_.state() != QProcess::Running || !process_.waitForReadyRead(ReplyTimeoutMs))
      return QStringLiteral("no reply");
  }
  return QString::fromUtf8(process_.readLine()).trimmed();
}

QString TestStation::run(const QStringList &command) {
  send(command);
  return reply();
}

void TestStation::kill() {
  if (process_.state() == QProcess::NotRunning)
    return;
  process_.kill();
  process_.waitForFinished(ReplyTimeoutMs);
}
