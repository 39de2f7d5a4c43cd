#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

namespace {

QJsonObject Object(const QString &name, const QString &className, const QJsonArray &children = {})
{
    QJsonObject object{{"name", name}, {"class", className}};
    if (!children.isEmpty())
        object.insert("children", children);
    return object;
}

QJsonArray Users(const QString &prefix, int count)
{
    QJsonArray users;
    for (int i = 0; i < count; ++i)
        users.append(Object(QStringLiteral("CN=%1%2").arg(prefix).arg(i, 3, 10, QLatin1Char('0')), "User"));
    return users;
}

// Acme: Sales holds 300 users; Staff holds two users and the sub-container Paris, which
// holds a user and a sub-container of the User class's own kind "Group" objects.
QByteArray AcmeDirectory(const QJsonArray &connections = {"ACME____", "ACME", "LAB", "___"})
{
    const QJsonObject schema{
        {"attributes", QJsonArray{QJsonObject{{"name", "CN"}, {"syntax", 3}, {"flags", 0}},
                                  QJsonObject{{"name", "OU"}, {"syntax", 3}, {"flags", 0}},
                                  QJsonObject{{"name", "O"}, {"syntax", 3}, {"flags", 0}}}},
        {"classes", QJsonArray{QJsonObject{{"name", "Top"}, {"flags", 0}},
                               QJsonObject{{"name", "Organization"}, {"flags", 3}, {"super", QJsonArray{"Top"}}},
                               QJsonObject{{"name", "Organizational Unit"}, {"flags", 3}, {"super", QJsonArray{"Top"}}},
                               QJsonObject{{"name", "Group"}, {"flags", 2}, {"super", QJsonArray{"Top"}}},
                               QJsonObject{{"name", "User"}, {"flags", 2}, {"super", QJsonArray{"Top"}}}}}};
    QJsonArray paris = Users("paris", 1);
    paris.append(Object("CN=admins", "Group"));
    QJsonArray staff = Users("staff", 2);
    staff.insert(1, Object("OU=Paris", "Organizational Unit", paris));
    const QJsonArray acme{Object("OU=Sales", "Organizational Unit", Users("sales", 300)),
                          Object("OU=Staff", "Organizational Unit", staff), Object("OU=Empty", "Organizational Unit")};
    const QJsonObject tree{{"name", "ACME"},
                           {"identity", "Admin.Acme"},
                           {"defaultContext", "Sales.Acme"},
                           {"schema", schema},
                           {"objects", QJsonArray{Object("O=Acme", "Organization", acme)}}};
    const QJsonObject lab{{"name", "LAB"},
                          {"identity", "Admin.Lab"},
                          {"schema", schema},
                          {"objects", QJsonArray{Object("O=Lab", "Organization")}}};
    const QJsonObject underscore{{"name", "_"}, {"identity", "x"}, {"schema", schema}, {"objects", QJsonArray{}}};
    QJsonObject file{{"trees", QJsonArray{tree, lab, underscore}}};
    file.insert("connections", connections);
    return QJsonDocument(file).toJson(QJsonDocument::Compact);
}

std::unique_ptr<SimulatedClient> Client()
{
    QString error;
    auto client = SimulatedClient::FromBytes(AcmeDirectory(), "acme.json", &error);
    if (!client)
        qFatal("%s", qPrintable(error));
    return client;
}

struct Recorder {
    QStringList reports;
    DirectoryHooks Hooks()
    {
        return {[this](const QString &text) { reports.append(text); }, {}, {}};
    }
};

QStringList ListAll(tNDS &directory, const QString &name, int32_t *end = nullptr)
{
    QStringList names;
    TNDSObj listing;
    int32_t result = ListFirst(directory, directory.Context, name, false, listing);
    for (; result == 0; result = ListNext(listing))
        names.append(listing.EntryName);
    if (end)
        *end = result;
    if (listing.ResultBuffer || listing.ListContext)
        qFatal("a listing that ended still holds its buffer or context");
    return names;
}

} // namespace

class TestNds : public QObject
{
    Q_OBJECT
private slots:
    void startsOnThePrimaryTree()
    {
        auto client = Client();
        Recorder recorder;
        tNDS directory(*client, recorder.Hooks());
        QCOMPARE(directory.LastError, 0);
        QCOMPARE(directory.TreeName, QStringLiteral("ACME"));
        QCOMPARE(directory.UserName, QStringLiteral("Admin.Acme"));
        QCOMPARE(directory.CurrentContext, QStringLiteral("Sales.Acme"));
        QVERIFY(recorder.reports.isEmpty());
    }

