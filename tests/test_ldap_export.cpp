// Export runs over a slapd that goes away in the middle of a listing: a dropped
// connection is made again once and the listing goes on where it was; a server that
// stays away stops the run with one report. What was listed is read without the server.

#include "LdapFixture.h"
#include "SlapdServer.h"
#include "directory/LocaleFormats.h"
#include "directory/TNW4Object.h"
#include "directory/ldap/LdapClient.h"
#include "directory/tNDS.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"

#include <QTest>

#include <functional>

namespace {

// Keeps the lines, and calls onCollected with the count of objects collected so far.
class Lines : public TExportObserver
{
public:
    bool AddLine(const QString &line) override
    {
        lines << line;
        return true;
    }
    void SetL2(const QString &text) override
    {
        if (text.endsWith(" objet(s) trouvé(s)") && onCollected)
            onCollected(text.section(' ', 0, 0).toInt());
    }

    QStringList lines;
    std::function<void(int)> onCollected;
};

} // namespace

class TestLdapExport : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    QString passwordFile_;

    struct Outcome {
        QStringList lines;
        QStringList reports;
        bool directoryFailed = false;
    };

    std::unique_ptr<LdapClient> Connect() const
    {
        LdapServerConfig config;
        config.uri = server_.Uri();
        config.bindDn = "cn=admin,o=Acme";
        config.passwordFile = passwordFile_;
        config.tls = LdapServerConfig::Tls::None;
        QString error;
        auto client = LdapClient::Connect({config}, {}, &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        return client;
    }

    // The users of ou=Many, sorted, with their surnames; action runs once `at` of them are
    // collected: the listing (in pages of 500) has then one more page to fetch.
    Outcome Export(int at, const std::function<void()> &action)
    {
        auto client = Connect();
        Outcome outcome;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { outcome.reports << text; }, {}, {}});
        const tCondition shown(0, dtString, {}, {}, "String", true);
        TExportJob job;
        job.context = "Many.Acme";
        job.className = "inetOrgPerson";
        job.rows = {{"cn", &shown}, {"sn", &shown}};
        Lines observer;
        observer.onCollected = [&](int count) {
            if (count == at)
                action();
        };
        TExportRun run(directory, job, observer);
        run.RunExport();
        outcome.lines = observer.lines;
        outcome.directoryFailed = run.DirectoryFailed;
        return outcome;
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QString error;
        QVERIFY2(LdapFixture::Start(server_, &error), qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
    }

    void droppedConnectionIsMadeAgain()
    {
        const Outcome outcome = Export(600, [this] {
            server_.Stop();
            QVERIFY(server_.Restart());
        });
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QVERIFY(!outcome.directoryFailed);
        QCOMPARE(outcome.lines.size(), LdapFixture::ManyUsers + 1);
        QCOMPARE(outcome.lines.last(), "user1199\tS1199");
    }

    void listedObjectsAreReadWithoutTheServer()
    {
        auto client = Connect();
        QStringList reports;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { reports << text; }, {}, {}});
        int listed = 0;
        QCOMPARE(directory.EnumObjects(
                     "Many.Acme", false, 0, [&](const QString &, const TNDSObj &, int32_t, bool &) { ++listed; },
                     "inetOrgPerson"),
                 0);
        QCOMPARE(listed, LdapFixture::ManyUsers);
        server_.Stop();
        for (const QString name : {"user0000.Many.Acme", "user0700.Many.Acme", "user1199.Many.Acme"}) {
            TNW4Object user(directory, name);
            QCOMPARE(user.GetFirstValue("sn"), "S" + name.mid(4, 4));
            QCOMPARE(user.GetValues("cn"), QStringList{name.section('.', 0, 0)});
        }
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
        QVERIFY(server_.Restart());
    }

    void aRunThatDescendsExportsWhatLiesBelowAnyEntry()
    {
        QVERIFY(LdapFixture::Tool(server_, "ldapadd", LdapFixture::HelperLdif));
        auto client = Connect();
        QStringList reports;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { reports << text; }, {}, {}});
        const tCondition shown(0, dtString, {}, {}, "String", true);
        TExportJob job;
        job.context = "Sales.Acme";
        job.className = "inetOrgPerson";
        job.recursive = true;
        job.rows = {{"sn", &shown}};
        Lines observer;
        TExportRun run(directory, job, observer);
        run.RunExport();
        QVERIFY(LdapFixture::Tool(server_, "ldapdelete", LdapFixture::HelperDn));
        QVERIFY2(observer.lines.contains("Helper"), qPrintable(observer.lines.join('|')));
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
    }

    // Last: the server stays away. It goes while the first page is taken apart: the
    // next one may have come already, the one after it cannot.
    void lostServerStopsTheRunOnce()
    {
        const Outcome outcome = Export(100, [this] { server_.Stop(); });
        QVERIFY(outcome.directoryFailed);
        QVERIFY(outcome.lines.isEmpty());
        QCOMPARE(outcome.reports,
                 QStringList{QStringLiteral("NWDSList Failed for Many.Acme\rError Code: -625\rthe directory server %1 "
                                            "cannot be reached: Can't contact LDAP server")
                                 .arg(server_.Uri())});
    }
};

QTEST_GUILESS_MAIN(TestLdapExport)
#include "test_ldap_export.moc"
