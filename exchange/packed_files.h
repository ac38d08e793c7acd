#pragma once
// Packing exchange files in place: the file under its own name is replaced by its packed
// (or unpacked) form, or, when that cannot be done, left exactly as it was.

#include <QString>
#include <stdexcept>

// A file could not be packed or unpacked; the file is unchanged and no temporary file is
// left behind. The text names the file and says what to do.
class PackedFileError : public std::runtime_error {
public:
  explicit PackedFileError(const QString &text) : std::runtime_error(text.toStdString()), text_(text) {}
  QString text() const { return text_; }

private:
  QString text_;
};

// Pack or unpack the file at path in place. The result is written to a temporary file
// beside it, which then takes the file's name and permissions in one step. Throws
// PackedFileError on any failure: a file that cannot be read, a damaged packed file, a
// full disk or a folder that cannot be written.
void CompressDefectFile(const QString &path);
void DecompressDefectFile(const QString &path);
