#include "defects/template_editor.h"
#include "tests/support/scripted_ui_services.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const QString Saved = "Template file has been saved.";
const QString SaveQuestion = "Save current template?";

class TemplateEditorTest : public ::testing::Test {
protected:
  QString write(const QString &name, const QByteArray &contents) {
    QFile file(dir.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return file.fileName();
  }
  QByteArray read(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }

  QTemporaryDir dir;
  ScriptedUiServices ui;
  UiServicesInstaller installer{ui};
};

TEST_F(TemplateEditorTest, OpenedWithAPathLoadsAndSavesThere) {
  const QString path = write("notice.txt", "Subject: %Status%\nDefect %Defect%\n");
  TemplateEditor editor(path);
  ASSERT_TRUE(editor.start());
  EXPECT_EQ(editor.text(), "Subject: %Status%\nDefect %Defect%\n");
  EXPECT_EQ(editor.statusText(), QDir::toNativeSeparators(path));
  EXPECT_FALSE(editor.modified());

  editor.edit(editor.text() + "Changed by %User%\n");
  EXPECT_TRUE(editor.modified());
  EXPECT_TRUE(editor.saveTemplate());
  EXPECT_EQ(read(path), "Subject: %Status%\nDefect %Defect%\nChanged by %User%\n");
  EXPECT_FALSE(editor.modified());
  EXPECT_EQ(ui.texts(), QStringList({Saved}));
  EXPECT_TRUE(ui.shown(MessageKind::Information, Saved));
  EXPECT_TRUE(ui.dialogs().empty());
}

TEST_F(TemplateEditorTest, SaveAfterOpenWritesTheOpenedFileNotTheStartingOne) {
  const QString first = write("first.txt", "first");
  const QString second = write("second.txt", "second");
  TemplateEditor editor(first);
  ASSERT_TRUE(editor.start());

  ui.queueDialogResult(second);
  ASSERT_TRUE(editor.openTemplate());
  EXPECT_EQ(editor.text(), "second");
  EXPECT_EQ(editor.statusText(), QDir::toNativeSeparators(second));
  EXPECT_EQ(ui.dialogs().at(0).kind, ShownDialog::OpenFile);
  EXPECT_EQ(ui.dialogs().at(0).filter, "Template Files (*.txt);;All Files (*)");

  editor.edit("second, edited");
  ASSERT_TRUE(editor.saveTemplate());
  EXPECT_EQ(read(second), "second, edited");
  EXPECT_EQ(read(first), "first");
}

TEST_F(TemplateEditorTest, SaveAfterNewAsksForANameAndCancellingSavesNothing) {
  const QString original = write("original.txt", "original");
  TemplateEditor editor(original);
  ASSERT_TRUE(editor.start());
  ASSERT_TRUE(editor.newTemplate());
  EXPECT_EQ(editor.text(), "");
  EXPECT_EQ(editor.statusText(), "");
  editor.edit("brand new");

  ui.queueDialogResult("");  // cancelled
  EXPECT_FALSE(editor.saveTemplate());
  EXPECT_TRUE(editor.modified());
  EXPECT_FALSE(ui.texts().contains(Saved));

  ui.queueDialogResult(dir.filePath("fresh"));  // no extension: .txt is added
  ASSERT_TRUE(editor.saveTemplate());
  EXPECT_EQ(ui.dialogs().size(), 2u);
  EXPECT_EQ(ui.dialogs().at(1).kind, ShownDialog::SaveFile);
  EXPECT_EQ(read(dir.filePath("fresh.txt")), "brand new");
  EXPECT_EQ(read(original), "original");
  EXPECT_EQ(editor.path(), dir.filePath("fresh.txt"));

  // The name given is kept: the next save asks no more.
  editor.edit("brand new, again");
  ASSERT_TRUE(editor.saveTemplate());
  EXPECT_EQ(ui.dialogs().size(), 2u);
  EXPECT_EQ(read(dir.filePath("fresh.txt")), "brand new, again");
}

TEST_F(TemplateEditorTest, FailedWriteIsReportedNeverAsSaved) {
  TemplateEditor editor;
  ASSERT_TRUE(editor.start());
  editor.edit("text");
  ui.queueDialogResult(dir.filePath("no such folder/notice.txt"));
  EXPECT_FALSE(editor.saveTemplate());
  EXPECT_TRUE(editor.modified());
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].kind, MessageKind::Error);
  EXPECT_TRUE(ui.messages()[0].text.contains("could not be saved")) << ui.messages()[0].text.toStdString();
  EXPECT_FALSE(ui.texts().contains(Saved));
}

