#include "StubClient.h"
#include "directory/FormatValue.h"
#include "directory/LocaleFormats.h"
#include "directory/NDSTimeToStr.h"
#include "directory/SyntaxTypes.h"
#include "directory/client/NWValues.h"
#include "directory/tNDS.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <new>
#include <unistd.h>
#include <vector>

using Area = std::shared_ptr<void>;
Q_DECLARE_METATYPE(Area)
Q_DECLARE_METATYPE(tDataType)

namespace {

const QString Prefix = QStringLiteral("While reading attribute X for object Y. ");

// Places texts, bytes and list nodes after the record, as the client packs a value.
class Packer
{
public:
    Packer(char *base, size_t used) : base_(base), used_(used) {}
    size_t Used() const { return used_; }
    char *Text(const char *text) { return static_cast<char *>(Put(text, std::strlen(text) + 1, 1)); }
    uint8_t *Bytes(const QByteArray &bytes)
    {
        return static_cast<uint8_t *>(Put(bytes.constData(), size_t(bytes.size()), 1));
    }
    template <class T> T *Node() { return new (Put(nullptr, sizeof(T), alignof(T))) T{}; }

private:
    void *Put(const void *bytes, size_t size, size_t alignment)
    {
        used_ = (used_ + alignment - 1) / alignment * alignment;
        char *at = base_ + used_;
        if (bytes)
            std::memcpy(at, bytes, size);
        used_ += size;
        return at;
    }
    char *base_;
    size_t used_;
};

// One malloc'd area of exactly the packed size, so that any read past it is caught.
// The value is packed twice: once in a scratch area to measure it, then for real.
template <class T, class Fill> Area Pack(Fill fill)
{
    std::vector<std::max_align_t> scratch(4096);
    Packer measure(reinterpret_cast<char *>(scratch.data()), sizeof(T));
    fill(*new (scratch.data()) T{}, measure);
    void *area = std::malloc(measure.Used());
    Packer packer(static_cast<char *>(area), sizeof(T));
    fill(*new (area) T{}, packer);
    return Area(area, std::free);
}

template <class T> Area Scalar(T value)
{
    return Pack<T>([value](T &record, Packer &) { record = value; });
}

Area TextArea(const char *text)
{
    void *area = std::malloc(std::strlen(text) + 1);
    std::strcpy(static_cast<char *>(area), text);
    return Area(area, std::free);
}

Area Octets(const QByteArray &bytes)
{
    return Pack<Octet_String_T>([bytes](Octet_String_T &v, Packer &p) {
        v.length = uint32_t(bytes.size());
        v.data = p.Bytes(bytes);
    });
}

Area Address(const QByteArray &bytes)
{
    return Pack<Net_Address_T>([bytes](Net_Address_T &v, Packer &p) {
        v.addressType = 9;
        v.addressLength = uint32_t(bytes.size());
        v.address = p.Bytes(bytes);
    });
}

Area Acl(const char *protectedName, uint32_t privileges)
{
    return Pack<Object_ACL_T>([=](Object_ACL_T &v, Packer &p) {
        v.protectedAttrName = p.Text(protectedName);
        v.subjectName = p.Text("Admin.Acme");
        v.privileges = privileges;
    });
}

Area BackLink(const char *name)
{
    return Pack<Back_Link_T>([name](Back_Link_T &v, Packer &p) {
        v.remoteID = 0x80000001;
        v.objectName = p.Text(name);
    });
}

// A connection on the stub client that records what it reports.
struct Fixture {
    StubClient client;
    QStringList reports;
    tNDS directory{client, DirectoryHooks{[this](const QString &text) { reports << text; }, {}, {}}};
};

} // namespace

class TestFormatValue : public QObject
{
    Q_OBJECT
    QTemporaryDir dir_;
    int files_ = 0;

