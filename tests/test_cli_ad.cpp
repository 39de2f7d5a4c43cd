// veltrane-cli against a real Active Directory domain controller (Samba's, shared by the
// run, see SambaDomain.h), loaded with 3,003 users in nested OUs below OU=Acme: a
// recursive export finds every user (entries whose structuralObjectClass lists the whole
// chain, top first; OUs that are containers without hasSubordinates); GUIDs, SIDs, large
// integers and times read as AD's administrators read them, and compare as numbers and
// dates; binds as a DN, a UPN or a down-level name; an anonymous search refused; the same
// lines as from a directory file of the same users.

#include "LdapCliRun.h"
#include "SambaDomain.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <map>

namespace {

// Users (objects of className) below Acme (context) and its sub-containers when recursive,
// sorted, with the properties and their conditions ("op=0" for none), tab-separated.
QByteArray Query(bool recursive, const QStringList &properties, const QStringList &filters,
                 const QString &className = QStringLiteral("user"),
                 const QString &context = QStringLiteral("Acme.acme.test"))
{
    QString text = QStringLiteral("[options]\r\nclass=%3\r\nseparator=Tab\r\nvalseparator=Space\r\nusedelimiter=0\r\n"
                                  "context=%4\r\nrecursive=%1\r\nsortbycn=1\r\nfieldsonfirstline=0\r\n"
                                  "nbproperties=%2\r\nnbfilters=%2\r\n[Properties]\r\n")
                       .arg(recursive ? 1 : 0)
                       .arg(properties.size())
                       .arg(className, context);
    for (int i = 0; i < properties.size(); ++i)
        text += QStringLiteral("%1=%2\r\n").arg(i).arg(properties[i]);
    for (int i = 0; i < filters.size(); ++i)
        text += QStringLiteral("[Filter%1]\r\n").arg(i) + filters[i].split('|').join("\r\n") + "\r\n";
    return text.toUtf8();
}

QStringList Lines(const QByteArray &out)
{
    QStringList lines = QString::fromUtf8(out).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.back().isEmpty())
        lines.removeLast();
    return lines;
}

// A directory file of the entries of the LDIF the DC was loaded with (the domain's
// components, OUs and users, with their names, surnames, given names and telephone
// numbers), in the same names as the DC's schema.
QByteArray DirectoryOf(const QByteArray &ldif)
{
    const QStringList attributes{"cn", "sn", "givenName", "telephoneNumber", "ou", "dc"};
    std::map<QString, QJsonObject> objects; // by DN, upper-cased
    std::map<QString, QStringList> children;
    for (const QString &block : QString::fromUtf8(ldif).split(QStringLiteral("\n\n"), Qt::SkipEmptyParts)) {
        QString dn;
        QJsonObject values;
        QString cls;
        for (const QString &line : block.split('\n', Qt::SkipEmptyParts)) {
            const qsizetype colon = line.indexOf(QStringLiteral(": "));
            const QString name = line.left(colon);
            const QString value = line.mid(colon + 2);
            if (name == "dn")
                dn = value;
            else if (name == "objectClass")
                cls = value;
            else if (attributes.contains(name))
                values[name] = values[name].toArray() + QJsonValue(value);
        }
        objects[dn.toUpper()] = QJsonObject{{"name", dn.section(',', 0, 0)}, {"class", cls}, {"values", values}};
        children[dn.section(',', 1).toUpper()] << dn.toUpper();
    }
    objects["DC=ACME,DC=TEST"] =
        QJsonObject{{"name", "DC=acme"}, {"class", "domainDNS"}, {"values", QJsonObject{{"dc", QJsonArray{"acme"}}}}};
    children["DC=TEST"] << "DC=ACME,DC=TEST";
    objects["DC=TEST"] =
        QJsonObject{{"name", "DC=test"}, {"class", "domainDNS"}, {"values", QJsonObject{{"dc", QJsonArray{"test"}}}}};
    const std::function<QJsonObject(const QString &)> nested = [&](const QString &dn) {
        QJsonObject object = objects[dn];
        QJsonArray below;
        for (const QString &child : children[dn])
            below << nested(child);
        if (!below.isEmpty())
            object["children"] = below;
        return object;
    };
    QJsonArray schemaAttributes;
    for (const QString &name : attributes)
        schemaAttributes << QJsonObject{{"name", name}, {"syntax", 3}, {"flags", 0}};
    const QJsonArray classes{QJsonObject{{"name", "domainDNS"}, {"flags", 3}, {"naming", QJsonArray{"dc"}}},
                             QJsonObject{{"name", "organizationalUnit"}, {"flags", 3}, {"naming", QJsonArray{"ou"}}},
                             QJsonObject{{"name", "user"},
                                         {"flags", 2},
                                         {"naming", QJsonArray{"cn"}},
                                         {"optional", QJsonArray{"sn", "givenName", "telephoneNumber"}}}};
    const QJsonObject tree{{"name", "ACME"},
                           {"identity", "jdoe.Acme.acme.test"},
                           {"defaultContext", "acme.test"},
                           {"schema", QJsonObject{{"attributes", schemaAttributes}, {"classes", classes}}},
                           {"objects", QJsonArray{nested("DC=TEST")}}};
    return QJsonDocument(QJsonObject{{"trees", QJsonArray{tree}}}).toJson();
}

} // namespace

