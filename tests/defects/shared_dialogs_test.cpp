#include "app/error_report_form.h"
#include "defects/calc_msg_form.h"
#include "defects/template_edit_form.h"
#include "tests/support/scripted_ui_services.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

class TemplateEditFormTest : public ::testing::Test {
protected:
  QPlainTextEdit &memo(TTemplateEditForm &form) { return *form.findChild<QPlainTextEdit *>("TemplateMemo"); }
  QListWidget &tags(TTemplateEditForm &form) { return *form.findChild<QListWidget *>("TagList"); }

  QTemporaryDir dir;
  ScriptedUiServices ui;
  UiServicesInstaller installer{ui};
};

TEST_F(TemplateEditFormTest, OpensAtNinetyPercentOfItsOwnerWithTheFileShown) {
  QFile file(dir.filePath("notice.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("Status is now %Status%");
  file.close();
  QWidget owner;
  owner.resize(801, 601);
  TTemplateEditForm form(file.fileName(), &owner);
  EXPECT_EQ(form.size(), QSize(720, 540));
  form.show();
  EXPECT_EQ(form.windowTitle(), "Notification Template Editor");
  EXPECT_EQ(memo(form).toPlainText(), "Status is now %Status%");
  EXPECT_EQ(form.findChild<QStatusBar *>("StatusBar")->currentMessage(), file.fileName());
  EXPECT_FALSE(form.editor().modified());  // showing the file is no change
  EXPECT_EQ(tags(form).count(), 50);
  form.reject();
  EXPECT_TRUE(ui.messages().empty());
}

TEST_F(TemplateEditFormTest, InsertingATagGoesThroughTheClipboardReplacingTheSelection) {
  TTemplateEditForm form{QString()};
  form.show();
  QApplication::clipboard()->setText("earlier clipboard text");
  memo(form).setPlainText("Dear NAME, hello");
  QTextCursor cursor = memo(form).textCursor();
  cursor.setPosition(5);
  cursor.setPosition(9, QTextCursor::KeepAnchor);  // "NAME"
  memo(form).setTextCursor(cursor);

  tags(form).setCurrentRow(TemplateFieldTags().indexOf("AssignedTo"));
  form.findChild<QAction *>("InsertBtn")->trigger();
  EXPECT_EQ(memo(form).toPlainText(), "Dear %AssignedTo%, hello");
  EXPECT_EQ(QApplication::clipboard()->text(), "%AssignedTo%");
  EXPECT_TRUE(form.editor().modified());

  // Escape with unsaved changes asks; Cancel keeps the window open.
  ui.queueAnswer(AskCancel);
  form.reject();
  EXPECT_TRUE(form.isVisible());
  ui.queueAnswer(AskNo);
  form.reject();
  EXPECT_FALSE(form.isVisible());
}

TEST(BusyNoticeTest, ShownForItsScopeAndClosedByTheErrorReport) {
  QWidget owner;
  owner.setGeometry(100, 100, 800, 600);
  owner.show();
  CreateCalcMsgForm(&owner);
  {
    BusyNotice notice("Defect Change", "Sending Defect Change Notices...");
    TCalcMsgForm *form = CalcMsgForm();
    ASSERT_NE(form, nullptr);
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(form->windowTitle(), "Defect Change");
    EXPECT_EQ(form->message(), "Sending Defect Change Notices...");
    EXPECT_TRUE(form->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(form->frameGeometry().center(), owner.frameGeometry().center());
  }
  EXPECT_FALSE(CalcMsgForm()->isVisible());

  // A failed operation leaves its notice up; the error report takes it down.
  ScriptedUiServices ui;
  UiServicesInstaller installer(ui);
  CalcMsgForm()->setMessage("Preparing Chart... Please Wait.");
  CalcMsgForm()->showNotice();
  bool noticeGoneWhenReportShown = false;
  QTimer::singleShot(0, [&] {
    noticeGoneWhenReportShown = !CalcMsgForm()->isVisible();
    if (auto *report = qobject_cast<TErrorForm *>(QApplication::activeModalWidget()))
      report->reject();
  });
  GlobalErrorHandler(std::make_exception_ptr(std::runtime_error("Chart failed.")));
  EXPECT_TRUE(noticeGoneWhenReportShown);
  DestroyCalcMsgForm();
  EXPECT_EQ(CalcMsgForm(), nullptr);
}

}  // namespace
