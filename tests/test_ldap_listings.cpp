// The client's paged listings (LdapListings), read through the client over a fake server,
// by what they ask of it.

#include "FakeAcme.h"
#include "FakeLdapRig.h"
#include "directory/ldap/LdapClient.h"

#include <QMap>
#include <QTest>

#include <functional>
#include <string>

namespace {

constexpr int ManyEntries = 1200;
constexpr int PageSize = 500;
const std::string Many = "ou=Many,o=Acme";

// A client over the fake server, which stays at hand.
struct FakeClient {
    explicit FakeClient(std::unique_ptr<FakeLdapServer> fake)
        : server(*fake), client(LdapClient::Over(FakeLdapRig::Servers(std::move(fake))))
    {
        context = client->NWDSCreateContext();
        const uint32_t flags = 0;
        client->NWDSSetContext(context, DCK_FLAGS, &flags);
        client->NWDSSetContext(context, DCK_NAME_CONTEXT, "[Root]");
    }
    ~FakeClient() { client->NWDSFreeContext(context); }
    FakeClient(const FakeClient &) = delete;
    FakeClient &operator=(const FakeClient &) = delete;

    FakeLdapServer &server;
    std::unique_ptr<LdapClient> client;
    NWDSContextHandle context = 0;
};

// What a listing handed out: names (typed, from the top), which are containers, and the
// code it ended with.
struct Listed {
    NWDSCCODE code = 0;
    QStringList names;
    QStringList containers;
};

// Lists container batch by batch through a buffer of size bytes; between runs after each
// batch the listing goes on from, with the names listed so far.
Listed List(FakeClient &fake, const char *container, size_t size = 0xFC00,
            const std::function<void(const Listed &)> &between = {})
{
    NWClient &client = *fake.client;
    Listed listed;
    Buf_T *buffer = nullptr;
    client.NWDSAllocBuf(size, &buffer);
    int32_t iteration = -1;
    do {
        listed.code = client.NWDSList(fake.context, container, &iteration, buffer);
        if (listed.code != 0)
            break;
        uint32_t count = 0;
        client.NWDSGetObjectCount(fake.context, buffer, &count);
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_DN_BYTES] = {};
            Object_Info_T info{};
            uint32_t attributes = 0;
            if (client.NWDSGetObjectName(fake.context, buffer, name, sizeof name, &attributes, &info) != 0)
                continue;
            listed.names << QString::fromUtf8(name);
            if (info.EntryFlags & DS_CONTAINER_ENTRY)
                listed.containers << QString::fromUtf8(name);
        }
        if (iteration != -1 && between)
            between(listed);
    } while (iteration != -1);
    client.NWDSFreeBuf(buffer);
    return listed;
}

// The names of ou=Many's persons, as listed, in their order.
QStringList ManyNames()
{
    QStringList names;
    for (int i = 0; i < ManyEntries; ++i)
        names << QStringLiteral("CN=user%1.OU=Many.O=Acme").arg(i, 4, 10, QLatin1Char('0'));
    return names;
}

// o=Acme with ou=Many holding ManyEntries persons, and first among them ou=Sub with
// five persons when sub is true; on a server that offers paged results when pages is.
std::unique_ptr<FakeLdapServer> ManyTree(bool sub, bool pages = true)
{
    auto server = FakeAcme::Server(pages);
    FakeAcme::Unit(*server, "Many", "o=Acme");
    if (sub) {
        const std::string dn = FakeAcme::Unit(*server, "Sub", Many);
        for (int i = 0; i < 5; ++i)
            FakeAcme::Person(*server, "sub" + std::to_string(i), dn);
    }
    for (const QString &name : ManyNames())
        FakeAcme::Person(*server, name.section('.', 0, 0).mid(3).toStdString(), Many);
    return server;
}

// A DN without escapes as a listing hands it out: typed, from the top.
QString Dotted(const std::string &dn)
{
    QStringList parts;
    for (const QString &part : QString::fromStdString(dn).split(',')) {
        const qsizetype equals = part.indexOf('=');
        parts << part.left(equals).toUpper() + part.mid(equals);
    }
    return parts.join('.');
}

// Whether a search asked is one of ou=Many, in whichever letter case.
bool OfMany(const FakeLdapServer::Asked &asked)
{
    return QString::fromStdString(asked.base).compare(QString::fromStdString(Many), Qt::CaseInsensitive) == 0;
}

