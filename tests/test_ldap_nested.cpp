// Recursive exports of a nested slapd tree whose containers hold more than a page of
// entries, with sub-containers among a parent's first entries and among its last: every
// object is exported once, in the order a directory file of the same tree gives, whether
// one subtree search serves the listings or each container is listed on its own (an open
// listing's remaining pages read ahead whole, or it starts over later).

#include "LdapFixture.h"
#include "SlapdServer.h"
#include "directory/LocaleFormats.h"
#include "directory/ldap/LdapClient.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

#include <vector>

namespace {

// A container of the tree: its users (cn=PREFIXnnnn), and its sub-containers before or
// after them.
struct Container {
    QString ou;
    int users = 0;
    std::vector<Container> first;
    std::vector<Container> last;
};

// People: two sub-containers in its first page, 2,500 users, one sub-container in its
// last page. Eng (1,501 entries) and Storage (700 users) take several pages each; each
// container's listing takes more than one batch of the caller's buffer.
Container Tree()
{
    Container storage{"Storage", 700, {}, {}};
    Container eng{"Eng", 1500, {storage}, {}};
    Container sales{"Sales", 50, {}, {}};
    Container late{"Late", 20, {}, {}};
    return {"People", 2500, {eng, sales}, {late}};
}

// What the server logs for a one-level search of People or a container below it.
constexpr char PeopleListings[] = "ou=People,o=Acme\" scope=1 ";
// What it logs for a subtree search of Eng, below People.
constexpr char SubtreesBelow[] = "ou=Eng,ou=People,o=Acme\" scope=2 ";
// What it logs for a search of one of them.
constexpr char ContainerReads[] = "ou=People,o=Acme\" scope=0 ";

constexpr int Users = 2500 + 1500 + 700 + 50 + 20;

QString UserName(const Container &container, int i)
{
    return QStringLiteral("%1%2").arg(container.ou.toLower()).arg(i, 4, 10, QLatin1Char('0'));
}

// The entries below dn in the order they are added: the container, its first
// sub-containers, its users, its last sub-containers; as LDIF and as the objects of a
// directory file.
void Add(const Container &container, const QString &parentDn, QByteArray &ldif, QJsonObject &object)
{
    const QString dn = QStringLiteral("ou=%1,%2").arg(container.ou, parentDn);
    ldif += QStringLiteral("dn: %1\nobjectClass: organizationalUnit\nou: %2\n\n").arg(dn, container.ou).toUtf8();
    object = QJsonObject{{"name", "OU=" + container.ou},
                         {"class", "organizationalUnit"},
                         {"values", QJsonObject{{"ou", QJsonArray{container.ou}}}}};
    QJsonArray children;
    const auto addAll = [&](const std::vector<Container> &containers) {
        for (const Container &below : containers) {
            QJsonObject child;
            Add(below, dn, ldif, child);
            children << child;
        }
    };
    addAll(container.first);
    for (int i = 0; i < container.users; ++i) {
        const QString cn = UserName(container, i);
        const QString sn = QStringLiteral("S%1").arg(i);
        ldif += QStringLiteral("dn: cn=%1,%2\nobjectClass: inetOrgPerson\ncn: %1\nsn: %3\n\n").arg(cn, dn, sn).toUtf8();
        children << QJsonObject{{"name", "CN=" + cn},
                                {"class", "inetOrgPerson"},
                                {"values", QJsonObject{{"cn", QJsonArray{cn}}, {"sn", QJsonArray{sn}}}}};
    }
    addAll(container.last);
    object["children"] = children;
}

QJsonObject Schema()
{
    QJsonArray attributes;
    for (const char *name : {"cn", "sn", "ou", "o"})
        attributes << QJsonObject{{"name", name}, {"syntax", 3}, {"flags", 0}};
    const QJsonArray classes{
        QJsonObject{{"name", "organization"}, {"flags", 3}, {"naming", QJsonArray{"o"}}},
        QJsonObject{{"name", "organizationalUnit"}, {"flags", 3}, {"naming", QJsonArray{"ou"}}},
        QJsonObject{
            {"name", "inetOrgPerson"}, {"flags", 2}, {"naming", QJsonArray{"cn"}}, {"optional", QJsonArray{"sn"}}}};
    return QJsonObject{{"attributes", attributes}, {"classes", classes}};
}

// The ways a run lists a nested tree: one subtree search serving every container's
// listing; a listing per container, where a sub-container is listed while its
// parent's paged listing is open and the parent's remaining pages are read ahead, or
// past the read-ahead allowed the parent gives its place up and starts over later
// past the entries it had listed; a subtree past its bound, listed a level at a time.
void AddRuns()
{
    QTest::addColumn<size_t>("subtreeEntries");
    QTest::addColumn<size_t>("readAhead");
    QTest::addColumn<bool>("subtree");
    QTest::newRow("one subtree search") << LdapClient::DefaultSubtreeEntries << LdapClient::DefaultReadAhead << true;
    QTest::newRow("a level at a time") << size_t(0) << LdapClient::DefaultReadAhead << false;
    QTest::newRow("past the read-ahead") << size_t(0) << size_t(100) << false;
    QTest::newRow("a subtree past its bound") << size_t(1000) << LdapClient::DefaultReadAhead << false;
}

class Lines : public TExportObserver
{
public:
    bool AddLine(const QString &line) override
    {
        lines << line;
        return true;
    }
    QStringList lines;
};

} // namespace

