#include "engine/tCondition.h"

#include "directory/LocaleFormats.h"

#include <QTest>

// Cost of one Evaluate call, as the export run makes it once per object and condition.
class BenchEvaluate : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France)); }

    void evaluate_data()
    {
        QTest::addColumn<int>("tip");
        QTest::addColumn<int>("op");
        QTest::addColumn<QString>("v1");
        QTest::addColumn<QString>("v2");
        QTest::addColumn<QString>("value");
        QTest::newRow("contient, lower-case value") << int(dtString) << int(opContient) << "dup"
                                                    << ""
                                                    << "CN=jean.dupont.OU=Ventes.O=Acme";
        QTest::newRow("contient, upper-case value") << int(dtString) << int(opContient) << "dup"
                                                    << ""
                                                    << "CN=JEAN.DUPONT.OU=VENTES.O=ACME";
        QTest::newRow("entier supérieur") << int(dtInteger) << int(opSuperieur) << "9"
                                          << ""
                                          << "10";
        QTest::newRow("date entre") << int(dtDate) << int(opEntre) << "01/01/2000"
                                    << "31/12/2000"
                                    << "15/06/2000 12:34:56";
        QTest::newRow("booleen égal") << int(dtBoolean) << int(opEgal) << "oui"
                                      << ""
                                      << "TRUE";
    }
    void evaluate()
    {
        QFETCH(int, tip);
        QFETCH(int, op);
        QFETCH(QString, v1);
        QFETCH(QString, v2);
        QFETCH(QString, value);
        const tCondition condition(uint8_t(op), tDataType(tip), v1, v2, QString(), true);
        bool met = false;
        QBENCHMARK
        {
            met = condition.Evaluate(value);
        }
        QVERIFY(met);
    }
};

QTEST_GUILESS_MAIN(BenchEvaluate)
#include "bench_evaluate.moc"
