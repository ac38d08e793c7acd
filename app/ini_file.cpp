#include "app/ini_file.h"

#include "app/atomic_write.h"
#include "app/base/call_trace.h"
#include "app/settings_error.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <limits>
#include <optional>

namespace {

const QByteArray Utf8ByteOrderMark("\xEF\xBB\xBF");

enum class LineKind { Other, Section, Value };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  QString name;   // section or key, trimmed
  QString value;  // trimmed, quotes not yet removed
};

ParsedLine parse(const QString &line) {
  const QString trimmed = line.trimmed();
  if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
    return {};
  if (trimmed.startsWith(QLatin1Char('['))) {
    const int close = trimmed.indexOf(QLatin1Char(']'));
    if (close < 0)
      return {};
    return {LineKind::Section, trimmed.mid(1, close - 1).trimmed(), {}};
  }
  const int equals = trimmed.indexOf(QLatin1Char('='));
  if (equals <= 0)
    return {};
  return {LineKind::Value, trimmed.left(equals).trimmed(), trimmed.mid(equals + 1).trimmed()};
}

bool sameName(const QString &a, const QString &b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool quotedPair(const QString &value) {
  return value.size() >= 2 && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')) &&
         value.back() == value.front();
}

// The line index of the key's value in the first section of that name.
std::optional<int> findValue(const QStringList &lines, const QString &section, const QString &key) {
  bool inSection = false;
  for (int i = 0; i < lines.size(); ++i) {
    const ParsedLine line = parse(lines[i]);
    if (line.kind == LineKind::Section) {
      if (inSection)
        return std::nullopt;  // only the first section of a name counts
      inSection = sameName(line.name, section);
    } else if (inSection && line.kind == LineKind::Value && sameName(line.name, key)) {
      return i;
    }
  }
  return std::nullopt;
}

std::optional<qint64> parseInteger(const QString &text) {
  QString digits = text.trimmed();
  bool negative = false;
  if (digits.startsWith(QLatin1Char('-')) || digits.startsWith(QLatin1Char('+'))) {
    negative = digits.front() == QLatin1Char('-');
    digits.remove(0, 1);
  }
  int base = 10;
  if (digits.startsWith(QLatin1Char('$'))) {
    base = 16;
    digits.remove(0, 1);
  } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
    base = 16;
    digits.remove(0, 2);
  }
  if (digits.isEmpty() || digits.front() == QLatin1Char('+') || digits.front() == QLatin1Char('-'))
    return std::nullopt;
  bool ok = false;
  const qint64 value = digits.toLongLong(&ok, base);
  if (!ok)
    return std::nullopt;
  return negative ? -value : value;
}

void checkName(const QString &what, const QString &name) {
  const QString trimmed = name.trimmed();
  if (trimmed.isEmpty() || trimmed != name || name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')) ||
      name.contains(QLatin1Char('=')) || name.contains(QLatin1Char(']')) || name.startsWith(QLatin1Char(';')) ||
      name.startsWith(QLatin1Char('[')))
    throw SettingsError(QStringLiteral("The %1 name \"%2\" cannot be stored in an INI file.").arg(what, name));
}

}  // namespace

IniFile::IniFile(const QString &path) : path_(path) {
  TRACE_ROUTINE("ini_file", "IniFile.Create");
  load();
}

void IniFile::load() {
  TRACE_ROUTINE("ini_file", "IniFile.Load");
  QFile file(path_);
  if (!file.exists()) {
    lines_.clear();
    crlf_ = byteOrderMark_ = false;
    return;
  }
  if (!file.open(QIODevice::ReadOnly))
    throw SettingsError(QStringLiteral("The options file \"%1\" could not be read (%2). Check that you may read it.")
                            .arg(QDir::toNativeSeparators(path_), file.errorString()));
  QByteArray bytes = file.readAll();
  byteOrderMark_ = bytes.startsWith(Utf8ByteOrderMark);
  if (byteOrderMark_)
    bytes.remove(0, Utf8ByteOrderMark.size());
  QStringDecoder utf8(QStringDecoder::Utf8);
  QString text = utf8.decode(bytes);
  if (utf8.hasError())
    text = QString::fromLatin1(bytes);
  crlf_ = text.contains(QLatin1String("\r\n"));
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  lines_ = text.split(QLatin1Char('\n'));
  if (!lines_.isEmpty() && lines_.back().isEmpty())
    lines_.removeLast();  // the end of the last line, not an empty line
}

