#pragma once
// Failures of turning typed text into values. Both are exceptions, like every failure
// of the program: a ConversionError reaches the user as its text; OperationAborted
// stops the operation in progress without any message.

#include <QString>

#include <stdexcept>

// Text that is not a value of the kind wanted: "3/33/2001 is not a valid date."
class ConversionError : public std::runtime_error {
public:
  explicit ConversionError(const QString &text) : std::runtime_error(text.toStdString()), text_(text) {}
  QString text() const { return text_; }

private:
  QString text_;
};

// The silent stop: whoever catches it (or the global error handler) shows nothing.
class OperationAborted : public std::exception {
public:
  const char *what() const noexcept override { return "Operation aborted"; }
};
