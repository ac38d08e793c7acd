#pragma once
// A station of its own for each main-window test: the registry stores and a data
// directory with one release in a temporary folder, scripted answers for every
// message, and a fresh start (no failed start, no signed-in user).

#include "app/data_directory.h"
#include "app/settings.h"
#include "app/startup.h"
#include "data/engine.h"
#include "mainwin/main_form.h"
#include "security/user_rights.h"
#include "tests/support/private_settings_stores.h"
#include "tests/support/scripted_ui_services.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

class MainFormTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(root.isValid());
    stores.emplace(root.path());
    savedCurrentDirectory = QDir::currentPath();
    CreateDataDirectory(dataDir());
    SetDataDirectory(dataDir());
    SetStartupFailed(false);
    SetCurrentUserId({});
    ResetCurrentUserRights();
  }

  void TearDown() override {
    form.reset();
    SetStartupFailed(false);
    ResetCurrentUserRights();
    QDir::setCurrent(savedCurrentDirectory);
    stores.reset();
  }

  QString dataDir() const { return root.filePath("data"); }

  void execute(const QStringList &statements) {
    std::shared_ptr<db::Database> database = db::Database::open(dataDir());
    for (const QString &sql : statements)
      database->execute(sql);
  }

  // Product "Tracker", release "2.0" ("Spring release") with the programs app.exe (two
  // defects) and tool.exe (one defect), each defect with its Origin and Correct rows.
  void seedRelease() {
    QStringList sql = {
        "INSERT INTO Release (Product, Release, Description, Hidden) VALUES ('Tracker', '2.0', 'Spring release', False)",
        "INSERT INTO Program (Product, Release, Program, Description, Status) "
        "VALUES ('Tracker', '2.0', 'app.exe', 'The application', 'Pending')",
        "INSERT INTO Program (Product, Release, Program, Description, Status) "
        "VALUES ('Tracker', '2.0', 'tool.exe', 'A tool', 'Approved')",
        "INSERT INTO SevOrder (Product, Release, Severity, SevSort) VALUES ('Tracker', '2.0', 'Minor', 1)",
    };
    const std::pair<const char *, int> defects[] = {{"app.exe", 1}, {"app.exe", 2}, {"tool.exe", 3}};
    for (const auto &[program, number] : defects) {
      const QString key = QStringLiteral("'Tracker', '2.0', '%1', %2").arg(QLatin1String(program)).arg(number);
      sql << "INSERT INTO Defect (Product, Release, Program, Defect, Status, Severity, Summary) VALUES (" + key +
                 ", 'Confirmed', 'Minor', 'Defect number " + QString::number(number) + "')";
      sql << "INSERT INTO Origin (Product, Release, Program, Defect) VALUES (" + key + ")";
      sql << "INSERT INTO Correct (Product, Release, Program, Defect) VALUES (" + key + ")";
    }
    execute(sql);
  }

  // One run of the program up to the message loop: the window, its defaults, shown.
  TMainForm &start() {
    form = std::make_unique<TMainForm>(dataDir());
    form->SetDefaults();
    form->show();
    QApplication::processEvents();
    return *form;
  }

  // Closes the window as the user does; the run is over.
  void closeForm() {
    form->close();
    form.reset();
    SetStartupFailed(false);
    SetCurrentUserId({});
    ResetCurrentUserRights();
  }

  static bool waitFor(const std::function<bool()> &condition, int timeoutMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
      if (timer.elapsed() > timeoutMs)
        return false;
      QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return true;
  }

  QTemporaryDir root;
  ScriptedUiServices ui;
  UiServicesInstaller installer{ui};
  std::unique_ptr<TMainForm> form;

private:
  std::optional<PrivateSettingsStores> stores;
  QString savedCurrentDirectory;
};
