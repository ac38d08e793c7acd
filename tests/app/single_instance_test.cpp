#include "app/single_instance.h"
#include "app/startup.h"
#include "tests/support/scripted_ui_services.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr int WaitMs = 30000;

// The session of each test: a runtime directory of its own, shared with the copies it
// starts.
class SingleInstanceTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(runtime.isValid());
    saved = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
  }
  void TearDown() override {
    if (saved.isNull())
      qunsetenv("XDG_RUNTIME_DIR");
    else
      qputenv("XDG_RUNTIME_DIR", saved);
  }

  // Starts another copy and returns its first line.
  static QString startCopy(QProcess &copy) {
    copy.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    copy.start(QStringLiteral(FB_INSTANCE_HOLDER), {});
    if (!copy.waitForStarted(WaitMs))
      return QStringLiteral("not started");
    return nextLine(copy);
  }
  static QString nextLine(QProcess &copy) {
    while (!copy.canReadLine())
      if (!copy.waitForReadyRead(WaitMs))
        return QStringLiteral("no answer");
    return QString::fromUtf8(copy.readLine()).trimmed();
  }
  static void end(QProcess &copy) {
    copy.closeWriteChannel();
    if (!copy.waitForFinished(WaitMs))
      copy.kill();
  }

  QTemporaryDir runtime;
  QByteArray saved;
};

TEST_F(SingleInstanceTest, SecondCopyIsWarnedAndRaisesTheFirst) {
  QProcess first;
  ASSERT_EQ(startCopy(first), "holding");
  ScriptedUiServices ui;
  UiServicesInstaller installer(ui);
  SingleInstance second;

  EXPECT_FALSE(CheckSingleInstance(second));

  EXPECT_EQ(ui.texts(), QStringList{"Faultbook is already running.  You cannot run two concurrent instances of "
                                    "Faultbook on one station."});
  EXPECT_EQ(ui.messages()[0].kind, MessageKind::Warning);
  EXPECT_EQ(nextLine(first), "raised");
  EXPECT_FALSE(second.held());
  end(first);
}

TEST_F(SingleInstanceTest, LockDiesWithTheProcessThatHeldIt) {
  QProcess first;
  ASSERT_EQ(startCopy(first), "holding");
  first.kill();  // no clean-up: as a crash would end it
  first.waitForFinished(WaitMs);

  SingleInstance next;
  ASSERT_TRUE(next.acquire());
  // The socket the dead copy left behind is replaced, so raise requests reach this one.
  bool raised = false;
  QObject::connect(&next, &SingleInstance::raiseRequested, [&raised] { raised = true; });
  QProcess later;
  EXPECT_EQ(startCopy(later), "refused");
  EXPECT_TRUE(SingleInstance::requestRaise());
  for (int i = 0; i < 100 && !raised; ++i)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  EXPECT_TRUE(raised);
  end(later);
}

}  // namespace
