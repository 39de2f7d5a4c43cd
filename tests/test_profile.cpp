#include "query/TProfileFile.h"
#include "query/TextDecoding.h"

#include "FailDevice.h"

#include <QtTest>

class TestProfile : public QObject
{
    Q_OBJECT

private slots:
    void namesIgnoreCaseAndFirstWins();
    void readsTrimAndUnquote_data();
    void readsTrimAndUnquote();
    void readsAreCut();
    void integers_data();
    void integers();
    void writtenValuesReadBack_data();
    void writtenValuesReadBack();
    void updateInPlaceKeepsOtherLines();
    void newKeysAndSections();
    void eraseSection();
    void editsAndErasuresKeepFindingNames();
    void lastIndexKey();
    void writesUtf8WithCrLf();
    void refusedWrite();
    void decodesUtf8AndWindows1252_data();
    void decodesUtf8AndWindows1252();
};

void TestProfile::namesIgnoreCaseAndFirstWins()
{
    const TProfileFile p =
        TProfileFile::FromText(QStringLiteral("[Options]\nClass=User\nclass=Group\n[OPTIONS]\nfilter=a*\n"));
    QCOMPARE(p.ReadString(QStringLiteral("options"), QStringLiteral("CLASS"), QStringLiteral("?")),
             QStringLiteral("User"));
    // Only the first section of a name is read.
    QCOMPARE(p.ReadString(QStringLiteral("options"), QStringLiteral("filter"), QStringLiteral("?")),
             QStringLiteral("?"));
    QCOMPARE(p.ReadString(QStringLiteral("other"), QStringLiteral("class"), QStringLiteral("?")), QStringLiteral("?"));
}

void TestProfile::readsTrimAndUnquote_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("value");
    QTest::newRow("blanks") << "k =  a b  "
                            << "a b";
    QTest::newRow("double quotes") << "k=\" a \""
                                   << " a ";
    QTest::newRow("single quotes") << "k='x'"
                                   << "x";
    QTest::newRow("one quote kept") << "k=\""
                                    << "\"";
    QTest::newRow("unmatched quotes kept") << "k=\"x'"
                                           << "\"x'";
    QTest::newRow("equal sign in value") << "k=a=b"
                                         << "a=b";
    QTest::newRow("empty") << "k="
                           << "";
}

void TestProfile::readsTrimAndUnquote()
{
    QFETCH(QString, line);
    QFETCH(QString, value);
    const TProfileFile p = TProfileFile::FromText(QStringLiteral("[s]\r\n") + line + QStringLiteral("\r\n"));
    QCOMPARE(p.ReadString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("default")), value);
}

void TestProfile::readsAreCut()
{
    TProfileFile p;
    p.WriteString(QStringLiteral("s"), QStringLiteral("k"), QString(2000, QLatin1Char('x')));
    QCOMPARE(p.ReadString(QStringLiteral("s"), QStringLiteral("k"), {}).size(), 1023);
}

void TestProfile::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "42" << 42;
    QTest::newRow("negative") << "-1" << -1;
    QTest::newRow("plus") << "+7" << 7;
    QTest::newRow("hex") << "0x1F" << 31;
    QTest::newRow("hex capital X") << "0X1f" << 31;
    QTest::newRow("hex full width") << "0xFFFFFFFF" << -1;
    QTest::newRow("0x alone") << "0x" << 99;
    QTest::newRow("hex with bad digit") << "0x1G" << 99;
    QTest::newRow("hex signed") << "0x-1" << 99;
    QTest::newRow("hex too long") << "0x100000000" << 99;
    QTest::newRow("trailing letters") << "12abc" << 99;
    QTest::newRow("word") << "abc" << 99;
    QTest::newRow("empty") << "" << 99;
    QTest::newRow("out of range") << "4294967296" << 99;
    QTest::newRow("pascal hex") << "$10" << 99;
}

void TestProfile::integers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const TProfileFile p = TProfileFile::FromText(QStringLiteral("[s]\nk=") + text + QStringLiteral("\n"));
    QCOMPARE(p.ReadInteger(QStringLiteral("s"), QStringLiteral("k"), 99), value);
    QCOMPARE(p.ReadBool(QStringLiteral("s"), QStringLiteral("k"), false), value != 0 && value != 99);
}

void TestProfile::writtenValuesReadBack_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("expected");
    QTest::newRow("plain") << "OU=Sales.O=Acme"
                           << "OU=Sales.O=Acme";
    QTest::newRow("double quote") << "\""
                                  << "\"";
    QTest::newRow("two double quotes") << "\"\""
                                       << "\"\"";
    QTest::newRow("quoted word") << "'a'"
                                 << "'a'";
    QTest::newRow("blanks around") << "  a  "
                                   << "  a  ";
    QTest::newRow("only a blank") << " "
                                  << " ";
    QTest::newRow("brackets and equals") << "[x]=y"
                                         << "[x]=y";
    QTest::newRow("accents") << "Équipe été"
                             << "Équipe été";
    QTest::newRow("line breaks become blanks") << "a\r\nb\nc"
                                               << "a b c";
}

