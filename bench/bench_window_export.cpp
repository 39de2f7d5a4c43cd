// Measures the window's export against the command-line tool's, in one process:
//
// 1. the export phase as veltrane-cli runs it (its own directory connection, no event
//    pump, UTF-8 lines ended by CR LF written to a file);
// 2. the window's export: TForm1 on the same directory file, Export pressed on the
//    options page, until the results page is filled and the progress window closed
//    (the one-second start delay left out); the two outputs must be the same bytes;
// 3. Cancel pressed half-way through the reading: the time from the click, queued as a
//    user's click is, to the return of the run;
// 4. the memory a results page of 1,000,000 lines adds (the window's lines repeated).
//
// Usage: bench_window_export FILE [QUERY.req]   (FILE written by gen_directory)

#include "QuietPrompts.h"
#include "WindowWidget.h"
#include "connect/TDirectoryConnection.h"
#include "directory/tNDS.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"
#include "query/QueryWorkflows.h"
#include "query/TDirectorySchema.h"
#include "ui/ResultLines.h"
#include "ui/TExportForm.h"
#include "ui/TForm1.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <malloc.h>

#include <cstdio>

namespace {

qint64 RssKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

double Ms(qint64 ns)
{
    return double(ns) / 1e6;
}

// The command-line tool's writing: each line in UTF-8 with CR LF, to a file.
class FileObserver : public TExportObserver
{
public:
    explicit FileObserver(QFile &file) : file_(file) {}
    bool AddLine(const QString &line) override
    {
        const QByteArray bytes = (line + QStringLiteral("\r\n")).toUtf8();
        return file_.write(bytes) == bytes.size();
    }

private:
    QFile &file_;
};

QByteArray ResultBytes(const QPlainTextEdit *memo)
{
    QByteArray bytes;
    for (const QString &line : ResultLines(*memo))
        bytes += (line + QStringLiteral("\r\n")).toUtf8();
    return bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s FILE [QUERY.req]\n", argv[0]);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Veltrane"));
    const QString path = QString::fromLocal8Bit(argv[1]);
    const QString queryPath =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(VELTRANE_BENCH_QUERIES "/users-5.req");
    TDirectorySource source;
    source.directoryFile = path;

    // 1. As veltrane-cli runs it.
    QTemporaryDir dir;
    QFile cliFile(dir.filePath(QStringLiteral("cli.txt")));
    double cliMs = 0;
    {
        TDirectoryConnection connection(
            [](const QString &text) { std::fprintf(stderr, "report: %s\n", qPrintable(text)); });
        if (!connection.Open(source).IsOk() || !connection.Directory())
            return 1;
        tNDS &directory = *connection.Directory();
        TDirectorySchema schema(directory);
        TQueryFileLoad load = OpenQueryFile(queryPath, StartupQuery(directory, schema), directory, schema);
        TExportJob job;
        const TQueryStatus prepared = load.status.IsOk() ? PrepareRun(load.query, schema, job) : load.status;
        if (!prepared.IsOk()) {
            std::fprintf(stderr, "%s\n", qPrintable(prepared.message));
            return 2;
        }
        if (!cliFile.open(QIODevice::WriteOnly))
            return 1;
        FileObserver observer(cliFile);
        TExportRun run(directory, job, observer);
        QElapsedTimer timer;
        timer.start();
        run.RunExport();
        cliFile.close();
        cliMs = Ms(timer.nsecsElapsed());
    }

    // 2. The window, on the same directory and query.
    QuietPrompts prompts;
    prompts.echo = true;
    TForm1 form(prompts, source);
    TExportForm exportForm(prompts);
    exportForm.SetStartDelay(0);
    form.SetDialogs(nullptr, &exportForm);
    form.show();
    tNDS *directory = form.Directory();
    if (!directory)
        return 1;
    TDirectorySchema schema(*directory);
    TQueryFileLoad load = OpenQueryFile(queryPath, StartupQuery(*directory, schema), *directory, schema);
    TExportJob job;
    if (!load.status.IsOk() || !PrepareRun(load.query, schema, job).IsOk())
        return 2;
    QPlainTextEdit *memo = WindowWidget<QPlainTextEdit>(form, "Memo1");
    const TResultsView view{memo, WindowWidget<QLabel>(form, "HitsCount"),
                            WindowWidget<QLabel>(form, "ObjectsScanned")};
    QElapsedTimer timer;
    timer.start();
    exportForm.Execute(*directory, job, view);
    const double windowMs = Ms(timer.nsecsElapsed());
    const QByteArray windowBytes = ResultBytes(memo);
    if (!cliFile.open(QIODevice::ReadOnly))
        return 1;
    const bool identical = windowBytes == cliFile.readAll();
    const int lines = memo->document()->blockCount();
    const QString hits = WindowWidget<QLabel>(form, "HitsCount")->text();

    // 3. Cancel half-way through the reading.
    qint64 clickNs = 0;
    const QMetaObject::Connection watch =
        QObject::connect(exportForm.ProgressBar1, &QProgressBar::valueChanged, &exportForm, [&](int position) {
            if (clickNs || position < exportForm.ProgressBar1->maximum() / 2)
                return;
            clickNs = timer.nsecsElapsed();
            QTimer::singleShot(0, exportForm.BitBtn1, &QPushButton::click);
        });
    timer.restart();
    exportForm.Execute(*directory, job, view);
    const double cancelMs = Ms(timer.nsecsElapsed() - clickNs);
    QObject::disconnect(watch);
    const int linesAtCancel = memo->document()->blockCount();

    // 4. A results page of 1,000,000 lines, built from the window's lines.
    const QStringList sample = QString::fromUtf8(windowBytes).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    memo->clear();
    memo->setUndoRedoEnabled(false);
    malloc_trim(0);
    const qint64 beforeKiB = RssKiB();
    constexpr int kMillion = 1000000;
    qint64 textBytes = 0;
    QStringList batch;
    for (int i = 0; i < kMillion; ++i) {
        batch.append(sample.at(i % sample.size()));
        textBytes += batch.constLast().toUtf8().size() + 2;
        if (batch.size() == 50000) {
            memo->appendPlainText(batch.join(QLatin1Char('\n')));
            batch.clear();
        }
    }
    malloc_trim(0);
    const qint64 afterKiB = RssKiB();

    std::printf("directory:            %s, query %s\n", argv[1], qPrintable(queryPath));
    std::printf("veltrane-cli export:  %.0f ms\n", cliMs);
    std::printf("window export:        %.0f ms (%d lines, %s), %s\n", windowMs, lines, qPrintable(hits),
                identical ? "the same bytes as the command-line tool" : "DIFFERENT bytes");
    std::printf("window / cli:         %.2f\n", windowMs / cliMs);
    std::printf("cancel latency:       %.1f ms from the click to the run's return (%d lines kept)\n", cancelMs,
                linesAtCancel);
    std::printf("1,000,000-line page:  %.0f MiB added (%.0f MiB of text as saved, %.0f bytes a line)\n",
                double(afterKiB - beforeKiB) / 1024.0, double(textBytes) / 1048576.0,
                double(afterKiB - beforeKiB) * 1024.0 / kMillion);
    return identical ? 0 : 1;
}