// Whether every search asked was answered as asked for: none with a cookie the server
// no longer knew.
bool AllAnswered(const FakeLdapServer &server)
{
    return std::all_of(server.Asks().begin(), server.Asks().end(),
                       [](const FakeLdapServer::Asked &asked) { return asked.status == LDAP_SUCCESS; });
}

} // namespace

class TestLdapListings : public QObject
{
    Q_OBJECT
private slots:
    // A container of 1,200 entries lists in three pages of 500, each next one asked for
    // ahead with the cookie of the page before, before that page is taken apart.
    void pagesAskedAheadInOrder()
    {
        FakeClient fake(ManyTree(false));
        const Listed listed = List(fake, "OU=Many.O=Acme");
        QCOMPARE(listed.code, 0);
        QCOMPARE(listed.names, ManyNames());
        const auto pages = fake.server.AsksOf(Many, LDAP_SCOPE_ONELEVEL);
        QCOMPARE(pages.size(), size_t(3));
        QVERIFY(!pages[0].sent);
        QVERIFY(pages[0].cookie.empty());
        for (size_t page = 0; page < pages.size(); ++page) {
            QCOMPARE(pages[page].pageSize, PageSize);
            QCOMPARE(pages[page].entries, size_t(page < 2 ? PageSize : ManyEntries - 2 * PageSize));
            if (page == 0)
                continue;
            QVERIFY(pages[page].sent);
            QCOMPARE(pages[page].cookie, pages[page - 1].next);
            // Taking a page's entries apart asks for the handle once for each at least.
            QVERIFY2(pages[page].handleCallsAsked - pages[page - 1].handleCallsTaken < 10,
                     "the next page was asked for after the page before was taken apart");
        }
        QVERIFY(pages[2].next.empty());
        QVERIFY(AllAnswered(fake.server));
        QVERIFY(fake.server.Abandoned().empty());
    }

    // A server that offers no paged results is asked one search of the whole container;
    // the top lists the naming contexts, each read by a base search.
    void unpagedAndTopListings()
    {
        FakeClient fake(ManyTree(false, false));
        QCOMPARE(List(fake, "OU=Many.O=Acme").names, ManyNames());
        const auto whole = fake.server.AsksOf(Many, LDAP_SCOPE_ONELEVEL);
        QCOMPARE(whole.size(), size_t(1));
        QCOMPARE(whole[0].pageSize, 0);
        QCOMPARE(whole[0].entries, size_t(ManyEntries));

        QCOMPARE(List(fake, "[Root]").names, QStringList{"O=Acme"});
        QCOMPARE(fake.server.AsksOf("o=Acme", LDAP_SCOPE_BASE).size(), size_t(1));
        QCOMPARE(fake.server.AsksOf("", LDAP_SCOPE_ONELEVEL).size(), size_t(0));
    }

    // When the connection was made again during a listing, between two batches or found
    // gone when the next page is taken, the search starts over and passes over the
    // entries listed: none comes twice, none is missing. Found gone, the connection is
    // made again by the search of the next page, with the old cookie, which the server
    // refuses (it knows nothing of it); no other search is refused.
    void listingStartsOverAfterReconnection_data()
    {
        QTest::addColumn<int>("after"); // entries listed when the connection is made again
        QTest::addColumn<bool>("gone"); // found gone, else made again between batches
        QTest::newRow("in the first page") << 1 << false;
        QTest::newRow("in the second page") << 600 << false;
        QTest::newRow("in the last page") << 1100 << false;
        QTest::newRow("gone in the first page") << 1 << true;
        QTest::newRow("gone in the second page") << 600 << true;
    }
    void listingStartsOverAfterReconnection()
    {
        QFETCH(int, after);
        QFETCH(bool, gone);
        FakeClient fake(ManyTree(false));
        bool reconnected = false;
        const Listed listed = List(fake, "OU=Many.O=Acme", 0x1000, [&](const Listed &sofar) {
            if (!reconnected && sofar.names.size() >= after) {
                if (gone)
                    fake.server.GoAway();
                else
                    fake.server.Reconnect();
                reconnected = true;
            }
        });
        QVERIFY(reconnected);
        QCOMPARE(listed.code, 0);
        QCOMPARE(listed.names, ManyNames());
        const auto pages = fake.server.AsksOf(Many, LDAP_SCOPE_ONELEVEL);
        std::vector<FakeLdapServer::Asked> refused;
        std::copy_if(pages.begin(), pages.end(), std::back_inserter(refused),
                     [](const FakeLdapServer::Asked &asked) { return asked.status != LDAP_SUCCESS; });
        if (gone) {
            QCOMPARE(refused.size(), size_t(1));
            QCOMPARE(refused[0].session, uint32_t(1));
            QVERIFY(!refused[0].cookie.empty());
        } else {
            QVERIFY(refused.empty());
        }
        const auto again = std::find_if(pages.begin(), pages.end(), [](const FakeLdapServer::Asked &asked) {
            return asked.session == 1 && asked.status == LDAP_SUCCESS;
        });
        if (after < 2 * PageSize) {
            QVERIFY(again != pages.end());
            QVERIFY(again->cookie.empty());
        }
    }