void TestProfile::writtenValuesReadBack()
{
    QFETCH(QString, value);
    QFETCH(QString, expected);
    TProfileFile p;
    p.WriteString(QStringLiteral("s"), QStringLiteral("k"), value);
    p.WriteString(QStringLiteral("s"), QStringLiteral("after"), QStringLiteral("1"));
    const TProfileFile reread = TProfileFile::FromText(p.ToText());
    QCOMPARE(reread.ReadString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("?")), expected);
    QCOMPARE(reread.ReadString(QStringLiteral("s"), QStringLiteral("after"), QStringLiteral("?")), QStringLiteral("1"));
}

void TestProfile::updateInPlaceKeepsOtherLines()
{
    TProfileFile p = TProfileFile::FromText(
        QStringLiteral("; made by hand\r\n[Options]\r\n Class = Group \r\nmine=keep\r\n\r\n[extra]\r\nx=1\r\n"));
    p.WriteString(QStringLiteral("options"), QStringLiteral("class"), QStringLiteral("User"));
    QCOMPARE(p.ToText(),
             QStringLiteral("; made by hand\r\n[Options]\r\nclass=User\r\nmine=keep\r\n\r\n[extra]\r\nx=1\r\n"));
}

void TestProfile::newKeysAndSections()
{
    TProfileFile p = TProfileFile::FromText(QStringLiteral("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n"));
    p.WriteString(QStringLiteral("A"), QStringLiteral("z"), QStringLiteral("3"));
    p.WriteInteger(QStringLiteral("c"), QStringLiteral("n"), -4);
    p.WriteBool(QStringLiteral("c"), QStringLiteral("f"), true);
    QCOMPARE(p.ToText(), QStringLiteral("[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\n[c]\r\nn=-4\r\nf=1\r\n"));
}

void TestProfile::eraseSection()
{
    TProfileFile p = TProfileFile::FromText(
        QStringLiteral("[Properties]\r\n0=CN\r\n[keep]\r\nk=v\r\n[properties]\r\n1=Surname\r\n"));
    p.EraseSection(QStringLiteral("PROPERTIES"));
    QCOMPARE(p.ToText(), QStringLiteral("[keep]\r\nk=v\r\n"));
    QVERIFY(!p.HasKey(QStringLiteral("Properties"), QStringLiteral("1")));
}

void TestProfile::editsAndErasuresKeepFindingNames()
{
    TProfileFile p =
        TProfileFile::FromText(QStringLiteral("[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n[c]\r\nz=3\r\n[Été]\r\nclé=v\r\n"));
    p.WriteString(QStringLiteral("A"), QStringLiteral("new"), QStringLiteral("n"));
    p.WriteString(QStringLiteral("a"), QStringLiteral("NEW"), QStringLiteral("m"));
    p.WriteString(QStringLiteral("a"), QStringLiteral("X"), QStringLiteral("2"));
    p.EraseSection(QStringLiteral("B"));
    p.WriteString(QStringLiteral("C"), QStringLiteral("z"), QStringLiteral("4"));
    QCOMPARE(p.ReadString(QStringLiteral("ÉTÉ"), QStringLiteral("CLÉ"), QStringLiteral("?")), QStringLiteral("v"));
    QCOMPARE(p.ToText(), QStringLiteral("[a]\r\nX=2\r\nNEW=m\r\n\r\n[c]\r\nz=4\r\n[Été]\r\nclé=v\r\n"));
}

void TestProfile::lastIndexKey()
{
    const TProfileFile p = TProfileFile::FromText(QStringLiteral("[p]\n0=a\n7=b\n08=c\n12x=d\n-3=e\n[q]\n"));
    QCOMPARE(p.LastIndexKey(QStringLiteral("P")), 7);
    QCOMPARE(p.LastIndexKey(QStringLiteral("q")), -1);
    QCOMPARE(p.LastIndexKey(QStringLiteral("missing")), -1);
}

void TestProfile::writesUtf8WithCrLf()
{
    TProfileFile p;
    p.WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("é"));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QVERIFY(p.Write(buffer));
    QCOMPARE(buffer.data(), QByteArray("[s]\r\nk=\xC3\xA9\r\n"));
}

void TestProfile::refusedWrite()
{
    TProfileFile p;
    p.WriteString(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("value"));
    FailDevice device(5);
    QVERIFY(!p.Write(device));
}

void TestProfile::decodesUtf8AndWindows1252_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::newRow("utf-8") << QByteArray("Num\xC3\xA9ro \xE2\x82\xAC") << QStringLiteral("Numéro €");
    QTest::newRow("utf-8 with mark") << QByteArray("\xEF\xBB\xBFk=\xC3\xA9") << QStringLiteral("k=é");
    QTest::newRow("windows-1252") << QByteArray("Num\xE9ro \x80 \x9C \x92") << QStringLiteral("Numéro € œ ’");
    QTest::newRow("undefined byte") << QByteArray("a\x81") << QStringLiteral("a\u0081");
    QTest::newRow("ascii") << QByteArray("plain") << QStringLiteral("plain");
}

void TestProfile::decodesUtf8AndWindows1252()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QCOMPARE(TextDecoding::DecodeFileText(bytes), text);
}

QTEST_GUILESS_MAIN(TestProfile)
#include "test_profile.moc"
