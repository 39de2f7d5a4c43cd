#include "directory/LocaleFormats.h"
#include "query/ReadSqlQuery.h"
#include "query/SqlText.h"
#include "query/TSqlReader.h"
#include "query/TSqlTokenizer.h"

#include "FakeQuerySchema.h"
#include "QueryText.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

FakeQuerySchema Schema()
{
    FakeQuerySchema schema;
    schema.classes[QStringLiteral("User")] = {
        {QStringLiteral("CN"), QStringLiteral("String")},
        {QStringLiteral("Given Name"), QStringLiteral("String")},
        {QStringLiteral("Surname"), QStringLiteral("String")},
        {QStringLiteral("Description"), QStringLiteral("String")},
        {QStringLiteral("DirXML-Associations"), QStringLiteral("String")},
        {QStringLiteral("Login Grace Limit"), QStringLiteral("Long")},
        {QStringLiteral("Login Disabled"), QStringLiteral("Boolean")},
        {QStringLiteral("Login Expiration Time"), QStringLiteral("Date")},
    };
    schema.classes[QStringLiteral("Organizational Unit")] = {{QStringLiteral("OU"), QStringLiteral("String")}};
    return schema;
}

TSqlQuery Read(const QString &text)
{
    FakeQuerySchema schema = Schema();
    return ReadSqlText(text, schema);
}

// Short row texts: "property|op|tip|v1|v2|tn|disp".
const char *const CN = "CN|0|2|||String|oui";

} // namespace

class TestSqlReader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France)); }
    void tokens_data();
    void tokens();
    void readsBack_data();
    void readsBack();
    void errors_data();
    void errors();
    void longLines();
    void files();
    void roundTrip();
};

void TestSqlReader::tokens_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("tokens");
    QTest::newRow("identifiers and signs") << "a_1,b2 [x.y]" << QStringList{"a_1", ",", "b2", "[", "x", ".", "y", "]"};
    QTest::newRow("numbers") << "-12.5E+3 7-x 0x1" << QStringList{"-12.5E+3", "7-", "x", "0", "x1"};
    QTest::newRow("lone minus") << "- a" << QStringList{"-", "a"};
    QTest::newRow("hex") << "$1fz" << QStringList{"$1f", "z"};
    QTest::newRow("quoted strings") << "'it''s'#65'b' ''" << QStringList{"it'sAb", ""};
    QTest::newRow("accent alone") << "Né" << QStringList{"N", "é"};
    QTest::newRow("controls separate") << "a\tb\x01"
                                          "c"
                                       << QStringList{"a", "b", "c"};
}

void TestSqlReader::tokens()
{
    QFETCH(QString, text);
    QFETCH(QStringList, tokens);
    TSqlTokenizer tokenizer(text);
    QStringList read;
    while (tokenizer.TokenKind() != TSqlTokenizer::Kind::End) {
        read << tokenizer.TokenText();
        tokenizer.Next();
    }
    QCOMPARE(read, tokens);
    QVERIFY(!tokenizer.HasError());
}

