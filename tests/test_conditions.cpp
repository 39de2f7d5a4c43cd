#include "engine/tCondition.h"

#include "directory/LocaleFormats.h"

#include <QTest>

namespace {
const QString Inconnu = QStringLiteral("inconnu");
}

class TestConditions : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France)); }
    void cleanupTestCase() { LocaleFormats::ResetLocale(); }

    void operatorNamesRoundTrip()
    {
        for (int op = 0; op < OperatorCount; ++op)
            QCOMPARE(OperatorFromName(OperatorName(uint8_t(op))), op);
        QCOMPARE(OperatorName(uint8_t(OperatorCount)), QString());
    }

    void operatorFromNameIsExact_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("op");
        QTest::newRow("égal") << QStringLiteral("égal") << 3;
        QTest::newRow("capital É") << QStringLiteral("Égal") << 0;
        QTest::newRow("without accent") << QStringLiteral("egal") << 0;
        QTest::newRow("trailing blank") << QStringLiteral("égal ") << 0;
        QTest::newRow("different de") << QStringLiteral("different de") << 4;
        QTest::newRow("différent de") << QStringLiteral("différent de") << 0;
        QTest::newRow("supérieur ou égal") << QStringLiteral("supérieur ou égal") << 12;
        QTest::newRow("empty") << QString() << 0;
    }
    void operatorFromNameIsExact()
    {
        QFETCH(QString, name);
        QFETCH(int, op);
        QCOMPARE(OperatorFromName(name), op);
    }

    void operatorFromSQL_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<int>("op");
        const std::pair<const char *, int> rows[] = {
            {"IS", 2},  {"IS NOT", 1}, {"=", 3},   {"<>", 4},   {"LIKE", 6},    {"NOT LIKE", 7}, {"<", 9},
            {"<=", 10}, {">", 11},     {">=", 12}, {"like", 0}, {"IS  NOT", 0}, {"BETWEEN", 0},  {"", 0},
        };
        for (const auto &[keyword, op] : rows)
            QTest::newRow(keyword) << QString::fromLatin1(keyword) << op;
    }
    void operatorFromSQL()
    {
        QFETCH(QString, keyword);
        QFETCH(int, op);
        QCOMPARE(OperatorFromSQL(keyword), op);
    }

    void stripWildcards()
    {
        QCOMPARE(StripWildcards(QStringLiteral("%DU%P%")), QStringLiteral("DUP"));
        QCOMPARE(StripWildcards(QStringLiteral("%%")), QString());
    }

    void dataTypeNames()
    {
        QCOMPARE(DataTypeName(dtString), QStringLiteral("chaine"));
        QCOMPARE(DataTypeName(dtBoolean), QStringLiteral("booleen"));
        QCOMPARE(DataTypeName(200), Inconnu);
    }

    void constructorUpperCasesWithAccents()
    {
        const tCondition c(opEntre, dtString, QStringLiteral("hélène"), QStringLiteral("çà"), QStringLiteral("String"),
                           false);
        QCOMPARE(c.v1, QStringLiteral("HÉLÈNE"));
        QCOMPARE(c.v2, QStringLiteral("ÇÀ"));
        QCOMPARE(c.tn, QStringLiteral("String"));
        QCOMPARE(c.disp, false);
        QCOMPARE(c.matched, false);
    }

    void booleanWords_data()
    {
        QTest::addColumn<QString>("word");
        QTest::addColumn<QString>("stored");
        const QString t = QStringLiteral("TRUE"), f = QStringLiteral("FALSE");
        QTest::newRow("oui") << QStringLiteral("oui") << t;
        QTest::newRow("non") << QStringLiteral("non") << f;
        QTest::newRow("vrai") << QStringLiteral("vrai") << t;
        QTest::newRow("faux") << QStringLiteral("faux") << f;
        QTest::newRow("yes") << QStringLiteral("yes") << t;
        QTest::newRow("true") << QStringLiteral("true") << t;
        QTest::newRow("1") << QStringLiteral("1") << t;
        QTest::newRow("0") << QStringLiteral("0") << f;
        QTest::newRow("pas") << QStringLiteral("pas") << QString();
        QTest::newRow("blank first") << QStringLiteral(" oui") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void booleanWords()
    {
        QFETCH(QString, word);
        QFETCH(QString, stored);
        QCOMPARE(tCondition(opEgal, dtBoolean, word, word, Inconnu, true).v1, stored);
        // Only a boolean Valeur 1 is normalised.
        QCOMPARE(tCondition(opEgal, dtBoolean, word, word, Inconnu, true).v2, word.toUpper());
        QCOMPARE(tCondition(opEgal, dtString, word, QString(), Inconnu, true).v1, word.toUpper());
    }

    void validate_data()
    {
        QTest::addColumn<int>("op");
        QTest::addColumn<int>("tip");
        QTest::addColumn<QString>("v1");
        QTest::addColumn<QString>("v2");
        QTest::addColumn<bool>("disp");
        QTest::addColumn<QString>("error"); // "convert: ", "invalid: " and the message; empty passes
        const auto row = [](const char *name, int op, int tip, const char *v1, const char *v2, const char *error,
                            bool disp = true) {
            QTest::newRow(name) << op << tip << QString::fromUtf8(v1) << QString::fromUtf8(v2) << disp
                                << QString::fromUtf8(error);
        };
        // Argument counts per group of operators.
        row("existe with a value", 1, dtString, "x", "",
            "invalid: nombre d'arguments invalide (0 attendu)pour 'existe'");
        row("n'existe pas with v2", 2, dtString, "", "x",
            "invalid: nombre d'arguments invalide (0 attendu)pour 'n'existe pas'");
        row("aucune with a value", 0, dtString, "x", "",
            "invalid: nombre d'arguments invalide (0 attendu)pour 'aucune'", false);
        row("égal with two values", 3, dtString, "a", "b",
            "invalid: nombre d'arguments invalide (1 attendu)pour 'égal'");
        row("égal without value", 3, dtString, "", "", "invalid: nombre d'arguments invalide (1 attendu)pour 'égal'");
        row("supérieur with v2 only", 11, dtInteger, "", "5",
            "invalid: nombre d'arguments invalide (1 attendu)pour 'supérieur'");
        row("entre with v1 only", 8, dtInteger, "5", "",
            "invalid: nombre d'arguments invalide (2 attendus)pour 'entre'");
        row("entre with v2 only", 8, dtString, "", "B",
            "invalid: nombre d'arguments invalide (2 attendus)pour 'entre'");
        row("count before kind", 6, dtInteger, "1", "2",
            "invalid: nombre d'arguments invalide (1 attendu)pour 'contient'");
        row("word with p empties the boolean", 3, dtBoolean, "peut-être", "",
            "invalid: nombre d'arguments invalide (1 attendu)pour 'égal'");
        // Operator against value kind.
        row("contient on Long", 6, dtInteger, "1", "",
            "invalid: Type de données 'entier' invalide pour l'opérateur 'contient'");
        row("commence par on date", 5, dtDate, "01/01/2000", "",
            "invalid: Type de données 'date' invalide pour l'opérateur 'commence par'");
        row("entre on boolean", 8, dtBoolean, "oui", "non",
            "invalid: Type de données 'booleen' invalide pour l'opérateur 'entre'");
        row("inférieur on boolean", 9, dtBoolean, "oui", "",
            "invalid: Type de données 'booleen' invalide pour l'opérateur 'inférieur'");
        row("égal on inconnu", 3, dtUnknown, "x", "",
            "invalid: Type de données 'inconnu' invalide pour l'opérateur 'égal'");
        row("kind past dtDate", 3, 9, "x", "", "invalid: Type de données 'inconnu' invalide pour l'opérateur 'égal'");
        row("existe on inconnu", 1, dtUnknown, "", "", "");
        row("n'existe pas on inconnu", 2, dtUnknown, "", "", "");
        row("unknown operator", 13, dtString, "", "", "invalid: Opérateur 13 inconnu");
        // Values against value kind.
        row("12a upper-cased", 9, dtInteger, "12a", "", "convert: '12A' n'est pas une valeur entière correcte");
        row("hex integer", 3, dtInteger, "0x1F", "", "convert: '0X1F' n'est pas une valeur entière correcte");
        row("boolean oui", 3, dtBoolean, "oui", "", "");
        row("impossible date", 3, dtDate, "31/02/2000", "", "convert: '31/02/2000' n'est pas une date correcte");
        row("date and time", 11, dtDate, "31/12/1999 23:59:59", "", "");
        // Bounds of entre.
        row("integers in order", 8, dtInteger, "9", "10", "");
        row("integers reversed", 8, dtInteger, "10", "9", "invalid: la valeur 1 '10' doit être <= à la valeur 2 '9'");
        row("integers equal", 8, dtInteger, "9", "09", "");
        row("integer v2 checked", 8, dtInteger, "1", "x", "convert: 'X' n'est pas une valeur entière correcte");
        row("texts in order", 8, dtString, "b", "d", "");
        row("texts reversed", 8, dtString, "d", "b", "invalid: la valeur 1 'D' doit être <= à la valeur 2 'B'");
        row("prefix is smaller", 8, dtString, "ab", "a", "invalid: la valeur 1 'AB' doit être <= à la valeur 2 'A'");
        row("texts equal", 8, dtString, "b", "B", "");
        row("dates in order", 8, dtDate, "31/12/1999", "01/01/2000", "");
        row("dates reversed", 8, dtDate, "01/01/2000", "31/12/1999",
            "invalid: la valeur 1 '01/01/2000' doit être <= à la valeur 2 '31/12/1999'");
        row("same day", 8, dtDate, "01/01/2000 08:00:00", "01/01/2000", "");
        row("2071 counts as 1971", 8, dtDate, "01/01/2071", "31/12/2000", "");
        // Display.
        row("aucune not displayed", 0, dtString, "", "", "invalid: Vous devez afficher une propriété sans conditions!",
            false);
        row("aucune displayed", 0, dtUnknown, "", "", "");
        row("existe not displayed", 1, dtString, "", "", "", false);
    }
    void validate()
    {
        QFETCH(int, op);
        QFETCH(int, tip);
        QFETCH(QString, v1);
        QFETCH(QString, v2);
        QFETCH(bool, disp);
        QFETCH(QString, error);
        const tCondition c(uint8_t(op), tDataType(tip), v1, v2, QStringLiteral("String"), disp);
        QString raised;
        try {
            QVERIFY(c.Validate());
        } catch (const EInvalidCondition &e) {
            raised = QStringLiteral("invalid: ") + e.Message();
        } catch (const EConvertError &e) {
            raised = QStringLiteral("convert: ") + e.Message();
        }
        QCOMPARE(raised, error);
    }

    // A value of megabytes (a hostile query file) is echoed cut, as names are.
    void overLongValuesAreCutInMessages()
    {
        const QString longInteger(1000000, QLatin1Char('X'));
        const QString shown = QString(255, QLatin1Char('X')) + QStringLiteral("...");
        const auto message = [](const tCondition &c) {
            try {
                c.Validate();
            } catch (const EInvalidCondition &e) {
                return e.Message();
            } catch (const EConvertError &e) {
                return e.Message();
            }
            return QString();
        };
        const QString tn = QStringLiteral("String");
        QCOMPARE(message(tCondition(3, dtInteger, longInteger, QString(), tn, true)),
                 QStringLiteral("'%1' n'est pas une valeur entière correcte").arg(shown));
        QCOMPARE(message(tCondition(3, dtDate, longInteger, QString(), tn, true)),
                 QStringLiteral("'%1' n'est pas une date correcte").arg(shown));
        QCOMPARE(message(tCondition(8, dtString, longInteger, QStringLiteral("W"), tn, true)),
                 QStringLiteral("la valeur 1 '%1' doit être <= à la valeur 2 'W'").arg(shown));
        // Exactly as long as a message shows: whole.
        const QString edge(255, QLatin1Char('Y'));
        QCOMPARE(message(tCondition(8, dtString, QStringLiteral("Z"), edge, tn, true)),
                 QStringLiteral("la valeur 1 'Z' doit être <= à la valeur 2 '%1'").arg(edge));
    }

    void booleanValueSetAfterConstruction()
    {
        // The SQL reader sets the value kind after construction, so Valeur 1 is not normalised.
        tCondition c(opEgal, dtUnknown, QStringLiteral("peut-être"), QString(), Inconnu, true);
        c.tip = dtBoolean;
        QVERIFY_THROWS_EXCEPTION(EInvalidCondition, c.Validate());
        c.v1 = QStringLiteral("oui");
        QVERIFY(c.Validate());
    }

    void whatIsUtf8()
    {
        const EInvalidCondition e(QStringLiteral("Vous devez afficher une propriété sans conditions!"));
        QCOMPARE(QString::fromUtf8(e.what()), e.Message());
        const std::exception &base = EConvertError(QStringLiteral("'É' n'est pas une date correcte"));
        QCOMPARE(QString::fromUtf8(base.what()), QStringLiteral("'É' n'est pas une date correcte"));
    }
};

QTEST_GUILESS_MAIN(TestConditions)
#include "test_conditions.moc"
