#include "directory/LocaleFormats.h"
#include "query/ImportControlFile.h"
#include "query/SqlText.h"
#include "query/TQueryDefinition.h"

#include "FailDevice.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray Fixture(const QString &name)
{
    QFile file(QStringLiteral(VELTRANE_TEST_DATA "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture");
    return file.readAll();
}

TConditionList Row(const QString &property, uint8_t op, tDataType tip, const QString &v1, const QString &v2 = {},
                   bool disp = true)
{
    TConditionList rows;
    rows.Add(property, tCondition(op, tip, v1, v2, QString(), disp));
    return rows;
}

} // namespace

class TestSqlText : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France)); }
    void workedExample();
    void predicates_data();
    void predicates();
    void names_data();
    void names();
    void lineShapes();
    void entreJoinsAsOneRow();
    void refusedWrites();
    void controlFileWorkedExample();
    void controlFileLines_data();
    void controlFileLines();
};

void TestSqlText::workedExample()
{
    TConditionList rows;
    rows.Add(QStringLiteral("CN"), tCondition(0, dtString, {}, {}, QStringLiteral("String"), true));
    rows.Add(QStringLiteral("Given Name"), tCondition(6, dtString, QStringLiteral("jean"), {}, {}, true));
    rows.Add(QStringLiteral("Login Disabled"), tCondition(3, dtBoolean, QStringLiteral("TRUE"), {}, {}, false));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(WriteSqlText(buffer, rows, QStringLiteral("User"), true));
    QCOMPARE(buffer.data(), Fixture(QStringLiteral("worked-example.SQL")));
}

void TestSqlText::predicates_data()
{
    QTest::addColumn<int>("op");
    QTest::addColumn<int>("tip");
    QTest::addColumn<QString>("v1");
    QTest::addColumn<QString>("v2");
    QTest::addColumn<QString>("where");
    QTest::newRow("existe") << 1 << 2 << ""
                            << ""
                            << "P IS NOT NULL";
    QTest::newRow("n'existe pas") << 2 << 2 << ""
                                  << ""
                                  << "P IS NULL";
    QTest::newRow("égal text quoted") << 3 << 2 << "a b"
                                      << ""
                                      << "P = \"A B\"";
    QTest::newRow("égal date quoted") << 3 << 4 << "01/02/2003"
                                      << ""
                                      << "P = \"01/02/2003\"";
    QTest::newRow("different integer bare") << 4 << 1 << "-5"
                                            << ""
                                            << "P <> -5";
    QTest::newRow("commence par") << 5 << 2 << "ab"
                                  << ""
                                  << "P LIKE \"AB%\"";
    QTest::newRow("contient on integer still quoted") << 6 << 1 << "5"
                                                      << ""
                                                      << "P LIKE \"%5%\"";
    QTest::newRow("ne contient pas") << 7 << 2 << "x"
                                     << ""
                                     << "P NOT LIKE \"%X%\"";
    QTest::newRow("entre") << 8 << 1 << "2"
                           << "6"
                           << "P >= 2 AND P <= 6";
    QTest::newRow("inférieur") << 9 << 2 << "m"
                               << ""
                               << "P < \"M\"";
    QTest::newRow("inférieur ou égal") << 10 << 1 << "3"
                                       << ""
                                       << "P <= 3";
    QTest::newRow("supérieur") << 11 << 1 << "5"
                               << ""
                               << "P > 5";
    QTest::newRow("supérieur ou égal") << 12 << 4 << "1/1/70"
                                       << ""
                                       << "P >= \"1/1/70\"";
    QTest::newRow("quotes doubled") << 3 << 2 << "say \"hi\""
                                    << ""
                                    << "P = \"SAY \"\"HI\"\"\"";
    QTest::newRow("quotes doubled in LIKE") << 6 << 2 << "\""
                                            << ""
                                            << "P LIKE \"%\"\"%\"";
    QTest::newRow("code past the table") << 13 << 2 << "x"
                                         << ""
                                         << "";
}

void TestSqlText::predicates()
{
    QFETCH(int, op);
    QFETCH(int, tip);
    QFETCH(QString, v1);
    QFETCH(QString, v2);
    QFETCH(QString, where);
    const TConditionList rows = Row(QStringLiteral("P"), static_cast<uint8_t>(op), static_cast<tDataType>(tip), v1, v2);
    const QString expected = QStringLiteral("SELECT P\r\nFROM User\r\n") +
                             (where.isEmpty() ? QString() : QStringLiteral("WHERE ") + where + QStringLiteral("\r\n"));
    QCOMPARE(BuildSqlText(rows, QStringLiteral("User"), false), expected);
}

void TestSqlText::names_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("written");
    QTest::newRow("word") << "CN"
                          << "CN";
    QTest::newRow("underscore and digits") << "_x9"
                                           << "_x9";
    QTest::newRow("blank") << "Given Name"
                           << "[Given Name]";
    QTest::newRow("hyphen") << "DirXML-Associations"
                            << "[DirXML-Associations]";
    QTest::newRow("dot") << "a.b"
                         << "[a.b]";
    QTest::newRow("colon") << "ndsLoginProperties:x"
                           << "[ndsLoginProperties:x]";
    QTest::newRow("accent") << "Numéro"
                            << "[Numéro]";
    QTest::newRow("leading digit") << "2nd"
                                   << "[2nd]";
    QTest::newRow("SQL word") << "Order"
                              << "[Order]";
    QTest::newRow("empty") << ""
                           << "[]";
}

void TestSqlText::names()
{
    QFETCH(QString, name);
    QFETCH(QString, written);
    QCOMPARE(QuoteSqlName(name), written);
    // The same rule in every clause.
    const TConditionList rows = Row(name, 1, dtString, {});
    QCOMPARE(BuildSqlText(rows, name, false),
             QStringLiteral("SELECT %1\r\nFROM %1\r\nWHERE %1 IS NOT NULL\r\n").arg(written));
}