    // A sub-container listed while its parent's paged listing is open: the parent reads
    // its pages ahead before the sub-container's paged search starts (the server keeps
    // one per connection, and forgets the parent's cookie). With little read ahead it
    // gives its cookie up, and the page it asked for ahead, and starts over later past
    // what it listed. Either way each entry is listed once.
    void subContainerListedWhileParentOpen_data()
    {
        QTest::addColumn<int>("readAhead");
        QTest::newRow("read ahead whole") << int(LdapClient::DefaultReadAhead);
        QTest::newRow("little read ahead") << 100;
    }
    void subContainerListedWhileParentOpen()
    {
        QFETCH(int, readAhead);
        FakeClient fake(ManyTree(true));
        fake.client->SetReadAhead(size_t(readAhead));
        bool listedSub = false;
        Listed sub;
        const Listed listed = List(fake, "OU=Many.O=Acme", 0x1000, [&](const Listed &sofar) {
            if (sofar.names.size() >= 100 && !listedSub) {
                sub = List(fake, "OU=Sub.OU=Many.O=Acme");
                listedSub = true;
            }
        });
        QVERIFY(listedSub);
        QCOMPARE(sub.code, 0);
        QCOMPARE(sub.names.size(), 5);
        QCOMPARE(listed.code, 0);
        QStringList expected = ManyNames();
        expected.prepend("OU=Sub.OU=Many.O=Acme");
        QCOMPARE(listed.names, expected);
        QCOMPARE(listed.containers, QStringList{"OU=Sub.OU=Many.O=Acme"});
        QVERIFY(AllAnswered(fake.server));

        const auto &asks = fake.server.Asks();
        const auto subSearch = std::find_if(asks.begin(), asks.end(), [](const FakeLdapServer::Asked &asked) {
            return QString::fromStdString(asked.base).startsWith("OU=Sub,", Qt::CaseInsensitive);
        });
        QVERIFY(subSearch != asks.end());
        const auto parentAfter = std::count_if(subSearch, asks.end(), OfMany);
        if (readAhead >= ManyEntries) {
            QCOMPARE(parentAfter, 0);
            QVERIFY(fake.server.Abandoned().empty());
        } else {
            // The page asked for ahead before the sub-container's listing is abandoned.
            QCOMPARE(fake.server.Abandoned().size(), size_t(1));
            QVERIFY(std::any_of(asks.begin(), subSearch, [&](const auto &asked) {
                return asked.sent && asked.message == fake.server.Abandoned().front();
            }));
            const auto restart = std::find_if(subSearch, asks.end(), OfMany);
            QVERIFY(restart != asks.end());
            QVERIFY(restart->cookie.empty());
        }
    }