bool IniFile::sectionExists(const QString &section) const {
  TRACE_ROUTINE("ini_file", "IniFile.SectionExists");
  for (const QString &text : lines_) {
    const ParsedLine line = parse(text);
    if (line.kind == LineKind::Section && sameName(line.name, section))
      return true;
  }
  return false;
}

bool IniFile::valueExists(const QString &section, const QString &key) const {
  TRACE_ROUTINE("ini_file", "IniFile.ValueExists");
  return findValue(lines_, section, key).has_value();
}

QString IniFile::readString(const QString &section, const QString &key, const QString &absent) const {
  TRACE_ROUTINE("ini_file", "IniFile.ReadString");
  const auto index = findValue(lines_, section, key);
  if (!index)
    return absent;
  QString value = parse(lines_[*index]).value;
  if (quotedPair(value))
    value = value.mid(1, value.size() - 2);
  return value;
}

qint32 IniFile::readInteger(const QString &section, const QString &key, qint32 absent) const {
  TRACE_ROUTINE("ini_file", "IniFile.ReadInteger");
  const auto value = parseInteger(readString(section, key, QString()));
  if (!value || *value < std::numeric_limits<qint32>::min() || *value > std::numeric_limits<qint32>::max())
    return absent;
  return qint32(*value);
}

bool IniFile::readBool(const QString &section, const QString &key, bool absent) const {
  TRACE_ROUTINE("ini_file", "IniFile.ReadBool");
  return readInteger(section, key, absent ? 1 : 0) != 0;
}

void IniFile::writeString(const QString &section, const QString &key, const QString &value) {
  TRACE_ROUTINE("ini_file", "IniFile.WriteString");
  checkName(QStringLiteral("section"), section);
  checkName(QStringLiteral("key"), key);
  if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
    throw SettingsError(QStringLiteral("The value of \"%1\" holds a line break, which an INI file cannot store.").arg(key));
  const bool needsQuotes = value.trimmed() != value || quotedPair(value);
  const Write write{section, key, needsQuotes ? QLatin1Char('"') + value + QLatin1Char('"') : value};
  apply(lines_, write);
  writes_.push_back(write);
}

void IniFile::writeInteger(const QString &section, const QString &key, qint32 value) {
  TRACE_ROUTINE("ini_file", "IniFile.WriteInteger");
  writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString &section, const QString &key, bool value) {
  TRACE_ROUTINE("ini_file", "IniFile.WriteBool");
  writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::apply(QStringList &lines, const Write &write) {
  TRACE_ROUTINE("ini_file", "IniFile.Apply");
  if (const auto index = findValue(lines, write.section, write.key)) {
    lines[*index] = parse(lines[*index]).name + QLatin1Char('=') + write.value;
    return;
  }
  const QString newLine = write.key + QLatin1Char('=') + write.value;
  // After the last line of the first section of that name that is not blank.
  int sectionStart = -1;
  int lastFilled = -1;
  for (int i = 0; i < lines.size(); ++i) {
    const ParsedLine line = parse(lines[i]);
    if (line.kind == LineKind::Section) {
      if (sectionStart >= 0)
        break;
      if (sameName(line.name, write.section))
        sectionStart = lastFilled = i;
    } else if (sectionStart >= 0 && !lines[i].trimmed().isEmpty()) {
      lastFilled = i;
    }
  }
  if (sectionStart >= 0) {
    lines.insert(lastFilled + 1, newLine);
    return;
  }
  if (!lines.isEmpty() && !lines.back().trimmed().isEmpty())
    lines.append(QString());
  lines.append(QLatin1Char('[') + write.section + QLatin1Char(']'));
  lines.append(newLine);
}

void IniFile::save() {
  TRACE_ROUTINE("ini_file", "IniFile.Save");
  const std::vector<Write> writes = writes_;
  load();
  for (const Write &write : writes)
    apply(lines_, write);
  writes_.clear();

  const QString lineEnd = crlf_ ? QStringLiteral("\r\n") : QStringLiteral("\n");
  QString text;
  for (const QString &line : lines_)
    text += line + lineEnd;
  QByteArray bytes = text.toUtf8();
  if (byteOrderMark_)
    bytes.prepend(Utf8ByteOrderMark);
  QString problem;
  if (!WriteFileAtomically(path_, bytes, &problem))
    throw SettingsError(QStringLiteral("The options file \"%1\" could not be written (%2). Check that you may write there.")
                            .arg(QDir::toNativeSeparators(path_), problem));
}
