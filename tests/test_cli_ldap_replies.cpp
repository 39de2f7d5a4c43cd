// veltrane-cli against a scripted server (LdapResponder) that sends what no sound server
// does: entries that do not read whole, a reply cut short and then nothing, names longer
// than the directory holds, values larger than a read's buffer.

#include "LdapResponder.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <signal.h>

#include <atomic>
#include <chrono>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The persons of Acme with their names and surnames, and descriptions when asked.
QByteArray Query(bool descriptions = false)
{
    return QStringLiteral("[options]\r\nclass=person\r\nseparator=Tab\r\nvalseparator=Space\r\nusedelimiter=0\r\n"
                          "context=Acme\r\nrecursive=0\r\nsortbycn=0\r\nfieldsonfirstline=0\r\naddcontainer=0\r\n"
                          "nbproperties=%1\r\nnbfilters=%1\r\n[Properties]\r\n0=cn\r\n1=sn\r\n2=description\r\n"
                          "[Filter0]\r\nop=0\r\n[Filter1]\r\nop=0\r\n[Filter2]\r\nop=0\r\n")
        .arg(descriptions ? 3 : 2)
        .toUtf8();
}

using Tlv = decltype(&LdapResponder::Tlv);
constexpr Tlv Element = &LdapResponder::Tlv;

// A one-level listing of o=Acme answered by reply; every other search finds nothing.
LdapResponder::Script Listing(std::function<std::string(int message)> reply)
{
    return [reply = std::move(reply)](int message, const std::string &base, int scope) {
        if (base == "o=Acme" && scope == 1)
            return reply(message);
        return LdapResponder::Done(message, 32);
    };
}

} // namespace

