#include "GuiHelpers.h"

#include <QPageLayout>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

namespace {

QByteArray Run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(120000) || process.exitCode() != 0)
        qWarning("%s failed: %s", qPrintable(program), process.readAllStandardError().constData());
    return process.readAllStandardOutput();
}

// The text of each page of a PDF file as pdftotext lays it out, blanks at the end of
// each line dropped.
QList<QStringList> PdfPages(const QString &path)
{
    const QString text =
        QString::fromUtf8(Run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")}));
    QStringList pages = text.split(QLatin1Char('\f'));
    // Every page ends with a form feed.
    pages.removeLast();
    QList<QStringList> result;
    for (const QString &page : pages) {
        QStringList lines = page.split(QLatin1Char('\n'));
        for (QString &line : lines)
            line.remove(QRegularExpression(QStringLiteral("\\s+$")));
        while (!lines.isEmpty() && lines.constLast().isEmpty())
            lines.removeLast();
        result.append(lines);
    }
    return result;
}

QStringList PdfLines(const QString &path)
{
    QStringList lines;
    for (const QStringList &page : PdfPages(path))
        lines += page;
    return lines;
}

// The top of each printed line of each page of a PDF file, in points from the top of
// the page (the top of the line's first word).
QList<QList<qreal>> PdfLineTops(const QString &path)
{
    const QString boxes =
        QString::fromUtf8(Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")}));
    const QRegularExpression tag(QStringLiteral("<page |<word [^>]*yMin=\"([\\d.]+)\""));
    QList<QList<qreal>> pages;
    for (auto match = tag.globalMatch(boxes); match.hasNext();) {
        const QRegularExpressionMatch m = match.next();
        if (m.captured(1).isEmpty()) {
            pages.append(QList<qreal>());
            continue;
        }
        const qreal top = m.captured(1).toDouble();
        if (!pages.isEmpty() && (pages.last().isEmpty() || top > pages.last().constLast()))
            pages.last().append(top);
    }
    return pages;
}

// What pdfinfo says after "NAME:".
QString PdfInfo(const QString &path, const QString &name)
{
    const QString info = QString::fromUtf8(Run(QStringLiteral("pdfinfo"), {path}));
    const QRegularExpression field(QStringLiteral("^%1:\\s*(.*)$").arg(name), QRegularExpression::MultilineOption);
    return field.match(info).captured(1).trimmed();
}

// The window on its results page, the results view holding these lines.
struct PrintWindow : WindowFixture {
    QTemporaryDir folder;

    explicit PrintWindow(const QStringList &lines = {})
    {
        ToResultsPage(form.get());
        Find<QPlainTextEdit>(form.get(), "Memo1")->setPlainText(lines.join(QLatin1Char('\n')));
    }
    // Prints the results through the print dialog to a PDF file; its path.
    QString PrintToPdf(const QString &name = QStringLiteral("results.pdf"))
    {
        QString path = folder.filePath(name);
        prompts.pdfPaths.push_back(path);
        Find<QAction>(form.get(), "Imprimerlesrsultats1")->trigger();
        return path;
    }
};

} // namespace

class TestUiPrint : public QObject
{
    Q_OBJECT

private slots:
    void shortTextPrintsLineByLine()
    {
        PrintWindow window({QStringLiteral("Nom;Prénom;Ville"), QStringLiteral("  Dupont;Élodie;Orléans"),
                            QStringLiteral("a\tb\tc"), QStringLiteral("abcdefghi\tj")});
        const QString pdf = window.PrintToPdf();
        QVERIFY(window.prompts.Texts(QStringLiteral("error")).isEmpty());
        QCOMPARE(PdfLines(pdf),
                 QStringList({QStringLiteral("Nom;Prénom;Ville"), QStringLiteral("  Dupont;Élodie;Orléans"),
                              QStringLiteral("a       b       c"), QStringLiteral("abcdefghi       j")}));
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
    }

    void lineWiderThanThePageGoesOnOverTheNextLines()
    {
        QString wide;
        for (int i = 0; wide.size() < 1000; ++i)
            wide += QString::number(i) + QLatin1Char(i % 2 ? 'x' : '-');
        PrintWindow window({QStringLiteral("avant"), wide, QStringLiteral("après")});
        const QStringList printed = PdfLines(window.PrintToPdf());
        QVERIFY2(printed.size() >= 5, qPrintable(printed.join(QLatin1Char('\n'))));
        QCOMPARE(printed.constFirst(), QStringLiteral("avant"));
        QCOMPARE(printed.constLast(), QStringLiteral("après"));
        // Every character in order, and no printed line longer than the page holds.
        QCOMPARE(printed.mid(1, printed.size() - 2).join(QString()), wide);
        QCOMPARE(printed.at(1).size(), printed.at(2).size());
    }

    void moreThan65536LinesAllPrint()
    {
        const int count = 70001;
        QStringList lines;
        lines.reserve(count);
        for (int i = 1; i <= count; ++i)
            lines.append(QStringLiteral("ligne %1").arg(i));
        PrintWindow window(lines);
        const QString pdf = window.PrintToPdf();
        const QList<QStringList> pages = PdfPages(pdf);
        QStringList printed;
        for (const QStringList &page : pages)
            printed += page;
        QCOMPARE(printed.size(), count);
        QCOMPARE(printed.constFirst(), QStringLiteral("ligne 1"));
        QCOMPARE(printed.constLast(), QStringLiteral("ligne 70001"));
        QCOMPARE(printed, lines);
        // Full pages but the last one, and as many as the lines need.
        const qsizetype perPage = pages.constFirst().size();
        QVERIFY(perPage > 10);
        for (qsizetype p = 0; p + 1 < pages.size(); ++p)
            QCOMPARE(pages.at(p).size(), perPage);
        const qsizetype expectedPages = (count + perPage - 1) / perPage;
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Pages")), QString::number(expectedPages));
    }

    // A page holds as many lines as its printable height does at the printed line pitch,
    // and not one more: the page break comes neither early nor late.
    void eachPageHoldsTheLinesThatFitAndNoMore()
    {
        QStringList lines;
        for (int i = 1; i <= 150; ++i)
            lines.append(QStringLiteral("ligne %1").arg(i));
        PrintWindow window(lines);
        const QString pdf = window.PrintToPdf();
        QCOMPARE(window.prompts.printers.size(), 1);
        const QRectF printable = window.prompts.printers.constFirst()->pageLayout().paintRect(QPageLayout::Point);
        const QList<QList<qreal>> pages = PdfLineTops(pdf);
        QVERIFY(pages.size() >= 2);
        const QList<qreal> &first = pages.constFirst();
        const qreal pitch = first.at(1) - first.at(0);
        QVERIFY(pitch > 0);
        QVERIFY(first.constFirst() >= printable.top() - 0.01);
        const qsizetype fits = qsizetype(printable.height() / pitch + 1e-6);
        qsizetype printed = 0;
        for (qsizetype p = 0; p < pages.size(); ++p) {
            printed += pages.at(p).size();
            if (p + 1 < pages.size())
                QCOMPARE(pages.at(p).size(), fits);
        }
        QCOMPARE(printed, lines.size());
    }

    void emptyTextPrintsOneEmptyPage()
    {
        PrintWindow window;
        const QString pdf = window.PrintToPdf();
        QVERIFY(window.prompts.Texts(QStringLiteral("error")).isEmpty());
        QCOMPARE(PdfInfo(pdf, QStringLiteral("Pages")), QStringLiteral("1"));
        QCOMPARE(PdfLines(pdf), QStringList());
    }

    void cancelledPrintDialogPrintsNothing()
    {
        PrintWindow window({QStringLiteral("ligne")});
        window.prompts.printAnswers.push_back(false);
        Find<QAction>(window.form.get(), "Imprimerlesrsultats1")->trigger();
        QCOMPARE(window.prompts.printers.size(), 1);
        QCOMPARE(window.prompts.printers.constFirst()->outputFileName(), QString());
        QVERIFY(QDir(window.folder.path()).isEmpty());
        QVERIFY(window.prompts.shown.isEmpty());
    }

    void deviceErrorIsShown()
    {
        PrintWindow window({QStringLiteral("ligne")});
        window.PrintToPdf(QStringLiteral("no-such-folder/results.pdf"));
        QCOMPARE(window.prompts.Texts(QStringLiteral("error")),
                 QStringList({QStringLiteral(" Erreur à l'impression.")}));
    }

    void printerSetupChoicesCarryToThePrint()
    {
        PrintWindow window({QStringLiteral("ligne")});
        window.prompts.onPrinterSetup = [](QPrinter &printer) { printer.setPageOrientation(QPageLayout::Landscape); };
        window.prompts.printAnswers.push_back(true);
        Find<QAction>(window.form.get(), "Configurationdelimpression1")->trigger();
        const QString pdf = window.PrintToPdf();
        QCOMPARE(window.prompts.printers.size(), 2);
        QCOMPARE(window.prompts.printers.at(0), window.prompts.printers.at(1));
        const QRegularExpressionMatch size = QRegularExpression(QStringLiteral("([\\d.]+) x ([\\d.]+)"))
                                                 .match(PdfInfo(pdf, QStringLiteral("Page size")));
        QVERIFY(size.hasMatch());
        QVERIFY(size.captured(1).toDouble() > size.captured(2).toDouble());
    }
};

QTEST_MAIN(TestUiPrint)
#include "test_ui_print.moc"