class TestCliAd : public QObject
{
    Q_OBJECT

    QTemporaryDir folder_;

    QString Write(const QString &name, const QByteArray &content)
    {
        QFile file(folder_.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    // One run of the query over the DC, bound as name (DN, UPN, down-level; empty: anonymous).
    LdapCliRun Run(const QByteArray &query, const QString &name = QStringLiteral("Administrator@acme.test"),
                   const QString &uri = SambaDomain::LdapsUri())
    {
        return LdapCliRun::Of(QStringList{"run", Write("q.req", query)} + SambaDomain::Server(uri, name));
    }

private slots:
    void initTestCase()
    {
        QString error;
        QVERIFY2(SambaDomain::Ready(&error), qPrintable(error));
        QVERIFY(folder_.isValid());
    }

    // Every user of the nested OUs, whatever order the DC lists the classes in.
    void recursiveExportFindsEveryUser()
    {
        const LdapCliRun run = Run(Query(true, {"CN", "sAMAccountName"}, {"op=0", "op=0"}));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY2(!run.err.contains(QStringLiteral("Aucun objet trouvé")), qPrintable(run.err));
        const QStringList lines = Lines(run.out);
        QCOMPARE(lines.size(), 3003);
        QVERIFY(lines.contains("asmith\tasmith"));
        QVERIFY(lines.contains("user00001\tuser00001"));
        QVERIFY(lines.contains("user03000\tuser03000"));
    }

    // GUID and SID as AD's tools show them (the GUID's first three groups little-endian,
    // the SID's parts little-endian), large integers past 32 bits, times past 2038, and
    // "Never" for no time.
    void valuesReadAsAdministratorsReadThem()
    {
        const QString jdoe = "CN=jdoe,OU=Acme," + SambaDomain::BaseDn();
        const QString guid = SambaDomain::LdbValue(jdoe, "objectGUID").toUpper();
        const QString sid = SambaDomain::LdbValue(jdoe, "objectSid");
        QCOMPARE(guid.size(), 36);
        QVERIFY2(sid.startsWith("S-1-5-21-"), qPrintable(sid));
        const QString usn = SambaDomain::LdbValue(jdoe, "uSNChanged");
        QVERIFY(!usn.isEmpty());

        const LdapCliRun run =
            Run(Query(false, {"CN", "objectGUID", "objectSid", "uSNChanged", "maxStorage", "accountExpires"},
                      {"op=0", "op=0", "op=0", "op=0", "op=0", "op=0"}));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QStringList lines = Lines(run.out);
        QCOMPARE(lines.size(), 3);
        const QStringList john = lines[2].split('\t');
        QCOMPARE(john.value(0), QStringLiteral("jdoe"));
        QCOMPARE(john.value(1), guid);
        QCOMPARE(john.value(2), sid);
        QCOMPARE(john.value(3), usn);
        QCOMPARE(john.value(4), QStringLiteral("5000000000"));
        QCOMPARE(john.value(5), QStringLiteral("15/06/2030 12:00:00"));
        const QStringList alice = lines[0].split('\t');
        QCOMPARE(alice.value(0), QStringLiteral("asmith"));
        QCOMPARE(alice.value(4), QStringLiteral("7"));
        QCOMPARE(alice.value(5), QStringLiteral("01/01/2500"));
        const QStringList bob = lines[1].split('\t');
        QCOMPARE(bob.value(0), QStringLiteral("bob"));
        QCOMPARE(bob.value(5), QStringLiteral("Never"));
    }

    // Large integers compare as numbers past 32 bits; times compare as dates.
    void conditionsCompareNumbersAndDates()
    {
        const LdapCliRun large = Run(Query(false, {"CN", "maxStorage"}, {"op=0", "op=11|tip=1|tn=Long|v1=4294967296"}));
        QVERIFY2(large.status == 0, qPrintable(large.err));
        QCOMPARE(Lines(large.out), QStringList{"jdoe\t5000000000"});
        const LdapCliRun expires =
            Run(Query(false, {"CN", "accountExpires"}, {"op=0", "op=8|tip=4|tn=date|v1=01/01/2030|v2=31/12/2030"}));
        QVERIFY2(expires.status == 0, qPrintable(expires.err));
        QCOMPARE(Lines(expires.out), QStringList{"jdoe\t15/06/2030 12:00:00"});
    }

    // A DN, a UPN and a down-level name bind alike, over ldaps:// and StartTLS.
    void bindNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("uri");
        QTest::newRow("DN") << "CN=Administrator,CN=Users," + SambaDomain::BaseDn() << SambaDomain::LdapsUri();
        QTest::newRow("UPN") << "Administrator@acme.test" << SambaDomain::LdapsUri();
        QTest::newRow("down-level") << "ACME\\Administrator" << SambaDomain::LdapsUri();
        QTest::newRow("UPN, StartTLS") << "Administrator@acme.test" << SambaDomain::StartTlsUri();
    }
    void bindNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, uri);
        const LdapCliRun run = Run(Query(false, {"CN"}, {"op=0"}), name, uri);
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QCOMPARE(Lines(run.out), (QStringList{"asmith", "bob", "jdoe"}));
    }

    // The same users exported from the DC and from a directory file written from the LDIF
    // the DC was loaded with give the same bytes.
    void sameLinesAsADirectoryFile()
    {
        QFile ldif(SambaDomain::Path("tree.ldif"));
        QVERIFY(ldif.open(QIODevice::ReadOnly));
        const QString directory = Write("acme.json", DirectoryOf(ldif.readAll()));
        const QByteArray query =
            Query(true, {"CN", "sn", "givenName", "telephoneNumber"}, {"op=0", "op=0", "op=0", "op=1|tn=String|tip=2"});
        const LdapCliRun file = LdapCliRun::Of({"run", Write("file.req", query), "--directory", directory});
        QVERIFY2(file.status == 0, qPrintable(file.err));
        const LdapCliRun dc = Run(query);
        QVERIFY2(dc.status == 0, qPrintable(dc.err));
        QCOMPARE(Lines(dc.out).size(), 3000);
        QCOMPARE(dc.out, file.out);
    }

    // A group of 3,000 members, more than one part of AD's ranged retrieval: Samba sends
    // the attribute whole, and every member is exported, in the server's order.
    void everyMemberOfALargeGroup()
    {
        const LdapCliRun run = Run(Query(false, {"CN", "member"}, {"op=0", "op=0"}, "group"));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        const QStringList lines = Lines(run.out);
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0].section('\t', 0, 0), QStringLiteral("Everyone"));
        QStringList members;
        for (const QString &dn : SambaDomain::LdbValues("CN=Everyone,OU=Acme," + SambaDomain::BaseDn(), "member")) {
            QStringList parts;
            for (const QString &part : dn.split(','))
                parts << part.section('=', 1);
            members << parts.join('.');
        }
        QCOMPARE(members.size(), 3000);
        QCOMPARE(lines[0].section('\t', 1).split(' '), members);
    }

    // The domain's root lists, besides its entries, a reference to CN=Configuration: a
    // recursive export from there passes over it, never chasing it, without a report.
    void aReferenceBelowTheDomainIsPassedOver()
    {
        const LdapCliRun run = Run(Query(true, {"CN"}, {"op=0"}, "user", "acme.test"));
        QVERIFY2(run.status == 0, qPrintable(run.err));
        QVERIFY2(!run.err.contains("Failed"), qPrintable(run.err));
        const QStringList lines = Lines(run.out);
        QVERIFY2(lines.size() > 3003, qPrintable(QString::number(lines.size())));
        for (const char *user : {"Administrator", "krbtgt", "jdoe", "user00001", "user03000"})
            QVERIFY2(lines.contains(user), user);
    }

    // AD lets no one search anonymously: the run says so, with the server's words.
    void anonymousSearchRefused()
    {
        const LdapCliRun run = Run(Query(false, {"CN"}, {"op=0"}), QString());
        QVERIFY(run.status != 0);
        QVERIFY2(run.err.contains(QStringLiteral("Operation unavailable without authentication")), qPrintable(run.err));
        QVERIFY(run.out.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestCliAd)
#include "test_cli_ad.moc"
