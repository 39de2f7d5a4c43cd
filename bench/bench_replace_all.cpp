// Times Replace all of the window's replace dialog over a results page of LINES lines
// (100,000 unless given), each shaped as an export writes them:
//
//   "CN=user000042";"Dupont";"Service 12";"user000042@acme.example"
//
// 1. ";" by "," (three replacements a line);
// 2. the quotes by nothing (eight a line);
// 3. a text found on one line only;
// 4. "ab" by "bbaa" in lines "aab", a chain of new occurrences without end, which stops
//    with the loop message after as many replacements as the text has characters;
// and the one undo that gives the first text back.
//
// Usage: bench_replace_all [LINES]

#include "QuietPrompts.h"
#include "WindowWidget.h"
#include "ui/TForm1.h"
#include "ui/TReplaceDialog.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

QString ResultsText(int lines)
{
    QStringList text;
    text.reserve(lines);
    for (int i = 0; i < lines; ++i) {
        const QString user = QStringLiteral("user%1").arg(i, 6, 10, QLatin1Char('0'));
        text.append(QStringLiteral("\"CN=%1\";\"Dupont\";\"Service %2\";\"%1@acme.example\"").arg(user).arg(i % 97));
    }
    return text.join(QLatin1Char('\n'));
}

// Milliseconds of the clock and of the processor.
struct Took {
    double wall;
    double processor;
};

// Replace all pressed in the replace dialog; how long it took.
Took ReplaceAll(TForm1 &form, const QString &find, const QString &replace)
{
    form.Remplacer1Click();
    TReplaceDialog *dialog = WindowWidget<TReplaceDialog>(form, "ReplaceDialog1");
    dialog->FindEdit->setText(find);
    dialog->ReplaceEdit->setText(replace);
    QElapsedTimer timer;
    timer.start();
    const std::clock_t processor = std::clock();
    dialog->ReplaceAllBtn->click();
    return {double(timer.nsecsElapsed()) / 1e6, double(std::clock() - processor) * 1000.0 / CLOCKS_PER_SEC};
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 2) {
        std::fprintf(stderr, "usage: %s [LINES]\n", argv[0]);
        return 2;
    }
    const int lines = argc > 1 ? std::atoi(argv[1]) : 100000;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    QuietPrompts prompts;
    TForm1 form(prompts, TDirectorySource{});
    form.show();
    WindowWidget<QStackedWidget>(form, "Notebook1")->setCurrentIndex(4);
    QPlainTextEdit *memo = WindowWidget<QPlainTextEdit>(form, "Memo1");

    const QString results = ResultsText(lines);
    std::printf("results page: %d lines, %lld characters\n", lines, static_cast<long long>(results.size()));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    QElapsedTimer fill;
    fill.start();
    memo->setPlainText(results);
    std::printf("%-28s %9.1f ms  (the page filled once, for scale)\n", "setPlainText",
                double(fill.nsecsElapsed()) / 1e6);
    const auto report = [&](const char *what, Took took) {
        std::printf("%-28s %9.1f ms, processor %7.1f ms  %s\n", what, took.wall, took.processor,
                    qPrintable(prompts.last));
    };
    report("\";\" by \",\"", ReplaceAll(form, QStringLiteral(";"), QStringLiteral(",")));
    QElapsedTimer undo;
    undo.start();
    form.Dfaire1Click();
    const double undoMs = double(undo.nsecsElapsed()) / 1e6;
    std::printf("%-28s %9.1f ms  %s\n", "undo", undoMs,
                memo->toPlainText() == results ? "text restored" : "TEXT DIFFERS");
    report("quotes by nothing", ReplaceAll(form, QStringLiteral("\""), QString()));
    report("one occurrence", ReplaceAll(form, QStringLiteral("user000042@"), QStringLiteral("dupont@")));

    QStringList chain(lines, QStringLiteral("aab"));
    memo->setPlainText(chain.join(QLatin1Char('\n')));
    report("endless chain ab by bbaa", ReplaceAll(form, QStringLiteral("ab"), QStringLiteral("bbaa")));
    return 0;
}