    void startFailuresAreReportedAndDestroyCleanly_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("lastError");
        QTest::addColumn<QString>("report");
        QTest::newRow("client") << "NWCallsInit" << 0x8801 << 0x8801 << "NWCallsInit Failed\rError Code: 34817";
        QTest::newRow("context") << "NWDSCreateContext" << 328 << -1 << "NWDSCreateContext Failed";
    }
    void startFailuresAreReportedAndDestroyCleanly()
    {
        QFETCH(QString, function);
        QFETCH(int, result);
        auto client = Client();
        DirectoryFault fault;
        fault.function = function;
        fault.result = result;
        QVERIFY(client->AddFault(fault));
        Recorder recorder;
        {
            tNDS directory(*client, recorder.Hooks());
            QTEST(directory.LastError, "lastError");
            QVERIFY(!directory.ClassDefs);
            QVERIFY(!directory.AttributeDefs);
        }
        QCOMPARE(recorder.reports, QStringList{QTest::currentDataTag() == QByteArray("client")
                                                   ? QStringLiteral("NWCallsInit Failed\rError Code: 34817")
                                                   : QStringLiteral("NWDSCreateContext Failed")});
    }

    void treesAreTrimmedSortedAndKeptOnce()
    {
        auto client = Client();
        tNDS directory(*client);
        const std::vector<tTreeItem> trees = directory.GetTrees();
        QCOMPARE(trees.size(), size_t(3));
        QCOMPARE(trees[0].Name, QStringLiteral("_"));
        QCOMPARE(trees[1].Name, QStringLiteral("ACME"));
        QCOMPARE(trees[1].Connection, NWCONN_HANDLE(1)); // the first of its two connections
        QCOMPARE(trees[2].Name, QStringLiteral("LAB"));
    }

    void parentMovesReachTheRootInAnyCase()
    {
        auto client = Client();
        tNDS directory(*client);
        QVERIFY(directory.ChangeContext(".."));
        QCOMPARE(directory.CurrentContext, QStringLiteral("Acme"));
        QCOMPARE(directory.GetContainers(), (QStringList{"..", "Sales", "Staff", "Empty"}));
        QVERIFY(directory.ChangeContext(".."));
        QCOMPARE(directory.CurrentContext.toUpper(), QStringLiteral("[ROOT]"));
        QCOMPARE(directory.GetContainers(), QStringList{"Acme"});
        QVERIFY(directory.ChangeContext("staff.ACME"));
        QCOMPARE(directory.GetContainers(), (QStringList{"..", "Paris"}));
        QVERIFY(directory.ChangeContext("Paris.Staff.Acme"));
        QCOMPARE(directory.CurrentContext.toUpper(), QStringLiteral("PARIS.STAFF.ACME"));
        QVERIFY(directory.ChangeContext(".."));
        QCOMPARE(directory.CurrentContext.toUpper(), QStringLiteral("STAFF.ACME"));
        QVERIFY(directory.ChangeContext("[root]"));
        QCOMPARE(directory.GetContainers(), QStringList{"Acme"});
    }

    void reportsAreRecordedButNotShownWhileShowErrorsIsOff()
    {
        auto client = Client();
        Recorder recorder;
        tNDS directory(*client, recorder.Hooks());
        directory.ShowErrors = false;
        QVERIFY(!directory.ChangeContext("Nowhere.Acme"));
        QVERIFY(recorder.reports.isEmpty());
        QVERIFY(directory.LastError != 0);
        QVERIFY(directory.LastErrorText.startsWith("NWDSetContext Failed"));
        directory.ShowErrors = true;
        QVERIFY(!directory.ChangeContext("Nowhere.Acme"));
        QCOMPARE(recorder.reports.size(), 1);
    }

    void failedContextChangeKeepsTheOldOne()
    {
        auto client = Client();
        Recorder recorder;
        tNDS directory(*client, recorder.Hooks());
        QVERIFY(!directory.ChangeContext("Nowhere.Acme"));
        QCOMPARE(directory.CurrentContext, QStringLiteral("Sales.Acme"));
        QCOMPARE(recorder.reports.size(), 1);
        QVERIFY(recorder.reports.first().startsWith("NWDSetContext Failed"));
    }

    void selectingATreeMovesToItsDefaultContext()
    {
        auto client = Client();
        tNDS directory(*client);
        QVERIFY(directory.SelectTree("LAB"));
        QCOMPARE(directory.CurrentContext.toUpper(), QStringLiteral("[ROOT]"));
        QCOMPARE(directory.UserName, QStringLiteral("Admin.Lab"));
        QVERIFY(!directory.SelectTree("NOSUCHTREE"));
        QVERIFY(directory.LastError != 0);
    }

    void listingsSpanSeveralBatches()
    {
        auto client = Client();
        tNDS directory(*client);
        const QStringList names = ListAll(directory, "Sales.Acme");
        QCOMPARE(names.size(), 300);
        QCOMPARE(names.first(), QStringLiteral("sales000"));
        QCOMPARE(names.last(), QStringLiteral("sales299"));
    }

    void emptyBatchInTheMiddleNeitherRepeatsNorEnds()
    {
        auto client = Client();
        DirectoryFault fault;
        fault.function = "NWDSList";
        fault.from = 2;
        fault.emptyBatch = true;
        QVERIFY(client->AddFault(fault));
        tNDS directory(*client);
        QStringList names = ListAll(directory, ".sales.acme");
        QCOMPARE(names.size(), 300);
        QCOMPARE(names.removeDuplicates(), 0);
    }

    void listingErrorMidwayEndsAndFrees()
    {
        auto client = Client();
        DirectoryFault fault;
        fault.function = "NWDSList";
        fault.result = -601;
        fault.from = 3;
        QVERIFY(client->AddFault(fault));
        tNDS directory(*client);
        int32_t end = 0;
        const QStringList names = ListAll(directory, "Sales.Acme", &end);
        QCOMPARE(end, -601);
        QVERIFY(names.size() > 0 && names.size() < 300);
    }

    void emptyContainerEndsAtOnce()
    {
        auto client = Client();
        tNDS directory(*client);
        TNDSObj listing;
        QCOMPARE(ListFirst(directory, directory.Context, "Empty.Acme", false, listing), -1);
        QVERIFY(!listing.ResultBuffer);
        QCOMPARE(listing.ListContext, 0);
    }

    void listStopEndsOnTheNextStep()
    {
        auto client = Client();
        tNDS directory(*client);
        TNDSObj listing;
        QCOMPARE(ListFirst(directory, directory.Context, "Sales.Acme", false, listing), 0);
        ListStop(listing);
        QCOMPARE(ListNext(listing), -1);
        QVERIFY(!listing.ResultBuffer);
    }

    void nameParts()
    {
        QCOMPARE(FirstNamePart("Sales.Acme"), QStringLiteral("Sales"));
        QCOMPARE(RestOfName("Sales.Acme"), QStringLiteral("Acme"));
        QCOMPARE(FirstNamePart("Acme"), QStringLiteral("Acme"));
        QCOMPARE(RestOfName("Acme"), QString());
    }

    void enumerationWalksDepthFirst()
    {
        auto client = Client();
        tNDS directory(*client);
        QStringList seen;
        directory.EnumObjects(
            "Staff.Acme", true, 7,
            [&](const QString &container, const TNDSObj &entry, int32_t data, bool &stop) {
                QCOMPARE(data, 7);
                QVERIFY(!stop);
                seen.append(entry.EntryName + "." + container);
            },
            "User");
        QCOMPARE(seen, (QStringList{"staff000.Staff.Acme", "paris000.Paris.Staff.Acme", "staff001.Staff.Acme"}));
    }

    void enumerationWithoutRecursionOrClass()
    {
        auto client = Client();
        tNDS directory(*client);
        QStringList seen;
        const auto collect = [&](const QString &, const TNDSObj &entry, int32_t, bool &) {
            seen.append(entry.EntryName);
        };
        directory.EnumObjects("Staff.Acme", false, 0, collect, QString());
        QCOMPARE(seen, (QStringList{"staff000", "Paris", "staff001"}));
        seen.clear();
        directory.EnumObjects("Staff.Acme", true, 0, collect, "user"); // the class is matched exactly
        QVERIFY(seen.isEmpty());
        directory.EnumObjects("Empty.Acme", true, 0, collect, QString());
        QVERIFY(seen.isEmpty());
    }

    void stopFlagBelongsToOneLevel()
    {
        auto client = Client();
        tNDS directory(*client);
        QStringList seen;
        // Stopping in the nested level (Paris) ends that level only; the enclosing one
        // goes on with its next object and stops when its own callback says so.
        directory.EnumObjects(
            "Staff.Acme", true, 0,
            [&](const QString &container, const TNDSObj &entry, int32_t, bool &stop) {
                seen.append(entry.EntryName);
                stop = container.startsWith("Paris") || entry.EntryName == "staff001";
            },
            QString());
        QCOMPARE(seen, (QStringList{"staff000", "Paris", "paris000", "staff001"}));
    }
};

QTEST_GUILESS_MAIN(TestNds)
#include "test_nds.moc"
