#pragma once
// The notification template being edited: its text, the file a save writes, and
// whether there are unsaved changes. The window shows the text and passes the user's
// changes and commands here; questions, dialogs and messages go through the
// user-interface services.

#include <QString>
#include <QStringList>

// The field tags a template may hold, sorted as the list shows them.
const QStringList &TemplateFieldTags();
// A tag as it stands in a template: "%Status%".
QString FieldTagText(const QString &tag);

class TemplateEditor {
public:
  // The template in `path`; an empty path is a new template.
  explicit TemplateEditor(const QString &path = {});

  // When the window shows: reads the file of the path, if any; a file that does not
  // exist yet starts empty and is made by the first save. False (the user told) when
  // the file cannot be read; the editor then starts empty and a save asks for a name.
  bool start();

  const QString &text() const { return text_; }
  // The user changed the text.
  void edit(const QString &text);
  bool modified() const { return modified_; }
  // The file a save writes: the one opened last; empty when a save must ask.
  const QString &path() const { return path_; }
  // What the status bar shows: the file's path, empty for a new template.
  const QString &statusText() const { return status_; }

  // The commands. Each answers whether it was carried out (false: the user cancelled,
  // or a file could not be read or written, and was told).
  bool newTemplate();
  bool openTemplate();
  bool saveTemplate();
  // Before the window closes: unsaved changes are offered for saving.
  bool mayClose();

private:
  bool offerToSave();
  bool load(const QString &path);

  QString path_;
  QString text_;
  QString status_;
  bool modified_ = false;
};
