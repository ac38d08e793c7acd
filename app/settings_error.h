#pragma once
// A settings store that cannot be read or written: the per-user or system-wide
// registry file, or a data directory's FAULTBK.INI. The text names the file and says
// what the user can do about it.

#include <QString>
#include <stdexcept>

class SettingsError : public std::runtime_error {
public:
  explicit SettingsError(const QString &text) : std::runtime_error(text.toStdString()), text_(text) {}
  QString text() const { return text_; }

private:
  QString text_;
};
