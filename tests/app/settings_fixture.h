#pragma once
// A user and a machine of their own for each test: the two registry stores and the
// data directory live in one temporary folder, so no test sees another's settings.

#include "app/settings.h"
#include "tests/support/private_settings_stores.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <optional>
#include <sys/resource.h>

// Files of this process cannot grow beyond `bytes` while it lives: a write that needs
// more fails as on a full disk.
class ScopedFileSizeLimit {
public:
  explicit ScopedFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &saved_);
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~ScopedFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, previousHandler_);
  }
  ScopedFileSizeLimit(const ScopedFileSizeLimit &) = delete;
  ScopedFileSizeLimit &operator=(const ScopedFileSizeLimit &) = delete;

private:
  rlimit saved_{};
  void (*previousHandler_)(int) = nullptr;
};

class SettingsTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    stores.emplace(root.path());
    ASSERT_TRUE(QDir().mkpath(dataDir()));
    savedDataDirectory = DataDirectory();
    SetDataDirectory(dataDir());
  }
  void TearDown() override {
    SetDataDirectory(savedDataDirectory);
    stores.reset();
  }

  QString dataDir() const { return root.filePath("data"); }
  QString userStoreFile() const { return root.filePath("user/registry.txt"); }
  QString machineStoreFile() const { return root.filePath("machine/registry.txt"); }
  QString iniFile() const { return root.filePath("data/FAULTBK.INI"); }

  static QByteArray readBytes(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
  }
  static void writeBytes(const QString &path, const QByteArray &bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }

  QTemporaryDir root;

private:
  std::optional<PrivateSettingsStores> stores;
  QString savedDataDirectory;
};
