// A run of veltrane-cli over a small directory with each client call failing from each of
// its positions in the run on (batched calls also answering one empty batch there). The
// query sorts, tests conditions, reads a multi-valued and a stream property and shortens
// names. Every report on standard error is one of the texts of the failing call, whole;
// the lines written are those of the fault-free run over the same directory with what
// the failed reads missed taken out (the conditions decide on what was read); a failure
// that stops the work exits with status 1 and leaves the earlier output file whole.

#include "FaultSweepReports.h"
#include "FaultSweepRuns.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

#include <algorithm>
#include <vector>

namespace {

const QByteArray kQuery = "[options]\r\nclass=User\r\ncontext=Acme\r\nrecursive=1\r\nsortbycn=1\r\n"
                          "fieldsonfirstline=1\r\ncleancontext=1\r\naddcontainer=1\r\nusedelimiter=1\r\n"
                          "valseparator=;\r\nnbproperties=8\r\nnbfilters=8\r\n[Properties]\r\n0=CN\r\n"
                          "1=Surname\r\n2=Telephone Number\r\n3=Description\r\n4=Home Directory\r\n"
                          "5=Login Script\r\n6=Login Grace Limit\r\n7=Title\r\n"
                          "[Filter0]\r\nop=0\r\n[Filter1]\r\nop=1\r\n[Filter2]\r\nop=0\r\n[Filter3]\r\nop=0\r\n"
                          "[Filter4]\r\nop=0\r\n[Filter5]\r\nop=0\r\n[Filter6]\r\nop=10\r\ntip=1\r\nv1=6\r\ndisp=0\r\n"
                          "[Filter7]\r\nop=2\r\n";
// Runs at the same time: the positions tried in one go.
constexpr size_t kBatch = 2;

// The positions tried: each of the first ones, where the start-up, the catalogue and the
// first objects are read, then ever further apart, so that the sweep stays short under
// the sanitizers; every one with VELTRANE_SWEEP_ALL set (about four times as long).
qint64 NextPosition(qint64 position)
{
    static const bool every = qEnvironmentVariableIsSet("VELTRANE_SWEEP_ALL");
    return every || position < 16 ? position + 1 : position + position / 4;
}

// The lines of the fault-free run without what was missed: a value cut short may have
// been cut at any of its values, so each count kept is tried from the most down.
bool FollowsTheRules(FaultSweepRuns &runs, SweepMissed missed, const SweepOutcome &faulted, const QStringList &counters)
{
    for (;;) {
        const SweepOutcome expected = runs.RunWithout({missed}).front();
        if (expected.status == 0 && expected.output == faulted.output && expected.err == counters)
            return true;
        auto shorter = std::find_if(missed.attributes.begin(), missed.attributes.end(),
                                    [](const auto &entry) { return entry.second > 0; });
        if (shorter == missed.attributes.end())
            return false;
        --shorter->second;
    }
}

QJsonArray Failing(const QString &function, qint64 position)
{
    const int result = function == QLatin1String("NWDSCreateContext") ? 328 : FaultSweepReports::kCode;
    return {QJsonObject{{"function", function}, {"from", position}, {"result", result}}};
}

QJsonArray EmptyBatch(const QString &function, qint64 position)
{
    return {QJsonObject{{"function", function}, {"from", position}, {"emptyBatch", true}}};
}

} // namespace