TEST_F(TemplateEditorTest, StartingFileMissingIsMadeByTheFirstSaveUnreadableIsNeverWrittenOver) {
  const QString missing = dir.filePath("not yet.txt");
  TemplateEditor fresh(missing);
  EXPECT_TRUE(fresh.start());
  EXPECT_EQ(fresh.text(), "");
  fresh.edit("first words");
  ASSERT_TRUE(fresh.saveTemplate());
  EXPECT_EQ(read(missing), "first words");
  EXPECT_TRUE(ui.dialogs().empty());

  ui.clearRecord();
  ASSERT_TRUE(QDir(dir.path()).mkdir("a folder.txt"));  // there, but no file that can be read
  TemplateEditor unreadable(dir.filePath("a folder.txt"));
  EXPECT_FALSE(unreadable.start());
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_EQ(ui.messages()[0].kind, MessageKind::Error);
  EXPECT_TRUE(ui.messages()[0].text.contains("cannot be read")) << ui.messages()[0].text.toStdString();
  unreadable.edit("other");
  ui.queueDialogResult("");
  EXPECT_FALSE(unreadable.saveTemplate());  // asks for a name instead
  EXPECT_EQ(ui.dialogs().size(), 1u);
}

TEST_F(TemplateEditorTest, UnsavedChangesAreOfferedBeforeNewOpenAndClose) {
  struct Case {
    const char *what;
    int answer;
    bool carriedOut;
    bool savedFirst;
  };
  const Case cases[] = {
      {"Yes saves first", AskYes, true, true},
      {"No goes on without saving", AskNo, true, false},
      {"Cancel abandons", AskCancel, false, false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    for (int action = 0; action < 3; ++action) {
      const QString path = write("current.txt", "before");
      TemplateEditor editor(path);
      ASSERT_TRUE(editor.start());
      editor.edit("after");
      ui.clearRecord();
      ui.queueAnswer(c.answer);
      if (action == 1 && c.carriedOut)
        ui.queueDialogResult(write("other.txt", "other"));
      const bool done = action == 0 ? editor.newTemplate() : action == 1 ? editor.openTemplate() : editor.mayClose();
      EXPECT_EQ(done, c.carriedOut) << "action " << action;
      EXPECT_EQ(ui.messages().at(0).text, SaveQuestion);
      EXPECT_EQ(ui.messages().at(0).buttons, AskYes | AskNo | AskCancel);
      EXPECT_EQ(read(path), c.savedFirst ? "after" : "before");
      if (!c.carriedOut) {
        EXPECT_EQ(editor.text(), "after");
      }
    }
  }
}

TEST_F(TemplateEditorTest, ClosingATypedNewTemplateAsksToSaveThenForAName) {
  TemplateEditor editor;
  ASSERT_TRUE(editor.start());
  editor.edit("typed");
  ui.queueAnswer(AskYes);
  ui.queueDialogResult("");  // the save dialog cancelled: the window stays open
  EXPECT_FALSE(editor.mayClose());
  EXPECT_EQ(ui.dialogs().size(), 1u);

  TemplateEditor untouched;
  ASSERT_TRUE(untouched.start());
  EXPECT_TRUE(untouched.mayClose());  // nothing typed, nothing asked
}

TEST(TemplateFieldTagsTest, FiftyTagsSortedAndWrittenBetweenPercentSigns) {
  const QStringList &tags = TemplateFieldTags();
  EXPECT_EQ(tags.size(), 50);
  EXPECT_TRUE(std::is_sorted(tags.begin(), tags.end(), [](const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
  }));
  EXPECT_EQ(FieldTagText("DateTimeChanged"), "%DateTimeChanged%");
}

}  // namespace
