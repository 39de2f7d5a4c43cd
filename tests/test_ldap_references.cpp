// Continuation references among a listing's entries (slapd sends one for an entry of the
// class referral): passed over, never chased, and never taken for the listing's end or a
// failure: every entry around them is listed and exported, without a report.

#include "ClientListing.h"
#include "ExportLines.h"
#include "LoopbackServer.h"
#include "SlapdServer.h"
#include "directory/LocaleFormats.h"
#include "directory/ldap/LdapClient.h"

#include <QTest>

#include <atomic>

namespace {

// Users of ou=People, with a referral among them, and as many of ou=Nested below it.
constexpr int Users = 700;
constexpr int ReferralAt = 350;

// A server the references name: it counts the connections made to it, and closes them.
class Referred
{
public:
    Referred()
    {
        if (listening_.Port() == 0)
            qFatal("no listener for the referred server");
    }

    int Port() const { return listening_.Port(); }
    int Connections() const { return connections_; }

private:
    std::atomic<int> connections_{0};
    LoopbackServer listening_{[this](int connection) {
        ++connections_;
        close(connection);
    }}; // last: its thread ends first
};

// The users of a container (cn=prefixNNNN) with a referral to the referred server in their
// midst.
QByteArray Container(const QString &dn, const QString &prefix, int referredPort)
{
    QByteArray ldif;
    for (int i = 0; i < Users; ++i) {
        if (i == ReferralAt)
            ldif += QStringLiteral("dn: cn=Elsewhere,%1\nobjectClass: referral\nobjectClass: extensibleObject\n"
                                   "cn: Elsewhere\nref: ldap://127.0.0.1:%2/ou=People,o=Other\n\n")
                        .arg(dn)
                        .arg(referredPort)
                        .toUtf8();
        ldif += QStringLiteral("dn: cn=%1%2,%3\nobjectClass: inetOrgPerson\ncn: %1%2\nsn: S%2\n\n")
                    .arg(prefix)
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .arg(dn)
                    .toUtf8();
    }
    return ldif;
}

} // namespace

class TestLdapReferences : public QObject
{
    Q_OBJECT

    Referred referred_;
    SlapdServer server_;
    std::unique_ptr<LdapClient> client_;

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        const QByteArray ldif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                                "dn: ou=People,o=Acme\nobjectClass: organizationalUnit\nou: People\n\n"
                                "dn: ou=Nested,ou=People,o=Acme\nobjectClass: organizationalUnit\nou: Nested\n\n" +
                                Container("ou=People,o=Acme", "p", referred_.Port()) +
                                Container("ou=Nested,ou=People,o=Acme", "n", referred_.Port());
        QString error;
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine", "inetorgperson"}, {}, {}, ldif,
                               &error),
                 qPrintable(error));
        LdapServerConfig config;
        config.uri = server_.Uri();
        config.bindDn = "cn=admin,o=Acme";
        config.passwordFile = server_.WriteOwnerOnly("admin.pw", "secret\n");
        config.tls = LdapServerConfig::Tls::None;
        client_ = LdapClient::Connect({config}, {}, &error);
        QVERIFY2(client_, qPrintable(error));
    }

    void aListingPassesOverAReference()
    {
        const NWDSContextHandle context = client_->NWDSCreateContext();
        uint32_t flags = DCV_TYPELESS_NAMES;
        client_->NWDSSetContext(context, DCK_FLAGS, &flags);
        client_->NWDSSetContext(context, DCK_NAME_CONTEXT, "[Root]");
        const ClientListing listed = ListNames(*client_, context, "People.Acme");
        client_->NWDSFreeContext(context);
        QCOMPARE(listed.code, 0);
        QCOMPARE(listed.names.size(), Users + 1);
        QCOMPARE(listed.names.front(), "Nested.People.Acme");
        QCOMPARE(listed.names.back(), QStringLiteral("p%1.People.Acme").arg(Users - 1, 4, 10, QLatin1Char('0')));
        QVERIFY(!listed.names.contains("Elsewhere.People.Acme"));
        QCOMPARE(referred_.Connections(), 0);
    }

    // A run that descends exports every user of both containers, and reports nothing.
    void anExportPassesOverReferences()
    {
        const tCondition shown(0, dtString, {}, {}, "String", true);
        TExportJob job;
        job.context = "People.Acme";
        job.recursive = true;
        job.className = "inetOrgPerson";
        job.fieldsonfirstline = false;
        job.rows = {{"sn", &shown}};
        ExportLines outcome = RunExport(*client_, job);
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QVERIFY(!outcome.directoryFailed);
        QStringList expected;
        for (int i = 0; i < Users; ++i)
            expected << QStringLiteral("S%1").arg(i, 4, 10, QLatin1Char('0'));
        expected += expected;
        expected.sort();
        outcome.lines.sort();
        QCOMPARE(outcome.lines, expected);
        QCOMPARE(referred_.Connections(), 0);
    }
};

QTEST_GUILESS_MAIN(TestLdapReferences)
#include "test_ldap_references.moc"