class TestCliFaultSweep : public QObject
{
    Q_OBJECT

private slots:
    // A value read failing on a value of a multi-valued property keeps the values before
    // it, and the object's line shows them: the sweep cannot tell where its faults hit.
    void valueReadFailingMidwayKeepsTheValuesBefore()
    {
        FaultSweepRuns runs(kQuery);
        std::vector<QJsonArray> faults;
        std::vector<SweepMissed> missed;
        for (const char *function : {"NWDSComputeAttrValSize", "NWDSGetAttrVal"}) {
            for (int from = 1; from <= 3; ++from) {
                faults.push_back({QJsonObject{{"function", function},
                                              {"object", "jdoe.Sales.Acme"},
                                              {"attribute", "Telephone Number"},
                                              {"from", from},
                                              {"result", FaultSweepReports::kCode}}});
                missed.push_back({{}, {{{"jdoe.Sales.Acme", "Telephone Number"}, from - 1}}});
            }
        }
        const std::vector<SweepOutcome> faulted = runs.Run(faults);
        const std::vector<SweepOutcome> expected = runs.RunWithout(missed);
        for (size_t i = 0; i < faulted.size(); ++i) {
            QCOMPARE(faulted[i].status, 0);
            QCOMPARE(faulted[i].output, expected[i].output);
            QCOMPARE(faulted[i].err.size(), expected[i].err.size() + 1);
        }
    }

    void everyCallFailingAtEveryPosition_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<bool>("batched");
        const QStringList batched = {"NWDSRead", "NWDSList", "NWDSListContainers", "NWDSReadClassDef",
                                     "NWDSReadAttrDef"};
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
            QTest::newRow(function) << QString::fromLatin1(function) << batched.contains(function);
    }

    void everyCallFailingAtEveryPosition()
    {
        QFETCH(QString, function);
        QFETCH(bool, batched);
        FaultSweepRuns runs(kQuery);
        const SweepOutcome clean = runs.Run({{}}).front();
        QCOMPARE(clean.status, 0);
        const FaultSweepReports reports(function);
        int pairs = 0;
        bool mattered = true;
        for (qint64 next = 1; mattered;) {
            QVERIFY2(next < 10000, "the fault never stops mattering");
            std::vector<qint64> positions;
            std::vector<QJsonArray> faults;
            for (; positions.size() < kBatch; next = NextPosition(next)) {
                positions.push_back(next);
                faults.push_back(Failing(function, next));
                if (batched)
                    faults.push_back(EmptyBatch(function, next));
            }
            const std::vector<SweepOutcome> outcomes = runs.Run(faults);
            // What the reads missed, for each position until the fault stops mattering.
            std::vector<SweepMissed> missed;
            std::vector<QStringList> counters;
            const size_t step = batched ? 2 : 1;
            for (size_t i = 0; i < outcomes.size(); i += step) {
                const SweepOutcome &faulted = outcomes[i];
                const qint64 position = positions[i / step];
                if (faulted == clean) {
                    mattered = false;
                    break;
                }
                pairs += int(step);
                const QByteArray where = QByteArray::number(position) + ": " + faulted.err.join('\n').toUtf8();
                bool stopped = false;
                missed.emplace_back();
                counters.emplace_back();
                QVERIFY2(reports.Read(faulted.err, runs, missed.back(), stopped, counters.back()), where);
                QCOMPARE(faulted.files, clean.files);
                if (stopped) {
                    QVERIFY2(faulted.status == 1, where);
                    QVERIFY2(counters.back().isEmpty(), where);
                    QVERIFY2(faulted.output == FaultSweepRuns::Earlier(), where);
                    missed.pop_back();
                    counters.pop_back();
                } else {
                    QVERIFY2(faulted.status == 0, where);
                }
                // An empty batch in the middle of a read or a listing changes nothing.
                if (batched)
                    QVERIFY2(outcomes[i + 1] == clean, where);
            }
            runs.RunWithout(missed);
            for (size_t i = 0, m = 0; i < outcomes.size() && m < missed.size(); i += step) {
                if (outcomes[i].status != 0)
                    continue;
                QVERIFY2(FollowsTheRules(runs, missed[m], outcomes[i], counters[m]),
                         outcomes[i].err.join('\n').toUtf8());
                ++m;
            }
        }
        qInfo("%s: %d pairs", qPrintable(function), pairs);
    }
};

QTEST_GUILESS_MAIN(TestCliFaultSweep)
#include "test_cli_fault_sweep.moc"
