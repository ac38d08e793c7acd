#pragma once
// Where the small shared windows go on the screen.

#include <QPoint>
#include <QRect>
#include <QSize>

// Just below an edit, right edges aligned (the date picker).
QPoint BelowRightAligned(const QRect &editOnScreen, const QSize &window);

// Centred on the owner's frame (the busy notice).
QPoint CentredOn(const QRect &owner, const QSize &window);

// A share of the owner's size, cut to whole pixels (the template editor is 90% of the
// main window).
QSize ShareOf(const QSize &owner, double share);
