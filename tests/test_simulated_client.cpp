#include "directory/ValueArea.h"
#include "directory/client/BufferPool.h"
#include "directory/client/Poisoning.h"
#include "directory/simulated/SimulatedClient.h"
#include "directory/tNDS.h"

#include <QtTest>

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr size_t ListBuffer = 4096;
constexpr size_t ReadBuffer = 64512;

QString Fixture()
{
    return QStringLiteral(VELTRANE_TEST_DATA "/directory-small.json");
}

// A directory of one tree "BIG": O=Big holding `users` users (CN=user0000...) then
// OU=Sub, and CN=many whose Description has `values` values of 40 characters.
QByteArray BigDirectory(int users, int values)
{
    QByteArray json = R"({"trees": [{"name": "BIG", "identity": "CN=user0000.O=Big",
        "schema": {"attributes": [{"name": "CN", "syntax": 3}, {"name": "Description", "syntax": 3}],
                   "classes": [{"name": "Organization", "flags": 3}, {"name": "User", "flags": 2}]},
        "objects": [{"name": "O=Big", "class": "Organization", "children": [)";
    for (int i = 0; i < users; ++i)
        json += QStringLiteral(R"({"name": "CN=user%1", "class": "User", "values": {"CN": ["user%1"]}},)")
                    .arg(i, 4, 10, QLatin1Char('0'))
                    .toUtf8();
    json += R"({"name": "CN=many", "class": "User", "values": {)";
    for (int i = 0; i < values; ++i)
        json += (i ? ",\"" : "\"Description\": [\"") + QByteArray::number(i).rightJustified(40, '.') + '"';
    json += values ? "]" : "";
    json += R"(}}, {"name": "OU=Sub", "class": "Organization"}]}]}]})";
    return json;
}

// The text of one value record, built only from what the area holds; "!" marks a
// reference that points outside the area.
class RecordText
{
public:
    RecordText(const void *area, size_t size) : begin_(static_cast<const char *>(area)), end_(begin_ + size) {}

    QString Text(const char *text)
    {
        if (!Inside(text, 1))
            return QStringLiteral("!");
        const size_t length = strnlen(text, size_t(end_ - text));
        if (text + length == end_)
            return QStringLiteral("!");
        return QString::fromUtf8(text, qsizetype(length));
    }
    QString Hex(const uint8_t *bytes, size_t length)
    {
        if (length > 0 && !Inside(bytes, length))
            return QStringLiteral("!");
        return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(bytes), qsizetype(length)).toHex());
    }

    QString Describe(uint32_t syntax)
    {
        const void *area = begin_;
        switch (syntax) {
        case SYN_CI_LIST: {
            QStringList items;
            for (auto node = static_cast<const CI_List_T *>(area); node; node = node->next) {
                if (!Inside(node, sizeof *node))
                    return QStringLiteral("!");
                items << Text(node->s);
            }
            return items.join(QLatin1Char('|'));
        }
        case SYN_BOOLEAN:
            return QString::number(*static_cast<const Boolean_T *>(area));
        case SYN_INTEGER:
        case SYN_COUNTER:
        case SYN_TIME:
        case SYN_INTERVAL:
            return QString::number(*static_cast<const Integer_T *>(area));
        case SYN_OCTET_STRING: {
            auto value = static_cast<const Octet_String_T *>(area);
            return Hex(value->data, value->length);
        }
        case SYN_FAX_NUMBER: {
            auto value = static_cast<const Fax_Number_T *>(area);
            return Text(value->telephoneNumber) + QLatin1Char('/') + QString::number(value->parameters.numOfBits) +
                   QLatin1Char('/') + Hex(value->parameters.data, value->parameters.numOfBits / 8);
        }
        case SYN_NET_ADDRESS: {
            auto value = static_cast<const Net_Address_T *>(area);
            return QString::number(value->addressType) + QLatin1Char('/') + Hex(value->address, value->addressLength);
        }
        case SYN_OCTET_LIST: {
            QStringList items;
            for (auto node = static_cast<const Octet_List_T *>(area); node; node = node->next) {
                if (!Inside(node, sizeof *node))
                    return QStringLiteral("!");
                items << Hex(node->data, node->length);
            }
            return items.join(QLatin1Char('|'));
        }
        case SYN_EMAIL_ADDRESS: {
            auto value = static_cast<const EMail_Address_T *>(area);
            return QString::number(value->type) + QLatin1Char('/') + Text(value->address);
        }
        case SYN_PATH: {
            auto value = static_cast<const Path_T *>(area);
            return QString::number(value->nameSpaceType) + QLatin1Char('/') + Text(value->volumeName) +
                   QLatin1Char('/') + Text(value->path);
        }
        case SYN_REPLICA_POINTER: {
            auto value = static_cast<const Replica_Pointer_T *>(area);
            const size_t hints = offsetof(Replica_Pointer_T, replicaAddressHint);
            if (!Inside(begin_ + hints, value->count * sizeof(Net_Address_T)))
                return QStringLiteral("!");
            return Text(value->serverName) + QLatin1Char('/') + QString::number(value->replicaType) + QLatin1Char('/') +
                   QString::number(value->replicaNumber) + QLatin1Char('/') + QString::number(value->count);
        }
        case SYN_OBJECT_ACL: {
            auto value = static_cast<const Object_ACL_T *>(area);
            return Text(value->protectedAttrName) + QLatin1Char('/') + Text(value->subjectName) + QLatin1Char('/') +
                   QString::number(value->privileges);
        }
        case SYN_PO_ADDRESS: {
            QStringList lines;
            for (const char *line : static_cast<const Postal_Address_T *>(area)->line)
                lines << Text(line);
            return lines.join(QLatin1Char('|'));
        }
        case SYN_TIMESTAMP: {
            auto value = static_cast<const NWDS_TimeStamp_T *>(area);
            return QString::number(value->wholeSeconds) + QLatin1Char('/') + QString::number(value->eventID);
        }
        case SYN_STREAM:
            return QString::number(static_cast<const Stream_T *>(area)->length);
        case SYN_BACK_LINK: {
            auto value = static_cast<const Back_Link_T *>(area);
            return QString::number(value->remoteID) + QLatin1Char('/') + Text(value->objectName);
        }
        case SYN_TYPED_NAME: {
            auto value = static_cast<const Typed_Name_T *>(area);
            return Text(value->objectName) + QLatin1Char('/') + QString::number(value->level) + QLatin1Char('/') +
                   QString::number(value->interval);
        }
        case SYN_HOLD: {
            auto value = static_cast<const Hold_T *>(area);
            return Text(value->objectName) + QLatin1Char('/') + QString::number(value->amount);
        }
        default:
            return Text(static_cast<const char *>(area));
        }
    }

private:
    bool Inside(const void *at, size_t length) const
    {
        const char *p = static_cast<const char *>(at);
        return p >= begin_ && p <= end_ && length <= size_t(end_ - p);
    }

    const char *begin_;
    const char *end_;
};