void TestSqlReader::readsBack_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("className");
    QTest::addColumn<bool>("sorted");
    QTest::addColumn<QString>("rows");
    const QString cn = QString::fromLatin1(CN);
    QTest::newRow("columns and order") << "SELECT CN,[Given Name] FROM User ORDER BY CN"
                                       << "User" << true << cn + "\nGiven Name|0|2|||String|oui";
    QTest::newRow("keywords in any case") << "select cn\nfrom user\nwhere cn = \"x\"\norder by [cn]"
                                          << "User" << true << "cn|3|2|x||String|oui";
    QTest::newRow("second condition on a column adds a row")
        << "SELECT CN FROM User WHERE CN = \"a\" AND CN = \"b\""
        << "User" << false << "CN|3|2|a||String|oui\nCN|3|2|B||String|non";
    QTest::newRow("second condition on a filter replaces it")
        << "SELECT CN FROM User WHERE Surname = \"x\" AND Surname <> \"y\""
        << "User" << false << cn + "\nSurname|4|2|y||String|non";
    QTest::newRow("entre on a column")
        << "SELECT [Login Grace Limit] FROM User WHERE [Login Grace Limit] >= 2 AND [Login Grace Limit] <= 6"
        << "User" << false << "Login Grace Limit|8|1|2|6|Long|oui";
    QTest::newRow("entre on a filter")
        << "SELECT CN FROM User WHERE [Login Grace Limit] >= 2 AND [Login Grace Limit] <= 6"
        << "User" << false << cn + "\nLogin Grace Limit|8|1|2|6|Long|non";
    QTest::newRow("contient, new row upper-cased") << "SELECT CN FROM User WHERE Surname LIKE \"%ab%\""
                                                   << "User" << false << cn + "\nSurname|6|2|AB||String|non";
    QTest::newRow("contient, column row as read") << "SELECT Surname FROM User WHERE Surname LIKE \"%ab%\""
                                                  << "User" << false << "Surname|6|2|ab||String|oui";
    QTest::newRow("commence par") << "SELECT CN FROM User WHERE CN LIKE \"ab%\""
                                  << "User" << false << "CN|5|2|ab||String|oui";
    QTest::newRow("commence par, empty pattern") << "SELECT CN FROM User WHERE CN LIKE \"\""
                                                 << "User" << false << "CN|5|2|||String|oui";
    QTest::newRow("ne contient pas") << "SELECT CN FROM User WHERE CN NOT LIKE \"%ab%\""
                                     << "User" << false << "CN|7|2|ab||String|oui";
    QTest::newRow("IS NULL and IS NOT NULL") << "SELECT CN FROM User WHERE CN IS NULL AND Surname IS NOT NULL"
                                             << "User" << false << "CN|2|2|||String|oui\nSurname|1|2|||String|non";
    QTest::newRow("class in brackets") << "SELECT OU FROM [Organizational Unit]"
                                       << "Organizational Unit" << false << "OU|0|2|||String|oui";
    QTest::newRow("property in another case adds a row") << "SELECT CN FROM User WHERE cn = \"x\""
                                                         << "User" << false << cn + "\ncn|3|2|X||String|non";
    QTest::newRow("blanks inside quotes kept") << "SELECT CN FROM User WHERE CN = \"JEAN PAUL\""
                                               << "User" << false << "CN|3|2|JEAN PAUL||String|oui";
    QTest::newRow("signs and words inside quotes")
        << "SELECT CN FROM User WHERE CN = \" A, B AND [c] 'd' OR \"\"e\"\" \""
        << "User" << false << "CN|3|2| A, B AND [c] 'd' OR \"e\" ||String|oui";
    QTest::newRow("names with signs in brackets")
        << "SELECT [DirXML-Associations] FROM [ User ] WHERE [ Given Name ] IS NULL"
        << "User" << false << "DirXML-Associations|0|2|||String|oui\nGiven Name|2|2|||String|non";
    QTest::newRow("bare values") << "SELECT CN FROM User WHERE [Login Grace Limit] > -5 AND [Login Disabled] = true "
                                    "AND Surname = 'it''s'#65 AND Description < $1F"
                                 << "User" << false
                                 << cn + "\nLogin Grace Limit|11|1|-5||Long|non\nLogin Disabled|3|3|TRUE||Boolean|non"
                                         "\nSurname|3|2|IT'SA||String|non\nDescription|9|2|$1F||String|non";
    QTest::newRow("conditions go to a name's rows in turn")
        << "SELECT CN, Surname, CN FROM User WHERE CN = 'a' AND Surname >= 'm' AND CN = 'b' AND Surname <= 'p' "
           "AND CN = 'c'"
        << "User" << false
        << "CN|3|2|a||String|oui\nSurname|8|2|m|p|String|oui\nCN|3|2|b||String|oui\nCN|3|2|C||String|non";
    QTest::newRow("entre on the last of a name's rows")
        << "SELECT CN, CN FROM User WHERE CN = 'a' AND CN >= 'b' AND CN <= 'c'"
        << "User" << false << "CN|3|2|a||String|oui\nCN|8|2|b|c|String|oui";
    QTest::newRow("quoted string spelling a keyword is a value") << "SELECT CN FROM User WHERE CN = 'AND'"
                                                                 << "User" << false << "CN|3|2|AND||String|oui";
}

void TestSqlReader::readsBack()
{
    QFETCH(QString, text);
    QFETCH(QString, className);
    QFETCH(bool, sorted);
    QFETCH(QString, rows);
    const TSqlQuery read = Read(text);
    QVERIFY2(read.status.IsOk(), qPrintable(read.status.message));
    QCOMPARE(read.className, className);
    QCOMPARE(read.sortbycn, sorted);
    QCOMPARE(DescribeRows(read.rows), rows);
}

