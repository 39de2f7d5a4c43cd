// The names the client resolves and hands out (LdapNames), by what they ask of the server.

#include "FakeAcme.h"
#include "FakeLdapRig.h"

#include <QTest>

#include <string>

namespace {

constexpr NWDSCCODE NoSuchEntry = -601;

// o=Acme with ou=Sales holding jdoe and ann, and ou=Staff below it holding bob.
std::unique_ptr<FakeLdapServer> Tree()
{
    auto server = FakeAcme::Server();
    const std::string sales = FakeAcme::Unit(*server, "Sales", "o=Acme");
    FakeAcme::Person(*server, "jdoe", sales);
    FakeAcme::Person(*server, "ann", sales);
    FakeAcme::Person(*server, "bob", FakeAcme::Unit(*server, "Staff", sales));
    return server;
}

// The one-level searches of base asked.
size_t OneLevel(const FakeLdapRig &rig, const char *base)
{
    return rig.server.AsksOf(base, LDAP_SCOPE_ONELEVEL).size();
}

} // namespace

class TestLdapNames : public QObject
{
    Q_OBJECT
private slots:
    // A typed name is its DN as it stands: nothing is asked.
    void typedNameResolvesWithoutAsking()
    {
        FakeLdapRig rig(Tree());
        std::string dn;
        QCOMPARE(rig.names.Resolve(0, "CN=jdoe.OU=Sales.O=Acme", dn), 0);
        QCOMPARE(dn, "CN=jdoe,OU=Sales,O=Acme");
        QCOMPARE(rig.names.Resolve(0, "CN=nobody.OU=Sales.O=Acme", dn), 0);
        QCOMPARE(rig.Searches(), size_t(0));
    }

