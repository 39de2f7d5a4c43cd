// A server's time limit met in the middle of a listing, against a slapd of its own whose
// user cn=slow may search for one second at most: a relay holds the server up for three
// seconds in the middle of the second page, so that page cannot be sent whole in time.

#include "PausingProxy.h"
#include "SlapdServer.h"
#include "directory/ldap/LdapClient.h"
#include "directory/ldap/LdapResult.h"
#include "directory/tNDS.h"

#include <QTest>

namespace {

constexpr int Users = 1000;
constexpr int DescriptionBytes = 24000;

QByteArray Ldif()
{
    QByteArray ldif = "dn: o=Slow\nobjectClass: organization\no: Slow\n\n"
                      "dn: cn=slow,o=Slow\nobjectClass: person\ncn: slow\nsn: Slow\nuserPassword: secret\n\n"
                      "dn: ou=Big,o=Slow\nobjectClass: organizationalUnit\nou: Big\n\n";
    const QByteArray description(DescriptionBytes, 'x');
    for (int i = 0; i < Users; ++i)
        ldif += QStringLiteral("dn: cn=user%1,ou=Big,o=Slow\nobjectClass: inetOrgPerson\ncn: user%1\nsn: S%1\n")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .toUtf8() +
                "description: " + description + "\n\n";
    return ldif;
}

} // namespace

class TestLdapTimeLimit : public QObject
{
    Q_OBJECT

    SlapdServer server_;

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QString error;
        QVERIFY2(server_.Start("o=Slow", "cn=admin,o=Slow", "secret", {"core", "cosine", "inetorgperson"}, {},
                               "limits dn.exact=\"cn=slow,o=Slow\" time=1 size=unlimited\n", Ldif(), &error),
                 qPrintable(error));
    }

    void aTimeLimitIsAFailureThatSaysSo()
    {
        LdapServerConfig config;
        config.tree = "SLOW";
        // A page is some 12 MB: the pause comes 1 MB into the second.
        PausingProxy proxy(server_.Port(), size_t(Users / 2 + 42) * DescriptionBytes, std::chrono::seconds(3));
        QVERIFY(proxy.Port() != 0);
        config.uri = QStringLiteral("ldap://127.0.0.1:%1").arg(proxy.Port());
        config.bindDn = "cn=slow,o=Slow";
        config.passwordFile = server_.WriteOwnerOnly("slow.pw", "secret\n");
        config.tls = LdapServerConfig::Tls::None;
        QString error;
        const std::unique_ptr<LdapClient> client = LdapClient::Connect({config}, {}, &error);
        QVERIFY2(client, qPrintable(error));
        QStringList reports;
        tNDS nds(*client, DirectoryHooks{[&reports](const QString &text) { reports << text; }, {}, {}});
        int found = 0;
        const int32_t result = nds.EnumObjects(
            "Big.Slow", false, 0, [&found](const QString &, const TNDSObj &, int32_t, bool &) { ++found; },
            "inetOrgPerson");
        QVERIFY(proxy.Paused());
        QCOMPARE(result, LdapResult::ERR_LDAP_BASE - 3);
        QCOMPARE(reports, QStringList{"NWDSList Failed for Big.Slow\rError Code: -5003\r"
                                      "the server's time limit was reached: Time limit exceeded"});
        QVERIFY2(found >= 500 && found < Users, qPrintable(QString::number(found)));
    }
};

QTEST_GUILESS_MAIN(TestLdapTimeLimit)
#include "test_ldap_time_limit.moc"
