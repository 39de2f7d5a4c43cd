#include "engine/tCondition.h"

#include "directory/LocaleFormats.h"
#include "directory/NDSTimeToStr.h"
#include "engine/ValueConversions.h"

#include <QTest>

namespace {
const QLocale French(QLocale::French, QLocale::France);
const QLocale American(QLocale::English, QLocale::UnitedStates);
} // namespace

class TestEvaluate : public QObject
{
    Q_OBJECT
private slots:
    void init() { LocaleFormats::SetLocale(French); }
    void cleanupTestCase() { LocaleFormats::ResetLocale(); }

    void evaluate_data()
    {
        QTest::addColumn<int>("tip");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("v1");
        QTest::addColumn<QString>("v2");
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("met");
        const auto row = [](const char *name, int tip, int op, const char *v1, const char *v2, const char *value,
                            bool met) {
            QTest::newRow(name) << tip << op << QString::fromUtf8(v1) << QString::fromUtf8(v2)
                                << QString::fromUtf8(value) << met;
        };
        // Every kind: aucune, existe, n'existe pas.
        row("aucune without value", dtString, 0, "", "", "", true);
        row("aucune on a bad date", dtDate, 0, "", "", "demain", true);
        row("existe without value", dtString, 1, "", "", "", false);
        row("existe on blanks", dtInteger, 1, "", "", " \t ", false);
        row("existe on controls", dtDate, 1, "", "", "\r\n\x01", false);
        row("existe", dtBoolean, 1, "", "", "FALSE", true);
        row("n'existe pas without value", dtString, 2, "", "", "", true);
        row("n'existe pas on blanks", dtBoolean, 2, "", "", "  ", true);
        row("n'existe pas with value", dtDate, 2, "", "", "x", false);
        // Texts.
        row("contient ignores case", dtString, 6, "dup", "", "Dupont", true);
        row("contient in joined values", dtString, 6, "DUP", "", "Martin Dupont", true);
        row("contient upper-cases an accented letter", dtString, 6, "é", "", "CAFé", true);
        row("ne contient pas", dtString, 7, "DUP", "", "Durand", true);
        row("ne contient pas not met", dtString, 7, "DUP", "", "dupont", false);
        row("égal is whole", dtString, 3, "PARIS", "", "Paris, France", false);
        row("commence par", dtString, 5, "PARIS", "", "Paris, France", true);
        row("commence par not met", dtString, 5, "FRANCE", "", "Paris, France", false);
        row("égal trims and upper-cases", dtString, 3, "paris", "", " paris\r\n", true);
        row("égal with accents", dtString, 3, "été", "", "Été", true);
        row("different de", dtString, 4, "PARIS", "", "Lyon", true);
        row("entre: BA", dtString, 8, "B", "D", "BA", true);
        row("entre: D", dtString, 8, "B", "D", "D", true);
        row("entre: DA", dtString, 8, "B", "D", "DA", false);
        row("entre: A", dtString, 8, "B", "D", "A", false);
        row("prefix is smaller", dtString, 9, "AB", "", "A", true);
        row("inférieur ou égal", dtString, 10, "AB", "", "AB", true);
        row("supérieur by code", dtString, 11, "Z", "", "École", true);
        row("supérieur ou égal not met", dtString, 12, "B", "", "A", false);
        row("supérieur not met by an equal text", dtString, 11, "B", "", "B", false);
        row("supérieur ou égal met by an equal text", dtString, 12, "B", "", "B", true);
        // Integers.
        row("9 < 10 numerically", dtInteger, 11, "9", "", "10", true);
        row("10 > 9 numerically", dtInteger, 9, "10", "", "9", true);
        row("007 is not 7", dtInteger, 3, "7", "", "007", false);
        row("7 is 7", dtInteger, 3, "7", "", " 7 ", true);
        row("007 differs from 7", dtInteger, 4, "7", "", "007", true);
        row("007 orders as 7", dtInteger, 12, "7", "", "007", true);
        row("entre inclusive", dtInteger, 8, "1", "10", "10", true);
        row("entre above", dtInteger, 8, "1", "10", "11", false);
        row("negative", dtInteger, 9, "0", "", "-5", true);
        row("supérieur not met by an equal number", dtInteger, 11, "10", "", "10", false);
        row("joined values never met", dtInteger, 11, "0", "", "10;11", false);
        row("joined values, entre", dtInteger, 8, "0", "100", "10 11", false);
        row("empty never compares", dtInteger, 10, "9", "", "", false);
        row("overflow never compares", dtInteger, 11, "0", "", "9223372036854775808", false);
        row("past 32 bits compares", dtInteger, 11, "4294967296", "", "5000000000", true);
        row("contient on integer", dtInteger, 6, "1", "", "1", false);
        // Booleans.
        row("TRUE égal TRUE", dtBoolean, 3, "oui", "", "TRUE", true);
        row("TRUE égal FALSE", dtBoolean, 3, "oui", "", "FALSE", false);
        row("FALSE égal FALSE", dtBoolean, 3, "non", "", "FALSE", true);
        row("value upper-cased", dtBoolean, 3, "vrai", "", "true", true);
        row("different de TRUE", dtBoolean, 4, "TRUE", "", "FALSE", true);
        row("different de TRUE not met", dtBoolean, 4, "TRUE", "", "TRUE", false);
        row("different de without value", dtBoolean, 4, "TRUE", "", "", true);
        row("inférieur on boolean", dtBoolean, 9, "TRUE", "", "FALSE", false);
        // Dates, day/month/year.
        row("day before", dtDate, 9, "01/01/2000", "", "31/12/1999 23:59:59", true);
        row("same day is not before", dtDate, 9, "01/01/2000", "", "01/01/2000 08:00:00", false);
        row("same day", dtDate, 3, "01/01/2000", "", "01/01/2000 08:00:00", true);
        row("same day differs not", dtDate, 4, "01/01/2000 23:00:00", "", "01/01/2000", false);
        row("supérieur not met on the same day", dtDate, 11, "01/01/2000", "", "01/01/2000 08:00:00", false);
        row("one-digit day", dtDate, 11, "01/01/2000", "", "2/1/2000", true);
        row("two-digit year", dtDate, 3, "01/01/2005", "", "1/1/05", true);
        row("entre dates", dtDate, 8, "01/01/2000", "31/12/2000", "15/06/2000 12:00:00", true);
        row("2071 counts as 1971", dtDate, 3, "01/01/1971", "", "01/01/2071", true);
        row("two-digit 85 is 1985", dtDate, 3, "01/01/1985", "", "01/01/85", true);
        row("2070 stays", dtDate, 11, "01/01/2000", "", "31/12/2070", true);
        row("bad date differs not", dtDate, 4, "01/01/2000", "", "31/02/2000", false);
        row("bad time", dtDate, 3, "01/01/2000", "", "01/01/2000 24:00:00", false);
        row("no date", dtDate, 12, "01/01/2000", "", "", false);
        row("contient on date", dtDate, 6, "01", "", "01/01/2000", false);
        // Unknown kinds.
        row("unknown égal", dtUnknown, 3, "X", "", "Y", true);
        row("unknown existe", dtUnknown, 1, "", "", "", true);
        row("kind past dtDate", 7, 11, "X", "", "", true);
    }
    void evaluate()
    {
        QFETCH(int, tip);
        QFETCH(int, op);
        QFETCH(QString, v1);
        QFETCH(QString, v2);
        QFETCH(QString, value);
        QFETCH(bool, met);
        const tCondition c(uint8_t(op), tDataType(tip), v1, v2, QStringLiteral("String"), true);
        QCOMPARE(c.Evaluate(value), met);
    }

