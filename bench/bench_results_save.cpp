// Measures the results save of the window on a results page of N lines (1,000,000 by
// default): reading the lines out of the view, then writing them whole (a temporary
// file renamed at the end) as text in each encoding, or as a workbook; and the memory
// the save adds (the process's peak against its size before the save).
//
// Usage: bench_results_save [N] [text|xlsx]   (QT_QPA_PLATFORM=offscreen when unset)

#include "query/ResultsFile.h"
#include "ui/ResultLines.h"
#include "workbook/TWorkbookWriter.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

qint64 StatusKiB(const char *key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(qsizetype(qstrlen(key))).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int count = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 1000000;
    const bool workbook = argc > 2 && qstrcmp(argv[2], "xlsx") == 0;

    QString text;
    text.reserve(qsizetype(count) * 64);
    for (int i = 0; i < count; ++i)
        text += QStringLiteral("\"user%1\";\"Dupré\";\"Hélène\";\"01 02 03 %2\";\"Ventes € Sud\"\n")
                    .arg(i, 7, 10, QLatin1Char('0'))
                    .arg(i % 100, 2, 10, QLatin1Char('0'));
    QPlainTextEdit view;
    view.setLineWrapMode(QPlainTextEdit::NoWrap);
    view.setPlainText(text);
    text.clear();
    text.squeeze();

    QTemporaryDir folder;
    // The peak from here on is the save's own (writing 5 there resets it).
    if (const int clearRefs = ::open("/proc/self/clear_refs", O_WRONLY); clearRefs >= 0) {
        if (::write(clearRefs, "5", 1) != 1)
            std::printf("the peak could not be reset\n");
        ::close(clearRefs);
    }
    const qint64 before = StatusKiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    QStringList lines = ResultLines(view);
    if (!lines.isEmpty() && lines.constLast().isEmpty())
        lines.removeLast();
    const qint64 readMs = timer.elapsed();
    std::printf("lines: %lld, read from the view: %lld ms\n", static_cast<long long>(lines.size()),
                static_cast<long long>(readMs));
    const auto report = [](const char *what, qint64 ms, const QString &path, const QString &error) {
        std::printf("%-15s %6lld ms, %7.1f MiB written%s\n", what, static_cast<long long>(ms),
                    double(QFileInfo(path).size()) / (1024.0 * 1024.0),
                    error.isEmpty() ? "" : qPrintable(QStringLiteral(" (") + error + QLatin1Char(')')));
    };
    if (workbook) {
        const QString path = folder.filePath(QStringLiteral("results.xlsx"));
        timer.restart();
        const QString error = WriteWorkbook(path, lines, {QStringLiteral(";"), QStringLiteral("\""), 0, false});
        report("xlsx", timer.elapsed(), path, error);
    }
    for (const QString &name : workbook ? QStringList() : ResultsEncoding::Names()) {
        const QString path = folder.filePath(QStringLiteral("results.txt"));
        timer.restart();
        const TQueryStatus written = WriteResultsFile(path, lines, ResultsEncoding::FromName(name));
        report(qPrintable(name), timer.elapsed(), path, written.message);
    }
    std::printf("memory: %lld MiB before the save, peak %lld MiB\n", static_cast<long long>(before / 1024),
                static_cast<long long>(StatusKiB("VmHWM:") / 1024));
    return 0;
}
