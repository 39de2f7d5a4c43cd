// End-to-end tests of veltrane-cli over a slapd of its own: the same objects exported
// from a directory file and from the LDAP tree give the same results, and a server that
// refuses or is not there stops the run with its reason and no output file.

#include "LdapCliRun.h"
#include "SlapdServer.h"

#include <QFile>
#include <QTest>

namespace {

// The same objects as a directory file and as LDIF.
const QByteArray kDirectory = R"({
  "trees": [ { "name": "ACME", "identity": "admin.Acme", "defaultContext": "Acme",
    "schema": {
      "attributes": [ { "name": "cn", "syntax": 3, "flags": 0 }, { "name": "sn", "syntax": 3, "flags": 0 },
                      { "name": "telephoneNumber", "syntax": 10, "flags": 0 }, { "name": "o", "syntax": 3, "flags": 0 },
                      { "name": "ou", "syntax": 3, "flags": 0 } ],
      "classes": [
        { "name": "organization", "flags": 3, "super": [], "containment": [], "naming": ["o"],
          "mandatory": ["o"], "optional": [] },
        { "name": "organizationalUnit", "flags": 3, "super": [], "containment": [], "naming": ["ou"],
          "mandatory": ["ou"], "optional": [] },
        { "name": "inetOrgPerson", "flags": 2, "super": [], "containment": [], "naming": ["cn"],
          "mandatory": ["sn", "cn"], "optional": ["telephoneNumber"] } ] },
    "objects": [ { "name": "O=Acme", "class": "organization", "values": { "o": ["Acme"] }, "children": [
      { "name": "OU=Sales", "class": "organizationalUnit", "values": { "ou": ["Sales"] }, "children": [
        { "name": "CN=jdoe", "class": "inetOrgPerson",
          "values": { "cn": ["jdoe"], "sn": ["Doe"], "telephoneNumber": ["+1 555 0100", "+1 555 0101"] } },
        { "name": "CN=j\\.smith", "class": "inetOrgPerson", "values": { "cn": ["j.smith"], "sn": ["Smith"] } },
        { "name": "CN=Roe, Ann", "class": "inetOrgPerson",
          "values": { "cn": ["Roe, Ann"], "sn": ["Roe"], "telephoneNumber": ["+1 555 0102"] } },
        { "name": "OU=Staff", "class": "organizationalUnit", "values": { "ou": ["Staff"] }, "children": [
          { "name": "CN=bob", "class": "inetOrgPerson",
            "values": { "cn": ["bob"], "sn": ["Bob"], "telephoneNumber": ["+1 555 0103"] } } ] } ] } ] } ] } ]
})";

const QByteArray kLdif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                         "dn: ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Sales\n\n"
                         "dn: cn=jdoe,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: jdoe\nsn: Doe\n"
                         "telephoneNumber: +1 555 0100\ntelephoneNumber: +1 555 0101\n\n"
                         "dn: cn=j.smith,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: j.smith\nsn: Smith\n\n"
                         "dn: cn=Roe\\, Ann,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: Roe, Ann\nsn: Roe\n"
                         "telephoneNumber: +1 555 0102\n\n"
                         "dn: ou=Staff,ou=Sales,o=Acme\nobjectClass: organizationalUnit\nou: Staff\n\n"
                         "dn: cn=bob,ou=Staff,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: bob\nsn: Bob\n"
                         "telephoneNumber: +1 555 0103\n\n";

// inetOrgPerson objects under Acme, recursive, with their names, surnames and
// telephone numbers when they have one.
QByteArray Query(bool sorted)
{
    return QStringLiteral("[options]\r\nclass=inetOrgPerson\r\nseparator=Tab\r\nvalseparator=Space\r\n"
                          "usedelimiter=0\r\ncontext=Acme\r\nrecursive=1\r\nsortbycn=%1\r\nfieldsonfirstline=1\r\n"
                          "addcontainer=1\r\nnbproperties=3\r\nnbfilters=3\r\n[Properties]\r\n0=cn\r\n1=sn\r\n"
                          "2=telephoneNumber\r\n[Filter0]\r\nop=0\r\n[Filter1]\r\nop=0\r\n[Filter2]\r\nop=1\r\n"
                          "tn=String\r\ntip=2\r\n")
        .arg(sorted ? 1 : 0)
        .toUtf8();
}

} // namespace

