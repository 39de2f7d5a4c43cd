#pragma once

#include <QString>

// A text that takes many edits close to one another cheaply: the characters sit on both
// sides of a gap, which moves to where the text is searched or changed, so each edit
// costs the distance the gap moves and the length of the new characters.
class TGapText
{
public:
    explicit TGapText(const QString &text);

    qsizetype Size() const { return buffer_.size() - (gapEnd_ - gapStart_); }
    // The position of the first occurrence of what at or after from; -1 when none.
    qsizetype IndexOf(const QString &what, qsizetype from);
    // Replaces length characters at position at by with.
    void Replace(qsizetype at, qsizetype length, const QString &with);
    // length characters from position from.
    QString Mid(qsizetype from, qsizetype length);

private:
    void MoveGap(qsizetype to);

    QString buffer_;
    qsizetype gapStart_;
    qsizetype gapEnd_;
};
