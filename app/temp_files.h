#pragma once
// Temporary files: new, empty, uniquely named LKSnnnn.TMP files (nnnn four hexadecimal
// digits) for exchange files, mail attachments and listing printouts.

#include <QString>
#include <stdexcept>

// No temporary file could be made; the text names the folder and the reason.
class TempFileError : public std::runtime_error {
public:
  explicit TempFileError(const QString &text) : std::runtime_error(text.toStdString()), text_(text) {}
  QString text() const { return text_; }

private:
  QString text_;
};

// Creates a new empty file LKSnnnn.TMP in directory, or in the system's temporary
// directory when directory is empty, and returns its absolute path. The file is created
// exclusively, so two callers (threads or processes) never get the same name and an
// existing file is never reused. The file can be read and written by its owner only.
// Throws TempFileError when no file can be created there.
QString GetLKSTempFileName(const QString &directory);