void TestSqlText::lineShapes()
{
    QCOMPARE(BuildSqlText({}, QStringLiteral("User"), true), QStringLiteral("SELECT \r\nFROM User\r\nORDER BY CN\r\n"));
    TConditionList rows = Row(QStringLiteral("A"), 0, dtString, {});
    rows.Add(QStringLiteral("B"), tCondition(0, dtString, {}, {}, {}, false));
    QCOMPARE(BuildSqlText(rows, QStringLiteral("Organizational Unit"), false),
             QStringLiteral("SELECT A\r\nFROM [Organizational Unit]\r\n"));
    // A row that is not displayed still filters.
    rows.Add(QStringLiteral("C"), tCondition(1, dtString, {}, {}, {}, false));
    QCOMPARE(BuildSqlText(rows, QStringLiteral("User"), false),
             QStringLiteral("SELECT A\r\nFROM User\r\nWHERE C IS NOT NULL\r\n"));
}

void TestSqlText::entreJoinsAsOneRow()
{
    TConditionList rows = Row(QStringLiteral("A"), 1, dtString, {});
    rows.Add(QStringLiteral("B"), tCondition(8, dtInteger, QStringLiteral("1"), QStringLiteral("2"), {}, true));
    rows.Add(QStringLiteral("C"), tCondition(2, dtString, {}, {}, {}, true));
    QCOMPARE(
        BuildSqlText(rows, QStringLiteral("User"), false),
        QStringLiteral("SELECT A,B,C\r\nFROM User\r\nWHERE A IS NOT NULL AND B >= 1 AND B <= 2 AND C IS NULL\r\n"));
}

void TestSqlText::refusedWrites()
{
    const TConditionList rows = Row(QStringLiteral("CN"), 0, dtString, {});
    FailDevice device(10);
    QVERIFY(!WriteSqlText(device, rows, QStringLiteral("User"), true));
    TQueryDefinition query;
    query.Properties << QStringLiteral("CN");
    QVERIFY(!WriteImportControlFile(device, query));

    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString path = dir.filePath(QStringLiteral("file/q.SQL"));
    const TQueryStatus status = WriteSqlFile(path, rows, QStringLiteral("User"), true);
    QCOMPARE(status.kind, TQueryStatus::FileError);
    QCOMPARE(status.message, QStringLiteral("Ne peut écrire dans ") + path);
    QCOMPARE(WriteImportControlFile(dir.filePath(QStringLiteral("file/q.CTL")), query).kind, TQueryStatus::FileError);
}

void TestSqlText::controlFileWorkedExample()
{
    TQueryDefinition query;
    query.context = QStringLiteral("OU=Sales.O=Acme");
    query.separator = QStringLiteral(";");
    query.addcontainer = true;
    query.Properties = {QStringLiteral("CN"), QStringLiteral("Surname"), QStringLiteral("Login Disabled")};
    query.Filters.Add(QStringLiteral("CN"), tCondition(0, dtString, {}, {}, {}, true));
    query.Filters.Add(QStringLiteral("Surname"), tCondition(0, dtString, {}, {}, {}, true));
    query.Filters.Add(QStringLiteral("Login Disabled"), tCondition(3, dtBoolean, QStringLiteral("1"), {}, {}, false));
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("q.CTL"));
    QVERIFY(WriteImportControlFile(path, query).IsOk());
    QFile written(path);
    QVERIFY(written.open(QIODevice::ReadOnly));
    QCOMPARE(written.readAll(), Fixture(QStringLiteral("worked-example.CTL")));
}

void TestSqlText::controlFileLines_data()
{
    QTest::addColumn<bool>("addcontainer");
    QTest::addColumn<QStringList>("properties");
    QTest::addColumn<QList<bool>>("displayed");
    QTest::addColumn<QString>("fields");
    QTest::newRow("no container column") << false << QStringList{"Surname"} << QList<bool>{true} << "\tSurname\r\n";
    QTest::newRow("cn in any case") << false << QStringList{"cN"} << QList<bool>{true} << "\tNOM\r\n";
    QTest::newRow("nothing displayed") << true << QStringList{"Title"} << QList<bool>{false} << "\tSAUTER\r\n";
    QTest::newRow("property without a row is written")
        << false << QStringList{"Title", "Surname", "Mail"} << QList<bool>{false} << "\tSurname\r\n\tMail\r\n";
}

void TestSqlText::controlFileLines()
{
    QFETCH(bool, addcontainer);
    QFETCH(QStringList, properties);
    QFETCH(QList<bool>, displayed);
    QFETCH(QString, fields);
    TQueryDefinition query;
    query.context = QStringLiteral("[root]");
    query.usedelimiter = false;
    query.addcontainer = addcontainer;
    query.Properties = properties;
    for (int i = 0; i < displayed.size(); ++i)
        query.Filters.Add(properties.at(i), tCondition(0, dtString, {}, {}, {}, displayed.at(i)));
    // Separator and delimiter are written as their texts stand, enclosed or not.
    const QString head =
        QStringLiteral("CONTROLE IMPORTATION\r\n\tMODE D'IMPORTATION=B\r\n"
                       "\tCONTEXTE DE NOM=\"[root]\"\r\n\tSEPARATEUR=Tab\r\n\tLIBELLE=\"\r\n"
                       "\tREMPLACER LA VALEUR=Y\r\n\tNBRE DE REESSAIS DE REPERTOIRE MAX=5\r\nCHAMPS\r\n");
    QCOMPARE(ImportControlText(query), head + fields);
}

QTEST_GUILESS_MAIN(TestSqlText)
#include "test_sql_text.moc"
