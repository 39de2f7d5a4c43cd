#include "directory/client/ClientBase.h"
#include "directory/client/ClientBatch.h"
#include "directory/client/NWValues.h"

#include <QtTest>

#include <map>
#include <string>
#include <vector>

namespace {

constexpr NWDSCCODE Unconvertible = -613;

// A client of two trees whose one object "obj" has one attribute of text values; a
// value "?" cannot be converted. Name contexts are kept as the text set, upper-cased.
class TableClient : public ClientBase<std::string>
{
public:
    TableClient() : ClientBase(Unconvertible) {}

    std::vector<std::string> values;
    std::map<ClientFunction, NWDSCCODE> failures;

    NWDSCCODE NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool, Buf_T *,
                       int32_t *iterationHandle, Buf_T *objectInfo) override
    {
        if (!Find(context))
            return ERR_BAD_CONTEXT;
        if (std::string_view(object) != "obj")
            return ERR_NO_SUCH_ENTRY;
        Values attributes{values};
        return ClientBatch::PackAttributes(attributes, infoType == DS_ATTRIBUTE_VALUES, iterationHandle, *objectInfo, 0,
                                           1);
    }
    NWDSCCODE NWDSWhoAmi(NWDSContextHandle, char *, size_t) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSGetDefNameContext(NWDSContextHandle, size_t, char *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSOpenStream(NWDSContextHandle, const char *, const char *, uint32_t, int *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSList(NWDSContextHandle, const char *, int32_t *, Buf_T *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSListContainers(NWDSContextHandle, const char *, int32_t *, Buf_T *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWDSReadClassDef(NWDSContextHandle, uint32_t, bool, Buf_T *, int32_t *, Buf_T *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWDSReadAttrDef(NWDSContextHandle, uint32_t, bool, Buf_T *, int32_t *, Buf_T *) override
    {
        return ERR_BAD_VERB;
    }
    NWDSCCODE NWCCGetPrimConnRef(NWCONN_HANDLE *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWCCScanConnRefs(uint32_t *, NWCONN_HANDLE *) override { return ERR_BAD_VERB; }
    NWDSCCODE NWCCGetConnRefInfo(NWCONN_HANDLE, uint32_t, size_t, void *) override { return ERR_BAD_VERB; }

protected:
    std::optional<NWDSCCODE> Injected(ClientFunction function, const CallSite &) override
    {
        const auto failure = failures.find(function);
        return failure == failures.end() ? std::nullopt : std::optional<NWDSCCODE>(failure->second);
    }
    uint32_t PrimaryTree() const override { return 1; }
    std::string DefaultNameContext(uint32_t tree) override { return tree == 1 ? "DEFAULT" : ""; }
    std::string TreeName(uint32_t tree) const override { return tree == 0 ? "FIRST" : "SECOND"; }
    int32_t FindTree(std::string_view name) const override { return name == "FIRST" ? 0 : name == "SECOND" ? 1 : -1; }
    NWDSCCODE CopyNameContext(const Context &context, char *area, size_t size) override
    {
        return CopyOut(context.nameContext.empty() ? "[Root]" : context.nameContext, area, size);
    }
    NWDSCCODE ResolveNameContext(uint32_t, std::string_view name, std::string &found) override
    {
        if (name == "missing")
            return ERR_NO_SUCH_ENTRY;
        found = QString::fromUtf8(name.data(), qsizetype(name.size())).toUpper().toStdString();
        return 0;
    }

private:
    // One attribute "Note" of syntax SYN_CI_STRING whose values are texts.
    struct Values {
        const std::vector<std::string> &texts;
        size_t next = 0;

        size_t Count() const { return 1; }
        std::string_view Name(size_t) const { return "Note"; }
        uint32_t Syntax(size_t) const { return SYN_CI_STRING; }
        uint32_t ValueCount(size_t) const { return uint32_t(texts.size()); }
        void Seek(size_t, size_t value) { next = value; }
        bool Next(uint32_t, std::string_view &value)
        {
            const std::string &text = texts[next++];
            value = text;
            return text != "?";
        }
    };
};

QString ContextText(TableClient &client, NWDSContextHandle context, int key)
{
    char area[MAX_DN_BYTES] = {};
    if (client.NWDSGetContext(context, key, area) != 0)
        return QStringLiteral("<failed>");
    return QString::fromUtf8(area);
}

// Every value of obj read in batches of a result buffer of size bytes, "<n>" for a
// value whose size could not be computed (n: the code).
QStringList ReadAll(TableClient &client, NWDSContextHandle context, size_t size, int *batches)
{
    Buf_T *buffer = nullptr;
    client.NWDSAllocBuf(size, &buffer);
    QStringList read;
    int32_t handle = -1;
    *batches = 0;
    do {
        if (const NWDSCCODE result =
                client.NWDSRead(context, "obj", DS_ATTRIBUTE_VALUES, true, nullptr, &handle, buffer);
            result != 0) {
            read << QStringLiteral("read %1").arg(result);
            break;
        }
        ++*batches;
        uint32_t attributes = 0;
        client.NWDSGetAttrCount(context, buffer, &attributes);
        for (uint32_t a = 0; a < attributes; ++a) {
            char name[MAX_SCHEMA_NAME_BYTES];
            uint32_t count = 0;
            uint32_t syntax = 0;
            client.NWDSGetAttrName(context, buffer, name, sizeof name, &count, &syntax);
            for (uint32_t v = 0; v < count; ++v) {
                size_t recordSize = 0;
                if (const NWDSCCODE result = client.NWDSComputeAttrValSize(context, buffer, syntax, &recordSize);
                    result != 0) {
                    read << QStringLiteral("<%1>").arg(result);
                    // The value is taken all the same, with the same failure.
                    char skipped[64];
                    if (client.NWDSGetAttrVal(context, buffer, syntax, skipped) != result)
                        read << QStringLiteral("taken differently");
                    continue;
                }
                std::vector<char> record(recordSize);
                client.NWDSGetAttrVal(context, buffer, syntax, record.data());
                read << QString::fromUtf8(record.data());
            }
        }
    } while (handle != -1);
    client.NWDSFreeBuf(buffer);
    return read;
}

} // namespace

class TestClientKit : public QObject
{
    Q_OBJECT

private slots:
    void valuesComeInBatchesEachOnceInOrder()
    {
        TableClient client;
        for (int i = 0; i < 200; ++i)
            client.values.push_back(std::string(40, char('a' + i % 26)) + std::to_string(i));
        const NWDSContextHandle context = client.NWDSCreateContext();
        int batches = 0;
        const QStringList read = ReadAll(client, context, 1024, &batches);
        QCOMPARE(read.size(), 200);
        for (int i = 0; i < 200; ++i)
            QCOMPARE(read[i], QString::fromStdString(client.values[size_t(i)]));
        QVERIFY2(batches > 5, qPrintable(QString::number(batches)));
        // A buffer too small for one value is refused rather than read as empty.
        QCOMPARE(ReadAll(client, context, 32, &batches), QStringList{QStringLiteral("read -649")});
    }

    void aValueWithoutRecordFailsAloneWithTheClientsCode()
    {
        TableClient client;
        client.values = {"first", "?", "third"};
        const NWDSContextHandle context = client.NWDSCreateContext();
        int batches = 0;
        QCOMPARE(ReadAll(client, context, 4096, &batches),
                 (QStringList{QStringLiteral("first"), QStringLiteral("<-613>"), QStringLiteral("third")}));
    }

    void contextsKeepTheClientsNameContext()
    {
        TableClient client;
        const NWDSContextHandle context = client.NWDSCreateContext();
        QCOMPARE(ContextText(client, context, DCK_TREE_NAME), QStringLiteral("SECOND"));
        QCOMPARE(ContextText(client, context, DCK_NAME_CONTEXT), QStringLiteral("DEFAULT"));
        QCOMPARE(client.NWDSSetContext(context, DCK_NAME_CONTEXT, "sales.acme"), 0);
        QCOMPARE(ContextText(client, context, DCK_NAME_CONTEXT), QStringLiteral("SALES.ACME"));
        QCOMPARE(client.NWDSSetContext(context, DCK_NAME_CONTEXT, "missing"), ERR_NO_SUCH_ENTRY);
        QCOMPARE(ContextText(client, context, DCK_NAME_CONTEXT), QStringLiteral("SALES.ACME"));
        const std::string tooLong(MAX_DN_BYTES, 'x');
        QCOMPARE(client.NWDSSetContext(context, DCK_NAME_CONTEXT, tooLong.c_str()), ERR_INVALID_REQUEST);

        NWDSContextHandle copy = 0;
        QCOMPARE(client.NWDSDuplicateContextHandle(context, &copy), 0);
        QCOMPARE(ContextText(client, copy, DCK_NAME_CONTEXT), QStringLiteral("SALES.ACME"));
        // Another tree starts at its top.
        QCOMPARE(client.NWDSSetContext(copy, DCK_TREE_NAME, "FIRST"), 0);
        QCOMPARE(ContextText(client, copy, DCK_NAME_CONTEXT), QStringLiteral("[Root]"));
        QCOMPARE(client.NWDSSetContext(copy, DCK_TREE_NAME, "THIRD"), ERR_CONNECTION_UNKNOWN);
        QCOMPARE(ContextText(client, context, DCK_NAME_CONTEXT), QStringLiteral("SALES.ACME"));

        // A freed handle is handed out again, with new settings.
        QCOMPARE(client.NWDSFreeContext(copy), 0);
        QCOMPARE(client.NWDSFreeContext(copy), ERR_BAD_CONTEXT);
        const NWDSContextHandle again = client.NWDSCreateContext();
        QCOMPARE(again, copy);
        QCOMPARE(ContextText(client, again, DCK_NAME_CONTEXT), QStringLiteral("DEFAULT"));
    }

    void anInjectedFailureComesBeforeTheCallsChecks()
    {
        TableClient client;
        client.failures[ClientFunction::NWDSInitBuf] = -601;
        client.failures[ClientFunction::NWDSCreateContext] = ERR_CONTEXT_CREATION;
        Buf_T *buffer = nullptr;
        QCOMPARE(client.NWDSAllocBuf(64, &buffer), 0);
        QCOMPARE(client.NWDSInitBuf(12345, DSV_READ, buffer), -601);
        QCOMPARE(client.NWDSCreateContext(), ERR_CONTEXT_CREATION);
        client.failures.clear();
        QCOMPARE(client.NWDSInitBuf(12345, DSV_READ, buffer), ERR_BAD_CONTEXT);
        client.NWDSFreeBuf(buffer);
    }
};

QTEST_GUILESS_MAIN(TestClientKit)
#include "test_client_kit.moc"