class TestCliLdap : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    QString passwordFile_;

    static LdapCliRun Run(const QStringList &arguments) { return LdapCliRun::Of(arguments); }

    QStringList Ldap(const QString &passwordFile) const
    {
        return {"--ldap", server_.Uri(), "--bind-dn", "cn=admin,o=Acme", "--password-file", passwordFile, "--no-tls"};
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        QString error;
        // Anonymous users see two entries of a listing at most.
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine", "inetorgperson"}, {},
                               "limits anonymous size=2\n", kLdif, &error),
                 qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
        server_.Write("acme.json", kDirectory);
    }

    void sameResultsAsTheDirectoryFile()
    {
        const QString sorted = server_.Write("sorted.req", Query(true));
        const LdapCliRun file = Run({"run", sorted, "--directory", server_.Path("acme.json")});
        QCOMPARE(file.status, 0);
        const LdapCliRun ldap = Run(QStringList{"run", sorted} + Ldap(passwordFile_));
        QVERIFY2(ldap.status == 0, qPrintable(ldap.err));
        QCOMPARE(ldap.out, file.out);
        QCOMPARE(ldap.out, QByteArray("Contexte\tcn\tsn\ttelephoneNumber\r\n"
                                      "Staff.Sales.Acme\tbob\tBob\t+1 555 0103\r\n"
                                      "Sales.Acme\tjdoe\tDoe\t+1 555 0100 +1 555 0101\r\n"
                                      "Sales.Acme\tRoe, Ann\tRoe\t+1 555 0102\r\n"));

        // Unsorted, the server's own order: the same lines.
        const QString unsorted = server_.Write("unsorted.req", Query(false));
        const LdapCliRun fileLines = Run({"run", unsorted, "--directory", server_.Path("acme.json")});
        const LdapCliRun ldapLines = Run(QStringList{"run", unsorted} + Ldap(passwordFile_));
        QCOMPARE(ldapLines.status, 0);
        QStringList expected = QString::fromUtf8(fileLines.out).split("\r\n");
        QStringList got = QString::fromUtf8(ldapLines.out).split("\r\n");
        expected.sort();
        got.sort();
        QCOMPARE(got, expected);
    }

    void clientFileNamesTheTree()
    {
        const QString ini =
            server_.Write("client.ini", QStringLiteral("; the test server\n[tree LAB]\nuri=%1\n"
                                                       "bind-dn=cn=admin,o=Acme\npassword-file=admin.pw\n"
                                                       "tls=none\n")
                                            .arg(server_.Uri())
                                            .toUtf8());
        const LdapCliRun run = Run({"run", server_.Write("q.req", Query(true)), "--client", ini, "--tree", "lab"});
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY(run.out.contains("jdoe\tDoe"));
    }

    void refusalsStopTheRunWithoutOutput()
    {
        const QString query = server_.Write("r.req", Query(true));
        const QString wrong = server_.WriteOwnerOnly("wrong.pw", "nope");
        const QString out = server_.Path("out.txt");

        LdapCliRun run = Run(QStringList{"run", query, "-o", out} + Ldap(wrong));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("refused the bind as cn=admin,o=Acme: Invalid credentials"), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));

        run = Run({"run", query, "-o", out, "--ldap", "ldap://127.0.0.1:1", "--no-tls"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("cannot be reached"), qPrintable(run.err));
        QVERIFY(!QFile::exists(out));

        // Without --no-tls StartTLS is asked, which this server does not offer.
        run = Run(QStringList{"run", query, "-o", out, "--ldap", server_.Uri()});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("StartTLS with"), qPrintable(run.err));

        // A listing cut short by the server's limit is no short export.
        run = Run({"run", query, "-o", out, "--ldap", server_.Uri(), "--no-tls"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("NWDSList Failed for Sales.Acme Error Code: -5004 "
                                  "the server's size limit was reached: Size limit exceeded\n"),
                 qPrintable(run.err));
        QCOMPARE(run.err.count("NWDSList Failed"), 1);
        QVERIFY(!QFile::exists(out));

        run = Run({"run", query, "--ldap", server_.Uri(), "--password-file", passwordFile_});
        QCOMPARE(run.status, 2);
        QVERIFY(run.err.contains("--password-file goes with --bind-dn"));
        run = Run({"run", query, "--ldap", server_.Uri(), "--password", "secret"});
        QCOMPARE(run.status, 2);
    }
};

QTEST_GUILESS_MAIN(TestCliLdap)
#include "test_cli_ldap.moc"
