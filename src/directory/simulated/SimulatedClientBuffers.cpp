#include "directory/simulated/SimulatedClient.h"

#include <cstring>
#include <new>

NWDSCCODE SimulatedClient::PutName(Buf_T &buffer, const char *name)
{
    if (!name || std::strlen(name) >= MAX_SCHEMA_NAME_BYTES)
        return ERR_INVALID_REQUEST;
    if (!buffer.PutText(name))
        return ERR_BUFFER_FULL;
    buffer.PatchU32(0, buffer.ReadU32At(0) + 1);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSAllocBuf(size_t size, Buf_T **buffer)
{
    if (const auto fault = Fault(ClientFunction::NWDSAllocBuf, -1))
        return fault->result;
    if (!buffer || size == 0)
        return ERR_INVALID_REQUEST;
    try {
        *buffer = buffers_.Allocate(size);
    } catch (const std::bad_alloc &) {
        *buffer = nullptr;
        return ERR_NOT_ENOUGH_MEMORY;
    }
    return 0;
}

NWDSCCODE SimulatedClient::NWDSFreeBuf(Buf_T *buffer)
{
    if (const auto fault = Fault(ClientFunction::NWDSFreeBuf, -1))
        return fault->result;
    buffers_.Free(buffer);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSInitBuf(NWDSContextHandle context, uint32_t operation, Buf_T *buffer)
{
    if (const auto fault = Fault(ClientFunction::NWDSInitBuf, TreeIndexOf(context)))
        return fault->result;
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (!buffer)
        return ERR_INVALID_REQUEST;
    if (operation != DSV_READ && operation != DSV_READ_CLASS_DEF && operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    if (buffer->Size() < sizeof(uint32_t))
        return ERR_INSUFFICIENT_BUFFER;
    buffer->Start(Buf_T::Content::Request, operation);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSPutAttrName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (const auto fault =
            Fault(ClientFunction::NWDSPutAttrName, TreeIndexOf(context), nullptr, -1,
                  [name](std::string_view attribute) { return name && CaseFold::Equal(name, attribute); }))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Request}); result != 0)
        return result;
    if (buffer->operation != DSV_READ && buffer->operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    return PutName(*buffer, name);
}

NWDSCCODE SimulatedClient::NWDSPutClassName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (const auto fault = Fault(ClientFunction::NWDSPutClassName, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Request}); result != 0)
        return result;
    if (buffer->operation != DSV_READ_CLASS_DEF)
        return ERR_BAD_VERB;
    return PutName(*buffer, name);
}
