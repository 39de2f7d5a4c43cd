// Every file the program writes, written while no file may grow past N bytes, for each
// N up to the file's full size: the earlier file at the path stays whole, the failure is
// reported, success only ever comes with the whole new file, and nothing is left beside.

#include "query/QueryFile.h"
#include "query/ResultsFile.h"
#include "query/SqlText.h"
#include "workbook/TWorkbookWriter.h"

#include "FileSizeLimit.h"
#include "WorkbookReader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>

namespace {

QByteArray ReadBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QStringList Entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TQueryDefinition SampleQuery()
{
    TQueryDefinition query;
    query.className = QStringLiteral("User");
    query.context = QStringLiteral("OU=Ventes.O=Société");
    query.Properties = {QStringLiteral("CN"), QStringLiteral("Given Name"), QStringLiteral("Login Disabled")};
    query.Filters.Add(QStringLiteral("CN"), tCondition(0, dtString, {}, {}, QStringLiteral("String"), true));
    query.Filters.Add(QStringLiteral("Given Name"),
                      tCondition(6, dtString, QStringLiteral("hélène"), {}, QStringLiteral("String"), true));
    query.Filters.Add(QStringLiteral("Login Disabled"),
                      tCondition(3, dtBoolean, QStringLiteral("oui"), {}, QStringLiteral("Boolean"), false));
    return query;
}

QStringList SampleLines()
{
    QStringList lines = {QStringLiteral("\"CN\";\"Given Name\"")};
    for (int i = 0; i < 40; ++i)
        lines << QStringLiteral("\"user%1\";\"Hélène %1\"").arg(i);
    return lines;
}

// Writes one file at path in folder over an earlier one, under every limit from 0 up to
// the first that lets it through (past 64 bytes, every step-th one). write returns the
// error message, empty on success; isNew tells the new file whole. A file of a known
// size (exactSize, that of the new file) must also fit every limit from that size on.
void SweepOneFile(const QString &folder, const QString &path, qint64 size, bool exactSize, qint64 step,
                  const std::function<QString()> &write, const std::function<bool(const QByteArray &)> &isNew)
{
    const QByteArray old = "earlier contents\r\n";
    const QStringList entries = {QFileInfo(path).fileName()};
    bool succeeded = false;
    for (qint64 limit = 0; !succeeded; limit += (limit < 64 ? 1 : step)) {
        QVERIFY2(limit < 16 * size + 4096, "never written whole");
        WriteBytes(path, old);
        QString error;
        {
            const FileSizeLimit full{rlim_t(limit)};
            error = write();
        }
        const QByteArray now = ReadBytes(path);
        const QByteArray where = QByteArray::number(limit);
        if (error.isEmpty()) {
            succeeded = true;
            QVERIFY2(isNew(now), where);
        } else {
            QVERIFY2(error.startsWith(QStringLiteral("Ne peut écrire dans ") + path), qPrintable(error));
            QVERIFY2(now == old, where);
            QVERIFY2(!exactSize || limit < size, where);
        }
        QCOMPARE(Entries(folder), entries);
    }
}

} // namespace

class TestWriteFailures : public QObject
{
    Q_OBJECT

private slots:
    void resultsFile()
    {
        for (const TResultsEncoding encoding : {TResultsEncoding::Utf8Bom, TResultsEncoding::Windows1252}) {
            QTemporaryDir folder;
            const QString reference = folder.filePath(QStringLiteral("reference.txt"));
            QVERIFY(WriteResultsFile(reference, SampleLines(), encoding).IsOk());
            const QByteArray expected = ReadBytes(reference);
            QFile::remove(reference);
            const QString path = folder.filePath(QStringLiteral("résultats.txt"));
            SweepOneFile(
                folder.path(), path, expected.size(), true, 1,
                [&] { return WriteResultsFile(path, SampleLines(), encoding).message; },
                [&](const QByteArray &now) { return now == expected; });
        }
    }

