#include "directory/ldap/LdapClient.h"

#include "directory/client/ClientBatch.h"
#include "directory/client/StreamFile.h"
#include "directory/ldap/LdapValue.h"

namespace {

// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;

} // namespace

NWDSCCODE LdapClient::FetchNamed(uint32_t tree, const char *object, const LdapEntryView *&entry)
{
    if ((entry = entries_.Last(tree, object)))
        return 0;
    std::string_view block;
    if (const NWDSCCODE result = names_.Resolve(tree, object, fetchedDn_, &block); result != 0)
        return result;
    if (!block.data()) {
        if (const NWDSCCODE result = entries_.Fetch(tree, fetchedDn_, block); result != 0)
            return result;
    }
    entry = &entries_.TakeApart(tree, object, block);
    return 0;
}

NWDSCCODE LdapClient::NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                               Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result =
            ClientBatch::CheckRead(object, infoType, allAttrs, attrNames, iterationHandle, objectInfo);
        result != 0)
        return result;
    const LdapEntryView *entry = nullptr;
    if (const NWDSCCODE result = FetchNamed(found->tree, object, entry); result != 0)
        return result;
    NWDSCCODE code = 0;
    const LdapSchema &schema = *trees_.Schema(found->tree, &code);

    if (const NWDSCCODE result = read_.Choose(schema, *entry, Typeless(*found), allAttrs ? nullptr : attrNames);
        result != 0)
        return result;
    return ClientBatch::PackAttributes(read_, infoType == DS_ATTRIBUTE_VALUES, iterationHandle, *objectInfo,
                                       int32_t(found->tree), -1);
}

NWDSCCODE LdapClient::NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute,
                                     uint32_t flags, int *fileHandle)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !attribute || !fileHandle || (flags & DS_WRITE_STREAM))
        return ERR_INVALID_REQUEST;
    const LdapEntryView *entry = nullptr;
    if (const NWDSCCODE result = FetchNamed(found->tree, object, entry); result != 0)
        return result;
    NWDSCCODE code = 0;
    const int32_t index = trees_.Schema(found->tree, &code)->FindAttribute(attribute);
    const LdapEntryView::Attribute *stored = index >= 0 ? entry->Find(uint32_t(index)) : nullptr;
    if (!stored || stored->count == 0)
        return ERR_NO_SUCH_ATTRIBUTE;
    const std::string_view content = entry->ValuesOf(*stored).front();
    const int fd = OpenStreamFile(content);
    if (fd < 0)
        return ERR_NOT_ENOUGH_MEMORY;
    *fileHandle = fd;
    return 0;
}
