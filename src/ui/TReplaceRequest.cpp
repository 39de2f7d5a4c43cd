#include "ui/TReplaceRequest.h"

#include "ui/TGapText.h"

#include <QTextBlock>
#include <QTextDocument>

#include <algorithm>

namespace {

// The document's text with its lines joined by LF, every character as it is held.
QString RawText(const QTextDocument &document)
{
    QString text;
    text.reserve(document.characterCount());
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        if (block != document.begin())
            text += QLatin1Char('\n');
        text += block.text();
    }
    return text;
}

// The text with each of its line breaks (CR LF, CR, LF or a paragraph separator) made
// one LF, which the document takes as one position, as the search copy does.
QString OneBreak(QString text)
{
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\r'), QLatin1Char('\n'))
        .replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
}

bool HoldsBreak(const QString &text)
{
    return text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
           text.contains(QChar::ParagraphSeparator);
}

// The replacements a request makes before taking a chain of new occurrences for one
// that never ends, for a text of length characters (its lines joined by CR LF).
qsizetype ChainLimit(qsizetype length)
{
    constexpr qsizetype kMostChained = 1000000;
    const qsizetype squared = length < kMostChained ? length * length : kMostChained;
    return std::max(length, std::min(squared, kMostChained));
}

} // namespace

TReplaceRequest::TReplaceRequest(QTextDocument &document, const QString &findText, const QString &replaceText)
    : document_(document), find_(findText), replace_(OneBreak(replaceText)), cursor_(&document),
      replaceHoldsFind_(!findText.isEmpty() && replace_.contains(findText)),
      limit_(ChainLimit(qsizetype(document.characterCount()) - 1 + document.blockCount() - 1))
{
}

int TReplaceRequest::Replace(int most)
{
    // Occurrences are looked for within lines.
    if (find_.isEmpty() || HoldsBreak(find_))
        return 0;
    TGapText text(RawText(document_));
    const qsizetype before = text.Size();
    // The part of the text that changes: from the first replaced character to the last,
    // the latter counted from the end since the text's length changes.
    qsizetype changedFrom = before;
    qsizetype unchangedTail = before;
    int made = 0;
    while (made != most) {
        const qsizetype p = text.IndexOf(find_, searchFrom_);
        if (p < 0)
            break;
        if (lastPosition_ >= 0 && (p == lastPosition_ || replaceHoldsFind_ || count_ >= limit_)) {
            loop_ = true;
            break;
        }
        text.Replace(p, find_.size(), replace_);
        lastPosition_ = p;
        ++count_;
        ++made;
        searchFrom_ = std::max<qsizetype>(0, p - find_.size() + 1);
        changedFrom = std::min(changedFrom, p);
        unchangedTail = std::min(unchangedTail, text.Size() - (p + replace_.size()));
    }
    if (made == 0)
        return 0;
    const qsizetype stop = text.Size() - unchangedTail;
    cursor_.beginEditBlock();
    if (replace_.contains(QLatin1Char('\n'))) {
        cursor_.setPosition(int(changedFrom));
        cursor_.setPosition(int(before - unchangedTail), QTextCursor::KeepAnchor);
        cursor_.insertText(text.Mid(changedFrom, stop - changedFrom));
    } else {
        PutBackLines(text, changedFrom, stop);
    }
    cursor_.endEditBlock();
    cursor_.setPosition(int(lastPosition_ + replace_.size()));
    return made;
}

void TReplaceRequest::PutBackLines(TGapText &text, qsizetype from, qsizetype to)
{
    QTextBlock block = document_.findBlock(int(from));
    for (qsizetype at = block.position(); block.isValid() && at < to; block = block.next()) {
        qsizetype end = text.IndexOf(QStringLiteral("\n"), at);
        if (end < 0)
            end = text.Size();
        const QString line = text.Mid(at, end - at);
        if (line != block.text()) {
            cursor_.setPosition(block.position());
            cursor_.setPosition(block.position() + block.length() - 1, QTextCursor::KeepAnchor);
            cursor_.insertText(line);
        }
        at = end + 1;
    }
}
