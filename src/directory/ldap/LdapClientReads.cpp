#include "directory/ldap/LdapClient.h"

#include "directory/client/ClientBatch.h"
#include "directory/client/StreamFile.h"
#include "directory/ldap/LdapValue.h"

namespace {

// Attribute names asked for that are kept with their schema indexes: a run asks for the
// same few names for every object.
constexpr size_t AskedNames = 16;
// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;

} // namespace

struct LdapClient::EntryAttributes {
    const LdapSchema &schema;
    const LdapEntryView &entry;
    const std::vector<const LdapEntryView::Attribute *> &chosen;
    bool typeless;
    std::string &packed; // the value packed last
    std::span<const std::string_view> values{};
    size_t next = 0;
    LdapValue::Encoding encoding = LdapValue::Encoding::Plain;

    size_t Count() const { return chosen.size(); }
    const LdapSchema::Attribute &Definition(size_t a) const { return schema.Attributes()[chosen[a]->attribute]; }
    std::string_view Name(size_t a) const { return Definition(a).name; }
    uint32_t Syntax(size_t a) const { return Definition(a).syntax; }
    uint32_t ValueCount(size_t a) const { return chosen[a]->count; }
    void Seek(size_t a, size_t skip)
    {
        values = entry.ValuesOf(*chosen[a]);
        next = skip;
        encoding = Definition(a).encoding;
    }
    bool Next(uint32_t syntax, std::string_view &value)
    {
        value = values[next++];
        // Class names are handed out as the schema names them.
        if (syntax == SYN_CLASS_NAME) {
            const int32_t index = schema.FindClass(value);
            if (index >= 0)
                value = schema.Classes()[size_t(index)].name;
        }
        if (!LdapValue::Pack(syntax, value, typeless, packed, encoding))
            return false;
        value = packed;
        return true;
    }
};

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

int32_t LdapClient::AskedIndex(const LdapSchema &schema, std::string_view name)
{
    for (const AskedName &asked : asked_) {
        if (asked.schema == &schema && asked.name == name)
            return asked.index;
    }
    const int32_t index = schema.FindAttribute(name);
    if (asked_.size() >= AskedNames)
        asked_.erase(asked_.begin());
    asked_.push_back({&schema, std::string(name), index});
    return index;
}

NWDSCCODE LdapClient::NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                               Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !iterationHandle || !objectInfo || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    if (!allAttrs && (attrNames->content != Buf_T::Content::Request || attrNames->operation != DSV_READ))
        return ERR_BAD_VERB;
    const LdapEntryView *entry = nullptr;
    if (const NWDSCCODE result = FetchNamed(found->tree, object, entry); result != 0)
        return result;
    NWDSCCODE code = 0;
    const LdapSchema &schema = *trees_.Schema(found->tree, &code);

    // The storage of the attributes chosen and of a value packed is kept from read to read.
    std::vector<const LdapEntryView::Attribute *> &chosen = chosen_;
    chosen.clear();
    if (allAttrs) {
        for (const LdapEntryView::Attribute &attribute : entry->Attributes())
            chosen.push_back(&attribute);
    } else {
        size_t offset = 0;
        std::string_view name;
        bool asked = false;
        while (attrNames->NextName(offset, name)) {
            asked = true;
            const int32_t index = AskedIndex(schema, name);
            if (const LdapEntryView::Attribute *attribute = index >= 0 ? entry->Find(uint32_t(index)) : nullptr)
                chosen.push_back(attribute);
        }
        if (asked && chosen.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
    }

    EntryAttributes attributes{schema, *entry, chosen, Typeless(*found), packed_};
    return ClientBatch::PackAttributes(attributes, infoType == DS_ATTRIBUTE_VALUES, iterationHandle, *objectInfo,
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
