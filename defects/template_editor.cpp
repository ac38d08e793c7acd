#include "defects/template_editor.h"

#include "app/atomic_write.h"
#include "app/base/call_trace.h"
#include "app/base/ui_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString TemplateFilter = QStringLiteral("Template Files (*.txt);;All Files (*)");

}  // namespace

const QStringList &TemplateFieldTags() {
  static const QStringList tags = {
      "ActualFixDate",    "ActualProgrammerHrs", "ActualTesterHrs",      "AssignedDate",       "AssignedTo",
      "ChangeType",       "CorrectionFileDate",  "CorrectionFileSize",   "CorrectionFileTime", "CorrectionNotes",
      "DateReported",     "DateTested",          "DateTimeChanged",      "Defect",             "DefectFileDate",
      "DefectFileSize",   "DefectFileTime",      "EnvironmentNotes",     "ErrorNumber",        "EstimatedFixDate",
      "EstimatedProgrammerHrs", "EstimatedTesterHrs", "Hardware",        "Nature",             "NetworkAttached",
      "NetworkType",      "OperatingSystem",     "OriginalDefect",       "OriginalProduct",    "OriginalProgram",
      "OriginalRelease",  "OriginFileDate",      "OriginFileSize",       "OriginFileTime",     "OriginNotes",
      "OriginTechnician", "Priority",            "Product",              "Program",            "Programmer",
      "Release",          "ReleaseReported",     "Severity",             "Status",             "Summary",
      "Tester",           "TestingNotes",        "User",                 "WorkaroundNotes",    "WorkaroundTechnician",
  };
  return tags;
}

QString FieldTagText(const QString &tag) {
  TRACE_ROUTINE("templateedit", "FieldTagText");
  return QLatin1Char('%') + tag + QLatin1Char('%');
}

TemplateEditor::TemplateEditor(const QString &path) : path_(path) {}

bool TemplateEditor::start() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.FormShow");
  modified_ = false;
  if (path_.isEmpty())
    return true;
  if (!QFileInfo::exists(path_)) {  // a template not written yet: the first save makes it
    status_ = QDir::toNativeSeparators(path_);
    return true;
  }
  if (load(path_))
    return true;
  path_.clear();  // what was not read is never written over
  return false;
}

void TemplateEditor::edit(const QString &text) {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.MemoChange");
  if (text == text_)
    return;
  text_ = text;
  modified_ = true;
}

bool TemplateEditor::load(const QString &path) {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.LoadTemplate");
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    Ui().error(QStringLiteral("The template file \"%1\" cannot be read: %2")
                   .arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
  }
  text_ = QString::fromUtf8(file.readAll());
  status_ = QDir::toNativeSeparators(path);
  modified_ = false;
  return true;
}

bool TemplateEditor::offerToSave() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.CheckSave");
  if (!modified_)
    return true;
  switch (Ui().ask(QStringLiteral("Save current template?"), AskYes | AskNo | AskCancel)) {
  case AskYes:
    return saveTemplate();  // a save that did not happen keeps the text on screen
  case AskNo:
    return true;
  default:
    return false;
  }
}

bool TemplateEditor::newTemplate() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.NewBtnClick");
  if (!offerToSave())
    return false;
  text_.clear();
  status_.clear();
  path_.clear();  // a new template is saved under a name the user gives
  modified_ = false;
  return true;
}

bool TemplateEditor::openTemplate() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.OpenBtnClick");
  if (!offerToSave())
    return false;
  const QString chosen = Ui().pickOpenFile(QStringLiteral("Open Template"), QFileInfo(path_).absolutePath(),
                                           TemplateFilter);
  if (chosen.isEmpty() || !load(chosen))
    return false;
  path_ = chosen;  // a save writes the file that was opened
  return true;
}

bool TemplateEditor::saveTemplate() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.SaveBtnClick");
  QString target = path_;
  if (target.isEmpty()) {
    target = Ui().pickSaveFile(QStringLiteral("Save Template"), QString(), TemplateFilter);
    if (target.isEmpty())
      return false;
    if (QFileInfo(target).suffix().isEmpty())
      target += QStringLiteral(".txt");
  }
  QString reason;
  if (!WriteFileAtomically(target, text_.toUtf8(), &reason)) {
    Ui().error(QStringLiteral("The template file \"%1\" could not be saved: %2  Your changes are still in the editor.")
                   .arg(QDir::toNativeSeparators(target), reason));
    return false;
  }
  path_ = target;
  status_ = QDir::toNativeSeparators(target);
  modified_ = false;
  Ui().inform(QStringLiteral("Template file has been saved."));
  return true;
}

bool TemplateEditor::mayClose() {
  TRACE_ROUTINE("templateedit", "TTemplateEditForm.FormCloseQuery");
  return offerToSave();
}
