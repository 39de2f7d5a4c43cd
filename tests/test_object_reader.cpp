#include "ReportingDirectory.h"
#include "directory/TNW4Object.h"

#include <QTest>

#include <memory>

namespace {

const QString Jdoe = QStringLiteral("jdoe.Acme");
const QStringList Titles = {"Chief", "Clerk", "Cook", "Coach"};

std::unique_ptr<ReportingDirectory> Fixture()
{
    return std::make_unique<ReportingDirectory>(QStringLiteral(VELTRANE_TEST_DATA "/object-directory.json"));
}

// One object, CN=many.O=Big, whose Description has `count` values of 300 characters,
// each beginning with its number.
QByteArray ManyValues(int count)
{
    QByteArray json = R"({"trees": [{"name": "BIG", "identity": "Admin",
        "schema": {"attributes": [{"name": "CN", "syntax": 3}, {"name": "Description", "syntax": 3}],
                   "classes": [{"name": "Organization", "flags": 3}, {"name": "User", "flags": 2}]},
        "objects": [{"name": "O=Big", "class": "Organization", "children": [
            {"name": "CN=many", "class": "User", "values": {"CN": ["many"], "Description": [)";
    for (int i = 0; i < count; ++i)
        json += (i ? ",\"" : "\"") + QByteArray::number(i).leftJustified(300, '.') + '"';
    return json + "]}}]}]}]}";
}

} // namespace

class TestObjectReader : public QObject
{
    Q_OBJECT

private slots:
    void constructionReadsNamesAndCommonName()
    {
        const auto directory = Fixture();
        TNW4Object object(*directory->NDS, Jdoe);
        QCOMPARE(object.CommonName, "jdoe");
        QStringList names = object.Attributes();
        names.sort();
        QCOMPARE(names, QStringList({"BÂTIMENT", "CN", "LOGIN GRACE LIMIT", "SURNAME", "TITLE"}));
        QCOMPARE(object.GetValues(QStringLiteral("Title")), Titles);
        QCOMPARE(object.GetFirstValue(QStringLiteral("title")), "Chief");
        QCOMPARE(object.GetFirstValue(QStringLiteral("Login Grace Limit")), "6");
        QVERIFY(directory->Reports.isEmpty());
    }

    void objectWithoutCommonNameReadsNoValue()
    {
        const auto directory = Fixture();
        // The names read takes the first buffer; a value read would need another.
        QVERIFY(directory->AddFault(QStringLiteral("NWDSAllocBuf"), ERR_NOT_ENOUGH_MEMORY, 2));
        TNW4Object object(*directory->NDS, QStringLiteral("Sales.Acme"));
        QCOMPARE(object.CommonName, QString());
        QCOMPARE(object.Attributes(), QStringList{"OU"});
        QVERIFY(directory->Reports.isEmpty());
    }

    void hasAttributeIgnoresLetterCase_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("present");
        QTest::newRow("lower case") << "login grace limit" << true;
        QTest::newRow("upper case") << "LOGIN GRACE LIMIT" << true;
        QTest::newRow("mixed case") << "sUrNaMe" << true;
        QTest::newRow("accented, lower case") << "bâtiment" << true;
        QTest::newRow("accented, upper case") << "BÂTIMENT" << true;
        QTest::newRow("absent") << "Description" << false;
    }
    void hasAttributeIgnoresLetterCase()
    {
        QFETCH(QString, name);
        QFETCH(bool, present);
        const auto directory = Fixture();
        TNW4Object object(*directory->NDS, Jdoe);
        QCOMPARE(object.HasAttribute(name), present);
    }

    void missingAttributeGivesNothingQuietly()
    {
        const auto directory = Fixture();
        TNW4Object object(*directory->NDS, Jdoe);
        QCOMPARE(object.GetValues(QStringLiteral("Description")), std::nullopt);
        QCOMPARE(object.GetFirstValue(QStringLiteral("Description")), QString());
        QVERIFY(directory->Reports.isEmpty());
    }

    void unreadableObjectReportsOnEveryQuestion()
    {
        const auto directory = Fixture();
        const QString text = QStringLiteral("While reading attributes for broken.Acme. ") +
                             QStringLiteral("The Requested object could not be read!");
        TNW4Object object(*directory->NDS, QStringLiteral("broken.Acme"));
        QCOMPARE(object.CommonName, QString());
        QCOMPARE(directory->Reports, QStringList{text});
        QCOMPARE(directory->NDS->LastError, ERR_NO_SUCH_ENTRY);
        QCOMPARE(object.GetValues(QStringLiteral("Surname")), std::nullopt);
        QVERIFY(!object.HasAttribute(QStringLiteral("CN")));
        QCOMPARE(directory->Reports, QStringList({text, text, text}));
    }

    void namesReadFailures_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<uint>("from");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kept");
        const QString code = QStringLiteral("\rError Code: -641");
        QTest::newRow("buffer") << "NWDSAllocBuf" << 1u << -641 << "NWDSAllocBuf Failed" + code << 0;
        QTest::newRow("init") << "NWDSInitBuf" << 1u << -641 << "NWDSInitBuf Failed" + code << 0;
        QTest::newRow("read -603") << "NWDSRead" << 1u << -603 << "The Requested attribute could not be found!" << 0;
        QTest::newRow("read") << "NWDSRead" << 1u << -641 << "NWDSRead Failed" + code << 0;
        QTest::newRow("count") << "NWDSGetAttrCount" << 1u << -641 << "NWDSGetAttrCount Failed" + code << 0;
        QTest::newRow("third name") << "NWDSGetAttrName" << 3u << -641 << "NWDSGetAttrName Failed" + code << 2;
    }
    void namesReadFailures()
    {
        QFETCH(QString, function);
        QFETCH(uint, from);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(int, kept);
        const auto directory = Fixture();
        QVERIFY(directory->AddFault(function, code, from));
        TNW4Object object(*directory->NDS, Jdoe);
        QCOMPARE(object.Attributes().size(), kept);
        QCOMPARE(directory->Reports.value(0), "While reading attributes for jdoe.Acme. " + text);
        QCOMPARE(directory->NDS->LastError, code);
    }

    void valuesReadFailures_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<uint>("from");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kept");
        const QString code = QStringLiteral("\rError Code: -641");
        QTest::newRow("result buffer") << "NWDSAllocBuf" << 2u << -641 << "NWDSAllocBuf Failed" + code << 0;
        QTest::newRow("request init") << "NWDSInitBuf" << 1u << -641 << "NWDSInitBuf Failed" + code << 0;
        QTest::newRow("name") << "NWDSPutAttrName" << 1u << -641 << "NWDSPutAttrName Failed forTitle" + code << 0;
        QTest::newRow("read -603") << "NWDSRead" << 1u << -603 << "-603: The Requested attribute could not be found!"
                                   << 0;
        QTest::newRow("read -601") << "NWDSRead" << 1u << -601
                                   << "-601: The Requested object jdoe.Acme could not be read!" << 0;
        QTest::newRow("read") << "NWDSRead" << 1u << -641 << "NWDSRead Failed" + code << 0;
        QTest::newRow("count") << "NWDSGetAttrCount" << 1u << -641 << "NWDSGetAttrCount Failed" + code << 0;
        QTest::newRow("third size") << "NWDSComputeAttrValSize" << 3u << -641 << "NWDSComputeAttrValSize Failed" + code
                                    << 2;
        QTest::newRow("third value") << "NWDSGetAttrVal" << 3u << -641 << "NWDSGetAttrVal Failed" + code << 2;
    }
    void valuesReadFailures()
    {
        QFETCH(QString, function);
        QFETCH(uint, from);
        QFETCH(int, code);
        QFETCH(QString, text);
        QFETCH(int, kept);
        const auto directory = Fixture();
        TNW4Object object(*directory->NDS, Jdoe);
        QVERIFY(directory->AddFault(function, code, from));
        QStringList lines;
        QCOMPARE(int(object.ReadValues(QStringLiteral("Title"), lines)), kept);
        QCOMPARE(lines, Titles.first(kept));
        QCOMPARE(directory->Reports, QStringList{"While reading attribute Title for object jdoe.Acme. " + text});
        QCOMPARE(directory->NDS->LastError, code);
    }

    void readFaultOfOneAttributeSparesTheObject()
    {
        const auto directory = Fixture();
        QVERIFY(directory->AddFault(QStringLiteral("NWDSRead"), -641, 1, Jdoe, QStringLiteral("title")));
        TNW4Object object(*directory->NDS, Jdoe);
        QCOMPARE(object.Attributes().size(), 5);
        QCOMPARE(object.CommonName, QStringLiteral("jdoe"));
        QVERIFY(object.HasAttribute(QStringLiteral("Title")));
        QCOMPARE(directory->Reports, QStringList());
        QCOMPARE(object.GetValues(QStringLiteral("Surname")), QStringList{"Doe"});
        QStringList lines;
        QCOMPARE(int(object.ReadValues(QStringLiteral("Title"), lines)), 0);
        QCOMPARE(directory->Reports, QStringList{"While reading attribute Title for object jdoe.Acme. NWDSRead "
                                                 "Failed\rError Code: -641"});
    }

    void eventsRunDuringReads()
    {
        const auto directory = Fixture();
        TNW4Object object(*directory->NDS, Jdoe);
        // Names: after the batch and after each of the five names; "CN": after the
        // batch and before its value.
        QCOMPARE(directory->Pumps, 1 + 5 + 1 + 1);
        directory->Pumps = 0;
        object.GetValues(QStringLiteral("Title"));
        QCOMPARE(directory->Pumps, 1 + 4);
    }

    void successiveObjectsKeepTheirOwnNames()
    {
        // The same names in another order, fewer names, and a name in another case.
        const QByteArray json = R"({"trees": [{"name": "SEQ", "identity": "Admin",
            "schema": {"attributes": [{"name": "CN", "syntax": 3}, {"name": "Surname", "syntax": 3},
                                      {"name": "Title", "syntax": 3}, {"name": "title x", "syntax": 3}],
                       "classes": [{"name": "Organization", "flags": 3}, {"name": "User", "flags": 2}]},
            "objects": [{"name": "O=Seq", "class": "Organization", "children": [
                {"name": "CN=a", "class": "User", "values": {"CN": ["a"], "Surname": ["A"], "Title": ["T"]}},
                {"name": "CN=b", "class": "User", "values": {"CN": ["b"], "Title": ["T"], "Surname": ["B"]}},
                {"name": "CN=c", "class": "User", "values": {"CN": ["c"], "Title": ["T"]}},
                {"name": "CN=d", "class": "User", "values": {"CN": ["d"], "title x": ["T"]}}]}]}]})";
        const auto directory = std::make_unique<ReportingDirectory>(json);
        QVERIFY2(directory->Client, qPrintable(directory->Error));
        const QList<std::pair<QString, QStringList>> expected = {
            {"a.Seq", {"CN", "SURNAME", "TITLE"}}, {"b.Seq", {"CN", "TITLE", "SURNAME"}}, {"c.Seq", {"CN", "TITLE"}},
            {"d.Seq", {"CN", "TITLE X"}},          {"a.Seq", {"CN", "SURNAME", "TITLE"}},
        };
        for (const auto &[name, attributes] : expected) {
            TNW4Object object(*directory->NDS, name);
            QCOMPARE(object.Attributes(), attributes);
            QCOMPARE(object.HasAttribute(QStringLiteral("surname")), attributes.contains("SURNAME"));
            QCOMPARE(object.HasAttribute(QStringLiteral("Title")), attributes.contains("TITLE"));
        }
        QVERIFY(directory->Reports.isEmpty());
    }

    // The directory's names run to 256 bytes (typed): the longest is read like any other.
    void namesAsLongAsTheDirectoryHoldsAreRead()
    {
        const QByteArray leaf(247, 'n'); // CN=leaf.O=Big: 256 bytes
        const auto directory = std::make_unique<ReportingDirectory>(R"({"trees": [{"name": "BIG", "identity": "Admin",
            "schema": {"attributes": [{"name": "CN", "syntax": 3}],
                       "classes": [{"name": "Organization", "flags": 3}, {"name": "User", "flags": 2}]},
            "objects": [{"name": "O=Big", "class": "Organization", "children": [
                {"name": "CN=)" + leaf + R"(", "class": "User", "values": {"CN": [")" +
                                                                    leaf + R"("]}}]}]}]})");
        QVERIFY2(directory->Client, qPrintable(directory->Error));
        TNW4Object object(*directory->NDS, QString::fromLatin1(leaf + ".Big"));
        QCOMPARE(object.CommonName, QString::fromLatin1(leaf));
        QCOMPARE(object.GetValues(QStringLiteral("CN")), QStringList{QString::fromLatin1(leaf)});
        QVERIFY(directory->Reports.isEmpty());
    }

    void valuesOverflowingOneBatch()
    {
        const int count = 400; // some 120,000 bytes: at least two batches
        const auto directory = std::make_unique<ReportingDirectory>(ManyValues(count));
        QVERIFY2(directory->Client, qPrintable(directory->Error));
        TNW4Object object(*directory->NDS, QStringLiteral("many.Big"));
        QCOMPARE(object.CommonName, "many");
        const std::optional<QStringList> lines = object.GetValues(QStringLiteral("description"));
        QVERIFY(lines);
        QCOMPARE(lines->size(), count);
        for (int i = 0; i < count; ++i)
            QVERIFY(lines->at(i).startsWith(QString::number(i) + QLatin1Char('.')));
        QVERIFY(directory->Reports.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestObjectReader)
#include "test_object_reader.moc"