    void sqlFile()
    {
        QTemporaryDir folder;
        const TQueryDefinition query = SampleQuery();
        const QByteArray expected = BuildSqlText(query.Filters, query.className, true).toUtf8();
        const QString path = folder.filePath(QStringLiteral("q.SQL"));
        SweepOneFile(
            folder.path(), path, expected.size(), true, 1,
            [&] { return WriteSqlFile(path, query.Filters, query.className, true).message; },
            [&](const QByteArray &now) { return now == expected; });
    }

    void workbook()
    {
        QTemporaryDir folder;
        QTemporaryDir scratch;
        // The library's own scratch files go there too, and must not stay either.
        const QByteArray oldTemp = qgetenv("TMPDIR");
        qputenv("TMPDIR", scratch.path().toLocal8Bit());
        const TWorkbookLayout layout{QStringLiteral(";"), QStringLiteral("\""), 0, true};
        const QString reference = folder.filePath(QStringLiteral("reference.xlsx"));
        QCOMPARE(WriteWorkbook(reference, SampleLines(), layout), QString());
        const qint64 size = QFileInfo(reference).size();
        const QList<QStringList> cells = SheetTexts(ReadWorkbook(reference).at(0).toObject());
        QCOMPARE(cells.size(), SampleLines().size());
        QFile::remove(reference);
        const QString path = folder.filePath(QStringLiteral("résultats.xlsx"));
        // The workbook holds its time of writing: only its cells can be compared.
        SweepOneFile(
            folder.path(), path, size, false, 29, [&] { return WriteWorkbook(path, SampleLines(), layout); },
            [&](const QByteArray &) { return SheetTexts(ReadWorkbook(path).at(0).toObject()) == cells; });
        QCOMPARE(Entries(scratch.path()), QStringList());
        qputenv("TMPDIR", oldTemp);
    }

    // The query file, then its SQL text, then its control file: each is the new one or
    // the earlier one, the first that fails is named and stops the save there.
    void queryFileWithItsSqlAndControlFiles()
    {
        QTemporaryDir folder;
        const QStringList names = {QStringLiteral("q.REQ"), QStringLiteral("q.SQL"), QStringLiteral("q.CTL")};
        const QByteArray old = "[options]\r\nclass=User\r\n[Autre]\r\ncle=valeur\r\n";
        const auto writeOld = [&](const QString &where) {
            for (const QString &name : names)
                WriteBytes(QDir(where).filePath(name), old);
        };
        QTemporaryDir referenceFolder;
        writeOld(referenceFolder.path());
        QVERIFY(SaveQueryFile(QDir(referenceFolder.path()).filePath(names[0]), SampleQuery()).status.IsOk());
        QList<QByteArray> expected;
        qint64 largest = 0;
        for (const QString &name : names) {
            expected << ReadBytes(QDir(referenceFolder.path()).filePath(name));
            largest = std::max(largest, qint64(expected.last().size()));
        }

        for (qint64 limit = 0; limit <= largest; ++limit) {
            writeOld(folder.path());
            TQueryFileSave saved;
            {
                const FileSizeLimit full{rlim_t(limit)};
                saved = SaveQueryFile(QDir(folder.path()).filePath(names[0]), SampleQuery());
            }
            const QByteArray where = QByteArray::number(limit);
            qsizetype failing = 0;
            while (failing < names.size() && expected[failing].size() <= limit)
                ++failing;
            for (qsizetype i = 0; i < names.size(); ++i)
                QVERIFY2(ReadBytes(QDir(folder.path()).filePath(names[i])) == (i < failing ? expected[i] : old), where);
            if (failing == names.size()) {
                QVERIFY2(saved.status.IsOk(), where);
            } else {
                QCOMPARE(saved.status.kind, TQueryStatus::FileError);
                QCOMPARE(saved.status.message,
                         QStringLiteral("Ne peut écrire dans ") + QDir(folder.path()).filePath(names[failing]));
            }
            QCOMPARE(saved.queryFileWritten, failing > 0);
            QCOMPARE(Entries(folder.path()), QStringList({names[2], names[0], names[1]}));
        }
    }
};

QTEST_GUILESS_MAIN(TestWriteFailures)
#include "test_write_failures.moc"
