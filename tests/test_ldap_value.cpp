// LDAP values in the packed forms of their directory syntaxes.

#include "directory/client/NWValues.h"
#include "directory/ldap/LdapValue.h"

#include <QTest>

#include <cstring>
#include <initializer_list>
#include <string>

namespace {

int32_t Number(const std::string &packed)
{
    int32_t value = 0;
    std::memcpy(&value, packed.data(), sizeof value);
    return value;
}

// Lines as a postal address packs them: each with its size before it.
std::string Counted(std::initializer_list<std::string> lines)
{
    std::string packed;
    for (const std::string &line : lines) {
        const uint32_t size = uint32_t(line.size());
        packed.append(reinterpret_cast<const char *>(&size), sizeof size).append(line);
    }
    return packed;
}

} // namespace

class TestLdapValue : public QObject
{
    Q_OBJECT
private slots:
    void times_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("seconds");
        QTest::newRow("epoch") << "19700101000000Z" << true << 0;
        QTest::newRow("generalized") << "20240131235959Z" << true << 1706745599;
        QTest::newRow("fraction") << "20240131235959.123Z" << true << 1706745599;
        QTest::newRow("offset") << "20240201013000+0130" << true << 1706745600;
        QTest::newRow("west offset") << "20240131220000-0200" << true << 1706745600;
        QTest::newRow("hour only") << "2024020100Z" << true << 1706745600;
        QTest::newRow("utc time") << "240201000000Z" << true << 1706745600;
        QTest::newRow("before 1970") << "19691231235959Z" << true << -1;
        QTest::newRow("past 2038") << "20380119031408Z" << false << 0;
        QTest::newRow("no zone") << "20240131235959" << false << 0;
        QTest::newRow("bad month") << "20241331235959Z" << false << 0;
        QTest::newRow("text") << "yesterday" << false << 0;
    }
    void times()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        int32_t seconds = 0;
        QCOMPARE(LdapValue::SecondsOf(text.toStdString(), seconds), valid);
        if (valid)
            QTEST(int(seconds), "seconds");
    }

    void numbersAndBooleans()
    {
        std::string packed;
        QVERIFY(LdapValue::Pack(SYN_INTEGER, "-17", false, packed));
        QCOMPARE(Number(packed), -17);
        QVERIFY(LdapValue::Pack(SYN_INTERVAL, "2147483647", false, packed));
        QCOMPARE(Number(packed), INT32_MAX);
        QVERIFY(!LdapValue::Pack(SYN_INTEGER, "2147483648", false, packed));
        QVERIFY(!LdapValue::Pack(SYN_INTEGER, "12abc", false, packed));
        QVERIFY(!LdapValue::Pack(SYN_INTEGER, "", false, packed));
        QVERIFY(LdapValue::Pack(SYN_BOOLEAN, "TRUE", false, packed));
        QCOMPARE(packed, std::string(1, '\1'));
        QVERIFY(LdapValue::Pack(SYN_BOOLEAN, "FALSE", false, packed));
        QCOMPARE(packed, std::string(1, '\0'));
        QVERIFY(!LdapValue::Pack(SYN_BOOLEAN, "yes", false, packed));
        QVERIFY(LdapValue::Pack(SYN_TIME, "19700101000100Z", false, packed));
        QCOMPARE(Number(packed), 60);
    }

    // Active Directory's large integers and times: decimal numbers within 64 bits.
    void largeIntegers()
    {
        std::string packed;
        int64_t number = 0;
        for (const uint32_t syntax : {uint32_t(SYN_LARGE_INTEGER), uint32_t(SYN_FILE_TIME)}) {
            QVERIFY(LdapValue::Pack(syntax, "9223372036854775807", false, packed));
            QCOMPARE(packed.size(), sizeof number);
            std::memcpy(&number, packed.data(), sizeof number);
            QCOMPARE(number, INT64_MAX);
            QVERIFY(LdapValue::Pack(syntax, "-5000000000", false, packed));
            std::memcpy(&number, packed.data(), sizeof number);
            QCOMPARE(number, int64_t(-5000000000));
            QVERIFY(!LdapValue::Pack(syntax, "9223372036854775808", false, packed));
            QVERIFY(!LdapValue::Pack(syntax, "1.5", false, packed));
        }
    }

    // GUIDs and SIDs as Active Directory's tools write them.
    void guidsAndSids()
    {
        const std::string guid("\x72\x9B\x14\x2C\x22\x70\x53\x47\x9B\x88\x5F\x9E\x7C\xDD\xA4\xA7", 16);
        std::string text;
        QVERIFY(LdapValue::GuidText(guid, text));
        QCOMPARE(text, std::string("2C149B72-7022-4753-9B88-5F9E7CDDA4A7"));
        QVERIFY(!LdapValue::GuidText(guid.substr(1), text));
        std::string packed;
        QVERIFY(LdapValue::Pack(SYN_CI_STRING, guid, false, packed, LdapValue::Encoding::Guid));
        QCOMPARE(packed, std::string("2C149B72-7022-4753-9B88-5F9E7CDDA4A7"));

        // S-1-5-21-1971412633-2632426111-1236316100-1104: revision 1, 5 parts, authority 5.
        const std::string sid("\x01\x05\x00\x00\x00\x00\x00\x05"
                              "\x15\x00\x00\x00"
                              "\x99\x5E\x81\x75"
                              "\x7F\xA2\xE7\x9C"
                              "\xC4\xAF\xB0\x49"
                              "\x50\x04\x00\x00",
                              28);
        QVERIFY(LdapValue::SidText(sid, text));
        QCOMPARE(text, std::string("S-1-5-21-1971412633-2632426111-1236316100-1104"));
        QVERIFY(LdapValue::Pack(SYN_CI_STRING, sid, false, packed, LdapValue::Encoding::Sid));
        QCOMPARE(packed, text);
        QVERIFY(LdapValue::SidText(std::string("\x01\x00\x00\x00\x00\x00\x00\x00", 8), text));
        QCOMPARE(text, std::string("S-1-0"));
        QVERIFY(LdapValue::SidText(std::string("\x01\x00\x01\x00\x00\x00\x00\x00", 8), text));
        QCOMPARE(text, std::string("S-1-0x010000000000"));
        QVERIFY(!LdapValue::SidText(sid.substr(0, 27), text));
        QVERIFY(!LdapValue::Pack(SYN_CI_STRING, sid.substr(0, 20), false, packed, LdapValue::Encoding::Sid));
    }

    void textsNamesAndLines()
    {
        std::string packed;
        QVERIFY(LdapValue::Pack(SYN_DIST_NAME, "cn=a.b,o=Acme", false, packed));
        QCOMPARE(packed, "CN=a\\.b.O=Acme");
        QVERIFY(LdapValue::Pack(SYN_DIST_NAME, "cn=a.b,o=Acme", true, packed));
        QCOMPARE(packed, "a\\.b.Acme");
        QVERIFY(!LdapValue::Pack(SYN_DIST_NAME, "not a dn", true, packed));
        QVERIFY(!LdapValue::Pack(SYN_CI_STRING, std::string("a\0b", 3), false, packed));
        QVERIFY(LdapValue::Pack(SYN_OCTET_STRING, std::string("a\0b", 3), false, packed));
        QCOMPARE(packed.size(), size_t(3));

        QVERIFY(LdapValue::Pack(SYN_PO_ADDRESS, "1 Main St$Cost \\2410\\5C2$Town", false, packed));
        QCOMPARE(packed, Counted({"1 Main St", "Cost $10\\2", "Town", "", "", ""}));
        QVERIFY(!LdapValue::Pack(SYN_PO_ADDRESS, "bad \\41 escape", false, packed));
        QVERIFY(!LdapValue::Pack(SYN_NET_ADDRESS, "anything", false, packed));
    }

    // A postal address holds six lines: six are taken, seven refused.
    void postalAddressesHoldSixLines()
    {
        std::string packed;
        QVERIFY(LdapValue::Pack(SYN_PO_ADDRESS, "1$2$3$4$5$6", false, packed));
        QCOMPARE(packed, Counted({"1", "2", "3", "4", "5", "6"}));
        QVERIFY(!LdapValue::Pack(SYN_PO_ADDRESS, "1$2$3$4$5$6$7", false, packed));
    }
};

QTEST_GUILESS_MAIN(TestLdapValue)
#include "test_ldap_value.moc"
