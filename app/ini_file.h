#pragma once
// An INI file read and written the way Windows programs do, so a FAULTBK.INI edited by
// hand or by another program reads the same everywhere:
// - "[Section]" lines open sections; "key=value" lines inside them hold the values;
//   lines starting with ";" are comments. Section and key names match without regard
//   to letter case; blanks around names and values do not count, blanks inside do
//   ("Notify Use Template=1"); a value in a matching pair of quotes loses them.
// - Integers are decimal ("$" or "0x" for hexadecimal is read too); a value that is no
//   integer reads as the default. Booleans are written 1 and 0; any non-zero integer
//   reads as true.
// - A write changes the key's line in place or adds the key at the end of its section
//   (the section at the end of the file); comments, unknown keys and sections and the
//   line ends of the file stay as they are. A text with blanks at its ends, or in
//   quotes, is written in double quotes so that it reads back unchanged.
// The file is UTF-8; a file that is not (one written on Windows) is read as Latin-1.

#include <QString>
#include <QStringList>

#include <vector>

class IniFile {
public:
  // Reads the file at `path`; a missing file reads as empty. SettingsError when the
  // file exists but cannot be read.
  explicit IniFile(const QString &path);

  QString path() const { return path_; }

  bool sectionExists(const QString &section) const;
  bool valueExists(const QString &section, const QString &key) const;
  QString readString(const QString &section, const QString &key, const QString &absent) const;
  qint32 readInteger(const QString &section, const QString &key, qint32 absent) const;
  bool readBool(const QString &section, const QString &key, bool absent) const;

  // Changes this copy; save() writes them. A value with a line break, or a name that
  // cannot stand in an INI line, throws SettingsError.
  void writeString(const QString &section, const QString &key, const QString &value);
  void writeInteger(const QString &section, const QString &key, qint32 value);
  void writeBool(const QString &section, const QString &key, bool value);

  // Writes the changes made through this object into the file as it is now on disk
  // (another station may have rewritten it since it was read), atomically: a reader
  // sees the old file or the new one, never a part. SettingsError when it cannot be
  // written.
  void save();

private:
  struct Write {
    QString section;
    QString key;
    QString value;
  };
  void load();
  static void apply(QStringList &lines, const Write &write);

  QString path_;
  QStringList lines_;
  bool crlf_ = false;
  bool byteOrderMark_ = false;
  std::vector<Write> writes_;
};