    // A run that descends asks one paged subtree search of the container it lists first
    // (without hasSubordinates: entries below an entry tell it has them), and serves each
    // container's listing from it in the order the server sent the entries, asking no
    // one-level search; an entry with entries below it is a container. Without subtree
    // searches each container is searched one level. The pages after the first two (the
    // second is asked for before the first is taken apart) grow as far as the entries
    // taken apart allow: to the largest page for small entries, not at all for large ones.
    void descendingRunAsksOneSubtreeSearch_data()
    {
        QTest::addColumn<int>("subtreeEntries");
        QTest::addColumn<int>("persons"); // below ou=A1
        QTest::addColumn<int>("surnameBytes");
        QTest::addColumn<QList<int>>("pageSizes");
        const int entries = int(LdapClient::DefaultSubtreeEntries);
        const int largest = LdapListings::SubtreePageSize;
        QTest::newRow("one page") << entries << 2 << 0 << QList<int>{PageSize};
        QTest::newRow("in pages") << entries << 600 << 0 << QList<int>{PageSize, PageSize};
        QTest::newRow("pages grow") << entries << 6000 << 0 << QList<int>{PageSize, PageSize, largest, largest};
        QTest::newRow("large entries") << entries << 1600 << 10000
                                       << QList<int>{PageSize, PageSize, PageSize, PageSize};
        QTest::newRow("no subtree search") << 0 << 2 << 0 << QList<int>();
    }
    void descendingRunAsksOneSubtreeSearch()
    {
        QFETCH(int, subtreeEntries);
        QFETCH(int, persons);
        QFETCH(int, surnameBytes);
        QFETCH(QList<int>, pageSizes);
        auto server = FakeAcme::Server();
        QMap<QString, QStringList> expected; // by container
        const auto add = [&expected](const std::string &dn, const std::string &container) {
            expected[Dotted(container)] << Dotted(dn);
            return dn;
        };
        const std::string a = add(FakeAcme::Unit(*server, "A", "o=Acme"), "o=Acme");
        const std::string b = add(FakeAcme::Unit(*server, "B", "o=Acme"), "o=Acme");
        add(FakeAcme::Unit(*server, "Empty", "o=Acme"), "o=Acme");
        add(FakeAcme::Person(*server, "ann", a), a);
        const std::string a1 = add(FakeAcme::Unit(*server, "A1", a), a);
        add(FakeAcme::Person(*server, "bob", a), a);
        const std::string surname = "S" + std::string(size_t(surnameBytes), 's');
        for (int i = 0; i < persons; ++i)
            add(FakeAcme::Person(*server, "x" + std::to_string(i), a1, surname), a1);
        // A person with an entry below it, which says so when asked.
        server->Add("cn=boss," + b, {{"objectClass", {"person"}},
                                     {"structuralObjectClass", {"person"}},
                                     {"hasSubordinates", {"TRUE"}},
                                     {"cn", {"boss"}},
                                     {"sn", {"Boss"}}});
        const std::string boss = add("cn=boss," + b, b);
        add(FakeAcme::Person(*server, "deputy", boss), boss);

        FakeClient fake(std::move(server));
        fake.client->SetSubtreeEntries(size_t(subtreeEntries));
        fake.client->ExpectReads({"cn", "sn"}, true);
        QStringList containers{"O=Acme"};
        for (qsizetype at = 0; at < containers.size(); ++at) {
            const Listed listed = List(fake, containers[at].toUtf8().constData());
            QCOMPARE(listed.code, 0);
            QCOMPARE(listed.names, expected.value(containers[at]));
            containers << listed.containers;
        }
        containers.sort();
        QCOMPARE(containers, QStringList({"CN=boss.OU=B.O=Acme", "O=Acme", "OU=A.O=Acme", "OU=A1.OU=A.O=Acme",
                                          "OU=B.O=Acme", "OU=Empty.O=Acme"}));
        QVERIFY(AllAnswered(fake.server));

        const auto subtree = fake.server.AsksOf("o=Acme", LDAP_SCOPE_SUBTREE);
        const auto oneLevel = std::count_if(fake.server.Asks().begin(), fake.server.Asks().end(),
                                            [](const auto &asked) { return asked.scope == LDAP_SCOPE_ONELEVEL; });
        if (subtreeEntries == 0) {
            QCOMPARE(subtree.size(), size_t(0));
            QCOMPARE(oneLevel, containers.size());
            return;
        }
        QList<int> asked;
        for (const FakeLdapServer::Asked &page : subtree)
            asked << page.pageSize;
        QCOMPARE(asked, pageSizes);
        QCOMPARE(oneLevel, 0);
        for (const FakeLdapServer::Asked &asked : subtree) {
            for (const char *name : {"cn", "sn", "objectClass", "structuralObjectClass"})
                QVERIFY(std::find(asked.attributes.begin(), asked.attributes.end(), name) != asked.attributes.end());
            QVERIFY(std::find(asked.attributes.begin(), asked.attributes.end(), "hasSubordinates") ==
                    asked.attributes.end());
        }
    }