    // A descriptor reading the given bytes from a file of its own.
    int DescriptorWith(const QByteArray &bytes)
    {
        QFile file(dir_.filePath(QString::number(++files_)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            return -1;
        file.close();
        return open(QFile::encodeName(file.fileName()).constData(), O_RDONLY);
    }

private slots:
    void initTestCase()
    {
        // Far from UTC, so that any local-time conversion would show.
        qputenv("TZ", "Pacific/Auckland");
        tzset();
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        QVERIFY(dir_.isValid());
    }
    void cleanupTestCase() { LocaleFormats::ResetLocale(); }

    void formatsValue_data()
    {
        QTest::addColumn<uint>("syntax");
        QTest::addColumn<Area>("value");
        QTest::addColumn<QStringList>("lines");

        QTest::newRow("dist name") << uint(SYN_DIST_NAME) << TextArea("Admin.Acme") << QStringList{"Admin.Acme"};
        QTest::newRow("ce string") << uint(SYN_CE_STRING) << TextArea("Hélène") << QStringList{"Hélène"};
        QTest::newRow("ci string") << uint(SYN_CI_STRING) << TextArea("") << QStringList{""};
        QTest::newRow("pr string") << uint(SYN_PR_STRING) << TextArea("Acme Ltd") << QStringList{"Acme Ltd"};
        QTest::newRow("nu string") << uint(SYN_NU_STRING) << TextArea("0123 45") << QStringList{"0123 45"};
        QTest::newRow("tel number") << uint(SYN_TEL_NUMBER) << TextArea("+33 1 23") << QStringList{"+33 1 23"};
        QTest::newRow("class name") << uint(SYN_CLASS_NAME) << TextArea("User") << QStringList{"User"};
        QTest::newRow("ci list") << uint(SYN_CI_LIST) << Pack<CI_List_T>([](CI_List_T &v, Packer &p) {
            v.s = p.Text("one");
            v.next = p.Node<CI_List_T>();
            v.next->s = p.Text("two");
            v.next->next = p.Node<CI_List_T>();
            v.next->next->s = p.Text("three");
        }) << QStringList{"one", "two", "three"};
        QTest::newRow("boolean 1") << uint(SYN_BOOLEAN) << Scalar<Boolean_T>(1) << QStringList{"TRUE"};
        QTest::newRow("boolean 2") << uint(SYN_BOOLEAN) << Scalar<Boolean_T>(2) << QStringList{"FALSE"};
        QTest::newRow("integer") << uint(SYN_INTEGER) << Scalar<Integer_T>(-42) << QStringList{"-42"};
        QTest::newRow("counter") << uint(SYN_COUNTER) << Scalar<Counter_T>(2147483647) << QStringList{"2147483647"};
        QTest::newRow("large integer") << uint(SYN_LARGE_INTEGER) << Scalar<Large_Integer_T>(-9223372036854775807 - 1)
                                       << QStringList{"-9223372036854775808"};
        QTest::newRow("large integer past 32 bits")
            << uint(SYN_LARGE_INTEGER) << Scalar<Large_Integer_T>(5000000000) << QStringList{"5000000000"};
        // Active Directory's times: 100-nanosecond intervals since 1601, UTC.
        QTest::newRow("file time") << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(135522288000000000)
                                   << QStringList{"15/06/2030 12:00:00"};
        QTest::newRow("file time, fraction of a second dropped")
            << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(135522288009999999) << QStringList{"15/06/2030 12:00:00"};
        QTest::newRow("file time past 2038")
            << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(283696992000000000) << QStringList{"01/01/2500"};
        QTest::newRow("file time, year 9999")
            << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(2650467743990000000) << QStringList{"31/12/9999 23:59:59"};
        QTest::newRow("file time, 1601") << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(1) << QStringList{"01/01/1601"};
        QTest::newRow("file time 0 is no time")
            << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(0) << QStringList{"Never"};
        QTest::newRow("largest file time is no time")
            << uint(SYN_FILE_TIME) << Scalar<File_Time_T>(9223372036854775807) << QStringList{"Never"};

        QTest::newRow("octets 17")
            << uint(SYN_OCTET_STRING) << Octets("ABCDEFGHIJKLMNO\x01\x7F")
            << QStringList{
                   "Length: 17 octets", "Data Hex:",        "41 42 43 44 45 46 47 48 49 4A 4B 4C 4D 4E 4F 01 ", "7F ",
                   "Data ASCII:",       "ABCDEFGHIJKLMNO  "};
        QTest::newRow("octets 16") << uint(SYN_OCTET_STRING) << Octets(QByteArray(16, '\xAB'))
                                   << QStringList{"Length: 16 octets", "Data Hex:",     QString("AB ").repeated(16), "",
                                                  "Data ASCII:",       QString(16, ' ')};
        QTest::newRow("octets 48") << uint(SYN_OCTET_STRING) << Octets(QByteArray(48, 'z'))
                                   << QStringList{"Length: 48 octets",
                                                  "Data Hex:",
                                                  QString("7A ").repeated(16),
                                                  QString("7A ").repeated(16),
                                                  QString("7A ").repeated(16),
                                                  "",
                                                  "Data ASCII:",
                                                  QString(48, 'z'),
                                                  ""};
        QTest::newRow("octets none") << uint(SYN_OCTET_STRING) << Octets({})
                                     << QStringList{"Length: 0 octets", "Data Hex:", "", "Data ASCII:", ""};

        QTest::newRow("fax") << uint(SYN_FAX_NUMBER) << Pack<Fax_Number_T>([](Fax_Number_T &v, Packer &p) {
            v.telephoneNumber = p.Text("+33 1 99");
            v.parameters.numOfBits = 8;
            v.parameters.data = p.Bytes("\xFF");
        }) << QStringList{"+33 1 99"};
        QTest::newRow("address 12") << uint(SYN_NET_ADDRESS) << Address(QByteArray::fromHex("0A0B0C0D0E0F101112131415"))
                                    << QStringList{"Address Type: 9", "Address Length: 12",
                                                   "Address: 0A0B0C0D:0E0F10111213:1415"};
        QTest::newRow("address 4") << uint(SYN_NET_ADDRESS) << Address(QByteArray::fromHex("c0a80001"))
                                   << QStringList{"Address Type: 9", "Address Length: 4", "Address: C0A80001::"};
        QTest::newRow("octet list") << uint(SYN_OCTET_LIST) << Pack<Octet_List_T>([](Octet_List_T &v, Packer &p) {
            v.length = 2;
            v.data = p.Bytes("ab");
        }) << QStringList{"SYN_OCTET_LIST is a linked list it is not shown here"};
        QTest::newRow("email") << uint(SYN_EMAIL_ADDRESS) << Pack<EMail_Address_T>([](EMail_Address_T &v, Packer &p) {
            v.type = 3;
            v.address = p.Text("jo@acme.fr");
        }) << QStringList{"jo@acme.fr"};
        QTest::newRow("path") << uint(SYN_PATH) << Pack<Path_T>([](Path_T &v, Packer &p) {
            v.nameSpaceType = 4;
            v.volumeName = p.Text("SYS.Acme");
            v.path = p.Text("HOME\\JO");
        }) << QStringList{"4", "HOME\\JO", "SYS.Acme"};
        QTest::newRow("replica") << uint(SYN_REPLICA_POINTER)
                                 << Pack<Replica_Pointer_T>([](Replica_Pointer_T &v, Packer &p) {
                                        v.serverName = p.Text("FS1.Acme");
                                        v.replicaType = 1;
                                        v.replicaNumber = -3;
                                        v.count = 1;
                                        v.replicaAddressHint[0].addressLength = 4;
                                        v.replicaAddressHint[0].address = p.Bytes("\x01\x02\x03\x04");
                                    })
                                 << QStringList{"Server Name: FS1.Acme", "Replica Type: 1", "Replica Number: -3",
                                                "Count: 1"};
        QTest::newRow("acl entry all") << uint(SYN_OBJECT_ACL) << Acl("[Entry Rights]", 0x1F)
                                       << QStringList{"Subject: Admin.Acme", "[Entry Rights] [BADRS]"};
        QTest::newRow("acl entry none") << uint(SYN_OBJECT_ACL) << Acl("[Entry Rights]", 0)
                                        << QStringList{"Subject: Admin.Acme", "[Entry Rights] []"};
        QTest::newRow("acl entry extra bits") << uint(SYN_OBJECT_ACL) << Acl("[Entry Rights]", 0xE9)
                                              << QStringList{"Subject: Admin.Acme", "[Entry Rights] [BR]"};
        QTest::newRow("acl sms") << uint(SYN_OBJECT_ACL) << Acl("[SMS Rights]", 0x3F)
                                 << QStringList{"Subject: Admin.Acme", "[SMS Rights] [SBRCDA]"};
        QTest::newRow("acl attribute") << uint(SYN_OBJECT_ACL) << Acl("[All Attributes Rights]", 0x3F)
                                       << QStringList{"Subject: Admin.Acme", "[All Attributes Rights] [CRWAS]"};
        QTest::newRow("acl attribute 0x10") << uint(SYN_OBJECT_ACL) << Acl("Telephone Number", 0x10)
                                            << QStringList{"Subject: Admin.Acme", "Telephone Number []"};
        QTest::newRow("postal") << uint(SYN_PO_ADDRESS) << Pack<Postal_Address_T>([](Postal_Address_T &v, Packer &p) {
            const char *lines[6] = {"Acme", "", "1 rue Haute", "", "75001 Paris", ""};
            for (int i = 0; i < 6; ++i)
                v.line[i] = p.Text(lines[i]);
        }) << QStringList{"Acme", "", "1 rue Haute", "", "75001 Paris", ""};
        QTest::newRow("timestamp") << uint(SYN_TIMESTAMP) << Scalar(NWDS_TimeStamp_T{1234567890, 0xFFFFFFFF})
                                   << QStringList{"13/02/2009 23:31:30", "Event Id: -1"};
        QTest::newRow("timestamp midnight")
            << uint(SYN_TIMESTAMP) << Scalar(NWDS_TimeStamp_T{86400, 7}) << QStringList{"02/01/1970", "Event Id: 7"};
        QTest::newRow("back link") << uint(SYN_BACK_LINK) << BackLink("CN=Jo.O=Acme")
                                   << QStringList{"-2147483647", "o.O=Acme"};
        QTest::newRow("back link short") << uint(SYN_BACK_LINK) << BackLink("CN=J") << QStringList{"-2147483647", ""};
        QTest::newRow("time 0") << uint(SYN_TIME) << Scalar<Time_T>(0) << QStringList{"01/01/1970"};
        QTest::newRow("time") << uint(SYN_TIME) << Scalar<Time_T>(1234567890) << QStringList{"13/02/2009 23:31:30"};
        QTest::newRow("typed name") << uint(SYN_TYPED_NAME) << Pack<Typed_Name_T>([](Typed_Name_T &v, Packer &p) {
            v.objectName = p.Text("Queue.Acme");
            v.level = 2;
            v.interval = 3600;
        }) << QStringList{"Object Name: Queue.Acme", "Level: 2", "Interval: 3600"};
        QTest::newRow("hold") << uint(SYN_HOLD) << Pack<Hold_T>([](Hold_T &v, Packer &p) {
            v.amount = 150;
            v.objectName = p.Text("Server.Acme");
        }) << QStringList{"Server.Acme", "150"};

        const struct {
            const char *name;
            Interval_T seconds;
            const char *text;
        } intervals[] = {
            {"interval 3661", 3661, "1 h, 1 min, 1 sec"},
            {"interval day", 86400 + 3661, "1 days, 1 h, 1 min, 1 sec"},
            {"interval 3600", 3600, "1 h, "},
            {"interval 60", 60, "1 min, "},
            {"interval 59", 59, "59 sec"},
            {"interval 0", 0, ""},
            {"interval negative", -3661, ""},
        };
        for (const auto &interval : intervals)
            QTest::newRow(interval.name) << uint(SYN_INTERVAL) << Scalar<Interval_T>(interval.seconds)
                                         << QStringList{interval.text};
    }

    void formatsValue()
    {
        QFETCH(uint, syntax);
        QFETCH(Area, value);
        QFETCH(QStringList, lines);
        Fixture f;
        QStringList produced{"earlier"};
        QVERIFY(FormatValue(f.directory, syntax, value.get(), "Jo.Acme", "Attr", Prefix, produced));
        QCOMPARE(produced, QStringList{"earlier"} + lines);
        QCOMPARE(f.reports, QStringList());
    }

    void unknownSyntaxStopsTheRead_data()
    {
        QTest::addColumn<uint>("syntax");
        for (const uint id : {0u, 30u, 37u, 0x80u | SYN_DIST_NAME, 200u})
            QTest::addRow("%u", id) << id;
    }

    void unknownSyntaxStopsTheRead()
    {
        QFETCH(uint, syntax);
        Fixture f;
        QStringList lines{"kept"};
        const Area value = Scalar<Integer_T>(1);
        QVERIFY(!FormatValue(f.directory, syntax, value.get(), "Jo.Acme", "Attr", Prefix, lines));
        QCOMPARE(lines, QStringList{"kept"});
        QCOMPARE(f.reports, QStringList{Prefix + "Syntax is Unknown" + QString::number(syntax)});
        QCOMPARE(f.directory.LastError, -999);
    }

    void stream_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("cr lf lines") << QByteArray("first\r\nsecond\r\n") << QStringList{"first", "second", ""};
        QTest::newRow("no final cr") << QByteArray("one\r\ntwo") << QStringList{"one", "two"};
        QTest::newRow("empty") << QByteArray() << QStringList{""};
        QTest::newRow("zero byte ends") << QByteArray("ab\0cd\rx", 7) << QStringList{"ab"};
        QTest::newRow("control bytes") << QByteArray("a\tb\x01\x1F\nc\r\r") << QStringList{"abc", "", ""};
        QTest::newRow("utf-8") << QByteArray("Hélène\x7F") << QStringList{"Hélène\x7F"};
        QTest::newRow("longer than shown") << QByteArray(70000, 'x') << QStringList{QString(64513, 'x')};
        QTest::newRow("cr past the shown part") << QByteArray(64513, 'y') + "\rz" << QStringList{QString(64513, 'y')};
    }

    void stream()
    {
        QFETCH(QByteArray, content);
        QFETCH(QStringList, lines);
        Fixture f;
        int handedOut = -1;
        QByteArray object, attribute;
        NWDSContextHandle context = 0;
        uint32_t mode = 0;
        f.client.OpenStream = [&](NWDSContextHandle c, const char *o, const char *a, uint32_t m, int *fd) {
            context = c, object = o, attribute = a, mode = m;
            *fd = handedOut = DescriptorWith(content);
            return handedOut >= 0 ? 0 : ERR_BAD_VERB;
        };
        const Area value = Scalar(Stream_T{uint32_t(content.size())});
        QStringList produced;
        QVERIFY(FormatValue(f.directory, SYN_STREAM, value.get(), "Jo.Acme", "Login Script", Prefix, produced));
        QCOMPARE(produced, lines);
        QCOMPARE(f.reports, QStringList());
        QCOMPARE(context, f.directory.Context);
        QCOMPARE(object, "Jo.Acme");
        QCOMPARE(attribute, "Login Script");
        QCOMPARE(mode, 1u);
        QCOMPARE(fcntl(handedOut, F_GETFD), -1); // closed
    }

    void streamOpenFailure()
    {
        Fixture f;
        f.client.OpenStream = [](NWDSContextHandle, const char *, const char *, uint32_t, int *) {
            return ERR_NO_SUCH_ATTRIBUTE;
        };
        const Area value = Scalar(Stream_T{10});
        QStringList lines;
        QVERIFY(FormatValue(f.directory, SYN_STREAM, value.get(), "Jo.Acme", "Login Script", Prefix, lines));
        QCOMPARE(lines, QStringList());
        QCOMPARE(f.reports, QStringList{Prefix + "NWDSOpenStream returned: -603"});
        QCOMPARE(f.directory.LastError, ERR_NO_SUCH_ATTRIBUTE);
    }

    void streamReadFailure()
    {
        Fixture f;
        int handedOut = -1;
        f.client.OpenStream = [&](NWDSContextHandle, const char *, const char *, uint32_t, int *fd) {
            // Reading a folder fails.
            *fd = handedOut = open(QFile::encodeName(dir_.path()).constData(), O_RDONLY | O_DIRECTORY);
            return 0;
        };
        const Area value = Scalar(Stream_T{10});
        QStringList lines;
        QVERIFY(FormatValue(f.directory, SYN_STREAM, value.get(), "Jo.Acme", "Login Script", Prefix, lines));
        QCOMPARE(lines, QStringList());
        QCOMPARE(f.reports, QStringList{Prefix + "_Lread Stream error: Trapping exception"});
        QCOMPARE(f.directory.LastError, 0);
        QVERIFY(handedOut >= 0);
        QCOMPARE(fcntl(handedOut, F_GETFD), -1);
    }

    void ndsTime_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("epoch") << 0 << "01/01/1970";
        QTest::newRow("with seconds") << 1234567890 << "13/02/2009 23:31:30";
        QTest::newRow("one second past midnight") << 86401 << "02/01/1970 00:00:01";
        QTest::newRow("before 1970") << -1 << "31/12/1969 23:59:59";
        QTest::newRow("earliest") << int(INT32_MIN) << "13/12/1901 20:45:52";
        QTest::newRow("latest") << int(INT32_MAX) << "19/01/2038 03:14:07";
    }

