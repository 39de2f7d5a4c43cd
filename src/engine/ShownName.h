#pragma once

#include <QString>

// A name or a condition's value read from a file as a message shows it: texts longer
// than MaxShownName characters are cut there and end with "...", so that a hostile file
// cannot make a message of megabytes.
constexpr qsizetype MaxShownName = 255;
QString ShownName(const QString &name);
