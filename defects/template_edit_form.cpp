#include "defects/template_edit_form.h"

#include "app/base/call_trace.h"
#include "defects/dialog_placement.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

constexpr char TagMimeType[] = "application/x-faultbook-field-tag";

// The tag list drags its tags by name.
class FieldTagList : public QListWidget {
protected:
  QMimeData *mimeData(const QList<QListWidgetItem *> &items) const override {
    auto *data = new QMimeData;
    if (!items.isEmpty())
      data->setData(QString::fromLatin1(TagMimeType), items.first()->text().toUtf8());
    return data;
  }
  QStringList mimeTypes() const override { return {QString::fromLatin1(TagMimeType)}; }
};

}  // namespace

// The editing area: a tag dropped on it goes in at the character under the drop point.
class TemplateTextEdit : public QPlainTextEdit {
public:
  explicit TemplateTextEdit(TTemplateEditForm &form) : form_(form) {}

protected:
  bool isTag(const QMimeData *data) const { return data->hasFormat(QString::fromLatin1(TagMimeType)); }
  void dragEnterEvent(QDragEnterEvent *event) override {
    if (isTag(event->mimeData()))
      event->acceptProposedAction();
    else
      QPlainTextEdit::dragEnterEvent(event);
  }
  void dragMoveEvent(QDragMoveEvent *event) override {
    if (isTag(event->mimeData()))
      event->acceptProposedAction();
    else
      QPlainTextEdit::dragMoveEvent(event);
  }
  void dropEvent(QDropEvent *event) override {
    if (!isTag(event->mimeData()))
      return QPlainTextEdit::dropEvent(event);
    setTextCursor(cursorForPosition(event->position().toPoint()));
    form_.InsertTag(QString::fromUtf8(event->mimeData()->data(QString::fromLatin1(TagMimeType))));
    event->acceptProposedAction();
  }

private:
  TTemplateEditForm &form_;
};

TTemplateEditForm::TTemplateEditForm(const QString &path, QWidget *owner) : QDialog(owner), editor_(path) {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.FormCreate");
  setWindowTitle(QStringLiteral("Notification Template Editor"));
  TemplateMemo = new TemplateTextEdit(*this);
  TemplateMemo->setObjectName(QStringLiteral("TemplateMemo"));
  TemplateMemo->setLineWrapMode(QPlainTextEdit::NoWrap);
  TemplateMemo->setTabChangesFocus(false);
  TemplateMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  TemplateMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  TagList = new FieldTagList;
  TagList->setObjectName(QStringLiteral("TagList"));
  TagList->addItems(TemplateFieldTags());
  TagList->setDragEnabled(true);
  StatusBar = new QStatusBar;
  StatusBar->setObjectName(QStringLiteral("StatusBar"));
  StatusBar->setSizeGripEnabled(false);

  auto *toolBar = new QToolBar;
  const struct {
    const char *text;
    const char *name;
    void (TTemplateEditForm::*handler)();
  } commands[] = {{"New Template", "NewBtn", &TTemplateEditForm::NewBtnClick},
                  {"Open Template", "OpenBtn", &TTemplateEditForm::OpenBtnClick},
                  {"Save Template", "SaveBtn", &TTemplateEditForm::SaveBtnClick},
                  {"Insert Field Tag", "InsertBtn", &TTemplateEditForm::InsertBtnClick}};
  for (const auto &c : commands) {
    QAction *action = toolBar->addAction(QString::fromLatin1(c.text));
    action->setObjectName(QString::fromLatin1(c.name));
    connect(action, &QAction::triggered, this, c.handler);
  }

  auto *tags = new QGroupBox(QStringLiteral("Field Tags"));
  tags->setMaximumWidth(240);  // the text gets the room
  auto *tagsLayout = new QVBoxLayout(tags);
  tagsLayout->addWidget(TagList);
  auto *body = new QHBoxLayout;
  body->addWidget(TemplateMemo, 1);
  body->addWidget(tags);
  auto *layout = new QVBoxLayout(this);
  layout->setMenuBar(toolBar);
  layout->addLayout(body, 1);
  layout->addWidget(StatusBar);

  connect(TemplateMemo, &QPlainTextEdit::textChanged, this, [this] { editor_.edit(TemplateMemo->toPlainText()); });
  connect(TagList, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) { InsertTag(item->text()); });
  if (owner)
    resize(ShareOf(owner->window()->size(), 0.9));
}

void TTemplateEditForm::showEvent(QShowEvent *event) {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.FormShow");
  QDialog::showEvent(event);
  if (event->spontaneous())
    return;
  editor_.start();
  ShowEditor();
}

void TTemplateEditForm::ShowEditor() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.ShowEditor");
  if (TemplateMemo->toPlainText() != editor_.text()) {
    const QSignalBlocker quiet(TemplateMemo);  // showing the text is no change of it
    TemplateMemo->setPlainText(editor_.text());
  }
  StatusBar->showMessage(editor_.statusText());
}

void TTemplateEditForm::NewBtnClick() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.NewBtnClick");
  if (editor_.newTemplate())
    ShowEditor();
}

void TTemplateEditForm::OpenBtnClick() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.OpenBtnClick");
  if (editor_.openTemplate())
    ShowEditor();
}

void TTemplateEditForm::SaveBtnClick() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.SaveBtnClick");
  if (editor_.saveTemplate())
    ShowEditor();
}

void TTemplateEditForm::InsertBtnClick() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.InsertBtnClick");
  if (QListWidgetItem *item = TagList->currentItem(); item && item->isSelected())
    InsertTag(item->text());
}

void TTemplateEditForm::InsertTag(const QString &tag) {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.InsertTag");
  QApplication::clipboard()->setText(FieldTagText(tag));
  TemplateMemo->paste();
  TemplateMemo->setFocus();
}

void TTemplateEditForm::done(int result) {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.FormCloseQuery");
  // Escape and the close box both come here; unsaved changes may keep the window open.
  if (!editor_.mayClose())
    return;
  QDialog::done(result);
}
