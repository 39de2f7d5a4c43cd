#include "directory/ldap/LdapClient.h"

#include <cstring>
#include <new>

namespace {

// Operation of a request naming attributes whose definitions are read.
constexpr uint32_t DSV_READ_ATTR_DEF = 12;

} // namespace

NWDSCCODE LdapClient::CheckBuffer(const Buf_T *buffer, Buf_T::Content content)
{
    if (!buffer)
        return ERR_INVALID_REQUEST;
    return buffer->content == content ? 0 : ERR_BAD_VERB;
}

NWDSCCODE LdapClient::PutName(Buf_T &buffer, const char *name)
{
    if (!name || std::strlen(name) >= MAX_SCHEMA_NAME_BYTES)
        return ERR_INVALID_REQUEST;
    if (!buffer.PutText(name))
        return ERR_BUFFER_FULL;
    buffer.PatchU32(0, buffer.ReadU32At(0) + 1);
    return 0;
}

NWDSCCODE LdapClient::NWDSAllocBuf(size_t size, Buf_T **buffer)
{
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

NWDSCCODE LdapClient::NWDSFreeBuf(Buf_T *buffer)
{
    buffers_.Free(buffer);
    return 0;
}

NWDSCCODE LdapClient::NWDSInitBuf(NWDSContextHandle context, uint32_t operation, Buf_T *buffer)
{
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

NWDSCCODE LdapClient::NWDSPutAttrName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::Request); result != 0)
        return result;
    if (buffer->operation != DSV_READ && buffer->operation != DSV_READ_ATTR_DEF)
        return ERR_BAD_VERB;
    return PutName(*buffer, name);
}

NWDSCCODE LdapClient::NWDSPutClassName(NWDSContextHandle context, Buf_T *buffer, const char *name)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::Request); result != 0)
        return result;
    if (buffer->operation != DSV_READ_CLASS_DEF)
        return ERR_BAD_VERB;
    return PutName(*buffer, name);
}
