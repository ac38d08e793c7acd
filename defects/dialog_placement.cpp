#include "defects/dialog_placement.h"

#include "app/base/call_trace.h"

QPoint BelowRightAligned(const QRect &editOnScreen, const QSize &window) {
  TRACE_ROUTINE("placement", "BelowRightAligned");
  return {editOnScreen.x() + editOnScreen.width() - window.width(), editOnScreen.y() + editOnScreen.height()};
}

QPoint CentredOn(const QRect &owner, const QSize &window) {
  TRACE_ROUTINE("placement", "CentredOn");
  return {owner.x() + (owner.width() - window.width()) / 2, owner.y() + (owner.height() - window.height()) / 2};
}

QSize ShareOf(const QSize &owner, double share) {
  TRACE_ROUTINE("placement", "ShareOf");
  return {static_cast<int>(owner.width() * share), static_cast<int>(owner.height() * share)};
}