    void ndsTime()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(NDSTimeToStr(seconds), text);
    }

    void ndsTimeFollowsTheLocale()
    {
        LocaleFormats::SetLocale(QLocale(QLocale::English, QLocale::UnitedStates));
        const QString text = NDSTimeToStr(1234567890);
        LocaleFormats::SetLocale(QLocale(QLocale::French, QLocale::France));
        // Recent locale data puts a narrow blank before "PM".
        QVERIFY2(text.startsWith(QStringLiteral("2/13/09 11:31:30")) && text.endsWith(QStringLiteral("PM")),
                 qPrintable(text));
    }

    void syntaxTypes_data()
    {
        QTest::addColumn<uint>("syntax");
        QTest::addColumn<QString>("name");
        QTest::addColumn<tDataType>("kind");
        QTest::newRow("unknown") << uint(SYN_UNKNOWN) << "inconnu" << dtUnknown;
        QTest::newRow("dist name") << uint(SYN_DIST_NAME) << "String" << dtString;
        QTest::newRow("integer") << uint(SYN_INTEGER) << "Long" << dtInteger;
        QTest::newRow("email") << uint(SYN_EMAIL_ADDRESS) << "NWEmailAddress" << dtString;
        QTest::newRow("path") << uint(SYN_PATH) << "NWPath" << dtString;
        QTest::newRow("timestamp") << uint(SYN_TIMESTAMP) << "NWTimeStamp" << dtString;
        QTest::newRow("counter") << uint(SYN_COUNTER) << "Long" << dtInteger;
        QTest::newRow("time") << uint(SYN_TIME) << "date" << dtDate;
        QTest::newRow("typed name") << uint(SYN_TYPED_NAME) << "NWTypedName" << dtString;
        QTest::newRow("interval") << uint(SYN_INTERVAL) << "Long" << dtInteger;
        for (const SyntaxId id : {SYN_OCTET_LIST, SYN_REPLICA_POINTER, SYN_PO_ADDRESS, SYN_BACK_LINK, SYN_HOLD})
            QTest::addRow("inconnu %u", uint(id)) << uint(id) << "inconnu" << dtUnknown;
        QTest::newRow("large integer") << uint(SYN_LARGE_INTEGER) << "Long" << dtInteger;
        QTest::newRow("file time") << uint(SYN_FILE_TIME) << "date" << dtDate;
        QTest::newRow("30") << 30u << "inconnu" << dtUnknown;
        QTest::newRow("37") << 37u << "inconnu" << dtUnknown;
        QTest::newRow("38") << 38u << "inconnu" << dtUnknown;
        QTest::newRow("200") << 200u << "inconnu" << dtUnknown;
        QTest::newRow("high bit, row 1") << (0x80u | SYN_DIST_NAME) << "String" << dtString;
        QTest::newRow("high bit, row 24") << (0x80u | SYN_TIME) << "date" << dtDate;
    }

    void syntaxTypes()
    {
        QFETCH(uint, syntax);
        QFETCH(QString, name);
        QFETCH(tDataType, kind);
        QCOMPARE(SyntaxTypeName(syntax), name);
        QCOMPARE(SyntaxNameToDataType(SyntaxTypeName(syntax)), kind);
    }

    void syntaxNameToDataType_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<tDataType>("kind");
        QTest::newRow("mixed case") << "nwemailADDRESS" << dtString;
        QTest::newRow("upper date") << "DATE" << dtDate;
        QTest::newRow("lower long") << "long" << dtInteger;
        QTest::newRow("boolean") << "BOOLEAN" << dtBoolean;
        QTest::newRow("inconnu") << "inconnu" << dtUnknown;
        QTest::newRow("empty") << "" << dtUnknown;
        QTest::newRow("prefix only") << "NWPat" << dtUnknown;
        QTest::newRow("blank after") << "String " << dtUnknown;
    }

    void syntaxNameToDataType()
    {
        QFETCH(QString, name);
        QFETCH(tDataType, kind);
        QCOMPARE(SyntaxNameToDataType(name), kind);
    }
};

QTEST_GUILESS_MAIN(TestFormatValue)
#include "test_format_value.moc"
