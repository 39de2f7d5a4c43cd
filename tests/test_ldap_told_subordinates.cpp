// A recursive export served by one subtree search from a server that does not tell the
// bound user whether entries have subordinates: an entry whose class is no container
// class but that has entries below it (a person with an aide) is known as a container
// once the search has ended, and the run descends to it, as it does for a user the
// server tells. Users fill more than a page between the person and its aide, so the
// aide comes pages after the person that must wait for it.
#include "ExportLines.h"
#include "SlapdServer.h"

#include "directory/LocaleFormats.h"
#include "directory/ldap/LdapClient.h"

#include <QTest>

namespace {

constexpr int Users = 1200;

QByteArray Ldif()
{
    QByteArray ldif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                      "dn: cn=blind,o=Acme\nobjectClass: person\ncn: blind\nsn: Blind\nuserPassword: secret\n\n"
                      "dn: ou=People,o=Acme\nobjectClass: organizationalUnit\nou: People\n\n"
                      "dn: cn=boss,ou=People,o=Acme\nobjectClass: inetOrgPerson\ncn: boss\nsn: Boss\n\n";
    for (int i = 0; i < Users; ++i)
        ldif += QStringLiteral("dn: cn=user%1,ou=People,o=Acme\nobjectClass: inetOrgPerson\ncn: user%1\nsn: S\n\n")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .toUtf8();
    ldif += "dn: cn=aide,cn=boss,ou=People,o=Acme\nobjectClass: inetOrgPerson\ncn: aide\nsn: Aide\n\n"
            "dn: ou=Late,ou=People,o=Acme\nobjectClass: organizationalUnit\nou: Late\n\n"
            "dn: cn=tail,ou=Late,ou=People,o=Acme\nobjectClass: inetOrgPerson\ncn: tail\nsn: Tail\n\n";
    return ldif;
}

// hasSubordinates is hidden from cn=blind, whose searches have no limits.
constexpr char Access[] = "limits dn.exact=\"cn=blind,o=Acme\" size=unlimited size.prtotal=unlimited\n"
                          "access to attrs=userPassword by anonymous auth by * none\n"
                          "access to attrs=hasSubordinates by dn.exact=\"cn=blind,o=Acme\" none by * read\n"
                          "access to * by * read\n";

} // namespace

class TestLdapToldSubordinates : public QObject
{
    Q_OBJECT
    SlapdServer server_;
    QString passwordFile_;

    ExportLines Export(const QString &bindDn)
    {
        LdapServerConfig config;
        config.tree = "ACME";
        config.uri = server_.Uri();
        config.bindDn = bindDn;
        config.passwordFile = passwordFile_;
        config.tls = LdapServerConfig::Tls::None;
        QString error;
        auto client = LdapClient::Connect({config}, {}, &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        static const tCondition shown(0, dtString, {}, {}, "String", true);
        TExportJob job;
        job.context = "People.Acme";
        job.recursive = true;
        job.className = "inetOrgPerson";
        job.rows = {{"cn", &shown}};
        return RunExport(*client, job);
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QString error;
        server_.LogOperations();
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine", "inetorgperson"}, {}, Access,
                               Ldif(), &error),
                 qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("pw", "secret\n");
    }

    // Every person once, the aide among them, in the same order whether the server
    // tells hasSubordinates or not, with no container listed on its own.
    void aPersonWithEntriesBelowItIsDescendedTo()
    {
        const int oneLevel = server_.Logged("ou=People,o=Acme\" scope=1 ");
        const ExportLines told = Export("cn=admin,o=Acme");
        QVERIFY2(told.reports.isEmpty(), qPrintable(told.reports.join('\n')));
        QCOMPARE(told.lines.size(), 1 + Users + 3); // the field names first
        for (const char *person : {"boss", "aide", "tail", "user0000", "user1199"})
            QCOMPARE(told.lines.count(person), 1);
        const ExportLines notTold = Export("cn=blind,o=Acme");
        QVERIFY2(notTold.reports.isEmpty(), qPrintable(notTold.reports.join('\n')));
        QCOMPARE(notTold.lines, told.lines);
        QCOMPARE(server_.Logged("ou=People,o=Acme\" scope=1 "), oneLevel);
    }
};

QTEST_GUILESS_MAIN(TestLdapToldSubordinates)
#include "test_ldap_told_subordinates.moc"
