#pragma once

#include <QStringList>

class QPlainTextEdit;

// The lines of a results view exactly as the run wrote them. Unlike toPlainText(), which
// turns no-break spaces into blanks, no character is changed. An empty view has no line.
QStringList ResultLines(const QPlainTextEdit &view);
