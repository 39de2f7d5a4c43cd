// Large attributes sent in ranges, as Active Directory sends them (a relay in front of
// slapd plays such a server, RangingRelay.h): every value is fetched, in the server's
// order, by reads, by listings that keep what they fetched, and by export runs.

#include "ExportLines.h"
#include "LdapFixture.h"
#include "RangingRelay.h"
#include "SlapdServer.h"
#include "directory/LocaleFormats.h"
#include "directory/TNW4Object.h"
#include "directory/ldap/LdapClient.h"
#include "directory/tNDS.h"

#include <QTest>

#include <memory>

namespace {

// Values a part, as Active Directory's MaxValRange.
constexpr size_t Chunk = 1500;
constexpr int BigGroup = 5000;
constexpr int HugeGroup = 50000;

// The members of a group of count, in the order the server keeps them: not the order of
// their names.
QStringList Members(int count)
{
    QStringList members;
    for (int i = 0; i < count; ++i)
        members << QStringLiteral("m%1").arg(qint64(i) * 7919 % count, 5, 10, QLatin1Char('0'));
    return members;
}

QByteArray Group(const QString &name, int count)
{
    QByteArray ldif =
        "dn: cn=" + name.toUtf8() + ",ou=Groups,o=Acme\nobjectClass: groupOfNames\ncn: " + name.toUtf8() + "\n";
    for (const QString &member : Members(count))
        ldif += "member: cn=" + member.toUtf8() + ",ou=People,o=Acme\n";
    return ldif + "\n";
}

// The members as the client hands them out: typeless names.
QStringList Shown(int count)
{
    QStringList shown;
    for (const QString &member : Members(count))
        shown << member + ".People.Acme";
    return shown;
}

} // namespace

class TestLdapRanges : public QObject
{
    Q_OBJECT

    SlapdServer server_;
    QString passwordFile_;

    std::unique_ptr<LdapClient> Connect(int port) const
    {
        LdapServerConfig config = LdapFixture::Admin(server_, passwordFile_);
        config.uri = QStringLiteral("ldap://127.0.0.1:%1").arg(port);
        QString error;
        auto client = LdapClient::Connect({config}, {}, &error);
        if (!client)
            qFatal("%s", qPrintable(error));
        return client;
    }

private slots:
    void initTestCase()
    {
        if (!SlapdServer::Installed())
            QSKIP("slapd is not installed");
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        const QByteArray ldif = "dn: o=Acme\nobjectClass: organization\no: Acme\n\n"
                                "dn: ou=Groups,o=Acme\nobjectClass: organizationalUnit\nou: Groups\n\n" +
                                Group("Big", BigGroup) + Group("Few", 3) + Group("Huge", HugeGroup);
        QString error;
        QVERIFY2(server_.Start("o=Acme", "cn=admin,o=Acme", "secret", {"core", "cosine"}, {}, {}, ldif, &error),
                 qPrintable(error));
        passwordFile_ = server_.WriteOwnerOnly("admin.pw", "secret\n");
    }

    // An object read on its own: each part asked for from where the last one ended, up
    // to the one that ends in *; a small attribute comes whole.
    void aReadFetchesEveryPartInOrder()
    {
        RangingRelay relay(server_.Port(), Chunk);
        QVERIFY(relay.Port() != 0);
        auto client = Connect(relay.Port());
        QStringList reports;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { reports << text; }, {}, {}});
        TNW4Object big(directory, "Big.Groups.Acme");
        QCOMPARE(big.GetValues("member").value_or(QStringList()), Shown(BigGroup));
        QCOMPARE(relay.RangedSearches(), 3); // 1500-*, 3000-*, 4500-*
        TNW4Object few(directory, "Few.Groups.Acme");
        QCOMPARE(few.GetValues("member").value_or(QStringList()), Shown(3));
        QCOMPARE(relay.RangedSearches(), 3);
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
    }

    // A part that does not start where the last one ended (a server sending the first
    // part again), or a later part that does not read whole, is reported, never taken as
    // more values or as their end, nor followed without end.
    void aBadPartIsReported_data()
    {
        QTest::addColumn<bool>("repeats");
        QTest::addColumn<QString>("words");
        QTest::newRow("does not follow") << true << "the server sent the values of member in ranges that do not follow";
        QTest::newRow("does not read") << false << "the server sent a part of the values of member that does not read";
    }
    void aBadPartIsReported()
    {
        QFETCH(bool, repeats);
        QFETCH(QString, words);
        RangingRelay relay(server_.Port(), Chunk, repeats, !repeats);
        auto client = Connect(relay.Port());
        QStringList reports;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { reports << text; }, {}, {}});
        TNW4Object big(directory, "Big.Groups.Acme");
        QVERIFY(!big.GetValues("member"));
        QVERIFY2(!reports.isEmpty() && reports.front().contains("-5104") && reports.front().contains(words),
                 qPrintable(reports.join('\n')));
    }

    // A listing of objects keeps every value of the entries it fetched: read without the
    // server, the groups have all their members.
    void aListingKeepsEveryPart()
    {
        auto relay = std::make_unique<RangingRelay>(server_.Port(), Chunk);
        auto client = Connect(relay->Port());
        QStringList reports;
        tNDS directory(*client, DirectoryHooks{[&](const QString &text) { reports << text; }, {}, {}});
        int listed = 0;
        QCOMPARE(directory.EnumObjects(
                     "Groups.Acme", false, 0, [&](const QString &, const TNDSObj &, int32_t, bool &) { ++listed; },
                     "groupOfNames"),
                 0);
        QCOMPARE(listed, 3);
        QCOMPARE(relay->RangedSearches(), 3 + 33);
        relay.reset();
        TNW4Object big(directory, "Big.Groups.Acme");
        QCOMPARE(big.GetValues("member").value_or(QStringList()), Shown(BigGroup));
        TNW4Object huge(directory, "Huge.Groups.Acme");
        QCOMPARE(huge.GetValues("member").value_or(QStringList()), Shown(HugeGroup));
        QVERIFY2(reports.isEmpty(), qPrintable(reports.join('\n')));
    }

    // An export run asks its listing for the members alone (a run that descends, its
    // subtree search): every one is written, in the server's order.
    void anExportWritesEveryMember_data()
    {
        QTest::addColumn<bool>("recursive");
        QTest::newRow("one level") << false;
        QTest::newRow("descending") << true;
    }
    void anExportWritesEveryMember()
    {
        QFETCH(bool, recursive);
        RangingRelay relay(server_.Port(), Chunk);
        auto client = Connect(relay.Port());
        const tCondition shown(0, dtString, {}, {}, "String", true);
        TExportJob job;
        job.context = "Groups.Acme";
        job.className = "groupOfNames";
        job.recursive = recursive;
        job.fieldsonfirstline = false;
        job.valueSeparator = ",";
        job.rows = {{"cn", &shown}, {"member", &shown}};
        const ExportLines outcome = RunExport(*client, job);
        QVERIFY2(outcome.reports.isEmpty(), qPrintable(outcome.reports.join('\n')));
        QVERIFY(!outcome.directoryFailed);
        const auto line = [](const QString &name, int count) {
            QStringList members;
            for (const QString &member : Members(count))
                members << member + ".People.Acme";
            return name + '\t' + members.join(',');
        };
        QCOMPARE(outcome.lines, QStringList({line("Big", BigGroup), line("Few", 3), line("Huge", HugeGroup)}));
    }
};

QTEST_GUILESS_MAIN(TestLdapRanges)
#include "test_ldap_ranges.moc"