    void americanDates()
    {
        LocaleFormats::SetLocale(American);
        const tCondition before(opInferieur, dtDate, QStringLiteral("1/1/2000"), QString(), QString(), true);
        QVERIFY(before.Evaluate(QStringLiteral("12/31/1999 11:59:59 PM")));
        QVERIFY(!before.Evaluate(QStringLiteral("1/1/2000 8:00:00 AM")));
        QVERIFY(!before.Evaluate(QStringLiteral("31/12/1999")));
    }

    void integers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<qint64>("number");
        QTest::newRow("zero") << "0" << true << qint64(0);
        QTest::newRow("leading zeros") << "007" << true << qint64(7);
        QTest::newRow("plus") << "+5" << true << qint64(5);
        QTest::newRow("32-bit minimum") << "-2147483648" << true << qint64(std::numeric_limits<int>::min());
        QTest::newRow("32-bit maximum") << "2147483647" << true << qint64(std::numeric_limits<int>::max());
        // Active Directory's large integers are not cut to 32 bits.
        QTest::newRow("past 32 bits") << "5000000000" << true << qint64(5000000000);
        QTest::newRow("minimum") << "-9223372036854775808" << true << std::numeric_limits<qint64>::min();
        QTest::newRow("maximum") << "9223372036854775807" << true << std::numeric_limits<qint64>::max();
        QTest::newRow("above maximum") << "9223372036854775808" << false << qint64(0);
        QTest::newRow("below minimum") << "-9223372036854775809" << false << qint64(0);
        QTest::newRow("many digits") << "99999999999999999999" << false << qint64(0);
        QTest::newRow("sign alone") << "-" << false << qint64(0);
        QTest::newRow("empty") << "" << false << qint64(0);
        QTest::newRow("leading blank") << " 5" << false << qint64(0);
        QTest::newRow("trailing blank") << "5 " << false << qint64(0);
        QTest::newRow("dollar hex") << "$1F" << false << qint64(0);
        QTest::newRow("0x hex") << "0X1F" << false << qint64(0);
        QTest::newRow("exponent") << "1E3" << false << qint64(0);
        QTest::newRow("arabic-indic digits") << QStringLiteral("\u0661\u0662") << false << qint64(0);
    }
    void integers()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(qint64, number);
        const std::optional<int64_t> read = ValueConversions::TextToInteger(text);
        QCOMPARE(read.has_value(), valid);
        if (valid)
            QCOMPARE(*read, number);
    }

    void dates_data()
    {
        QTest::addColumn<bool>("american");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("day"); // invalid: not a date
        const auto row = [](const char *name, bool american, const char *text, QDate day) {
            QTest::newRow(name) << american << QString::fromUtf8(text) << day;
        };
        row("fr date", false, "31/12/1999", QDate(1999, 12, 31));
        row("fr one digit", false, "1/2/2000", QDate(2000, 2, 1));
        row("fr two-digit year", false, "01/02/03", QDate(2003, 2, 1));
        row("fr with time", false, "31/12/1999 23:59:59", QDate(1999, 12, 31));
        row("fr without seconds", false, "31/12/1999 23:59", QDate(1999, 12, 31));
        row("fr two blanks", false, "31/12/1999  23:59", QDate(1999, 12, 31));
        row("fr leap day", false, "29/02/2000", QDate(2000, 2, 29));
        row("fr 29/02/1900", false, "29/02/1900", QDate());
        row("fr 31/02", false, "31/02/2000", QDate());
        row("fr month 13", false, "01/13/2000", QDate());
        row("fr day 0", false, "00/12/2000", QDate());
        row("fr three-digit day", false, "001/01/2000", QDate());
        row("fr three-digit year", false, "01/01/200", QDate());
        row("fr five-digit year", false, "01/01/20000", QDate());
        row("fr year 0", false, "01/01/0000", QDate());
        row("fr other separator", false, "01-01-2000", QDate());
        row("fr hour 24", false, "01/01/2000 24:00:00", QDate());
        row("fr minute 60", false, "01/01/2000 23:60", QDate());
        row("fr hours only", false, "01/01/2000 23", QDate());
        row("fr no AM/PM", false, "01/01/2000 08:00:00 AM", QDate());
        row("fr trailing blank", false, "01/01/2000 ", QDate());
        row("fr time glued", false, "01/01/200008:00", QDate());
        row("fr 2072 leap day", false, "29/02/2072", QDate(1972, 2, 29));
        row("fr 2400 leap day", false, "29/02/2400", QDate(2300, 2, 28));
        row("us month first", true, "1/2/2000", QDate(2000, 1, 2));
        row("us two-digit year", true, "12/31/99", QDate(1999, 12, 31));
        row("us PM", true, "12/31/1999 11:59:59 PM", QDate(1999, 12, 31));
        row("us lower-case am", true, "1/2/2000 12:00 am", QDate(2000, 1, 2));
        row("us 24-hour", true, "1/2/2000 13:00:00", QDate(2000, 1, 2));
        row("us 13 PM", true, "1/2/2000 13:00:00 PM", QDate());
        row("us 0 AM", true, "1/2/2000 0:00:00 AM", QDate());
        row("us day first", true, "31/12/1999", QDate());
    }
    void dates()
    {
        QFETCH(bool, american);
        QFETCH(QString, text);
        QFETCH(QDate, day);
        if (american)
            LocaleFormats::SetLocale(American);
        QCOMPARE(ValueConversions::TextToDay(text).value_or(QDate()), day);
    }

    // Reads back what the value formatting writes for directory times.
    void directoryTimesReadBack_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QDate>("day");
        QTest::newRow("fr epoch") << French << 0 << QDate(1970, 1, 1);
        QTest::newRow("fr before epoch") << French << -1 << QDate(1969, 12, 31);
        QTest::newRow("fr last") << French << std::numeric_limits<int>::max() << QDate(2038, 1, 19);
        QTest::newRow("us midnight") << American << 946684800 << QDate(2000, 1, 1);
        QTest::newRow("us evening") << American << 946771199 << QDate(2000, 1, 1);
        QTest::newRow("us noon") << American << 1700049600 << QDate(2023, 11, 15);
        // Formats with quoted words, a marker first, or a trailing separator.
        QTest::newRow("fr_CA") << QLocale(QLocale::French, QLocale::Canada) << 1700049601 << QDate(2023, 11, 15);
        QTest::newRow("ko_KR") << QLocale(QLocale::Korean, QLocale::SouthKorea) << 1700049601 << QDate(2023, 11, 15);
        QTest::newRow("hu_HU") << QLocale(QLocale::Hungarian, QLocale::Hungary) << 1700049601 << QDate(2023, 11, 15);
    }
    void directoryTimesReadBack()
    {
        QFETCH(QLocale, locale);
        QFETCH(int, seconds);
        QFETCH(QDate, day);
        LocaleFormats::SetLocale(locale);
        const QString text = LocaleFormats::UpperCase(NDSTimeToStr(seconds));
        QCOMPARE(ValueConversions::TextToDay(text).value_or(QDate()), day);
    }
};

QTEST_GUILESS_MAIN(TestEvaluate)
#include "test_evaluate.moc"
