#include "directory/client/ClientBatch.h"

namespace ClientBatch {

namespace {

void WriteU32(uint8_t *&at, uint32_t value)
{
    std::memcpy(at, &value, sizeof value);
    at += sizeof value;
}

void WriteText(uint8_t *&at, std::string_view text)
{
    const uint16_t size = uint16_t(text.size());
    std::memcpy(at, &size, sizeof size);
    at += sizeof size;
    std::memcpy(at, text.data(), text.size());
    at += text.size();
}

} // namespace

NWDSCCODE CheckRead(const char *object, uint32_t infoType, bool allAttrs, const Buf_T *attrNames,
                    const int32_t *iterationHandle, const Buf_T *objectInfo)
{
    if (!object || !iterationHandle || !objectInfo || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    if (!allAttrs && (attrNames->content != Buf_T::Content::Request || attrNames->operation != DSV_READ))
        return ERR_BAD_VERB;
    return 0;
}

bool StartOf(int32_t handle, size_t total, size_t &position)
{
    if (handle == -1) {
        position = 0;
        return true;
    }
    if (handle < 0 || size_t(handle) > total)
        return false;
    position = size_t(handle);
    return true;
}

NWDSCCODE Begin(int32_t iterationHandle, size_t total, size_t &position, Buf_T &out, Buf_T::Content content,
                uint32_t operation, int32_t tree, int64_t object)
{
    if (!StartOf(iterationHandle, total, position))
        return ERR_INVALID_HANDLE;
    out.Start(content, operation);
    out.tree = tree;
    out.object = object;
    if (out.Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    return 0;
}

NWDSCCODE End(const Buf_T &out, size_t position, size_t total, int32_t *iterationHandle)
{
    if (position < total && out.ReadU32At(0) == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < total ? int32_t(position) : -1;
    return 0;
}

bool PutListedEntry(Buf_T &out, const ListedEntry &entry)
{
    if (entry.name.size() > UINT16_MAX || entry.baseClass.size() > UINT16_MAX)
        return false;
    const size_t size = 6 * sizeof(uint32_t) + 2 * sizeof(uint16_t) + entry.name.size() + entry.baseClass.size();
    uint8_t *at = out.Append(size);
    if (!at)
        return false;
    WriteU32(at, uint32_t(size - sizeof(uint32_t)));
    WriteU32(at, entry.object);
    WriteU32(at, entry.flags);
    WriteU32(at, entry.subordinates);
    WriteU32(at, 0); // modification time
    WriteU32(at, entry.attributes);
    WriteText(at, entry.name);
    WriteText(at, entry.baseClass);
    return true;
}

bool PutAttributeDefinition(Buf_T &out, std::string_view name, uint32_t flags, uint32_t syntax)
{
    const Asn1_ID_T noIdentifier{};
    size_t mark = 0;
    if (!out.BeginEntry(mark) || !out.PutText(name) || !out.PutU32(flags) || !out.PutU32(syntax) || !out.PutU32(0) ||
        !out.PutU32(0) || !out.PutBytes(&noIdentifier, sizeof noIdentifier)) {
        out.DropEntry(mark);
        return false;
    }
    out.EndEntry(mark);
    return true;
}

} // namespace ClientBatch
