#include "ui/TPlainTextPrinter.h"

#include <QFontDatabase>
#include <QPainter>
#include <QPrinter>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <cmath>

namespace {

constexpr int TabColumns = 8;
constexpr int PointSize = 10;

QFont PrintFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSize(PointSize);
    return font;
}

// The line with each tab replaced by the blanks up to the next multiple of TabColumns
// columns; a character outside the basic plane takes one column like the others.
QString ExpandTabs(const QString &line)
{
    if (!line.contains(QLatin1Char('\t')))
        return line;
    QString expanded;
    expanded.reserve(line.size() + TabColumns);
    qsizetype column = 0;
    for (const QChar c : line) {
        if (c == QLatin1Char('\t')) {
            const qsizetype blanks = TabColumns - column % TabColumns;
            expanded.append(QString(blanks, QLatin1Char(' ')));
            column += blanks;
            continue;
        }
        expanded.append(c);
        if (!c.isLowSurrogate())
            ++column;
    }
    return expanded;
}

} // namespace

TPlainTextPrinter::TPlainTextPrinter(QPrinter &printer) : printer_(printer), metrics_(PrintFont(), &printer) {}

bool TPlainTextPrinter::Print(const QStringList &lines)
{
    QPainter painter;
    if (!painter.begin(&printer_))
        return false;
    painter.setFont(PrintFont());
    width_ = printer_.width();
    columns_ = std::max<qsizetype>(1, qsizetype(width_ / metrics_.horizontalAdvance(QLatin1Char('M'))));
    const qreal lineHeight = metrics_.lineSpacing();
    const qsizetype linesPerPage = std::max<qsizetype>(1, qsizetype(std::floor(printer_.height() / lineHeight)));

    qsizetype onPage = 0;
    for (const QString &line : lines) {
        for (const QString &piece : Pieces(line)) {
            if (onPage == linesPerPage) {
                if (!printer_.newPage() || printer_.printerState() == QPrinter::Error) {
                    painter.end();
                    return false;
                }
                onPage = 0;
            }
            if (!piece.isEmpty())
                painter.drawText(QPointF(0, onPage * lineHeight + metrics_.ascent()), piece);
            ++onPage;
        }
    }
    return painter.end() && printer_.printerState() != QPrinter::Error;
}

QStringList TPlainTextPrinter::Pieces(const QString &line) const
{
    const QString text = ExpandTabs(line);
    if (metrics_.horizontalAdvance(text) <= width_)
        return {text};
    QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text);
    QStringList pieces;
    for (qsizetype start = 0; start < text.size();) {
        const qsizetype length = FitLength(text, start, graphemes);
        pieces.append(text.mid(start, length));
        start += length;
    }
    return pieces;
}

qsizetype TPlainTextPrinter::FitLength(const QString &text, qsizetype start, QTextBoundaryFinder &graphemes) const
{
    // A page holds about columns_ characters; a few more may fit when some are narrow.
    // Searching within that window keeps a long line's cost linear in its length.
    const qsizetype window = std::min(text.size() - start, 2 * columns_ + TabColumns);
    qsizetype fits = 0;
    qsizetype low = 1;
    qsizetype high = window;
    while (low <= high) {
        const qsizetype middle = low + (high - low) / 2;
        if (metrics_.horizontalAdvance(text.mid(start, middle)) <= width_) {
            fits = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    // Back to the last grapheme boundary, so that no character is split from its accents
    // or its other half.
    graphemes.setPosition(start + fits);
    if (fits > 0 && !graphemes.isAtBoundary()) {
        const qsizetype boundary = graphemes.toPreviousBoundary();
        if (boundary > start)
            fits = boundary - start;
    }
    if (fits > 0)
        return fits;
    // Not even one grapheme fits: print it alone rather than drop it.
    graphemes.setPosition(start);
    const qsizetype next = graphemes.toNextBoundary();
    return next > start ? next - start : 1;
}