    // A server that refuses pages past a size (slapd's size.pr) fails the subtree search
    // once its pages grow: the run then lists each container one level, every entry once.
    void refusedLargePagesListEachContainer()
    {
        auto server = FakeAcme::Server();
        server->SetLargestPage(1000);
        const std::string a = FakeAcme::Unit(*server, "A", "o=Acme");
        QStringList persons;
        for (int i = 0; i < 1600; ++i)
            persons << Dotted(FakeAcme::Person(*server, "x" + std::to_string(i), a));
        FakeClient fake(std::move(server));
        fake.client->ExpectReads({"cn", "sn"}, true);
        const Listed top = List(fake, "O=Acme");
        QCOMPARE(top.code, 0);
        QCOMPARE(top.containers, QStringList{"OU=A.O=Acme"});
        const Listed below = List(fake, "OU=A.O=Acme");
        QCOMPARE(below.code, 0);
        QCOMPARE(below.names, persons);
        const auto subtree = fake.server.AsksOf("o=Acme", LDAP_SCOPE_SUBTREE);
        QCOMPARE(subtree.size(), size_t(3));
        QCOMPARE(subtree.back().status, LDAP_ADMINLIMIT_EXCEEDED);
        QCOMPARE(fake.server.AsksOf("ou=A,o=Acme", LDAP_SCOPE_ONELEVEL).size(), size_t(4));
    }

    // A run that descends tells apart entries whose names differ in their types only: a
    // person beside a unit of the same value lists none of the unit's entries, and a
    // container outside the subtree is not served from it; a type is known by any of its
    // names.
    void descendingRunTellsTypesApart()
    {
        auto server = FakeAcme::Server();
        const std::string unit = FakeAcme::Unit(*server, "A", "o=Acme");
        FakeAcme::Person(*server, "x", unit);
        FakeAcme::Person(*server, "p1", FakeAcme::Unit(*server, "x", unit));
        const std::string person = FakeAcme::Person(*server, "A", "o=Acme");
        FakeAcme::Person(*server, "p2", FakeAcme::Unit(*server, "x", person));

        FakeClient fake(std::move(server));
        fake.client->ExpectReads({"cn", "sn"}, true);
        const Listed listed = List(fake, "OU=A.O=Acme");
        QCOMPARE(listed.names, QStringList({"CN=x.OU=A.O=Acme", "OU=x.OU=A.O=Acme"}));
        QCOMPARE(listed.containers, QStringList{"OU=x.OU=A.O=Acme"});
        QCOMPARE(List(fake, "OU=x.CN=A.O=Acme").names, QStringList{"CN=p2.OU=x.CN=A.O=Acme"});
        QCOMPARE(List(fake, "CN=x.OU=A.O=Acme").names, QStringList());
        QCOMPARE(List(fake, "OU=x.OU=A.O=Acme").names, QStringList{"CN=p1.OU=x.OU=A.O=Acme"});
        QCOMPARE(fake.server.AsksOf("ou=A,o=Acme", LDAP_SCOPE_SUBTREE).size(), size_t(1));
        QCOMPARE(fake.server.AsksOf("ou=x,ou=A,o=Acme", LDAP_SCOPE_ONELEVEL).size(), size_t(0));

        // Types by another of their names, in a run of its own.
        fake.client->ExpectReads({"cn", "sn"}, true);
        QCOMPARE(List(fake, "organizationalUnitName=A.O=Acme").names, listed.names);
        QCOMPARE(List(fake, "organizationalUnitName=x.OU=A.O=Acme").names, QStringList{"CN=p1.OU=x.OU=A.O=Acme"});
        QCOMPARE(fake.server.AsksOf("ou=A,o=Acme", LDAP_SCOPE_SUBTREE).size(), size_t(2));
        QCOMPARE(fake.server.Asks().back().scope, LDAP_SCOPE_SUBTREE);
        QVERIFY(AllAnswered(fake.server));
    }
};

QTEST_GUILESS_MAIN(TestLdapListings)
#include "test_ldap_listings.moc"
