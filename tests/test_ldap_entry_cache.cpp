// The entries the client holds (LdapEntryCache), by what they ask of the server.

#include "FakeAcme.h"
#include "FakeLdapRig.h"
#include "directory/ldap/LdapEntryBlock.h"

#include <QTest>

#include <string>

namespace {

constexpr NWDSCCODE NoSuchEntry = -601;

// The surname in an entry's block; empty when it has none.
std::string SurnameOf(FakeLdapRig &rig, std::string_view block)
{
    NWDSCCODE code = 0;
    const LdapSchema *schema = rig.trees.Schema(0, &code);
    LdapEntryView entry;
    if (!schema || !entry.Decode(block))
        return {};
    const LdapEntryView::Attribute *sn = entry.Find(uint32_t(schema->FindAttribute("sn")));
    return sn && sn->count > 0 ? std::string(entry.ValuesOf(*sn).front()) : std::string();
}

// The names of persons cn=p1 ... cn=pN below o=Acme, added to server.
std::vector<std::string> Persons(FakeLdapServer &server, int count)
{
    std::vector<std::string> dns;
    for (int i = 1; i <= count; ++i)
        dns.push_back(FakeAcme::Person(server, "p" + std::to_string(i), "o=Acme"));
    return dns;
}

} // namespace

class TestLdapEntryCache : public QObject
{
    Q_OBJECT
private slots:
    // A read asks one base search of all user attributes; the read again asks nothing. A
    // read that fails is not held: it is asked again.
    void aReadAsksOnce()
    {
        auto fake = FakeAcme::Server();
        const std::string jdoe = FakeAcme::Person(*fake, "jdoe", "o=Acme");
        FakeLdapRig rig(std::move(fake));
        std::string_view block;
        QCOMPARE(rig.entries.Fetch(0, jdoe, block), 0);
        QCOMPARE(SurnameOf(rig, block), "Sjdoe");
        const auto asked = rig.server.AsksOf(jdoe, LDAP_SCOPE_BASE);
        QCOMPARE(asked.size(), size_t(1));
        QCOMPARE(asked[0].attributes, std::vector<std::string>{LDAP_ALL_USER_ATTRIBUTES});
        QCOMPARE(rig.entries.Fetch(0, jdoe, block), 0);
        QCOMPARE(SurnameOf(rig, block), "Sjdoe");
        QCOMPARE(rig.Searches(), size_t(1));

        for (int attempt = 0; attempt < 2; ++attempt)
            QCOMPARE(rig.entries.Fetch(0, "cn=nobody,o=Acme", block), NoSuchEntry);
        QCOMPARE(rig.Searches(), size_t(3));
    }

    // Eight objects read are held; the ninth drops the first, which is asked again, and
    // each read answers its own entry.
    void theNinthReadDropsTheFirst()
    {
        auto fake = FakeAcme::Server();
        const std::vector<std::string> dns = Persons(*fake, 9);
        FakeLdapRig rig(std::move(fake));
        std::string_view block;
        for (const std::string &dn : dns)
            QCOMPARE(rig.entries.Fetch(0, dn, block), 0);
        QCOMPARE(rig.Searches(), size_t(9));
        for (size_t i = 1; i < dns.size(); ++i) {
            QCOMPARE(rig.entries.Fetch(0, dns[i], block), 0);
            QCOMPARE(SurnameOf(rig, block), "Sp" + std::to_string(i + 1));
        }
        QCOMPARE(rig.Searches(), size_t(9));
        QCOMPARE(rig.entries.Fetch(0, dns[0], block), 0);
        QCOMPARE(SurnameOf(rig, block), "Sp1");
        QCOMPARE(rig.Searches(), size_t(10));
        QCOMPARE(rig.server.AsksOf(dns[0], LDAP_SCOPE_BASE).size(), size_t(2));
    }

    // An entry kept with a listing is answered as kept, without asking, until the kept
    // entries are forgotten; forgetting the reads asks again for what was read.
    void keptAndReadEntriesUntilForgotten()
    {
        auto fake = FakeAcme::Server();
        const std::vector<std::string> dns = Persons(*fake, 2);
        FakeLdapRig rig(std::move(fake));
        LdapEntryBlock kept;
        NWDSCCODE code = 0;
        kept.StartAttribute(uint32_t(rig.trees.Schema(0, &code)->FindAttribute("sn")));
        kept.AddValue("as listed");
        kept.EndAttribute();
        QVERIFY(rig.entries.Keep(0, dns[0], kept.Bytes()));
        QVERIFY(rig.entries.Kept(0, dns[0]));
        QVERIFY(!rig.entries.Kept(0, dns[1]));

        std::string_view block;
        QCOMPARE(rig.entries.Fetch(0, dns[0], block), 0);
        QCOMPARE(SurnameOf(rig, block), "as listed");
        QCOMPARE(rig.Searches(), size_t(0));

        rig.entries.ForgetKept();
        QVERIFY(!rig.entries.Kept(0, dns[0]));
        QCOMPARE(rig.entries.Fetch(0, dns[0], block), 0);
        QCOMPARE(SurnameOf(rig, block), "Sp1");
        QCOMPARE(rig.Searches(), size_t(1));

        rig.entries.ForgetReads();
        QCOMPARE(rig.entries.Fetch(0, dns[0], block), 0);
        QCOMPARE(rig.Searches(), size_t(2));
    }

    // The last entry taken apart answers for the name it was asked by, in its tree,
    // until the block it lies in may go.
    void lastEntryDecoded_data()
    {
        QTest::addColumn<QString>("then");
        QTest::addColumn<bool>("answered");
        QTest::newRow("nothing") << "" << true;
        QTest::newRow("a read held") << "read" << true;
        QTest::newRow("reads forgotten") << "forget reads" << false;
        QTest::newRow("kept forgotten") << "forget kept" << false;
        QTest::newRow("its read dropped by later ones") << "read eight" << false;
    }
    void lastEntryDecoded()
    {
        QFETCH(QString, then);
        QFETCH(bool, answered);
        auto fake = FakeAcme::Server();
        const std::vector<std::string> dns = Persons(*fake, 9);
        FakeLdapRig rig(std::move(fake));
        std::string_view block;
        QCOMPARE(rig.entries.Fetch(0, dns[0], block), 0);
        rig.entries.TakeApart(0, "p1.Acme", block);
        QVERIFY(rig.entries.Last(0, "p1.Acme"));
        QVERIFY(!rig.entries.Last(0, "p2.Acme"));
        QVERIFY(!rig.entries.Last(1, "p1.Acme"));

        if (then == "read") {
            QCOMPARE(rig.entries.Fetch(0, dns[1], block), 0);
        } else if (then == "forget reads") {
            rig.entries.ForgetReads();
        } else if (then == "forget kept") {
            rig.entries.ForgetKept();
        } else if (then == "read eight") {
            for (size_t i = 1; i < dns.size(); ++i)
                QCOMPARE(rig.entries.Fetch(0, dns[i], block), 0);
        }
        const LdapEntryView *last = rig.entries.Last(0, "p1.Acme");
        QCOMPARE(last != nullptr, answered);
        if (last) {
            NWDSCCODE code = 0;
            const auto *sn = last->Find(uint32_t(rig.trees.Schema(0, &code)->FindAttribute("sn")));
            QVERIFY(sn);
            QCOMPARE(last->ValuesOf(*sn).front(), "Sp1");
        }
    }
};

QTEST_GUILESS_MAIN(TestLdapEntryCache)
#include "test_ldap_entry_cache.moc"
