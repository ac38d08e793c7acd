#include "data/characters.h"

#include "app/base/call_trace.h"
#include "app/base/ui_services.h"

QChar ToUpper(QChar c) {
  TRACE_ROUTINE("bugsubs", "ToUpper");
  return c >= u'a' && c <= u'z' ? QChar(c.unicode() - u'a' + u'A') : c;
}

QChar ToLower(QChar c) {
  TRACE_ROUTINE("bugsubs", "ToLower");
  return c >= u'A' && c <= u'Z' ? QChar(c.unicode() - u'A' + u'a') : c;
}

QChar ValidateNumericKey(QChar key) {
  TRACE_ROUTINE("bugsubs", "ValidateNumericKey");
  constexpr char16_t Backspace = 8;
  if ((key >= u'0' && key <= u'9') || key == QChar(Backspace))
    return key;
  Ui().beep(BeepKind::Default);
  return {};
}