void TestSqlReader::errors_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("message");
    const int clause = TQueryStatus::SqlClauseError;
    QTest::newRow("NULL with =") << "SELECT CN FROM User WHERE CN = NULL" << clause << "erreur dans WHERE NULL";
    QTest::newRow("OR") << "SELECT CN FROM User WHERE CN IS NULL OR CN = 1" << clause << "erreur dans WHERE OR";
    QTest::newRow("parentheses") << "SELECT CN FROM User WHERE (CN IS NULL)" << clause << "erreur dans WHERE (";
    QTest::newRow("NOT without LIKE") << "SELECT CN FROM User WHERE CN NOT = 1" << clause << "erreur dans WHERE =";
    QTest::newRow("<>=") << "SELECT CN FROM User WHERE CN <>= 1" << clause << "erreur dans WHERE =";
    QTest::newRow("WHERE alone") << "SELECT CN FROM User WHERE" << clause << "erreur dans WHERE ";
    QTest::newRow("unclosed quote") << "SELECT CN FROM User WHERE CN = \"ab\r\n" << clause << "erreur dans WHERE \"";
    QTest::newRow("text after ORDER BY column")
        << "SELECT CN FROM User ORDER BY CN DESC" << clause << "erreur dans ORDER DESC";
    QTest::newRow("two ORDER BY columns")
        << "SELECT CN FROM User ORDER BY CN, Surname" << clause << "erreur dans ORDER ,";
    QTest::newRow("SELECT without columns") << "SELECT \r\nFROM User\r\n" << clause << "erreur dans SELECT FROM";
    QTest::newRow("comma before FROM") << "SELECT CN, FROM User" << clause << "erreur dans SELECT FROM";
    QTest::newRow("unclosed bracket") << "SELECT [Given Name\r\nFROM User" << clause << "erreur dans SELECT [";
    QTest::newRow("hyphen without brackets")
        << "SELECT DirXML-Associations FROM User" << clause << "erreur dans SELECT -";
    QTest::newRow("FROM without class") << "SELECT CN FROM" << clause << "erreur dans FROM ";
    QTest::newRow("two classes") << "SELECT CN FROM User, Group" << clause << "erreur dans FROM ,";
    QTest::newRow("unterminated string") << "SELECT CN FROM User\r\nWHERE CN = 'abc\r\n"
                                         << int(TQueryStatus::SqlSyntaxError)
                                         << "Constante chaîne incorrecte à la ligne 2";
    QTest::newRow("class not in schema") << "SELECT CN FROM Printer" << int(TQueryStatus::SqlSchemaError)
                                         << "La classe \"Printer\" n'est pas definie dans votre shéma !";
    QTest::newRow("property not in class") << "SELECT CN,Mail FROM user" << int(TQueryStatus::SqlSchemaError)
                                           << "la classe \"user\" ne contient pas la propriété \"Mail\"";
    const QString longName(300, QLatin1Char('x'));
    const QString cut = longName.left(255) + QStringLiteral("...");
    QTest::newRow("long token cut") << "SELECT CN FROM User ORDER BY CN " + longName << clause
                                    << "erreur dans ORDER " + cut;
    QTest::newRow("long class cut") << "SELECT CN FROM " + longName << int(TQueryStatus::SqlSchemaError)
                                    << "La classe \"" + cut + "\" n'est pas definie dans votre shéma !";
    QTest::newRow("long property cut") << "SELECT " + longName + " FROM User" << int(TQueryStatus::SqlSchemaError)
                                       << "la classe \"User\" ne contient pas la propriété \"" + cut + "\"";
    const int syntax = TQueryStatus::SqlSyntaxError;
    const QString tooMany = QStringLiteral("Trop de propriétés et de conditions (plus de 100000) à la ligne 2");
    QTest::newRow("too many columns") << "SELECT CN" + QStringLiteral(", CN").repeated(TSqlReader::MaxRows - 1) +
                                             "\n, CN FROM User"
                                      << syntax << tooMany;
    QString conditions = QStringLiteral("SELECT CN FROM User WHERE CN = 'a'");
    for (int i = 1; i < TSqlReader::MaxRows; ++i)
        conditions += QStringLiteral(" AND P%1 = 'a'").arg(i);
    QTest::newRow("too many conditions") << conditions + "\nAND Last = 'a'" << syntax << tooMany;
}

void TestSqlReader::errors()
{
    QFETCH(QString, text);
    QFETCH(int, kind);
    QFETCH(QString, message);
    const TSqlQuery read = Read(text);
    QCOMPARE(int(read.status.kind), kind);
    QCOMPARE(read.status.message, message);
    QVERIFY(read.rows.IsEmpty());
}

void TestSqlReader::longLines()
{
    const QString value(10000, QLatin1Char('V'));
    const TSqlQuery read = Read(QStringLiteral("SELECT CN FROM User WHERE Description = \"%1\"").arg(value));
    QVERIFY2(read.status.IsOk(), qPrintable(read.status.message));
    QCOMPARE(read.rows.Condition(1).v1, value);
}

