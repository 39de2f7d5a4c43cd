// The names a listing hands out read back to their entries; an entry whose name no
// dotted name carries fails the listing, with its name in the server's words.

#include "ClientListing.h"
#include "SlapdServer.h"
#include "directory/ldap/LdapClient.h"

#include <QTest>

namespace {

// A tree whose top is named like the top of the tree, and in Odd an entry named with a
// zero byte.
const QByteArray kLdif = "dn: o=[Root]\nobjectClass: organization\no: [Root]\n\n"
                         "dn: ou=Sales,o=[Root]\nobjectClass: organizationalUnit\nou: Sales\n\n"
                         "dn: ou=Odd,o=[Root]\nobjectClass: organizationalUnit\nou: Odd\n\n"
                         "dn: cn=ok,ou=Odd,o=[Root]\nobjectClass: person\ncn: ok\nsn: Ok\n\n"
                         "dn: cn=a\\00b,ou=Odd,o=[Root]\nobjectClass: person\ncn:: YQBi\nsn: Zero\n\n";

// Lists container, typeless names from the top.
ClientListing List(NWClient &client, const char *container)
{
    const NWDSContextHandle context = client.NWDSCreateContext();
    uint32_t flags = DCV_TYPELESS_NAMES;
    client.NWDSSetContext(context, DCK_FLAGS, &flags);
    ClientListing listed = ListNames(client, context, container);
    client.NWDSFreeContext(context);
    return listed;
}

} // namespace

class TestLdapListedNames : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    std::unique_ptr<LdapClient> client_;

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QString error;
        QVERIFY2(server_.Start("o=[Root]", "cn=admin,o=[Root]", "secret", {"core", "cosine"}, {}, {}, kLdif, &error),
                 qPrintable(error));
        LdapServerConfig config;
        config.tree = "ACME";
        config.uri = server_.Uri();
        config.tls = LdapServerConfig::Tls::None;
        client_ = LdapClient::Connect({config}, {}, &error);
        QVERIFY2(client_, qPrintable(error));
    }

    // A top entry named "[Root]" is handed out as itself, not as the top of the tree: its
    // listing is its own, not the naming contexts.
    void rootValueReadsBackToItsEntry()
    {
        const ClientListing top = List(*client_, "[Root]");
        QCOMPARE(top.code, 0);
        QCOMPARE(top.names, QStringList{"\\[Root]"});
        const ClientListing below = List(*client_, top.names.front().toUtf8().constData());
        QCOMPARE(below.code, 0);
        QCOMPARE(below.names, (QStringList{"Sales", "Odd"})); // below the name context, the top entry
    }

    // A name with a zero byte would read back as another entry's: the listing hands out
    // the entries before it, then fails with the name in the server's words; also in a
    // run that descends, whose listings come from one subtree search.
    void zeroInNameFailsTheListing_data()
    {
        QTest::addColumn<bool>("descends");
        QTest::newRow("a listing") << false;
        QTest::newRow("a run that descends") << true;
    }
    void zeroInNameFailsTheListing()
    {
        QFETCH(bool, descends);
        client_->ExpectReads(descends ? std::vector<std::string>{"CN"} : std::vector<std::string>{}, descends);
        const ClientListing odd = List(*client_, "Odd.\\[Root]");
        client_->ExpectReads({}, false);
        QCOMPARE(odd.names, QStringList{"ok.Odd"});
        QCOMPARE(odd.code, ERR_NO_SUCH_ENTRY);
        QCOMPARE(client_->TakeServerWords(odd.code),
                 "the server sent an entry whose name cannot be read back: cn=a\\00b,ou=Odd,o=[Root]");
    }
};

QTEST_GUILESS_MAIN(TestLdapListedNames)
#include "test_ldap_listed_names.moc"
