#include "directory/LocaleFormats.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"
#include "engine/CollationOrder.h"
#include "engine/ShortName.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QTest>

#include <functional>
#include <stdexcept>

namespace {

// Records what a progress window would show, and the result lines.
class Recorder : public TExportObserver
{
public:
    bool ShowsLabels() const override { return labels; }
    void SetCaption(const QString &text) override { captions << text; }
    void SetL1(const QString &text) override { l1 << text; }
    void SetL2(const QString &text) override { l2 << text; }
    void SetProgressMaximum(int value) override { maximum = value; }
    void SetProgressPosition(int value) override { position = value; }
    void SetHitsCount(const QString &text) override { hits = text; }
    void SetObjectsScanned(const QString &text) override { scanned = text; }
    void ShowInfo(const QString &text) override { infos << text; }
    void SetBusy(bool on) override { busy = on; }
    void ClearResults() override { lines.clear(); }
    bool AddLine(const QString &line) override
    {
        if (failAfter >= 0 && lines.size() >= failAfter)
            return false;
        lines << line;
        if (onLine)
            onLine(line);
        return true;
    }

    QStringList captions, l1, l2, infos, lines;
    QString hits, scanned;
    int maximum = 0, position = 0, failAfter = -1;
    bool busy = false, labels = true;
    std::function<void(const QString &)> onLine;
};

struct Fixture {
    explicit Fixture(const QByteArray &json = {})
    {
        QString error;
        client = json.isEmpty() ? SimulatedClient::FromFile(VELTRANE_TEST_DATA "/cli/acme.json", &error)
                                : SimulatedClient::FromBytes(json, QStringLiteral("names.json"), &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        DirectoryHooks hooks;
        hooks.Reporter = [this](const QString &text) { reports << text; };
        hooks.EventPump = [this] {
            if (pump)
                pump();
        };
        directory = std::make_unique<tNDS>(*client, hooks);
    }

    std::unique_ptr<SimulatedClient> client;
    std::unique_ptr<tNDS> directory;
    QStringList reports;
    std::function<void()> pump;
};

tCondition Shown()
{
    return tCondition(0, dtString, {}, {}, "String", true);
}

TExportJob Job(const std::vector<TExportJob::Row> &rows)
{
    TExportJob job;
    job.context = "Acme";
    job.className = "User";
    job.filter = "*";
    job.recursive = true;
    job.rows = rows;
    return job;
}

// Short names of letters in both cases, accented letters, digits, punctuation and
// characters the collator ignores or takes for others: many compare equal.
QStringList RandomNames(int count, quint32 seed)
{
    const QString alphabet = QString::fromUtf8("aAbBeEéÉèoOœŒß-. '1290ｅﬁ\u00AD");
    QRandomGenerator random(seed);
    QStringList names;
    for (int i = 0; i < count; ++i) {
        QString name;
        for (int length = random.bounded(1, 6); length > 0; --length)
            name += alphabet.at(random.bounded(alphabet.size()));
        names << name;
    }
    return names;
}

} // namespace

class TestExportRun : public QObject
{
    Q_OBJECT private slots : void init() { LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France)); }
    void cleanup() { LocaleFormats::ResetLocale(); }

    void runShowsItsProgress()
    {
        Fixture fixture;
        const tCondition cn = Shown();
        TExportJob job = Job({{"CN", &cn}});
        job.context = "Staff.Acme";
        job.sqlText = QStringList{"SELECT CN", "FROM User"};
        Recorder recorder;
        TExportRun run(*fixture.directory, job, recorder);
        run.RunExport();
        QCOMPARE(recorder.lines, (QStringList{"SELECT CN", "FROM User", "CN", "zoe"}));
        QCOMPARE(recorder.captions, (QStringList{"Determination des membres de la classe User",
                                                 "Recherche et filtrage des propriétés..."}));
        QCOMPARE(recorder.l1, (QStringList{"Lecture de zoe.Staff.Acme", "Lecture de zoe.Staff.Acme"}));
        QCOMPARE(recorder.l2, (QStringList{"1 objet(s) trouvé(s)", "Lecture de CN"}));
        QCOMPARE(recorder.scanned, QStringLiteral("1 objets analysés"));
        QCOMPARE(recorder.hits, QStringLiteral("1 lignes trouvées"));
        QCOMPARE(recorder.maximum, 1);
        QCOMPARE(recorder.position, 1);
        QVERIFY(!recorder.busy);

        // Where no label is shown, the run writes the same and ends with the same counts.
        Recorder quiet;
        quiet.labels = false;
        TExportRun quietRun(*fixture.directory, job, quiet);
        quietRun.RunExport();
        QCOMPARE(quiet.lines, recorder.lines);
        QVERIFY(quiet.l1.isEmpty());
        QVERIFY(quiet.l2.isEmpty());
        QCOMPARE(quiet.scanned, recorder.scanned);
        QCOMPARE(quiet.hits, recorder.hits);
        QCOMPARE(quiet.position, 1);
    }

    void nothingFound()
    {
        Fixture fixture;
        const tCondition cn = Shown();
        TExportJob job = Job({{"CN", &cn}});
        job.filter = "nobody*";
        Recorder recorder;
        TExportRun(*fixture.directory, job, recorder).RunExport();
        QCOMPARE(recorder.infos, QStringList{" Aucun objet trouvé"});
        QVERIFY(recorder.lines.isEmpty());
        QCOMPARE(recorder.hits, QString());
    }

    void cancelWhileCollectingWritesNoObject()
    {
        Fixture fixture;
        const tCondition cn = Shown();
        const TExportJob job = Job({{"CN", &cn}});
        Recorder recorder;
        TExportRun run(*fixture.directory, job, recorder);
        fixture.pump = [&] {
            if (recorder.l2.size() == 2)
                run.Cancelled = true;
        };
        run.RunExport();
        QVERIFY(recorder.lines.isEmpty());
        QVERIFY(recorder.infos.isEmpty());
        QCOMPARE(recorder.scanned, QString());
    }

    void cancelWhileExportingKeepsTheCurrentLine()
    {
        Fixture fixture;
        const tCondition cn = Shown();
        const tCondition surname = Shown();
        TExportJob job = Job({{"CN", &cn}, {"Surname", &surname}});
        job.fieldsonfirstline = false;
        Recorder recorder;
        TExportRun run(*fixture.directory, job, recorder);
        // Cancel once the second object's CN is read: its Surname is skipped, its line
        // is written with the fields read so far, and no further object is read.
        fixture.pump = [&] {
            if (recorder.l2.endsWith("Lecture de CN") && recorder.lines.size() == 1)
                run.Cancelled = true;
        };
        run.RunExport();
        QCOMPARE(recorder.lines, (QStringList{"admin\tAdmin", "Alice"}));
        QCOMPARE(recorder.hits, QStringLiteral("2 lignes trouvées"));
    }

    // An exception of an event handler run from the pump is not an unreadable object: it
    // leaves the run, and no "erreur en lecture" line stands for it.
    void exceptionFromTheEventPumpLeavesTheRun()
    {
        Fixture fixture;
        const tCondition cn = Shown();
        TExportJob job = Job({{"CN", &cn}});
        job.fieldsonfirstline = false;
        Recorder recorder;
        TExportRun run(*fixture.directory, job, recorder);
        fixture.pump = [&] {
            if (recorder.l2.endsWith("Lecture de CN"))
                throw std::runtime_error("handler");
        };
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, run.RunExport());
        QVERIFY(recorder.lines.isEmpty());
    }

    void failedWriteStopsTheRun()
    {
        Fixture fixture;
        const tCondition cn = Shown();
        const TExportJob job = Job({{"CN", &cn}});
        Recorder recorder;
        recorder.failAfter = 3;
        TExportRun run(*fixture.directory, job, recorder);
        run.RunExport();
        QVERIFY(run.WriteFailed);
        QCOMPARE(recorder.lines, (QStringList{"CN", "admin", "Alice"}));
        // The object whose line was refused is the last one read.
        QCOMPARE(recorder.position, 3);
    }

    void unreadableObjectIsReportedAndRejectedByExists()
    {
        Fixture fixture;
        const tCondition exists(1, dtString, {}, {}, "String", true);
        TExportJob job = Job({{"CN", &exists}});
        job.context = "Sales.Acme";
        job.filter = "b*";
        job.fieldsonfirstline = false;
        Recorder recorder;
        TExportRun(*fixture.directory, job, recorder).RunExport();
        QCOMPARE(recorder.lines, QStringList{"bob"});
        QVERIFY(!fixture.reports.isEmpty());
        QVERIFY(fixture.reports.first().contains("broken.Sales.Acme"));
    }

    void sortedByFullNameInTheLocaleOrder()
    {
        // Accents and letter case weigh less than the letters that follow, and an
        // object's own name comes before its container's.
        const QByteArray json = R"({"trees": [{"name": "NAMES", "identity": "Admin", "defaultContext": "Acme",
            "schema": {"attributes": [{"name": "CN", "syntax": 3}, {"name": "O", "syntax": 3},
                                      {"name": "OU", "syntax": 3}],
                       "classes": [{"name": "Organization", "flags": 3}, {"name": "Organizational Unit", "flags": 3},
                                   {"name": "User", "flags": 2}]},
            "objects": [{"name": "O=Acme", "class": "Organization", "children": [
                {"name": "CN=Zoé", "class": "User", "values": {"CN": ["Zoé"]}},
                {"name": "OU=Été", "class": "Organizational Unit", "children": [
                    {"name": "CN=zoe", "class": "User", "values": {"CN": ["zoe"]}},
                    {"name": "CN=Emile", "class": "User", "values": {"CN": ["Emile"]}}]},
                {"name": "CN=Ève", "class": "User", "values": {"CN": ["Ève"]}},
                {"name": "CN=eric", "class": "User", "values": {"CN": ["eric"]}},
                {"name": "CN=émile", "class": "User", "values": {"CN": ["émile"]}}]}]}]})";
        Fixture fixture(json);
        const tCondition cn = Shown();
        TExportJob job = Job({{"CN", &cn}});
        job.fieldsonfirstline = false;
        Recorder recorder;
        TExportRun(*fixture.directory, job, recorder).RunExport();
        QCOMPARE(recorder.lines, (QStringList{"émile", "Emile", "eric", "Ève", "Zoé", "zoe"}));
        QCOMPARE(recorder.scanned, QStringLiteral("6 objets analysés"));
        QVERIFY(fixture.reports.isEmpty());
    }

    void collationOrder_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<uint32_t>>("order");
        QTest::newRow("none") << QStringList{} << QList<uint32_t>{};
        QTest::newRow("letter case: the first is kept")
            << QStringList{"b", "Alice", "alice", "ALICE"} << QList<uint32_t>{1, 0};
        QTest::newRow("accents after letters") << QStringList{"eb", "éa", "Éa"} << QList<uint32_t>{1, 0};
        QTest::newRow("beyond eight characters")
            << QStringList{"abcdefghz", "ABCDEFGHa", "abcdefgh"} << QList<uint32_t>{2, 1, 0};
    }
    void collationOrder()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<uint32_t>, order);
        QCollator collator(LocaleFormats::Locale());
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        const std::vector<uint32_t> sorted =
            CollationOrder(collator, names.size(), [&](qsizetype i) { return names[i]; });
        QCOMPARE(QList<uint32_t>(sorted.begin(), sorted.end()), order);
    }

    // Chunks sorted apart then merged give the order of a single sort: equal names in
    // different chunks, the first position winning, and names the rough pre-order puts
    // elsewhere than the collator (punctuation, digits, letters beyond ASCII, ignorables).
    // The order by collation keys, ties by position, the first of equal names kept: what
    // the sort must give however it compares.
    static std::vector<uint32_t> KeyOrder(const QCollator &collator, const QStringList &names)
    {
        std::vector<std::pair<QCollatorSortKey, uint32_t>> keys;
        for (qsizetype i = 0; i < names.size(); ++i)
            keys.emplace_back(collator.sortKey(names[i]), uint32_t(i));
        std::stable_sort(keys.begin(), keys.end(),
                         [](const auto &a, const auto &b) { return a.first.compare(b.first) < 0; });
        std::vector<uint32_t> order;
        for (size_t i = 0; i < keys.size(); ++i) {
            if (i == 0 || keys[i - 1].first.compare(keys[i].first) != 0)
                order.push_back(keys[i].second);
        }
        return order;
    }

    void collationOrderInChunks_data()
    {
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QList<qsizetype>>("chunks");
        const QList<qsizetype> small{1, 2, 3};
        QTest::newRow("letter case") << QStringList{"bob", "Alice", "ALICE", "alice", "Bob", "aLiCe", "BOB"} << small;
        QTest::newRow("accents") << QStringList{"eb", "éa", "Éa", "ea", "ÉA", "èa", "ëa", "e"} << small;
        // Each later name equals an earlier one that the rough order puts after it.
        QTest::newRow("equal, rough order reversed")
            << QStringList{"stra\u00DFe", "STRASSE", "a\u00ADb", "ab", "\uFF41\uFF42", "\uFB01n", "FIN", "AB"} << small;
        QTest::newRow("punctuation and digits")
            << QStringList{"a-b", "a b", "ab", "a.b", "a'b", "10", "9", "1-0", "-ab", "A-B", "a_b", "2", "ab2", "ab10"}
            << QList<qsizetype>{1, 2, 3, 5};
        QTest::newRow("beyond ASCII") << QStringList{"Øle",      "ole",      "Zoé",   "Ölaf",   "olaf",
                                                     "Łukasz",   "lukasz",   "Œuvre", "oeuvre", "Ørjan",
                                                     "Ångström", "angstrom", "Ωmega", "омега",  "ÅNGSTRÖM"}
                                      << QList<qsizetype>{1, 2, 4, 13};
        QTest::newRow("empty and ignorable") << QStringList{"\u00AD", "b", "", "\u00AD\u00AD", "", "a"} << small;
        QTest::newRow("random") << RandomNames(3000, 20240613) << QList<qsizetype>{1, 2, 7, 64, 2999};
        // As listings come: nearly in order, a few out of place, some twice in another case.
        QStringList listed;
        for (int i = 0; i < 2000; ++i)
            listed << QStringLiteral("user%1.Users.Acme").arg(i, 4, 10, QLatin1Char('0'));
        QRandomGenerator random(7);
        for (int i = 0; i < 20; ++i)
            listed.swapItemsAt(random.bounded(2000), random.bounded(2000));
        for (int i = 0; i < 10; ++i)
            listed.insert(random.bounded(2000), listed.at(random.bounded(2000)).toUpper());
        QTest::newRow("nearly in order") << listed << QList<qsizetype>{1, 100, 3000};
    }
    void collationOrderInChunks()
    {
        QFETCH(QStringList, names);
        QFETCH(QList<qsizetype>, chunks);
        const auto name = [&](qsizetype i) { return names[i]; };
        // Each case has equal names; the C locale's collator compares names otherwise
        // than its keys do.
        for (const QLocale &locale : {LocaleFormats::Locale(), QLocale::c()}) {
            QCollator collator(locale);
            collator.setCaseSensitivity(Qt::CaseInsensitive);
            const std::vector<uint32_t> single = CollationOrder(collator, names.size(), name);
            QVERIFY(locale.language() == QLocale::C || single.size() < size_t(names.size()));
            QCOMPARE(single, KeyOrder(collator, names));
            for (const qsizetype chunk : chunks)
                QCOMPARE(CollationOrder(collator, names.size(), name, chunk), single);
        }
    }

    void formulaGuardMarksOnlyFieldsThatStartAFormula()
    {
        const QByteArray users = R"json([
            {"name": "CN=a", "class": "User", "values": {"CN": ["a"], "Title": ["=1+1"]}},
            {"name": "CN=b", "class": "User", "values": {"CN": ["b"], "Title": ["+33 1"]}},
            {"name": "CN=c", "class": "User", "values": {"CN": ["c"], "Title": ["-2"]}},
            {"name": "CN=d", "class": "User", "values": {"CN": ["d"], "Title": ["@SUM(A1)"]
}
},
            {"name": "CN=e", "class": "User", "values": {"CN": ["e"], "Title": ["\tx"]}},
            {"name": "CN=f", "class": "User", "values": {"CN": ["f"], "Title": ["\ry"]}},
            {"name": "CN=g", "class": "User", "values": {"CN": ["g"], "Title": ["a=b", "=c"]}},
            {"name": "CN=h", "class": "User", "values": {"CN": ["h"], "Title": ["'quoted"]}}])json";
        Fixture fixture(R"({"connections": ["T"], "trees": [{"name": "T", "identity": "Admin.Acme",
            "defaultContext": "Acme", "schema": {"attributes": [{"name": "CN", "syntax": 3},
            {"name": "O", "syntax": 3}, {"name": "Title", "syntax": 3}], "classes": [{"name": "Top", "flags": 0},
            {"name": "Organization", "flags": 3, "super": ["Top"], "naming": ["O"], "mandatory": ["O"]},
            {"name": "User", "flags": 2, "super": ["Top"], "naming": ["CN"], "mandatory": ["CN"],
            "optional": ["Title"]}]}, "objects": [{"name": "O=Acme", "class": "Organization",
            "values": {"O": ["Acme"]}, "children": )" +
                        users + "}]}]}");
        const tCondition shown = Shown();
        TExportJob job = Job({{"CN", &shown}, {"Title", &shown}});
        job.fieldsonfirstline = false;
        job.formulaGuard = true;
        Recorder recorder;
        TExportRun(*fixture.directory, job, recorder).RunExport();
        QCOMPARE(recorder.lines, (QStringList{"a\t'=1+1", "b\t'+33 1", "c\t'-2", "d\t'@SUM(A1)", "e\t'\tx", "f\t'\ry",
                                              "g\ta=b =c", "h\t'quoted"}));
        // Inside a delimiter the apostrophe comes first in the enclosed text.
        job.delimiter = "\"";
        Recorder enclosed;
        TExportRun(*fixture.directory, job, enclosed).RunExport();
        QCOMPARE(enclosed.lines.constFirst(), QStringLiteral("\"a\"\t\"'=1+1\""));
        // Off, nothing is marked.
        job.formulaGuard = false;
        job.delimiter.clear();
        Recorder off;
        TExportRun(*fixture.directory, job, off).RunExport();
        QCOMPARE(off.lines.constFirst(), QStringLiteral("a\t=1+1"));
    }

    void shortNames_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "jdoe"
                               << "String"
                               << "jdoe";
        QTest::newRow("name") << "NDS:\\\\ACME\\Acme\\Sales\\jdoe"
                              << "String"
                              << "jdoe";
        QTest::newRow("name, comma") << "NDS:\\\\T\\a\\b,c\\d"
                                     << "String"
                                     << "d";
        QTest::newRow("path") << "NDS:\\\\T\\Acme\\SYS,USERS\\JD"
                              << "NWPath"
                              << "SYS,USERS\\JD";
        QTest::newRow("path, no comma") << "NDS:\\\\T\\Acme\\SYS"
                                        << "NWPath"
                                        << "NDS:\\\\T\\Acme\\SYS";
        QTest::newRow("path, marker after comma") << "SYS,NDS:\\\\T\\x"
                                                  << "NWPath"
                                                  << "SYS,NDS:\\\\T\\x";
        QTest::newRow("type compared exactly") << "NDS:\\\\T\\SYS,x"
                                               << "nwpath"
                                               << "SYS,x";
    }
    void shortNames()
    {
        QFETCH(QString, value);
        QFETCH(QString, type);
        QTEST(ShortName(value, type), "expected");
    }
};

QTEST_GUILESS_MAIN(TestExportRun)
#include "test_export_run.moc"