class TestCliLdapReplies : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;
    QString query_;
    QString output_;

    struct Run {
        int status = -1;
        QString err;
        QByteArray out; // the output file's content
        bool written = false;
    };

    Run RunAgainst(const LdapResponder &server, const QStringList &extra = {}, const QString &query = {})
    {
        QFile::remove(output_);
        QProcess process;
        process.start(VELTRANE_CLI, QStringList{"run", query.isEmpty() ? query_ : query, "--ldap",
                                                QString::fromStdString(server.Uri()), "--no-tls", "-o", output_} +
                                        extra);
        process.waitForFinished(60000);
        Run run;
        run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        run.err = QString::fromUtf8(process.readAllStandardError());
        QFile file(output_);
        run.written = file.open(QIODevice::ReadOnly);
        run.out = file.readAll();
        return run;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder_.isValid());
        query_ = folder_.filePath("persons.req");
        QFile query(query_);
        QVERIFY(query.open(QIODevice::WriteOnly));
        query.write(Query());
        output_ = folder_.filePath("out.txt");
    }

    // An entry or a message that does not read whole is no end of the listing: the
    // listing fails with the server's words, the export stops without an output file.
    void unreadableReplyFailsTheListing_data()
    {
        QTest::addColumn<QByteArray>("bad");
        QTest::addColumn<QString>("words");
        const auto attribute = [](const std::string &type, const std::string &values) {
            return Element(0x30, Element(0x04, type) + Element(0x31, values));
        };
        const std::string dn = Element(0x04, "cn=bad,o=Acme");
        const std::string classes = attribute("objectClass", Element(0x04, "person"));
        // An attribute list holding an element that is no attribute.
        QTest::newRow("unexpected tag in the attributes")
            << QByteArray::fromStdString(Element(0x64, dn + Element(0x30, classes + Element(0x04, "cn"))))
            << "the server sent an entry that does not read whole: cn=bad,o=Acme";
        // A value that is no octet string.
        QTest::newRow("unexpected tag among the values")
            << QByteArray::fromStdString(
                   Element(0x64, dn + Element(0x30, classes + attribute("sn", Element(0x02, "\x01")))))
            << "the server sent an entry that does not read whole: cn=bad,o=Acme";
        // An attribute whose length runs past the end of the message.
        std::string past = attribute("sn", Element(0x04, "Bad"));
        past[1] = char(past[1] + 40);
        QTest::newRow("length past the message")
            << QByteArray::fromStdString(Element(0x64, dn + Element(0x30, classes + past)))
            << "the server sent an entry that does not read whole: cn=bad,o=Acme";
        // A value set whose one value claims more than the set holds.
        std::string value = Element(0x04, "Bad");
        value[1] = char(9);
        QTest::newRow("value past its set")
            << QByteArray::fromStdString(Element(0x64, dn + Element(0x30, classes + attribute("sn", value))))
            << "the server sent an entry that does not read whole: cn=bad,o=Acme";
        QTest::newRow("entry without a name")
            << QByteArray::fromStdString(Element(0x64, Element(0x30, classes)))
            << "the server sent an entry that does not read whole: one without a name";
        // A message of a kind a search has none of, among its entries.
        QTest::newRow("message of another kind")
            << QByteArray::fromStdString(
                   Element(0x6B, Element(0x0A, std::string(1, '\0')) + Element(0x04, "") + Element(0x04, "")))
            << "the server's reply holds a message of tag 0x6b among a search's";
    }

    void unreadableReplyFailsTheListing()
    {
        QFETCH(QByteArray, bad);
        QFETCH(QString, words);
        LdapResponder server(Listing([&](int message) {
            return LdapResponder::Person(message, "good") + LdapResponder::Message(message, bad.toStdString()) +
                   LdapResponder::Person(message, "after") + LdapResponder::Done(message);
        }));
        const Run run = RunAgainst(server);
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains("NWDSList Failed for Acme Error Code: -5104 Decoding error ("), qPrintable(run.err));
        QVERIFY2(run.err.contains(words), qPrintable(run.err));
        QVERIFY(!run.err.contains("Aucun objet"));
        QVERIFY(!run.written);
    }

    // A server that sends half a reply and then nothing: one report when the operation
    // timeout has passed, within a second of it, and no output file.
    void stalledServerEndsTheRunAtItsTimeLimit()
    {
        std::atomic<Clock::rep> stalled{0};
        LdapResponder server(Listing([&](int message) {
            const std::string next = LdapResponder::Person(message, "half");
            stalled = Clock::now().time_since_epoch().count();
            return LdapResponder::Person(message, "good") + next.substr(0, next.size() / 2);
        }));
        const Run run = RunAgainst(server, {"--operation-timeout", "2"});
        const auto waited = Clock::now() - Clock::time_point(Clock::duration(stalled.load()));
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("the directory server %1 did not answer within 2 s")
                                      .arg(QString::fromStdString(server.Uri()))),
                 qPrintable(run.err));
        QCOMPARE(run.err.count("did not answer"), 1);
        QVERIFY(!run.written);
        qInfo("the run ended %.2f s after the server stalled", std::chrono::duration<double>(waited).count());
        QVERIFY2(waited >= 2s && waited < 3s,
                 qPrintable(QString::number(std::chrono::duration<double>(waited).count())));
    }

    // A message claiming more than any entry holds (512 MiB) is refused as soon as its
    // length is read, never waited for into that much memory: the server is given up.
    void oversizedMessageIsRefusedAtOnce()
    {
        LdapResponder server(Listing([](int message) {
            return LdapResponder::Person(message, "good") + std::string("\x30\x84\x20\x00\x00\x00\x02\x01", 8);
        }));
        QElapsedTimer running;
        running.start();
        const Run run = RunAgainst(server, {"--operation-timeout", "60"});
        QCOMPARE(run.status, 1);
        QVERIFY2(run.err.contains(QStringLiteral("NWDSList Failed for Acme Error Code: -625 the directory server %1 "
                                                 "cannot be reached")
                                      .arg(QString::fromStdString(server.Uri()))),
                 qPrintable(run.err));
        QVERIFY2(running.elapsed() < 30000, qPrintable(QString::number(running.elapsed())));
        QVERIFY(!run.written);
    }

    // SIGTERM and Ctrl-C end a run that waits for a server within a second, as a
    // cancelled run: status 130 and no output file.
    void signalEndsARunWaitingForTheServer_data()
    {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGINT") << int(SIGINT);
    }

    void signalEndsARunWaitingForTheServer()
    {
        QFETCH(int, signal);
        std::atomic<bool> stalled{false};
        LdapResponder server(Listing([&](int message) {
            stalled = true;
            const std::string half = LdapResponder::Person(message, "half");
            return LdapResponder::Person(message, "good") + half.substr(0, half.size() / 2);
        }));
        QFile::remove(output_);
        QProcess process;
        process.start(VELTRANE_CLI,
                      {"run", query_, "--ldap", QString::fromStdString(server.Uri()), "--no-tls", "-o", output_});
        QVERIFY(process.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(stalled, 60000);
        QTest::qWait(300); // the client is waiting by now
        QElapsedTimer ending;
        ending.start();
        ::kill(pid_t(process.processId()), signal);
        QVERIFY(process.waitForFinished(5000));
        qInfo("the run ended %lld ms after the signal", ending.elapsed());
        QVERIFY2(ending.elapsed() < 1000, qPrintable(QString::number(ending.elapsed())));
        QCOMPARE(process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(process.exitCode(), 130);
        QVERIFY(!QFile::exists(output_));
    }

    // An entry whose name the directory cannot hold costs only itself: it is reported
    // with its name cut, and the entries beside it keep their lines.
    void longNameCostsOnlyItsEntry_data()
    {
        QTest::addColumn<int>("length");
        QTest::newRow("300 bytes") << 300;
        QTest::newRow("1 MB") << (1 << 20);
    }

    void longNameCostsOnlyItsEntry()
    {
        QFETCH(int, length);
        const std::string cn(size_t(length), 'x');
        LdapResponder server(Listing([&](int message) {
            return LdapResponder::Person(message, "before", "B") + LdapResponder::Person(message, cn) +
                   LdapResponder::Person(message, "after", "A") + LdapResponder::Done(message);
        }));
        const Run run = RunAgainst(server);
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, QByteArray("before\tB\r\nafter\tA\r\n"));
        QCOMPARE(run.err.count("NWDSList Failed for Acme"), 1);
        const QString shown = QStringLiteral("cn=") + QString(253, 'x') + QStringLiteral("...");
        QVERIFY2(run.err.contains(QStringLiteral("Error Code: -5300 the server sent an entry whose name is longer "
                                                 "than the directory's 256 bytes: ") +
                                  shown + QLatin1Char('\n')),
                 qPrintable(run.err.left(2000)));
    }

    // A value larger than a read's buffer is reported for its object; the other
    // objects keep their lines.
    void largeValueCostsOnlyItsObject()
    {
        const QString query = folder_.filePath("descriptions.req");
        QFile file(query);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(Query(true));
        file.close();
        const auto person = [](int message, const std::string &cn, const std::string &description) {
            return LdapResponder::Entry(message, "cn=" + cn + ",o=Acme",
                                        {{"objectClass", {"person"}},
                                         {"structuralObjectClass", {"person"}},
                                         {"cn", {cn}},
                                         {"sn", {"S"}},
                                         {"description", {description}}});
        };
        LdapResponder server(Listing([&](int message) {
            return person(message, "before", "small") + person(message, "large", std::string(100000, 'v')) +
                   person(message, "after", "small") + LdapResponder::Done(message);
        }));
        const Run run = RunAgainst(server, {}, query);
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith("before\tS\tsmall\r\n") && run.out.endsWith("after\tS\tsmall\r\n"),
                 run.out.left(200).constData());
        QVERIFY2(run.err.contains("large.Acme"), qPrintable(run.err));
    }
};

QTEST_GUILESS_MAIN(TestCliLdapReplies)
#include "test_cli_ldap_replies.moc"
