#pragma once

#include <QString>
#include <QStringList>

// Takes result lines back apart into the fields they were made of. With a delimiter,
// a field that starts with it runs to the next delimiter not doubled, and doubled
// delimiters inside stand for one; a field that does not start with it (an edited
// line, a read error's line) runs to the next separator. Without a delimiter a line
// is split at every separator.
//
// Lines are fed in order: an enclosed field still open at the end of a line goes on
// in the next one (a value that held a line break), joined by CR LF.
class TFieldSplitter
{
public:
    TFieldSplitter(const QString &separator, const QString &delimiter);

    // Feeds one line. true when the record is complete: fields then holds it. false
    // when an enclosed field goes on in the next line.
    bool Feed(const QString &line, QStringList &fields);
    // The record left open by the last Feed, its open field ending where the text
    // does; false when none is open.
    bool Finish(QStringList &fields);

private:
    // Reads fields from text at pos; false when an enclosed field is left open.
    bool Scan(const QString &text, qsizetype pos);

    QString separator_;
    QString delimiter_;
    QStringList fields_;
    // The text of the enclosed field that is open across lines.
    QString open_;
    bool inside_ = false;
};
