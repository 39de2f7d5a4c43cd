#pragma once

#include <QFontMetricsF>
#include <QStringList>

class QPrinter;
class QTextBoundaryFinder;

// Prints lines of plain text on a printer in a fixed-pitch font, as one print job, page
// after page. Nothing is lost: a line wider than the page goes on over the next printed
// lines, cut between characters, and a tab moves to the next multiple of 8 columns.
class TPlainTextPrinter
{
public:
    // The printer must outlive the object; it is used as it is set up (page, margins,
    // output).
    explicit TPlainTextPrinter(QPrinter &printer);

    // Prints every line in order. An empty list prints one empty page. false when the
    // device failed: the job could not start, a page could not be started or the printer
    // reports an error; the job is then ended where it stands.
    bool Print(const QStringList &lines);

private:
    // The pieces, each as wide as the page at most, that print one line.
    QStringList Pieces(const QString &line) const;
    // How many characters from position start of text fit on one printed line: whole
    // graphemes (graphemes is a finder on text), at least one.
    qsizetype FitLength(const QString &text, qsizetype start, QTextBoundaryFinder &graphemes) const;

    QPrinter &printer_;
    QFontMetricsF metrics_;
    // The printable width in device pixels and about how many characters it holds, set
    // when the job starts.
    qreal width_ = 0;
    qsizetype columns_ = 1;
};
