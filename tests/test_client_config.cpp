#include "connect/ClientConfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestClientConfig : public QObject
{
    Q_OBJECT
private slots:
    void namesTheDirectoryFile_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("expected"); // relative to the configuration folder
        QTest::newRow("absolute") << QByteArray("directory=/srv/acme.json\n") << "/srv/acme.json";
        QTest::newRow("relative") << QByteArray("directory = acme.json\n") << "acme.json";
        QTest::newRow("section") << QByteArray("[General]\ndirectory=acme.json\n") << "acme.json";
        QTest::newRow("no key") << QByteArray("other=1\n") << "";
        QTest::newRow("empty") << QByteArray("directory=\n") << "";
    }
    void namesTheDirectoryFile()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, expected);
        QTemporaryDir folder;
        QFile file(folder.filePath("client.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        const QString found = ClientConfig::DirectoryFile(file.fileName());
        if (expected.isEmpty())
            QCOMPARE(found, QString());
        else
            QCOMPARE(found, QDir(folder.path()).absoluteFilePath(expected));
    }

    void treeSectionsInFileOrder()
    {
        QTemporaryDir folder;
        QFile file(folder.filePath("client.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("directory=acme.json\n; servers\n[tree ZED]\nuri=ldaps://z.example\npassword-file=z.pw\n"
                   "bind-dn=cn=admin,o=z\n[other]\nuri=ignored\n[tree ACME]\nuri=ldap://a.example\nbase=o=acme\n"
                   "ca-file=/etc/ssl/acme.pem\nnetwork-timeout=5\noperation-timeout=86400\n"
                   "[tree LAB]\nuri=ldap://127.0.0.1:3890\ntls=none\n");
        file.close();
        std::vector<LdapServerConfig> servers;
        QString error;
        QVERIFY(ClientConfig::LdapServers(file.fileName(), servers, &error));
        QCOMPARE(servers.size(), size_t(3));
        QCOMPARE(servers[0].tree, "ZED");
        QCOMPARE(servers[0].tls, LdapServerConfig::Tls::Ldaps);
        QCOMPARE(servers[0].bindDn, "cn=admin,o=z");
        QCOMPARE(servers[0].passwordFile, QDir(folder.path()).absoluteFilePath("z.pw"));
        QCOMPARE(servers[1].tree, "ACME");
        QCOMPARE(servers[1].tls, LdapServerConfig::Tls::StartTls);
        QCOMPARE(servers[1].base, "o=acme");
        QCOMPARE(servers[1].caFile, "/etc/ssl/acme.pem");
        QCOMPARE(servers[1].networkTimeout, 5);
        QCOMPARE(servers[1].operationTimeout, 86400);
        QCOMPARE(servers[2].tls, LdapServerConfig::Tls::None);
        // Time limits not given are long enough for any directory.
        QCOMPARE(servers[2].networkTimeout, 30);
        QCOMPARE(servers[2].operationTimeout, 300);
        QVERIFY(ClientConfig::DirectoryFile(file.fileName()).endsWith("acme.json"));
    }

    void refusedTreeSections_data()
    {
        QTest::addColumn<QByteArray>("ini");
        QTest::addColumn<QString>("reason");
        QTest::newRow("password") << QByteArray("[tree A]\nuri=ldaps://a\npassword=secret\n") << "never written";
        QTest::newRow("tls") << QByteArray("[tree A]\nuri=ldaps://a\ntls=maybe\n") << "tls=maybe";
        QTest::newRow("no time") << QByteArray("[tree A]\nuri=ldaps://a\noperation-timeout=0\n")
                                 << "operation-timeout=0 is no number of seconds from 1 to 86400";
        QTest::newRow("not seconds") << QByteArray("[tree A]\nuri=ldaps://a\nnetwork-timeout=5s\n")
                                     << "network-timeout=5s";
        QTest::newRow("no uri") << QByteArray("[tree A]\nbase=o=a\n[tree B]\nuri=ldaps://b\n") << "[tree A]: no uri";
    }
    void refusedTreeSections()
    {
        QFETCH(QByteArray, ini);
        QFETCH(QString, reason);
        QTemporaryDir folder;
        QFile file(folder.filePath("client.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(ini);
        file.close();
        std::vector<LdapServerConfig> servers;
        QString error;
        QVERIFY(!ClientConfig::LdapServers(file.fileName(), servers, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(servers.empty());
    }

    void missingFileMeansTheDemo()
    {
        QTemporaryDir folder;
        QCOMPARE(ClientConfig::DirectoryFile(folder.filePath("client.ini")), QString());
        QVERIFY(ClientConfig::ConfigFilePath().endsWith("Veltrane/client.ini"));
    }
};

QTEST_GUILESS_MAIN(TestClientConfig)
#include "test_client_config.moc"
