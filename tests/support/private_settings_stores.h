#pragma once
// The per-user and machine settings stores of one test, in folders of its own, so no
// test sees another's settings or those of the person running the tests. The
// environment comes back as it was when the stores go.

#include <QByteArray>
#include <QFile>
#include <QString>

class ScopedEnvironmentVariable {
public:
  ScopedEnvironmentVariable(const char *name, const QString &value) : name_(name), saved_(qgetenv(name)) {
    qputenv(name, QFile::encodeName(value));
  }
  ~ScopedEnvironmentVariable() {
    if (saved_.isNull())
      qunsetenv(name_);
    else
      qputenv(name_, saved_);
  }
  ScopedEnvironmentVariable(const ScopedEnvironmentVariable &) = delete;
  ScopedEnvironmentVariable &operator=(const ScopedEnvironmentVariable &) = delete;

private:
  const char *name_;
  QByteArray saved_;
};

// The user store lives in folder/user, the machine store in folder/machine.
class PrivateSettingsStores {
public:
  explicit PrivateSettingsStores(const QString &folder)
      : user_("FAULTBK_CONFIG_DIR", folder + QStringLiteral("/user")),
        machine_("FAULTBK_MACHINE_CONFIG_DIR", folder + QStringLiteral("/machine")) {}

private:
  ScopedEnvironmentVariable user_;
  ScopedEnvironmentVariable machine_;
};
