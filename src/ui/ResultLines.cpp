#include "ui/ResultLines.h"

#include <QPlainTextEdit>
#include <QTextBlock>

QStringList ResultLines(const QPlainTextEdit &view)
{
    QStringList lines;
    const QTextDocument *document = view.document();
    if (document->isEmpty())
        return lines;
    lines.reserve(document->blockCount());
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next())
        lines.append(block.text());
    return lines;
}