struct Listing {
    NWDSCCODE result = 0;
    int batches = 0;
    QStringList names;
    QList<Object_Info_T> infos;
};

struct Values {
    NWDSCCODE result = 0;
    uint32_t syntax = 0;
    QStringList texts;
    int batches = 0;
};

} // namespace

class TestSimulatedClient : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<SimulatedClient> client_;
    NWDSContextHandle context_ = 0;

    static std::unique_ptr<SimulatedClient> Open(const QByteArray &json)
    {
        QString error;
        auto client = SimulatedClient::FromBytes(json, QStringLiteral("test.json"), &error);
        if (!client)
            qWarning("%s", qPrintable(error));
        return client;
    }

    NWDSContextHandle NewContext(uint32_t flags)
    {
        const NWDSContextHandle context = client_->NWDSCreateContext();
        client_->NWDSSetContext(context, DCK_FLAGS, &flags);
        return context;
    }

    // Lists object through the whole iteration, as the listing primitive does.
    Listing ListAll(NWClient &client, NWDSContextHandle context, const char *object, size_t bufferSize,
                    bool containersOnly = false)
    {
        Listing listing;
        Buf_T *buffer = nullptr;
        client.NWDSAllocBuf(bufferSize, &buffer);
        int32_t handle = -1;
        do {
            listing.result = containersOnly ? client.NWDSListContainers(context, object, &handle, buffer)
                                            : client.NWDSList(context, object, &handle, buffer);
            if (listing.result != 0 || ++listing.batches > 100000)
                break;
            uint32_t count = 0;
            listing.result = client.NWDSGetObjectCount(context, buffer, &count);
            for (uint32_t i = 0; i < count && listing.result == 0; ++i) {
                char name[MAX_DN_BYTES] = {};
                uint32_t attributes = 0;
                Object_Info_T info{};
                listing.result = client.NWDSGetObjectName(context, buffer, name, sizeof name, &attributes, &info);
                listing.names << QString::fromUtf8(name);
                listing.infos << info;
            }
        } while (listing.result == 0 && handle != -1);
        client.NWDSFreeBuf(buffer);
        return listing;
    }

    // Reads one attribute's values (or all attributes with attribute null) into texts.
    Values ReadAll(NWDSContextHandle context, const char *object, const char *attribute, size_t bufferSize = ReadBuffer)
    {
        Values values;
        Buf_T *request = nullptr;
        Buf_T *result = nullptr;
        client_->NWDSAllocBuf(ListBuffer, &request);
        client_->NWDSAllocBuf(bufferSize, &result);
        client_->NWDSInitBuf(context, DSV_READ, request);
        if (attribute)
            client_->NWDSPutAttrName(context, request, attribute);
        int32_t handle = -1;
        do {
            values.result =
                client_->NWDSRead(context, object, DS_ATTRIBUTE_VALUES, !attribute, request, &handle, result);
            ++values.batches;
            uint32_t count = 0;
            if (values.result == 0)
                values.result = client_->NWDSGetAttrCount(context, result, &count);
            for (uint32_t a = 0; a < count && values.result == 0; ++a) {
                char name[MAX_SCHEMA_NAME_BYTES] = {};
                uint32_t valueCount = 0;
                values.result =
                    client_->NWDSGetAttrName(context, result, name, sizeof name, &valueCount, &values.syntax);
                for (uint32_t v = 0; v < valueCount && values.result == 0; ++v) {
                    size_t size = 0;
                    values.result = client_->NWDSComputeAttrValSize(context, result, values.syntax, &size);
                    if (values.result != 0)
                        break;
                    void *area = std::malloc(size);
                    values.result = client_->NWDSGetAttrVal(context, result, values.syntax, area);
                    if (values.result == 0)
                        values.texts << RecordText(area, size).Describe(values.syntax);
                    std::free(area);
                }
            }
        } while (values.result == 0 && handle != -1);
        client_->NWDSFreeBuf(request);
        client_->NWDSFreeBuf(result);
        return values;
    }