class TestLdapNested : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    QString passwordFile_;
    QByteArray directoryFile_;

    struct Outcome {
        QStringList lines;
        QStringList reports;
    };

    // The users below context (People.Acme: unsorted; else sorted), recursive, with
    // their containers.
    static Outcome Export(NWClient &client, const QString &context = QStringLiteral("People.Acme"))
    {
        Outcome outcome;
        tNDS directory(client, DirectoryHooks{[&](const QString &text) { outcome.reports << text; }, {}, {}});
        const tCondition shown(0, dtString, {}, {}, "String", true);
        TExportJob job;
        job.context = context;
        job.recursive = true;
        job.sortbycn = context != "People.Acme";
        job.addcontainer = true;
        job.className = "inetOrgPerson";
        job.rows = {{"cn", &shown}, {"sn", &shown}};
        Lines observer;
        TExportRun run(directory, job, observer);
        run.RunExport();
        outcome.lines = observer.lines;
        return outcome;
    }

    std::unique_ptr<LdapClient> Connect() const
    {
        QString error;
        auto client = LdapClient::Connect({LdapFixture::Admin(server_, passwordFile_)}, {}, &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        return client;
    }

    // The searches of one user so far.
    int ObjectSearches() const
    {
        return server_.Logged(" SRCH base=\"cn=") - server_.Logged(" SRCH base=\"cn=Subschema\"");
    }

    // The same export from a directory file of the same tree.
    QStringList Expected(const QString &context = QStringLiteral("People.Acme")) const
    {
        QString error;
        auto client = SimulatedClient::FromBytes(directoryFile_, QStringLiteral("nested.json"), &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        const Outcome outcome = Export(*client, context);
        if (!outcome.reports.isEmpty() || outcome.lines.size() < Users + 1)
            qFatal("the directory file's export: %s", qPrintable(outcome.reports.join('\n')));
        return outcome.lines;
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QByteArray ldif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n";
        QJsonObject people;
        Add(Tree(), "o=Acme", ldif, people);
        QJsonObject partners;
        Add({"Partners", 30, {}, {}}, "o=Acme", ldif, partners);
        const QJsonObject acme{{"name", "O=Acme"},
                               {"class", "organization"},
                               {"values", QJsonObject{{"o", QJsonArray{"Acme"}}}},
                               {"children", QJsonArray{people, partners}}};
        const QJsonObject tree{{"name", "ACME"},
                               {"identity", "admin.Acme"},
                               {"defaultContext", "Acme"},
                               {"schema", Schema()},
                               {"objects", QJsonArray{acme}}};
        directoryFile_ = QJsonDocument(QJsonObject{{"trees", QJsonArray{tree}}}).toJson();
        QString error;
        server_.LogOperations();
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine", "inetorgperson"}, {}, {}, ldif,
                               &error),
                 qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
    }

    // Every user once, in the tree's order, with its container, each read with its
    // listing, and no container searched for on its own.
    void nestedContainersOfSeveralPagesExportEveryObject_data() { AddRuns(); }
    void nestedContainersOfSeveralPagesExportEveryObject()
    {
        QFETCH(size_t, subtreeEntries);
        QFETCH(size_t, readAhead);
        QFETCH(bool, subtree);
        auto client = Connect();
        client->SetSubtreeEntries(subtreeEntries);
        client->SetReadAhead(readAhead);
        const int objectSearches = ObjectSearches();
        const int oneLevel = server_.Logged(PeopleListings);
        const int containerReads = server_.Logged(ContainerReads);
        const int subtreesBelow = server_.Logged(SubtreesBelow);
        const Outcome outcome = Export(*client);
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QCOMPARE(outcome.lines, Expected());
        QCOMPARE(ObjectSearches(), objectSearches);
        QCOMPARE(server_.Logged(PeopleListings) == oneLevel, subtree);
        QCOMPARE(server_.Logged(ContainerReads), containerReads);
        // One subtree search given up is not made again for the containers below.
        QCOMPARE(server_.Logged(SubtreesBelow), subtreesBelow);
    }

    // A sorted run reads its objects once all are listed: what it listed is kept for it
    // to the end, also of containers whose listings closed before the next one started,
    // and no object is asked for on its own.
    void aRunKeepsWhatItListedToItsEnd_data() { AddRuns(); }
    void aRunKeepsWhatItListedToItsEnd()
    {
        QFETCH(size_t, subtreeEntries);
        QFETCH(size_t, readAhead);
        auto client = Connect();
        client->SetSubtreeEntries(subtreeEntries);
        client->SetReadAhead(readAhead);
        const int objectSearches = ObjectSearches();
        const Outcome outcome = Export(*client, QStringLiteral("Acme"));
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QCOMPARE(outcome.lines.size(), Users + 30 + 1);
        QCOMPARE(outcome.lines, Expected(QStringLiteral("Acme")));
        QCOMPARE(ObjectSearches(), objectSearches);
    }
};

QTEST_GUILESS_MAIN(TestLdapNested)
#include "test_ldap_nested.moc"