    // A typeless name below a naming context is found part by part, each by one
    // one-level search of its container (asking for no attributes), and is not asked
    // again in any spelling; what is not there, or not below a naming context, is no
    // entry.
    void typelessNameFoundOnce()
    {
        FakeLdapRig rig(Tree());
        std::string dn;
        QCOMPARE(rig.names.Resolve(0, "Sales.Acme", dn), 0);
        QCOMPARE(dn, "ou=Sales,o=Acme");
        const auto asked = rig.server.AsksOf("o=Acme", LDAP_SCOPE_ONELEVEL);
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].attributes, std::vector<std::string>{LDAP_NO_ATTRS});
        QVERIFY(asked[0].attributesOnly);
        QCOMPARE(rig.names.Resolve(0, "SALES.acme", dn), 0);
        QCOMPARE(rig.names.Resolve(0, ".Sales.Acme", dn), 0);
        QCOMPARE(rig.Searches(), size_t(1));

        QCOMPARE(rig.names.Resolve(0, "bob.Staff.Sales.Acme", dn), 0);
        QCOMPARE(dn, "cn=bob,ou=Staff,ou=Sales,o=Acme");
        QCOMPARE(OneLevel(rig, "o=Acme"), size_t(1));
        QCOMPARE(OneLevel(rig, "ou=Sales,o=Acme"), size_t(1));
        QCOMPARE(OneLevel(rig, "ou=Staff,ou=Sales,o=Acme"), size_t(1));
        QCOMPARE(rig.names.Resolve(0, "Staff.Sales.Acme", dn), 0);
        QCOMPARE(dn, "ou=Staff,ou=Sales,o=Acme");
        QCOMPARE(rig.Searches(), size_t(3));

        QCOMPARE(rig.names.Resolve(0, "nobody.Sales.Acme", dn), NoSuchEntry);
        QCOMPARE(rig.names.Resolve(0, "Sales.Elsewhere", dn), NoSuchEntry);
        QCOMPARE(rig.Searches(), size_t(4));
    }

    // A name handed out for a listed entry resolves without asking, typed or typeless,
    // full or relative to the context's name context it was handed out for.
    void handedOutNameResolvesWithoutAsking_data()
    {
        QTest::addColumn<QString>("nameContext");
        QTest::addColumn<bool>("typeless");
        QTest::addColumn<QString>("handedOut");
        QTest::addColumn<QString>("handedIn");
        QTest::newRow("typeless from the top") << "" << true << "jdoe.Sales.Acme"
                                               << "jdoe.Sales.Acme";
        QTest::newRow("typed from the top") << "" << false << "CN=jdoe.OU=Sales.O=Acme"
                                            << "jdoe.Sales.Acme";
        QTest::newRow("typeless below the context") << "o=Acme" << true << "jdoe.Sales"
                                                    << "JDOE.sales.ACME";
    }
    void handedOutNameResolvesWithoutAsking()
    {
        QFETCH(QString, nameContext);
        QFETCH(bool, typeless);
        QFETCH(QString, handedOut);
        QFETCH(QString, handedIn);
        FakeLdapRig rig(Tree());
        const std::string sales = "ou=Sales,o=Acme";
        LdapNames::Container container = rig.names.Listing(0, sales);
        const LdapNames::Top top = LdapNames::TopOf(nameContext.toStdString());
        const std::string name =
            rig.names.HandOut(container, top, typeless, 0, sales, "cn=jdoe,ou=Sales,o=Acme", false);
        QCOMPARE(QString::fromStdString(name), handedOut);
        std::string dn;
        QCOMPARE(rig.names.Resolve(0, handedIn.toUtf8().constData(), dn), 0);
        QCOMPARE(dn, "cn=jdoe,ou=Sales,o=Acme");
        QCOMPARE(rig.Searches(), size_t(0));
    }

    // An entry kept with its listing resolves through its container, with its block,
    // without asking. Once the kept entries are forgotten it is found again by the naming
    // type its container's entries were listed with: its container by a one-level
    // search, the entry itself by one base search, not by searching the container.
    void keptEntryResolvesThroughItsContainer()
    {
        FakeLdapRig rig(Tree());
        const std::string sales = "ou=Sales,o=Acme";
        const std::string jdoe = "cn=jdoe,ou=Sales,o=Acme";
        QVERIFY(rig.entries.Keep(0, jdoe, "block of jdoe"));
        LdapNames::Container container = rig.names.Listing(0, sales);
        QCOMPARE(rig.names.HandOut(container, LdapNames::TopOf(""), true, 0, sales, jdoe, true), "jdoe.Sales.Acme");
        std::string dn;
        std::string_view block;
        QCOMPARE(rig.names.Resolve(0, "jdoe.Sales.Acme", dn, &block), 0);
        QCOMPARE(dn, jdoe);
        QCOMPARE(block, "block of jdoe");
        QCOMPARE(rig.Searches(), size_t(0));

        rig.entries.ForgetKept();
        block = {};
        QCOMPARE(rig.names.Resolve(0, "jdoe.Sales.Acme", dn, &block), 0);
        QCOMPARE(dn, jdoe);
        QVERIFY(!block.data());
        QCOMPARE(OneLevel(rig, "o=Acme"), size_t(1));
        QCOMPARE(OneLevel(rig, sales.c_str()), size_t(0));
        QCOMPARE(rig.server.AsksOf(jdoe, LDAP_SCOPE_BASE).size(), size_t(1));
        QCOMPARE(rig.Searches(), size_t(2));
    }

    // Whether an entry exists: a naming context and an entry kept without asking, any
    // other entry by one base search asking for no attributes, remembered when it exists;
    // one that does not is asked again.
    void existsAsksOnce_data()
    {
        QTest::addColumn<QString>("dn");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("asked"); // base searches after two calls
        QTest::newRow("an entry") << "cn=ann,ou=Sales,o=Acme" << 0 << 1;
        QTest::newRow("in another letter case") << "CN=Ann,OU=Sales,O=Acme" << 0 << 1;
        QTest::newRow("no entry") << "cn=nobody,ou=Sales,o=Acme" << NoSuchEntry << 2;
        QTest::newRow("a naming context") << "o=Acme" << 0 << 0;
        QTest::newRow("an entry kept") << "cn=jdoe,ou=Sales,o=Acme" << 0 << 0;
    }
    void existsAsksOnce()
    {
        QFETCH(QString, dn);
        QFETCH(int, code);
        QFETCH(int, asked);
        FakeLdapRig rig(Tree());
        QVERIFY(rig.entries.Keep(0, "cn=jdoe,ou=Sales,o=Acme", "kept"));
        for (int call = 0; call < 2; ++call)
            QCOMPARE(rig.names.Exists(0, dn.toStdString()), code);
        const auto searches = rig.server.AsksOf(dn.toStdString(), LDAP_SCOPE_BASE);
        QCOMPARE(int(searches.size()), asked);
        QCOMPARE(int(rig.Searches()), asked);
        for (const FakeLdapServer::Asked &search : searches) {
            QCOMPARE(search.attributes, std::vector<std::string>{LDAP_NO_ATTRS});
            QVERIFY(search.attributesOnly);
        }
    }
};

QTEST_GUILESS_MAIN(TestLdapNames)
#include "test_ldap_names.moc"