private slots:
    // A buffer made again from one freed is a new buffer: nothing of its last use shows.
    void buffersFreedComeBackNew()
    {
        BufferPool pool;
        Buf_T *first = pool.Allocate(64);
        first->Start(Buf_T::Content::AttributeValues, 7);
        QVERIFY(first->PutText("Surname"));
        first->tree = 3;
        first->object = 9;
        first->itemsLeft = 2;
        first->itemAttribute = "Surname";
        pool.Free(first);
#ifdef VELTRANE_ASAN
        QVERIFY(__asan_address_is_poisoned(first));
#endif
        Buf_T *again = pool.Allocate(64);
        QCOMPARE(again->Size(), size_t(64));
        QCOMPARE(again->Length(), size_t(0));
        QVERIFY(again->content == Buf_T::Content::Empty);
        QCOMPARE(again->operation, 0u);
        QCOMPARE(again->tree, -1);
        QCOMPARE(again->object, int64_t(-1));
        QCOMPARE(again->itemsLeft, 0u);
        QVERIFY(again->itemAttribute.empty());
        Buf_T *other = pool.Allocate(32);
        QCOMPARE(other->Size(), size_t(32));
        QVERIFY(other != again);
        pool.Free(other);
        pool.Free(again);
    }

    // An area kept from value to value ends where the value asked for ends.
    void valueAreasEndAtTheSizeAskedFor()
    {
        ValueArea area;
        std::memset(area.Get(10), 1, 10);
        std::byte *const large = area.Get(1000);
        std::memset(large, 2, 1000);
        std::byte *const again = area.Get(3);
        QCOMPARE(again, large);
        std::memset(again, 3, 3);
#ifdef VELTRANE_ASAN
        QVERIFY(!__asan_address_is_poisoned(again + 2));
        QVERIFY(__asan_address_is_poisoned(again + 3));
        QVERIFY(__asan_address_is_poisoned(again + 999));
#endif
    }

    void init()
    {
        QString error;
        client_ = SimulatedClient::FromFile(Fixture(), &error);
        QVERIFY2(client_, qPrintable(error));
        QCOMPARE(client_->NWCallsInit(nullptr, nullptr), 0);
        context_ = client_->NWDSCreateContext();
        QVERIFY(context_ > 0 && context_ != ERR_CONTEXT_CREATION);
    }

    void newContextIsOnPrimaryTreeAtDefaultContextWithTypedNames()
    {
        uint32_t flags = 0xFFFF;
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client_->NWDSGetContext(context_, DCK_FLAGS, &flags), 0);
        QCOMPARE(flags & DCV_TYPELESS_NAMES, 0u);
        QCOMPARE(client_->NWDSGetContext(context_, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("O=Acme"));
        QCOMPARE(client_->NWDSGetContext(context_, DCK_TREE_NAME, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("ACME"));
        QCOMPARE(client_->NWDSGetContext(context_, 99, text), ERR_BAD_KEY);
    }

    void contextKeysAndDuplicates()
    {
        const uint32_t flags = DCV_TYPELESS_NAMES;
        const uint32_t confidence = 2;
        QCOMPARE(client_->NWDSSetContext(context_, DCK_FLAGS, &flags), 0);
        QCOMPARE(client_->NWDSSetContext(context_, DCK_CONFIDENCE, &confidence), 0);
        QCOMPARE(client_->NWDSSetContext(context_, DCK_NAME_CONTEXT, "sales.ACME"), 0);
        NWDSContextHandle copy = 0;
        QCOMPARE(client_->NWDSDuplicateContextHandle(context_, &copy), 0);
        QVERIFY(copy != context_);
        uint32_t read = 0;
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client_->NWDSGetContext(copy, DCK_CONFIDENCE, &read), 0);
        QCOMPARE(read, confidence);
        QCOMPARE(client_->NWDSGetContext(copy, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("Sales.Acme"));
        // The copy is independent of its source.
        QCOMPARE(client_->NWDSSetContext(copy, DCK_NAME_CONTEXT, "[root]"), 0);
        QCOMPARE(client_->NWDSGetContext(copy, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("[Root]"));
        QCOMPARE(client_->NWDSGetContext(context_, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("Sales.Acme"));
        QCOMPARE(client_->NWDSFreeContext(copy), 0);
        QCOMPARE(client_->NWDSGetContext(copy, DCK_FLAGS, &read), ERR_BAD_CONTEXT);
        QCOMPARE(client_->NWDSFreeContext(copy), ERR_BAD_CONTEXT);
        QCOMPARE(client_->NWDSGetContext(0, DCK_FLAGS, &read), ERR_BAD_CONTEXT);
        QCOMPARE(client_->NWDSGetContext(-7, DCK_FLAGS, &read), ERR_BAD_CONTEXT);
    }

    void settingAnUnknownNameOrTreeFails()
    {
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client_->NWDSSetContext(context_, DCK_NAME_CONTEXT, "Nowhere.Acme"), ERR_NO_SUCH_ENTRY);
        QCOMPARE(client_->NWDSGetContext(context_, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("O=Acme"));
        QCOMPARE(client_->NWDSSetContext(context_, DCK_TREE_NAME, "NOSUCHTREE"), ERR_CONNECTION_UNKNOWN);
        QCOMPARE(client_->NWDSSetContext(context_, DCK_TREE_NAME, "lab___"), 0);
        QCOMPARE(client_->NWDSGetContext(context_, DCK_TREE_NAME, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("LAB"));
        QCOMPARE(client_->NWDSGetContext(context_, DCK_NAME_CONTEXT, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("[Root]"));
        QCOMPARE(client_->NWDSGetDefNameContext(context_, MAX_DN_BYTES, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("[Root]"));
        QCOMPARE(client_->NWDSWhoAmi(context_, text, sizeof text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("Guest"));
    }

    void handle328IsNeverHandedOut()
    {
        std::vector<NWDSContextHandle> handles;
        for (int i = 0; i < 400; ++i) {
            handles.push_back(client_->NWDSCreateContext());
            QVERIFY(handles.back() != ERR_CONTEXT_CREATION && handles.back() > 0);
        }
        uint32_t flags = 0;
        QCOMPARE(client_->NWDSGetContext(ERR_CONTEXT_CREATION, DCK_FLAGS, &flags), ERR_BAD_CONTEXT);
        for (const NWDSContextHandle handle : handles)
            QCOMPARE(client_->NWDSFreeContext(handle), 0);
    }

    void identityAndDefaultContextFollowTheFlags()
    {
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client_->NWDSWhoAmi(context_, text, sizeof text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("CN=Admin.O=Acme"));
        const uint32_t flags = DCV_TYPELESS_NAMES;
        client_->NWDSSetContext(context_, DCK_FLAGS, &flags);
        QCOMPARE(client_->NWDSWhoAmi(context_, text, sizeof text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("Admin.Acme"));
        QCOMPARE(client_->NWDSGetDefNameContext(context_, 256, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("Acme"));
        QCOMPARE(client_->NWDSWhoAmi(context_, text, 5), ERR_INSUFFICIENT_BUFFER);
    }

    void namesInEveryForm_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::newRow("typed") << "CN=jdoe.OU=Sales.O=Acme" << true;
        QTest::newRow("typeless") << "jdoe.Sales.Acme" << true;
        QTest::newRow("other case") << "JDOE.sales.ACME" << true;
        QTest::newRow("types in other case") << "cn=JDoe.ou=SALES.o=acme" << true;
        QTest::newRow("leading dot") << ".jdoe.Sales.Acme" << true;
        QTest::newRow("mixed") << "CN=jdoe.Sales.O=Acme" << true;
        QTest::newRow("root at the end") << "jdoe.Sales.Acme.[ROOT]" << true;
        QTest::newRow("wrong type") << "OU=jdoe.Sales.Acme" << false;
        QTest::newRow("relative") << "jdoe.Sales" << false;
        QTest::newRow("empty part") << "jdoe..Acme" << false;
        QTest::newRow("empty part after the first") << "jdoe..Sales.Acme" << false;
        QTest::newRow("two leading dots") << "..jdoe.Sales.Acme" << false;
        QTest::newRow("root first") << "[Root].Sales.Acme" << false;
        QTest::newRow("one part and a dot") << "Acme." << false;
        QTest::newRow("trailing dot") << "jdoe.Sales.Acme." << false;
    }

    void namesInEveryForm()
    {
        QFETCH(QString, name);
        QFETCH(bool, found);
        const Values values = ReadAll(context_, name.toUtf8().constData(), "CN");
        QCOMPARE(values.result, found ? 0 : ERR_NO_SUCH_ENTRY);
        if (found)
            QCOMPARE(values.texts, QStringList{QStringLiteral("jdoe")});
    }

    void listingHandsOutLeafNamesAsTheFlagsAsk()
    {
        const NWDSContextHandle typed = NewContext(DCV_CANONICALIZE_NAMES);
        QCOMPARE(client_->NWDSSetContext(typed, DCK_NAME_CONTEXT, "Sales.Acme"), 0);
        Listing listing = ListAll(*client_, typed, ".Sales.Acme", ListBuffer);
        QCOMPARE(listing.result, 0);
        QCOMPARE(listing.names, (QStringList{"CN=jdoe", "CN=asmith", "OU=East"}));
        QCOMPARE(QString::fromUtf8(listing.infos[0].BaseClass), QStringLiteral("User"));
        QCOMPARE(listing.infos[0].EntryFlags & DS_CONTAINER_ENTRY, 0u);
        QCOMPARE(listing.infos[2].EntryFlags & DS_CONTAINER_ENTRY, DS_CONTAINER_ENTRY);
        QCOMPARE(listing.infos[2].SubordinateCount, 1u);

        const NWDSContextHandle typeless = NewContext(DCV_TYPELESS_NAMES);
        QCOMPARE(client_->NWDSSetContext(typeless, DCK_NAME_CONTEXT, "Sales.Acme"), 0);
        listing = ListAll(*client_, typeless, "OU=Sales.O=Acme", ListBuffer);
        QCOMPARE(listing.names, (QStringList{"jdoe", "asmith", "East"}));
    }

    void listedNamesAreRelativeToTheNameContext()
    {
        const NWDSContextHandle context = NewContext(DCV_TYPELESS_NAMES);
        QCOMPARE(ListAll(*client_, context, "Sales.Acme", ListBuffer).names,
                 (QStringList{"jdoe.Sales", "asmith.Sales", "East.Sales"}));
        client_->NWDSSetContext(context, DCK_NAME_CONTEXT, "[Root]");
        QCOMPARE(ListAll(*client_, context, "East.Sales.Acme", ListBuffer).names, QStringList{"bob.East.Sales.Acme"});
        client_->NWDSSetContext(context, DCK_NAME_CONTEXT, "Empty.Acme");
        QCOMPARE(ListAll(*client_, context, "East.Sales.Acme", ListBuffer).names, QStringList{".bob.East.Sales.Acme"});
        QCOMPARE(ListAll(*client_, context, "[root]", ListBuffer).names, (QStringList{".Acme", ".Other"}));
    }

    void listingContainersOnlyAndEmptyContainers()
    {
        const NWDSContextHandle context = NewContext(DCV_TYPELESS_NAMES);
        client_->NWDSSetContext(context, DCK_NAME_CONTEXT, "Acme");
        QCOMPARE(ListAll(*client_, context, "Acme", ListBuffer, true).names, (QStringList{"Sales", "Empty"}));
        const Listing empty = ListAll(*client_, context, "Empty.Acme", ListBuffer);
        QCOMPARE(empty.result, 0);
        QCOMPARE(empty.batches, 1);
        QVERIFY(empty.names.isEmpty());
        QCOMPARE(ListAll(*client_, context, "Nowhere.Acme", ListBuffer).result, ERR_NO_SUCH_ENTRY);
    }

    void listingComesInBatchesThatFitTheBuffer()
    {
        client_ = Open(BigDirectory(1000, 0));
        QVERIFY(client_);
        const NWDSContextHandle context = NewContext(DCV_TYPELESS_NAMES);
        client_->NWDSSetContext(context, DCK_NAME_CONTEXT, "Big");
        Buf_T *buffer = nullptr;
        QCOMPARE(client_->NWDSAllocBuf(ListBuffer, &buffer), 0);
        int32_t handle = -1;
        QStringList names;
        int batches = 0;
        do {
            QCOMPARE(client_->NWDSList(context, "Big", &handle, buffer), 0);
            ++batches;
            uint32_t count = 0;
            QCOMPARE(client_->NWDSGetObjectCount(context, buffer, &count), 0);
            QVERIFY(count > 10 && count < 200);
            for (uint32_t i = 0; i < count; ++i) {
                char name[256];
                QCOMPARE(client_->NWDSGetObjectName(context, buffer, name, sizeof name, nullptr, nullptr), 0);
                names << QString::fromUtf8(name);
            }
            char name[256];
            QCOMPARE(client_->NWDSGetObjectName(context, buffer, name, sizeof name, nullptr, nullptr),
                     ERR_BUFFER_EMPTY);
        } while (handle != -1);
        client_->NWDSFreeBuf(buffer);
        QVERIFY(batches > 5);
        QCOMPARE(names.size(), 1002);
        QCOMPARE(names.first(), QStringLiteral("user0000"));
        QCOMPARE(names[999], QStringLiteral("user0999"));
        QCOMPARE(names.last(), QStringLiteral("Sub"));
    }

    void badIterationHandlesAreRefused_data()
    {
        QTest::addColumn<int>("handle");
        QTest::newRow("negative") << -2;
        QTest::newRow("past the end") << 5;
        QTest::newRow("large") << 0x7FFFFFFF;
    }

    void badIterationHandlesAreRefused()
    {
        QFETCH(int, handle);
        Buf_T *buffer = nullptr;
        client_->NWDSAllocBuf(ReadBuffer, &buffer);
        int32_t iteration = handle;
        QCOMPARE(client_->NWDSList(context_, "Sales.Acme", &iteration, buffer), ERR_INVALID_HANDLE);
        iteration = handle;
        QCOMPARE(client_->NWDSRead(context_, "Acme", DS_ATTRIBUTE_VALUES, true, nullptr, &iteration, buffer),
                 ERR_INVALID_HANDLE);
        iteration = handle == 5 ? 50 : handle;
        QCOMPARE(client_->NWDSReadClassDef(context_, DS_EXPANDED_CLASS_DEFS, true, nullptr, &iteration, buffer),
                 ERR_INVALID_HANDLE);
        client_->NWDSFreeBuf(buffer);
    }

    void anEmptyBatchInTheMiddleKeepsTheListingGoing()
    {
        client_ = Open(BigDirectory(300, 0));
        QVERIFY(client_);
        DirectoryFault fault;
        fault.function = QStringLiteral("NWDSList");
        fault.object = QStringLiteral("o=big");
        fault.from = 2;
        fault.emptyBatch = true;
        QVERIFY(client_->AddFault(fault));
        const NWDSContextHandle context = NewContext(DCV_TYPELESS_NAMES);
        client_->NWDSSetContext(context, DCK_NAME_CONTEXT, "Big");
        Buf_T *buffer = nullptr;
        client_->NWDSAllocBuf(ListBuffer, &buffer);
        int32_t handle = -1;
        QList<uint32_t> counts;
        QStringList names;
        do {
            QCOMPARE(client_->NWDSList(context, ".Big", &handle, buffer), 0);
            uint32_t count = 0;
            QCOMPARE(client_->NWDSGetObjectCount(context, buffer, &count), 0);
            counts << count;
            for (uint32_t i = 0; i < count; ++i) {
                char name[256];
                QCOMPARE(client_->NWDSGetObjectName(context, buffer, name, sizeof name, nullptr, nullptr), 0);
                names << QString::fromUtf8(name);
            }
        } while (handle != -1);
        client_->NWDSFreeBuf(buffer);
        QCOMPARE(counts[1], 0u);
        QVERIFY(counts[2] > 0);
        QCOMPARE(names.size(), 302);
        QCOMPARE(names.removeDuplicates(), 0);
    }

    void listingThroughTheConnection()
    {
        client_ = Open(BigDirectory(500, 0));
        QVERIFY(client_);
        tNDS directory(*client_);
        QCOMPARE(directory.LastError, 0);
        QCOMPARE(directory.CurrentContext, QStringLiteral("[Root]"));
        QCOMPARE(directory.UserName, QStringLiteral("user0000.Big"));
        QVERIFY(directory.ChangeContext(QStringLiteral("big")));
        QCOMPARE(directory.GetContainers(), (QStringList{"..", "Sub"}));
        QStringList found;
        directory.EnumObjects(
            QStringLiteral("Big"), true, 0,
            [&found](const QString &container, const TNDSObj &entry, int32_t, bool &) {
                found << entry.EntryName + QLatin1Char('.') + container;
            },
            QStringLiteral("User"));
        QCOMPARE(found.size(), 501);
        QCOMPARE(found.first(), QStringLiteral("user0000.Big"));
    }

    void valueRecordsOfEverySyntax_data()
    {
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<uint32_t>("syntax");
        QTest::addColumn<QStringList>("texts");
        const auto row = [](const char *attribute, uint32_t syntax, const QStringList &texts) {
            QTest::newRow(attribute) << QString::fromUtf8(attribute) << syntax << texts;
        };
        row("Member", SYN_DIST_NAME, {"CN=asmith.OU=Sales.O=Acme"});
        row("Given Name", SYN_CE_STRING, {"John"});
        row("Surname", SYN_CI_STRING, {"Doe"});
        row("Printable", SYN_PR_STRING, {"PRINT-1"});
        row("Numeric", SYN_NU_STRING, {"12 34"});
        row("Language", SYN_CI_LIST, {QStringLiteral("ENGLISH|FRAN\u00c7AIS")});
        row("Login Disabled", SYN_BOOLEAN, {"1", "0", "2"});
        row("Login Grace Limit", SYN_INTEGER, {"6", "-2147483648"});
        row("Public Key", SYN_OCTET_STRING, {"00ff10ab", "68c3a96c6c6f"});
        row("Telephone Number", SYN_TEL_NUMBER, {"+1 555 0101"});
        row("Facsimile Telephone Number", SYN_FAX_NUMBER, {"+1 555 0199/0/", "+1 555 0198/16/0102"});
        row("Network Address", SYN_NET_ADDRESS, {"9/0a000001"});
        row("Octets", SYN_OCTET_LIST,
            {QString::fromLatin1(QByteArray(R"({ "hex": "01" })").toHex()) + QStringLiteral("|6162"), "706c61696e",
             ""});
        row("EMail Address", SYN_EMAIL_ADDRESS, {"1/jdoe@acme.example"});
        row("Home Directory", SYN_PATH, {"4/CN=VOL1.O=Acme/home\\jdoe"});
        row("Replica", SYN_REPLICA_POINTER, {"CN=FS1.O=Acme/1/3/2"});
        row("ACL", SYN_OBJECT_ACL, {"[Entry Rights]/CN=Admin.O=Acme/31"});
        row("Postal Address", SYN_PO_ADDRESS, {"Acme Inc.|1 Main St||Springfield||USA"});
        row("Last Change", SYN_TIMESTAMP, {"1700000000/7"});
        row("Object Class", SYN_CLASS_NAME, {"User", "Top"});
        row("Login Script", SYN_STREAM, {"31"});
        row("Login Count", SYN_COUNTER, {"42"});
        row("Back Link", SYN_BACK_LINK, {"123456/CN=FS1.O=Acme"});
        row("Login Time", SYN_TIME, {"0", "1700000000"});
        row("Typed Name", SYN_TYPED_NAME, {"CN=Admin.O=Acme/2/60"});
        row("Hold", SYN_HOLD, {"CN=Server.O=Acme/500"});
        row("Login Interval", SYN_INTERVAL, {"3661"});
        row("Unknown Zero", SYN_UNKNOWN, {"raw"});
        row("Syntax Thirty", 30, {R"({ "any": [1, 2] })"});
    }

    void valueRecordsOfEverySyntax()
    {
        QFETCH(QString, attribute);
        QFETCH(uint32_t, syntax);
        QFETCH(QStringList, texts);
        const Values values = ReadAll(context_, "jdoe.sales.acme", attribute.toUtf8().constData());
        QCOMPARE(values.result, 0);
        QCOMPARE(values.syntax, syntax);
        QCOMPARE(values.texts, texts);
    }

    void valueCallsCheckTheSyntaxAndTheEnd()
    {
        Buf_T *request = nullptr;
        Buf_T *result = nullptr;
        client_->NWDSAllocBuf(ListBuffer, &request);
        client_->NWDSAllocBuf(ReadBuffer, &result);
        client_->NWDSInitBuf(context_, DSV_READ, request);
        client_->NWDSPutAttrName(context_, request, "login grace limit");
        int32_t handle = -1;
        QCOMPARE(client_->NWDSRead(context_, "jdoe.Sales.Acme", DS_ATTRIBUTE_VALUES, false, request, &handle, result),
                 0);
        QCOMPARE(handle, -1);
        uint32_t count = 0;
        uint32_t values = 0;
        uint32_t syntax = 0;
        char name[MAX_SCHEMA_NAME_BYTES];
        QCOMPARE(client_->NWDSGetAttrCount(context_, result, &count), 0);
        QCOMPARE(count, 1u);
        QCOMPARE(client_->NWDSGetAttrName(context_, result, name, 5, &values, &syntax), ERR_INSUFFICIENT_BUFFER);
        client_->NWDSGetAttrCount(context_, result, &count);
        QCOMPARE(client_->NWDSGetAttrName(context_, result, name, sizeof name, &values, &syntax), 0);
        QCOMPARE(QString::fromUtf8(name), QStringLiteral("Login Grace Limit"));
        size_t size = 0;
        QCOMPARE(client_->NWDSComputeAttrValSize(context_, result, SYN_CI_STRING, &size), ERR_BAD_SYNTAX);
        Integer_T number = 0;
        QCOMPARE(client_->NWDSGetAttrVal(context_, result, syntax, &number), 0);
        QCOMPARE(client_->NWDSGetAttrVal(context_, result, syntax, &number), 0);
        QCOMPARE(number, INT32_MIN);
        QCOMPARE(client_->NWDSGetAttrVal(context_, result, syntax, &number), ERR_BUFFER_EMPTY);
        QCOMPARE(client_->NWDSGetAttrName(context_, result, name, sizeof name, &values, &syntax), ERR_BUFFER_EMPTY);
        QCOMPARE(client_->NWDSGetObjectCount(context_, result, &count), ERR_BAD_VERB);
        client_->NWDSFreeBuf(request);
        client_->NWDSFreeBuf(result);
    }

    void readingNamesOnly()
    {
        Buf_T *result = nullptr;
        client_->NWDSAllocBuf(ReadBuffer, &result);
        int32_t handle = -1;
        QCOMPARE(client_->NWDSRead(context_, "asmith.sales.acme", DS_ATTRIBUTE_NAMES, true, nullptr, &handle, result),
                 0);
        QCOMPARE(handle, -1);
        uint32_t count = 0;
        QCOMPARE(client_->NWDSGetAttrCount(context_, result, &count), 0);
        QStringList names;
        for (uint32_t i = 0; i < count; ++i) {
            char name[MAX_SCHEMA_NAME_BYTES];
            uint32_t values = 99;
            uint32_t syntax = 0;
            QCOMPARE(client_->NWDSGetAttrName(context_, result, name, sizeof name, &values, &syntax), 0);
            QCOMPARE(values, 0u);
            QCOMPARE(syntax, uint32_t(SYN_CI_STRING));
            names << QString::fromUtf8(name);
        }
        QCOMPARE(names, (QStringList{"CN", "Surname"}));
        client_->NWDSFreeBuf(result);
    }

    void readingWhatIsNotThere_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("attribute");
        QTest::addColumn<int>("result");
        QTest::newRow("attribute the object lacks") << "asmith.Sales.Acme"
                                                    << "Title" << ERR_NO_SUCH_ATTRIBUTE;
        QTest::newRow("attribute the schema lacks") << "asmith.Sales.Acme"
                                                    << "Shoe Size" << ERR_NO_SUCH_ATTRIBUTE;
        QTest::newRow("unknown object") << "nobody.Sales.Acme"
                                        << "CN" << ERR_NO_SUCH_ENTRY;
        QTest::newRow("the top") << "[Root]"
                                 << "CN" << ERR_NO_SUCH_ENTRY;
    }

    void readingWhatIsNotThere()
    {
        QFETCH(QString, object);
        QFETCH(QString, attribute);
        QFETCH(int, result);
        QCOMPARE(ReadAll(context_, object.toUtf8().constData(), attribute.toUtf8().constData()).result, result);
    }

    void valuesThatDoNotFitContinueInTheNextBatch()
    {
        client_ = Open(BigDirectory(1, 3000));
        QVERIFY(client_);
        const NWDSContextHandle context = client_->NWDSCreateContext();
        const Values values = ReadAll(context, "many.big", "Description");
        QCOMPARE(values.result, 0);
        QVERIFY(values.batches >= 2);
        QCOMPARE(values.texts.size(), 3000);
        QCOMPARE(values.texts.first(), QString(39, QLatin1Char('.')) + QLatin1Char('0'));
        QCOMPARE(values.texts.last(), QString(36, QLatin1Char('.')) + QStringLiteral("2999"));
        // All attributes, by hand-sized batches.
        const Values all = ReadAll(context, "many.big", nullptr, 1000);
        QCOMPARE(all.result, 0);
        QCOMPARE(all.texts.size(), 3000);
        QVERIFY(all.batches > 100);
    }

    void aValueLargerThanAnEmptyBufferIsRefused()
    {
        QCOMPARE(ReadAll(context_, "jdoe.Sales.Acme", "Postal Address", 40).result, ERR_INSUFFICIENT_BUFFER);
        QCOMPARE(ListAll(*client_, context_, "Sales.Acme", 30).result, ERR_INSUFFICIENT_BUFFER);
    }

    void streamsComeThroughARealDescriptor()
    {
        int fd = -1;
        QCOMPARE(client_->NWDSOpenStream(context_, "CN=jdoe.OU=Sales.O=Acme", "login script", 1, &fd), 0);
        QVERIFY(fd >= 0);
        char bytes[100] = {};
        const ssize_t count = read(fd, bytes, sizeof bytes);
        QCOMPARE(close(fd), 0);
        QCOMPARE(QByteArray(bytes, int(count)), QByteArray("MAP H:=FS1\\VOL1:\r\nWRITE hello\r\n"));
        QCOMPARE(client_->NWDSOpenStream(context_, "asmith.Sales.Acme", "Login Script", 1, &fd), ERR_NO_SUCH_ATTRIBUTE);
        QCOMPARE(client_->NWDSOpenStream(context_, "nobody.Acme", "Login Script", 1, &fd), ERR_NO_SUCH_ENTRY);
    }

    void expandedClassDefinitions()
    {
        Buf_T *request = nullptr;
        Buf_T *result = nullptr;
        client_->NWDSAllocBuf(ListBuffer, &request);
        client_->NWDSAllocBuf(ReadBuffer, &result);
        QCOMPARE(client_->NWDSInitBuf(context_, DSV_READ_CLASS_DEF, request), 0);
        QCOMPARE(client_->NWDSPutClassName(context_, request, "user"), 0);
        int32_t handle = -1;
        QCOMPARE(client_->NWDSReadClassDef(context_, DS_EXPANDED_CLASS_DEFS, false, request, &handle, result), 0);
        QCOMPARE(handle, -1);
        uint32_t count = 0;
        QCOMPARE(client_->NWDSGetClassDefCount(context_, result, &count), 0);
        QCOMPARE(count, 1u);
        char name[MAX_SCHEMA_NAME_BYTES];
        Class_Info_T info{};
        QCOMPARE(client_->NWDSGetClassDef(context_, result, name, sizeof name, &info), 0);
        QCOMPARE(QString::fromUtf8(name), QStringLiteral("User"));
        QCOMPARE(info.classFlags, DS_EFFECTIVE_CLASS);
        QList<QStringList> lists;
        for (int list = 0; list < 5; ++list) {
            uint32_t items = 0;
            QCOMPARE(client_->NWDSGetClassItemCount(context_, result, &items), 0);
            lists << QStringList();
            for (uint32_t i = 0; i < items; ++i) {
                QCOMPARE(client_->NWDSGetClassItem(context_, result, name, sizeof name), 0);
                lists.last() << QString::fromUtf8(name);
            }
        }
        uint32_t items = 0;
        QCOMPARE(client_->NWDSGetClassItemCount(context_, result, &items), ERR_BUFFER_EMPTY);
        QCOMPARE(lists[0], (QStringList{"Organizational Person", "Person", "Top"}));
        QCOMPARE(lists[1], (QStringList{"Organization", "Organizational Unit"}));
        QCOMPARE(lists[2], QStringList{"CN"});
        QCOMPARE(lists[3], (QStringList{"CN", "Surname"}));
        QCOMPARE(lists[4], (QStringList{"Login Grace Limit", "Login Script", "Title", "Postal Address",
                                        "Telephone Number", "Object Class", "ACL", "Back Link"}));

        client_->NWDSInitBuf(context_, DSV_READ_CLASS_DEF, request);
        client_->NWDSPutClassName(context_, request, "Unicorn");
        handle = -1;
        QCOMPARE(client_->NWDSReadClassDef(context_, DS_EXPANDED_CLASS_DEFS, false, request, &handle, result),
                 ERR_NO_SUCH_CLASS);
        client_->NWDSFreeBuf(request);
        client_->NWDSFreeBuf(result);
    }

    void schemaReadsComeInBatches()
    {
        Buf_T *result = nullptr;
        client_->NWDSAllocBuf(300, &result);
        QStringList classes;
        int batches = 0;
        int32_t handle = -1;
        do {
            QCOMPARE(client_->NWDSReadClassDef(context_, DS_EXPANDED_CLASS_DEFS, true, nullptr, &handle, result), 0);
            ++batches;
            uint32_t count = 0;
            client_->NWDSGetClassDefCount(context_, result, &count);
            for (uint32_t i = 0; i < count; ++i) {
                char name[MAX_SCHEMA_NAME_BYTES];
                // Item lists left unread are stepped over.
                QCOMPARE(client_->NWDSGetClassDef(context_, result, name, sizeof name, nullptr), 0);
                classes << QString::fromUtf8(name);
            }
        } while (handle != -1);
        QVERIFY(batches > 1);
        QCOMPARE(classes, (QStringList{"Top", "Organization", "Organizational Unit", "Person", "Organizational Person",
                                       "User"}));

        QStringList hidden;
        int attributes = 0;
        batches = 0;
        handle = -1;
        do {
            QCOMPARE(client_->NWDSReadAttrDef(context_, DS_ATTR_DEFS, true, nullptr, &handle, result), 0);
            ++batches;
            uint32_t count = 0;
            QCOMPARE(client_->NWDSGetAttrCount(context_, result, &count), 0);
            for (uint32_t i = 0; i < count; ++i, ++attributes) {
                char name[MAX_SCHEMA_NAME_BYTES];
                Attr_Info_T info{};
                QCOMPARE(client_->NWDSGetAttrDef(context_, result, name, sizeof name, &info), 0);
                if (info.attrFlags & DS_HIDDEN_ATTR)
                    hidden << QString::fromUtf8(name) + QLatin1Char('/') + QString::number(info.attrSyntaxID);
            }
        } while (handle != -1);
        QVERIFY(batches > 1);
        QCOMPARE(attributes, 34);
        QCOMPARE(hidden, QStringList{"Hidden Thing/3"});
        client_->NWDSFreeBuf(result);
    }

    void faultsReproduceFailingStarts_data()
    {
        QTest::addColumn<QString>("function");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("lastError");
        QTest::addColumn<bool>("hasContext");
        QTest::newRow("client start") << "NWCallsInit" << -1 << -1 << false;
        QTest::newRow("context creation") << "NWDSCreateContext" << 328 << -1 << false;
        QTest::newRow("identity") << "NWDSWhoAmi" << -601 << -601 << true;
    }

    void faultsReproduceFailingStarts()
    {
        QFETCH(QString, function);
        QFETCH(int, result);
        QFETCH(int, lastError);
        QFETCH(bool, hasContext);
        DirectoryFault fault;
        fault.function = function;
        fault.result = result;
        QVERIFY(client_->AddFault(fault));
        QStringList reports;
        tNDS directory(*client_, DirectoryHooks{[&reports](const QString &text) { reports << text; }, {}, {}});
        QCOMPARE(directory.LastError, lastError);
        QCOMPARE(directory.ClassDefs != nullptr, hasContext);
        QCOMPARE(reports.size(), 1);
    }

    void faultsMatchObjectAttributeAndCount()
    {
        DirectoryFault fault;
        fault.function = QStringLiteral("NWDSGetAttrVal");
        fault.object = QStringLiteral("jdoe.SALES.acme");
        fault.attribute = QStringLiteral("LOGIN DISABLED");
        fault.result = -777;
        fault.from = 3;
        QVERIFY(client_->AddFault(fault));
        Values values = ReadAll(context_, "CN=jdoe.OU=Sales.O=Acme", "Login Disabled");
        QCOMPARE(values.result, -777);
        QCOMPARE(values.texts, (QStringList{"1", "0"}));
        // From then on every matching call fails; other attributes and objects do not.
        QCOMPARE(ReadAll(context_, "jdoe.Sales.Acme", "Login Disabled").result, -777);
        QCOMPARE(ReadAll(context_, "jdoe.Sales.Acme", "Login Count").texts, QStringList{"42"});
        client_->ClearFaults();
        QCOMPARE(ReadAll(context_, "jdoe.Sales.Acme", "Login Disabled").texts.size(), 3);
    }

    void readFaultOfAnAttributeFailsOnlyTheReadsNamingIt()
    {
        DirectoryFault fault;
        fault.function = QStringLiteral("NWDSRead");
        fault.attribute = QStringLiteral("surname");
        fault.result = -641;
        QVERIFY(client_->AddFault(fault));
        QCOMPARE(ReadAll(context_, "jdoe.Sales.Acme", "Surname").result, -641);
        QCOMPARE(ReadAll(context_, "jdoe.Sales.Acme", "CN").texts, QStringList{"jdoe"});
        const Values all = ReadAll(context_, "jdoe.Sales.Acme", nullptr);
        QCOMPARE(all.result, 0);
        QVERIFY(all.texts.contains(QStringLiteral("Doe")));
    }

    void faultsFromTheFile()
    {
        QCOMPARE(ReadAll(context_, "CN=broken.O=Acme", "CN").result, ERR_NO_SUCH_ENTRY);
        QCOMPARE(ReadAll(context_, "CN=Admin.O=Acme", "CN").result, 0);
    }

    void faultsThatAreNotWellFormedAreRefused()
    {
        DirectoryFault fault;
        QString error;
        fault.function = QStringLiteral("NWDSFly");
        QVERIFY(!client_->AddFault(fault, &error));
        QVERIFY(error.contains(QStringLiteral("NWDSFly")));
        fault.function = QStringLiteral("NWDSGetAttrVal");
        fault.emptyBatch = true;
        QVERIFY(!client_->AddFault(fault, &error));
        fault.emptyBatch = false;
        fault.tree = QStringLiteral("ELSEWHERE");
        QVERIFY(!client_->AddFault(fault, &error));
    }

    void connectionScan()
    {
        uint32_t scan = 0;
        NWCONN_HANDLE connection = 0;
        QStringList names;
        QList<NWCONN_HANDLE> handles;
        while (client_->NWCCScanConnRefs(&scan, &connection) == 0) {
            char name[MAX_TREE_NAME_BYTES] = {};
            QCOMPARE(client_->NWCCGetConnRefInfo(connection, NWCC_INFO_TREE_NAME, sizeof name, name), 0);
            names << QString::fromUtf8(name);
            handles << connection;
        }
        QCOMPARE(client_->NWCCScanConnRefs(&scan, &connection), NWE_NO_MORE_ENTRIES);
        QCOMPARE(names, (QStringList{"ACME____", "LAB", "acme"}));
        NWCONN_HANDLE primary = 0;
        QCOMPARE(client_->NWCCGetPrimConnRef(&primary), 0);
        QCOMPARE(primary, handles.first());
        char small[4];
        QCOMPARE(client_->NWCCGetConnRefInfo(primary, NWCC_INFO_TREE_NAME, sizeof small, small),
                 ERR_INSUFFICIENT_BUFFER);
        QCOMPARE(client_->NWCCGetConnRefInfo(99, NWCC_INFO_TREE_NAME, sizeof small, small), ERR_CONNECTION_UNKNOWN);

        tNDS directory(*client_);
        const std::vector<tTreeItem> trees = directory.GetTrees();
        QCOMPARE(trees.size(), size_t(2));
        QCOMPARE(trees[0].Name, QStringLiteral("ACME"));
        QCOMPARE(trees[0].Connection, handles[0]);
        QCOMPARE(directory.TreeName, QStringLiteral("ACME"));
    }

    void aBufferOnFreedStorageStartsEmpty()
    {
        Buf_T *buffer = nullptr;
        QCOMPARE(client_->NWDSAllocBuf(ReadBuffer, &buffer), 0);
        int32_t handle = -1;
        QCOMPARE(client_->NWDSRead(context_, "asmith.sales.acme", DS_ATTRIBUTE_NAMES, true, nullptr, &handle, buffer),
                 0);
        client_->NWDSFreeBuf(buffer);
        QCOMPARE(client_->NWDSAllocBuf(ReadBuffer, &buffer), 0);
        uint32_t count = 0;
        QCOMPARE(client_->NWDSGetAttrCount(context_, buffer, &count), ERR_BAD_VERB);
        QCOMPARE(client_->NWDSInitBuf(context_, DSV_READ, buffer), 0);
        QCOMPARE(client_->NWDSGetAttrCount(context_, buffer, &count), ERR_BAD_VERB);
        client_->NWDSFreeBuf(buffer);
    }

    void namesAreResolvedAnewInAnotherDirectory()
    {
        client_ = Open(BigDirectory(2, 0));
        QVERIFY(client_);
        const NWDSContextHandle context = client_->NWDSCreateContext();
        QCOMPARE(ReadAll(context, "user0001.big", "CN").texts, QStringList{"user0001"});
        QString error;
        QVERIFY2(client_->LoadBytes(BigDirectory(1, 0), QStringLiteral("smaller.json"), &error), qPrintable(error));
        QCOMPARE(ReadAll(context, "user0001.big", "CN").result, ERR_NO_SUCH_ENTRY);
        QCOMPARE(ReadAll(context, "user0000.big", "CN").texts, QStringList{"user0000"});
    }

    void loadingAnotherDirectoryMovesOpenContexts()
    {
        QString error;
        QVERIFY(!client_->LoadBytes("{", QStringLiteral("broken.json"), &error));
        QVERIFY(error.startsWith(QStringLiteral("broken.json")));
        char text[MAX_DN_BYTES] = {};
        QCOMPARE(client_->NWDSGetContext(context_, DCK_TREE_NAME, text), 0);
        QCOMPARE(QString::fromUtf8(text), QStringLiteral("ACME"));
        QVERIFY2(client_->LoadDemo(&error), qPrintable(error));
        QCOMPARE(client_->NWDSGetContext(context_, DCK_TREE_NAME, text), 0);
        QVERIFY(QString::fromUtf8(text) != QStringLiteral("ACME"));
        QCOMPARE(client_->NWDSGetContext(context_, DCK_NAME_CONTEXT, text), 0);
    }
};

QTEST_GUILESS_MAIN(TestSimulatedClient)
#include "test_simulated_client.moc"
