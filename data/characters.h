#pragma once
// Single typed characters: case changes that touch only the letters of the English
// alphabet, and the key filter of the number boxes.

#include <QChar>

// 'a'-'z' to 'A'-'Z'; every other character unchanged.
QChar ToUpper(QChar c);
// 'A'-'Z' to 'a'-'z'; every other character unchanged.
QChar ToLower(QChar c);

// Digits and backspace pass; anything else beeps and becomes no key (a null QChar).
QChar ValidateNumericKey(QChar key);
