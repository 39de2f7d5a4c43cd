// A run of veltrane-cli over the fixture directory with each client call failing from
// each of its positions in the run on (batched calls also answering one empty batch):
// the command never crashes, ends with a documented status, says why on standard error
// when it fails, and then leaves the earlier output file whole.

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Outcome {
    int status = -1;
    QByteArray output;
    QByteArray err;
    bool operator==(const Outcome &) const = default;
};

const QByteArray kQuery = "[options]\r\nclass=User\r\ncontext=Acme\r\nrecursive=1\r\nsortbycn=1\r\n"
                          "fieldsonfirstline=1\r\ncleancontext=0\r\naddcontainer=1\r\nusedelimiter=1\r\n"
                          "nbproperties=3\r\n[Properties]\r\n0=CN\r\n1=Surname\r\n2=Telephone Number\r\n"
                          "[Filter0]\r\nop=1\r\ntip=0\r\ntn=String\r\ndisp=1\r\n";
const QByteArray kEarlier = "earlier contents\r\n";

class Sweep
{
public:
    Sweep()
    {
        QFile fixture(QStringLiteral(VELTRANE_TEST_DATA "/cli/acme.json"));
        if (!fixture.open(QIODevice::ReadOnly))
            qFatal("no fixture");
        directory_ = QJsonDocument::fromJson(fixture.readAll()).object();
        Write(QStringLiteral("q.req"), kQuery);
    }

    // The run with fault added to the fixture's own.
    Outcome Run(const QJsonObject &fault) const
    {
        QJsonObject directory = directory_;
        QJsonArray trees = directory.value(QStringLiteral("trees")).toArray();
        QJsonObject tree = trees.at(0).toObject();
        QJsonArray faults = tree.value(QStringLiteral("faults")).toArray();
        if (!fault.isEmpty())
            faults << fault;
        tree.insert(QStringLiteral("faults"), faults);
        trees.replace(0, tree);
        directory.insert(QStringLiteral("trees"), trees);
        Write(QStringLiteral("d.json"), QJsonDocument(directory).toJson());
        const QString out = folder_.filePath(QStringLiteral("out.txt"));
        Write(QStringLiteral("out.txt"), kEarlier);
        QProcess process;
        process.start(QStringLiteral(VELTRANE_CLI),
                      {QStringLiteral("run"), folder_.filePath(QStringLiteral("q.req")), QStringLiteral("--directory"),
                       folder_.filePath(QStringLiteral("d.json")), QStringLiteral("-o"), out});
        process.waitForFinished(120000);
        QFile written(out);
        written.open(QIODevice::ReadOnly);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, written.readAll(),
                process.readAllStandardError()};
    }

    QStringList Entries() const { return QDir(folder_.path()).entryList(QDir::Files | QDir::Hidden); }

private:
    void Write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(folder_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
    }

    QTemporaryDir folder_;
    QJsonObject directory_;
};

// The positions tried: every one of the first few, then ever further apart.
qint64 NextPosition(qint64 position)
{
    return position < 8 ? position + 1 : position + position / 2;
}

} // namespace

class TestCliFaultSweep : public QObject
{
    Q_OBJECT

private slots:
    void everyCallFailingAtEveryPosition_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<bool>("emptyBatch");
        for (const char *function : {"NWCallsInit",
                                     "NWDSCreateContext",
                                     "NWDSSetContext",
                                     "NWDSGetContext",
                                     "NWDSAllocBuf",
                                     "NWDSInitBuf",
                                     "NWDSPutAttrName",
                                     "NWDSPutClassName",
                                     "NWDSRead",
                                     "NWDSList",
                                     "NWDSListContainers",
                                     "NWDSReadClassDef",
                                     "NWDSReadAttrDef",
                                     "NWDSGetClassDef",
                                     "NWDSGetClassDefCount",
                                     "NWDSGetClassItem",
                                     "NWDSGetClassItemCount",
                                     "NWDSGetAttrDef",
                                     "NWDSGetObjectCount",
                                     "NWDSGetObjectName",
                                     "NWDSGetAttrCount",
                                     "NWDSGetAttrName",
                                     "NWDSComputeAttrValSize",
                                     "NWDSGetAttrVal",
                                     "NWDSOpenStream",
                                     "NWDSDuplicateContextHandle",
                                     "NWDSWhoAmi",
                                     "NWDSGetDefNameContext"})
            QTest::newRow(function) << QString::fromLatin1(function) << false;
        for (const char *function :
             {"NWDSRead", "NWDSList", "NWDSListContainers", "NWDSReadClassDef", "NWDSReadAttrDef"})
            QTest::newRow(qPrintable(QStringLiteral("%1 empty batch").arg(QLatin1String(function))))
                << QString::fromLatin1(function) << true;
    }

    void everyCallFailingAtEveryPosition()
    {
        QFETCH(QString, function);
        QFETCH(bool, emptyBatch);
        Sweep sweep;
        const Outcome clean = sweep.Run({});
        QCOMPARE(clean.status, 0);
        const QStringList entries = sweep.Entries();
        for (qint64 position = 1;; position = NextPosition(position)) {
            QVERIFY2(position < 100000, "the fault never stops mattering");
            QJsonObject fault{{"function", function}, {"from", position}};
            if (emptyBatch)
                fault.insert(QStringLiteral("emptyBatch"), true);
            else
                fault.insert(QStringLiteral("result"), function == QLatin1String("NWDSCreateContext") ? 328 : -1);
            const Outcome faulted = sweep.Run(fault);
            if (faulted == clean)
                break;
            const QByteArray where = QByteArray::number(position) + ": " + faulted.err;
            QVERIFY2(faulted.status == 0 || faulted.status == 1 || faulted.status == 2, where);
            if (faulted.status != 0) {
                QVERIFY2(!faulted.err.trimmed().isEmpty(), where);
                QVERIFY2(faulted.output == kEarlier, where);
            }
            QCOMPARE(sweep.Entries(), entries);
        }
    }
};

QTEST_GUILESS_MAIN(TestCliFaultSweep)
#include "test_cli_fault_sweep.moc"
