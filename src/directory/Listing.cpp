// The listing primitive: one listing walks the subordinates of one object in batches
// that fill one result buffer, on its own duplicate of the caller's context.

#include "directory/tNDS.h"

namespace {

constexpr size_t kListBufferBytes = 4096;
// The longest name a listing hands out, and its terminator.
constexpr size_t kEntryNameBytes = MAX_DN_BYTES;

void PumpEvents(const TNDSObj &record)
{
    if (record.Hooks && record.Hooks->EventPump)
        record.Hooks->EventPump();
}

// Frees what the listing owns; a listing that ended or failed holds nothing.
void EndListing(TNDSObj &record)
{
    if (record.ResultBuffer) {
        record.Client->NWDSFreeBuf(record.ResultBuffer);
        record.ResultBuffer = nullptr;
    }
    if (record.ListContext) {
        record.Client->NWDSFreeContext(record.ListContext);
        record.ListContext = 0;
    }
}

} // namespace

TNDSObj::~TNDSObj()
{
    EndListing(*this);
}

namespace {

int32_t Fail(TNDSObj &record, int32_t result)
{
    EndListing(record);
    return result;
}

int32_t TakeEntry(TNDSObj &record)
{
    record.EntryName.clear();
    char name[kEntryNameBytes] = {};
    const NWDSCCODE result = record.Client->NWDSGetObjectName(record.ListContext, record.ResultBuffer, name,
                                                              sizeof name, &record.AttributeCount, &record.EntryInfo);
    ++record.NextIndex;
    if (result != 0)
        return Fail(record, result);
    name[sizeof name - 1] = '\0';
    record.EntryName = QString::fromUtf8(name);
    return 0;
}

int32_t FetchBatch(TNDSObj &record)
{
    const QByteArray listed = record.ListedName.toUtf8();
    NWClient &client = *record.Client;
    NWDSCCODE result = record.ContainersOnly ? client.NWDSListContainers(record.ListContext, listed.constData(),
                                                                         &record.IterationHandle, record.ResultBuffer)
                                             : client.NWDSList(record.ListContext, listed.constData(),
                                                               &record.IterationHandle, record.ResultBuffer);
    if (result == ERR_ENTRY_LEFT_OUT) {
        // Nothing in the buffer; the listing goes on with the next batch.
        record.EntriesInBuffer = 0;
        record.NextIndex = 0;
        return result;
    }
    if (result != 0)
        return Fail(record, result);
    uint32_t count = 0;
    result = client.NWDSGetObjectCount(record.ListContext, record.ResultBuffer, &count);
    if (result != 0)
        return Fail(record, result);
    record.EntriesInBuffer = int32_t(count);
    record.NextIndex = 0;
    return 0;
}

} // namespace

int32_t ListFirst(const tNDS &directory, NWDSContextHandle context, const QString &name, bool containersOnly,
                  TNDSObj &record)
{
    EndListing(record);
    record.IterationHandle = -1;
    record.EntryName.clear();
    record.ListedName.clear();
    record.AttributeCount = 0;
    record.EntriesInBuffer = 0;
    record.NextIndex = 0;
    record.EntryInfo = {};
    record.ContainersOnly = false;
    record.Client = &directory.Client();
    record.Hooks = &directory.Hooks();
    NWClient &client = directory.Client();
    const QString dotted = name.startsWith(QLatin1Char('.')) ? name : QLatin1Char('.') + name;

    NWDSContextHandle listContext = 0;
    NWDSCCODE result = client.NWDSDuplicateContextHandle(context, &listContext);
    if (result != 0)
        return result;
    record.ListContext = listContext;
    uint32_t flags = 0;
    client.NWDSGetContext(listContext, DCK_FLAGS, &flags);
    flags |= DCV_TYPELESS_NAMES | DCV_CANONICALIZE_NAMES;
    client.NWDSSetContext(listContext, DCK_FLAGS, &flags);
    const uint32_t confidence = 0;
    client.NWDSSetContext(listContext, DCK_CONFIDENCE, &confidence);
    const QByteArray nameContext = dotted.mid(1).toUtf8();
    client.NWDSSetContext(listContext, DCK_NAME_CONTEXT, nameContext.constData());

    result = client.NWDSAllocBuf(kListBufferBytes, &record.ResultBuffer);
    if (result != 0) {
        record.ResultBuffer = nullptr;
        return Fail(record, result);
    }
    record.IterationHandle = -1;
    record.ListedName = dotted;
    record.ContainersOnly = containersOnly;

    result = FetchBatch(record);
    if (result != 0)
        return result;
    if (record.NextIndex < record.EntriesInBuffer)
        return TakeEntry(record);
    return ListNext(record);
}

int32_t ListNext(TNDSObj &record)
{
    for (;;) {
        if (record.NextIndex < record.EntriesInBuffer) {
            PumpEvents(record);
            return TakeEntry(record);
        }
        PumpEvents(record);
        if (record.IterationHandle == -1) {
            EndListing(record);
            return -1;
        }
        if (const int32_t result = FetchBatch(record); result != 0)
            return result;
    }
}

void ListStop(TNDSObj &record)
{
    record.NextIndex = record.EntriesInBuffer;
    record.IterationHandle = -1;
}

QString FirstNamePart(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot >= 0 ? name.left(dot) : name;
}

QString RestOfName(const QString &name)
{
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot >= 0 ? name.mid(dot + 1) : QString();
}
