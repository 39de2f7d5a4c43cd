// Export runs over a slapd that goes away in the middle of a listing: a dropped
// connection is made again once, bound as before, and the listing goes on where it was;
// a server that stays away stops the run with one report. What was listed is read
// without the server.

#include "LdapFixture.h"
#include "PausingProxy.h"
#include "SlapdServer.h"
#include "directory/LocaleFormats.h"
#include "directory/TNW4Object.h"
#include "directory/ldap/LdapClient.h"
#include "directory/tNDS.h"
#include "engine/TExportObserver.h"
#include "engine/TExportRun.h"

#include <QTest>

#include <cstdint>
#include <functional>

namespace {

// What the server logs for each bind as the root name.
constexpr char AdminBinds[] = " BIND dn=\"cn=admin,o=Acme\" method=";

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

    // To the server, or through a relay on relayPort.
    std::unique_ptr<LdapClient> Connect(int relayPort = 0) const
    {
        LdapServerConfig config;
        config.uri = relayPort == 0 ? server_.Uri() : QStringLiteral("ldap://127.0.0.1:%1").arg(relayPort);
        config.bindDn = "cn=admin,o=Acme";
        config.passwordFile = passwordFile_;
        config.tls = LdapServerConfig::Tls::None;
        QString error;
        auto client = LdapClient::Connect({config}, {}, &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        return client;
    }

    // A run of the users below context showing properties, over a client of its own
    // (through a relay on relayPort); onCollected as Lines has it.
    Outcome Run(TExportJob job, const QStringList &properties, int relayPort = 0,
                const std::function<void(int)> &onCollected = {})
    {
        auto client = Connect(relayPort);
        Outcome outcome;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { outcome.reports << text; }, {}, {}});
        const tCondition shown(0, dtString, {}, {}, "String", true);
        job.className = "inetOrgPerson";
        for (const QString &property : properties)
            job.rows.push_back({property, &shown});
        Lines observer;
        observer.onCollected = onCollected;
        TExportRun run(directory, job, observer);
        run.RunExport();
        outcome.lines = observer.lines;
        outcome.directoryFailed = run.DirectoryFailed;
        return outcome;
    }

    // The users of ou=Many with their surnames, in the order listed; action runs once
    // `at` of them are collected.
    Outcome Export(int at, const std::function<void()> &action, int relayPort = 0)
    {
        TExportJob job;
        job.context = "Many.Acme";
        // Unsorted: an entry listed twice shows twice.
        job.sortbycn = false;
        return Run(job, {"cn", "sn"}, relayPort, [&](int count) {
            if (count == at)
                action();
        });
    }

    // The lines of a whole export of ou=Many: the names of the columns, then every user
    // once, in the order listed.
    static QStringList EveryUser()
    {
        QStringList lines{"cn\tsn"};
        for (int i = 0; i < LdapFixture::ManyUsers; ++i)
            lines << QStringLiteral("user%1\tS%1").arg(i, 4, 10, QLatin1Char('0'));
        return lines;
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QString error;
        server_.LogOperations();
        QVERIFY2(LdapFixture::Start(server_, &error), qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
    }

    // The server restarts while the first page (of 500) is taken apart: the second may
    // have come already, the third comes over a new connection, bound as before (the
    // anonymous size limit would end it), whose paged listing starts over past the
    // entries listed.
    void droppedConnectionIsMadeAgainBoundAsBefore()
    {
        const int binds = server_.Logged(AdminBinds);
        const Outcome outcome = Export(100, [this] {
            server_.Stop();
            QVERIFY(server_.Restart());
        });
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QVERIFY(!outcome.directoryFailed);
        QCOMPARE(outcome.lines, EveryUser());
        QCOMPARE(server_.Logged(AdminBinds), binds + 2);
    }

    // A server that says it goes away ("unavailable", then the connection closed), as a
    // stopping server does, is made again like a dropped connection.
    void aServerGoingAwayIsMadeAgain()
    {
        PausingProxy relay(server_.Port(), SIZE_MAX, {}); // never pausing
        QVERIFY(relay.Port() != 0);
        const Outcome outcome = Export(
            100, [&relay] { relay.GoAwayAtNextRequest(); }, relay.Port());
        QVERIFY(relay.WentAway());
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QVERIFY(!outcome.directoryFailed);
        QCOMPARE(outcome.lines, EveryUser());
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
        TExportJob job;
        job.context = "Sales.Acme";
        job.recursive = true;
        const Outcome outcome = Run(job, {"sn"});
        QVERIFY(LdapFixture::Tool(server_, "ldapdelete", LdapFixture::HelperDn));
        QVERIFY2(outcome.lines.contains("Helper"), qPrintable(outcome.lines.join('|')));
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
    }

    // Two objects of one CN in two containers of the run: each line has its own
    // object's values, read one after the other by typeless names.
    void twinsInTwoContainersKeepTheirOwnValues()
    {
        QVERIFY(LdapFixture::Tool(server_, "ldapadd",
                                  "dn: cn=twin,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: twin\nsn: Sales\n\n"
                                  "dn: cn=twin,ou=Staff,ou=Sales,o=Acme\nobjectClass: inetOrgPerson\ncn: twin\n"
                                  "sn: Staff\n"));
        TExportJob job;
        job.context = "Sales.Acme";
        job.recursive = true;
        job.addcontainer = true;
        const Outcome outcome = Run(job, {"cn", "sn"});
        QVERIFY(
            LdapFixture::Tool(server_, "ldapdelete", "cn=twin,ou=Sales,o=Acme\ncn=twin,ou=Staff,ou=Sales,o=Acme\n"));
        QCOMPARE(outcome.lines.filter("\ttwin\t"),
                 QStringList({"Sales.Acme\ttwin\tSales", "Staff.Sales.Acme\ttwin\tStaff"}));
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
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