void TestSqlReader::files()
{
    FakeQuerySchema schema = Schema();
    const TSqlQuery legacy = ReadSqlQuery(QStringLiteral(VELTRANE_TEST_DATA "/legacy-1252.SQL"), schema);
    QVERIFY2(legacy.status.IsOk(), qPrintable(legacy.status.message));
    QCOMPARE(DescribeRows(legacy.rows), QStringLiteral("CN|6|2|été €||String|oui"));

    QTemporaryDir dir;
    const QString large = dir.filePath(QStringLiteral("large.SQL"));
    QFile file(large);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write("SELECT CN FROM User\n") > 0 && file.resize(64 * 1024 * 1024 + 1));
    file.close();
    const TSqlQuery tooLarge = ReadSqlQuery(large, schema);
    QCOMPARE(tooLarge.status.kind, TQueryStatus::FileError);
    QCOMPARE(tooLarge.status.message, QStringLiteral("Ne peut lire %1 : le fichier dépasse 64 Mo").arg(large));

    const QString missing = QStringLiteral(VELTRANE_TEST_DATA "/no-such-file.SQL");
    const TSqlQuery unreadable = ReadSqlQuery(missing, schema);
    QCOMPARE(unreadable.status.kind, TQueryStatus::FileError);
    QCOMPARE(unreadable.status.message, QStringLiteral("Ne peut lire ") + missing);
}

// Generated queries written by BuildSqlText read back as they were, but for what the
// text cannot carry: rows come back displayed ones first, and a row that is neither
// displayed nor filtering is lost. Property names are distinct (without regard to case)
// so that no two rows share a WHERE condition.
void TestSqlReader::roundTrip()
{
    const QStringList fragments = {"Login", "Given", "Name", "DirXML", "Order", "select", "not", "Numéro",
                                   "x_y",   "2nd",   "A",    "cn",     "NULL",  "By",     "é",   "Z9"};
    const QStringList joins = {"", " ", "-", ".", ":", "_", "/", "'"};
    const QStringList pieces = {"JEAN", " ",      "PAUL", ",", "\"",   "'", "AND", "OR",   "[",  "]",  "(",
                                ")",    "SELECT", "É",    "-", "NULL", "=", "<",   "\"\"", "  ", "#1", "$"};
    const QStringList syntaxes = {"Stream", "Long", "String", "Boolean", "Date"};
    const QList<QList<int>> operators = {{0, 1, 2},
                                         {0, 1, 2, 3, 4, 8, 9, 10, 11, 12},
                                         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                                         {0, 1, 2, 3, 4},
                                         {0, 1, 2, 3, 4, 8, 9, 10, 11, 12}};

    for (quint32 seed = 1; seed <= 300; ++seed) {
        QRandomGenerator random(seed);
        const auto pick = [&random](const QStringList &list) { return list.at(random.bounded(list.size())); };
        const auto name = [&] {
            QString text = pick(fragments);
            for (int n = random.bounded(3); n > 0; --n)
                text += pick(joins) + pick(fragments);
            return text;
        };
        const auto value = [&](int tip) {
            if (tip == dtInteger)
                return QString::number(random.bounded(-1000, 1000));
            if (tip == dtBoolean)
                return random.bounded(2) ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            QString text;
            for (int n = 1 + random.bounded(5); n > 0; --n)
                text += pick(pieces);
            return text;
        };

        FakeQuerySchema schema;
        const QString className = name();
        QMap<QString, QString> &properties = schema.classes[className];
        TConditionList written;
        QStringList used;
        for (int count = random.bounded(1, 8); written.Count() < count;) {
            const QString property = name();
            if (used.contains(property, Qt::CaseInsensitive))
                continue;
            used << property;
            const int tip = random.bounded(5);
            const uint8_t op = static_cast<uint8_t>(operators.at(tip).at(random.bounded(operators.at(tip).size())));
            const bool takesValue = op > 2;
            properties[property] = syntaxes.at(tip);
            written.Add(property, tCondition(op, static_cast<tDataType>(tip), takesValue ? value(tip) : QString(),
                                             op == 8 ? value(tip) : QString(), syntaxes.at(tip), random.bounded(2)));
        }
        // At least one displayed column, or the text has an empty SELECT.
        written.Condition(0).disp = true;
        const bool sorted = random.bounded(2);

        TConditionList expected;
        for (const TConditionList::Row &row : written) {
            if (row.condition->disp)
                expected.Add(row.property, *row.condition);
        }
        for (const TConditionList::Row &row : written) {
            if (!row.condition->disp && row.condition->op != 0)
                expected.Add(row.property, *row.condition);
        }

        const QString text = BuildSqlText(written, className, sorted);
        const TSqlQuery read = ReadSqlText(text, schema);
        QVERIFY2(read.status.IsOk(),
                 qPrintable(QStringLiteral("seed %1: %2\n%3").arg(seed).arg(read.status.message, text)));
        QCOMPARE(read.className, className);
        QCOMPARE(read.sortbycn, sorted);
        QVERIFY2(DescribeRows(read.rows) == DescribeRows(expected),
                 qPrintable(QStringLiteral("seed %1\n%2\nread:\n%3\nexpected:\n%4")
                                .arg(seed)
                                .arg(text, DescribeRows(read.rows), DescribeRows(expected))));
    }
}

QTEST_GUILESS_MAIN(TestSqlReader)
#include "test_sql_reader.moc"
