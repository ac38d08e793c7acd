#pragma once
// The splash window: a borderless, screen-centred picture with the program's version,
// up while the main window opens its tables and signs the user in.

#include <QSplashScreen>

// "Version " + the version cut after the first character that follows its first dot:
// "3.1.0.5" shows "Version 3.1".
QString SplashVersionText(const QString &version);

class TSplashForm : public QSplashScreen {
public:
  explicit TSplashForm(const QString &version);
  // Shows the window in front and paints it at once.
  void ShowSplashScreen();
};
