#include "directory/ClientConfig.h"

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

    void missingFileMeansTheDemo()
    {
        QTemporaryDir folder;
        QCOMPARE(ClientConfig::DirectoryFile(folder.filePath("client.ini")), QString());
        QVERIFY(ClientConfig::ConfigFilePath().endsWith("Veltrane/client.ini"));
    }
};

QTEST_GUILESS_MAIN(TestClientConfig)
#include "test_client_config.moc"
