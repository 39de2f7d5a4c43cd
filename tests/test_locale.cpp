#include "directory/LocaleFormats.h"

#include <QTest>

class TestLocale : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { LocaleFormats::ResetLocale(); }

    void frenchFormats()
    {
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QCOMPARE(LocaleFormats::ShortDateFormat(), QStringLiteral("dd/MM/yyyy"));
        QCOMPARE(LocaleFormats::LongTimeFormat(), QStringLiteral("HH:mm:ss"));
    }

    void longTimeCarriesNoZone()
    {
        LocaleFormats::SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        QVERIFY(!LocaleFormats::LongTimeFormat().contains(QLatin1Char('t')));
        QVERIFY(!LocaleFormats::LongTimeFormat().endsWith(QLatin1Char(' ')));
    }

    void upperCaseKeepsAccents()
    {
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QCOMPARE(LocaleFormats::UpperCase(QStringLiteral("hélène çà")), QStringLiteral("HÉLÈNE ÇÀ"));
    }

    // Plain ASCII takes a shorter way, which must give the locale's own upper case.
    void upperCaseOfAsciiFollowsTheLocale()
    {
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QCOMPARE(LocaleFormats::UpperCase(QStringLiteral("issy-les-moulineaux 92")),
                 QStringLiteral("ISSY-LES-MOULINEAUX 92"));
        QCOMPARE(LocaleFormats::UpperCase(QStringLiteral("DÉJÀ")), QStringLiteral("DÉJÀ"));
        LocaleFormats::SetLocale(QLocale(QLocale::Turkish, QLocale::Turkey));
        QCOMPARE(LocaleFormats::UpperCase(QStringLiteral("istanbul")), QStringLiteral("\u0130STANBUL"));
        LocaleFormats::SetLocale(QLocale(QLocale::Azerbaijani, QLocale::Azerbaijan));
        QCOMPARE(LocaleFormats::UpperCase(QStringLiteral("baki")), QStringLiteral("BAK\u0130"));
    }

    void cLocaleFallsBackToFrench()
    {
        // The test environment runs under the C locale.
        if (QLocale::system().language() != QLocale::C)
            QSKIP("system locale is not C");
        QCOMPARE(LocaleFormats::Locale().language(), QLocale::French);
    }
};

QTEST_GUILESS_MAIN(TestLocale)
#include "test_locale.moc"
