// veltrane-cli over TLS to a slapd of its own, with a certificate authority and a server
// certificate made for the test: a server whose certificate verifies is read over
// StartTLS and ldaps://; one that does not (another authority, another host name) is
// refused with the reason, and no output file.

#include "LdapCliRun.h"
#include "SlapdServer.h"

#include <QFile>
#include <QProcess>
#include <QTest>

namespace {

const QByteArray kLdif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                         "dn: cn=jdoe,o=Acme\nobjectClass: inetOrgPerson\ncn: jdoe\nsn: Doe\n\n";

const QByteArray kQuery =
    "[options]\r\nclass=inetOrgPerson\r\nusedelimiter=0\r\ncontext=Acme\r\nsortbycn=1\r\nfieldsonfirstline=0\r\n"
    "nbproperties=2\r\nnbfilters=2\r\n[Properties]\r\n0=cn\r\n1=sn\r\n[Filter0]\r\nop=0\r\n"
    "[Filter1]\r\nop=0\r\n";

} // namespace

class TestCliLdapTls : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    QString passwordFile_;
    QString query_;

    bool OpenSsl(const QStringList &arguments)
    {
        QProcess openssl;
        openssl.setWorkingDirectory(server_.Path({}));
        openssl.start("openssl", arguments);
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            qWarning("openssl %s: %s", qPrintable(arguments.join(' ')), openssl.readAllStandardError().constData());
            return false;
        }
        return true;
    }

    // A certificate authority (name.pem, name.key).
    bool MakeAuthority(const QString &name)
    {
        return OpenSsl({"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=" + name,
                        "-keyout", name + ".key", "-out", name + ".pem"});
    }

    static LdapCliRun Run(const QStringList &arguments) { return LdapCliRun::Of(arguments); }

    QStringList Bound(const QString &uri, const QString &caFile) const
    {
        return {"run",         query_,      "--ldap", uri, "--bind-dn", "cn=admin,o=Acme", "--password-file",
                passwordFile_, "--ca-file", caFile};
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed() || QStandardPaths::findExecutable("openssl").isEmpty())
            QSKIP("slapd or openssl is not installed");
        // The server's certificate names 127.0.0.1 only: localhost is another host name.
        QVERIFY(MakeAuthority("ca"));
        QVERIFY(MakeAuthority("other"));
        QVERIFY(OpenSsl({"req", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=localhost", "-keyout", "server.key",
                         "-out", "server.csr"}));
        server_.Write("server.ext", "subjectAltName=IP:127.0.0.1\n");
        QVERIFY(OpenSsl({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
                         "-days", "2", "-extfile", "server.ext", "-out", "server.pem"}));
        server_.SetGlobalConfig(("TLSCACertificateFile " + server_.Path("ca.pem") + "\nTLSCertificateFile " +
                                 server_.Path("server.pem") + "\nTLSCertificateKeyFile " + server_.Path("server.key") +
                                 "\n")
                                    .toUtf8());
        QString error;
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine", "inetorgperson"}, {}, {},
                               kLdif, &error),
                 qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
        query_ = server_.Write("q.req", kQuery);
    }

    void verifiedServersAreRead()
    {
        const QString ca = server_.Path("ca.pem");
        LdapCliRun run = Run(Bound(QStringLiteral("ldap://127.0.0.1:%1").arg(server_.Port()), ca));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(run.out, QByteArray("jdoe\tDoe\r\n"));
        run = Run(Bound(QStringLiteral("ldaps://127.0.0.1:%1").arg(server_.TlsPort()), ca));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(run.out, QByteArray("jdoe\tDoe\r\n"));
    }

    void unverifiedServersAreRefused()
    {
        const QString out = server_.Path("out.txt");
        const QString ca = server_.Path("ca.pem");
        const QString other = server_.Path("other.pem");
        const QString starttls = QStringLiteral("ldap://127.0.0.1:%1").arg(server_.Port());
        const QString ldaps = QStringLiteral("ldaps://127.0.0.1:%1").arg(server_.TlsPort());
        const auto refused = [&](const QStringList &arguments, const QString &start, const QString &authorities,
                                 const QString &host) {
            const LdapCliRun run = Run(arguments + QStringList{"-o", out});
            QCOMPARE(run.status, 1);
            QVERIFY2(run.err.startsWith("veltrane-cli: " + start), qPrintable(run.err));
            QVERIFY2(run.err.contains("the server's certificate must verify against the certificate authorities " +
                                      authorities + " and name the host " + host + "\n"),
                     qPrintable(run.err));
            QVERIFY(!QFile::exists(out));
        };
        refused(Bound(starttls, other), "StartTLS with " + starttls + " failed: Connect error", other, "127.0.0.1");
        refused(Bound(ldaps, other), "the directory server " + ldaps + " cannot be reached: ", other, "127.0.0.1");
        // Another host name for the same server.
        const QString wrongHost = QStringLiteral("ldaps://localhost:%1").arg(server_.TlsPort());
        refused(Bound(wrongHost, ca), "the directory server " + wrongHost + " cannot be reached: ", ca, "localhost");
        // Anonymous, with the system's authorities, which know nothing of this one.
        refused({"run", query_, "--ldap", starttls}, "StartTLS with " + starttls, "of the system", "127.0.0.1");
    }

    void noPasswordInClearToAnotherHost()
    {
        // Refused before anything is sent: the host is not even looked up.
        const LdapCliRun run = Run({"run", query_, "--ldap", "ldap://ldap.example.invalid", "--no-tls", "--bind-dn",
                                    "cn=admin,o=Acme", "--password-file", passwordFile_});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("no password is sent to ldap://ldap.example.invalid without TLS"),
                 qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestCliLdapTls)
#include "test_cli_ldap_tls.moc"
