// veltrane-cli over a slapd whose schema carries the directory's own names: a query file
// written with those names ("Surname", "Given Name", "Telephone Number") runs unchanged,
// and gives the same bytes as over a directory file of the same objects.

#include "LdapCliRun.h"
#include "SlapdServer.h"

#include <QFile>
#include <QTest>

namespace {

// The objects of data/ldap-nds-directory.json.
const QByteArray kLdif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                         "dn: ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Sales\n\n"
                         "dn: cn=jdoe,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: jdoe\nsn: Doe\n"
                         "givenName: John\ntelephoneNumber: +1 555 0100\ntelephoneNumber: +1 555 0101\n\n"
                         "dn: cn=asmith,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: asmith\nsn: Smith\n"
                         "givenName: Alice\ntelephoneNumber: +1 555 0104\n\n"
                         "dn: cn=Roe\\, Ann,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: Roe, Ann\nsn: Roe\n\n"
                         "dn: ou=Staff,ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Staff\n\n"
                         "dn: cn=bob,ou=Staff,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: bob\nsn: Bob\n"
                         "telephoneNumber: +1 555 0103\n\n";

// Users under Acme with a telephone number, sorted, in the directory's names.
const QByteArray kQuery =
    "[options]\r\nclass=User\r\nseparator=Tab\r\nvalseparator=Space\r\nusedelimiter=0\r\ncontext=Acme\r\n"
    "recursive=1\r\nsortbycn=1\r\nfieldsonfirstline=1\r\naddcontainer=1\r\nnbproperties=4\r\nnbfilters=4\r\n"
    "[Properties]\r\n0=CN\r\n1=Surname\r\n2=Given Name\r\n3=Telephone Number\r\n[Filter0]\r\nop=0\r\n"
    "[Filter1]\r\nop=0\r\n[Filter2]\r\nop=0\r\n[Filter3]\r\nop=1\r\ntn=String\r\ntip=2\r\n";

} // namespace

class TestCliLdapNames : public QObject
{
    Q_OBJECT

    SlapdServer server_;

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QFile schema(VELTRANE_TEST_DATA "/ldap-nds.schema");
        QVERIFY(schema.open(QIODevice::ReadOnly));
        QString error;
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {}, schema.readAll(), {}, kLdif, &error),
                 qPrintable(error));
    }

    void directoryNamesRunUnchanged()
    {
        const QString query = server_.Write("users.req", kQuery);
        const LdapCliRun file =
            LdapCliRun::Of({"run", query, "--directory", VELTRANE_TEST_DATA "/ldap-nds-directory.json"});
        QVERIFY2(file.status == 0, qPrintable(file.err));
        const LdapCliRun ldap =
            LdapCliRun::Of({"run", query, "--ldap", server_.Uri(), "--no-tls", "--bind-dn", "cn=admin,o=Acme",
                            "--password-file", server_.WriteOwnerOnly("admin.pw", "secret")});
        QVERIFY2(ldap.status == 0, qPrintable(ldap.err));
        QCOMPARE(ldap.out, file.out);
        QCOMPARE(ldap.out, QByteArray("Contexte\tCN\tSurname\tGiven Name\tTelephone Number\r\n"
                                      "Sales.Acme\tasmith\tSmith\tAlice\t+1 555 0104\r\n"
                                      "Staff.Sales.Acme\tbob\tBob\t\t+1 555 0103\r\n"
                                      "Sales.Acme\tjdoe\tDoe\tJohn\t+1 555 0100 +1 555 0101\r\n"));
        QCOMPARE(ldap.err, file.err);
    }
};

QTEST_GUILESS_MAIN(TestCliLdapNames)
#include "test_cli_ldap_names.moc"
