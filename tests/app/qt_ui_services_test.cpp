#include "app/qt_ui_services.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

// Presses the button with `text` in the message box once it shows, noting what it saw.
struct BoxSeen {
  QString title;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
};

void PressWhenShown(const QString &buttonText, BoxSeen &seen) {
  QTimer::singleShot(0, [buttonText, &seen] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box) {
      ADD_FAILURE() << "No message box was shown.";
      return;
    }
    seen = {box->windowTitle(), box->text(), box->icon(), {}};
    QAbstractButton *toPress = nullptr;
    for (QAbstractButton *button : box->buttons()) {
      seen.buttons << button->text().remove('&');
      if (button->text().remove('&') == buttonText)
        toPress = button;
    }
    if (toPress)
      toPress->click();
    else
      box->reject();
  });
}

TEST(QtUiServicesTest, QuestionsShowTheirButtonsAndAnswerTheOnePressed) {
  QtUiServices ui;
  const struct {
    int buttons;
    MessageKind kind;
    const char *press;
    int expected;
    QMessageBox::Icon icon;
  } cases[] = {
      {AskYes | AskNo | AskCancel, MessageKind::Confirmation, "No", AskNo, QMessageBox::Question},
      {AskYes | AskNo | AskCancel, MessageKind::Confirmation, "Cancel", AskCancel, QMessageBox::Question},
      {AskOk | AskCancel, MessageKind::Warning, "OK", AskOk, QMessageBox::Warning},
      {AskAbort | AskRetry | AskIgnore, MessageKind::Error, "Retry", AskRetry, QMessageBox::Critical},
      {AskYes | AskNo, MessageKind::Confirmation, "(closed)", AskNo, QMessageBox::Question},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.press);
    BoxSeen seen;
    PressWhenShown(c.press, seen);
    EXPECT_EQ(ui.ask("Save current template?", c.buttons, c.kind), c.expected);
    EXPECT_EQ(seen.title, "Faultbook");
    EXPECT_EQ(seen.text, "Save current template?");
    EXPECT_EQ(seen.icon, c.icon);
    EXPECT_EQ(seen.buttons.size(), __builtin_popcount(c.buttons));
  }
}

TEST(QtUiServicesTest, MessagesOfEachKind) {
  QtUiServices ui;
  BoxSeen seen;
  PressWhenShown("OK", seen);
  ui.inform("Template file has been saved.");
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.buttons, QStringList({"OK"}));
  PressWhenShown("OK", seen);
  ui.warn("A defect has not been selected.");
  EXPECT_EQ(seen.icon, QMessageBox::Warning);
  PressWhenShown("OK", seen);
  ui.error("The application will now close.");
  EXPECT_EQ(seen.icon, QMessageBox::Critical);
  EXPECT_EQ(seen.title, "Faultbook");
}

TEST(QtUiServicesTest, BusyCursorNestsAndAnExtraEndDoesNoHarm) {
  QtUiServices ui;
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ui.beginBusy();
  ui.beginBusy();
  ASSERT_NE(QApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
  ui.endBusy();
  EXPECT_NE(QApplication::overrideCursor(), nullptr);
  ui.endBusy();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
  ui.endBusy();
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

}  // namespace
