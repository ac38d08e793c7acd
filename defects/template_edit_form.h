#pragma once
// The notification template editor: a plain-text editor for the file from which change
// notices are composed, with the field tags at hand.

#include "defects/template_editor.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;
class QStatusBar;
class TemplateTextEdit;

class TTemplateEditForm : public QDialog {
  Q_OBJECT

public:
  // `path` empty: a new template. The window takes 90% of the owner window's size.
  explicit TTemplateEditForm(const QString &path, QWidget *owner = nullptr);

  const TemplateEditor &editor() const { return editor_; }

  void NewBtnClick();
  void OpenBtnClick();
  void SaveBtnClick();
  // Puts the selected tag on the clipboard and pastes it at the caret.
  void InsertBtnClick();

  void done(int result) override;

protected:
  void showEvent(QShowEvent *event) override;

private:
  friend class TemplateTextEdit;
  void InsertTag(const QString &tag);
  void ShowEditor();

  TemplateEditor editor_;
  TemplateTextEdit *TemplateMemo;
  QListWidget *TagList;
  QStatusBar *StatusBar;
};
