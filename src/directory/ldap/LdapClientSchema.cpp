#include "directory/ldap/LdapClient.h"

#include <cstring>
#include <numeric>

namespace {

// Class definitions with their names and flags only.
constexpr uint32_t DS_INFO_CLASS_DEFS = 3;
constexpr uint32_t DSV_READ_ATTR_DEF = 12;

// Where a batch of total items starts for an iteration handle; false for a handle that
// is no position.
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

// The ids find gives the names of request; unknown when one is not found.
template <class FindId>
NWDSCCODE SelectNamed(const Buf_T &request, FindId find, NWDSCCODE unknown, std::vector<uint32_t> &selected)
{
    size_t offset = 0;
    std::string_view name;
    while (request.NextName(offset, name)) {
        const int32_t id = find(name);
        if (id < 0)
            return unknown;
        selected.push_back(uint32_t(id));
    }
    return 0;
}

NWDSCCODE EndBatch(const Buf_T &out, size_t position, size_t total, int32_t *iterationHandle)
{
    if (position < total && out.ReadU32At(0) == 0)
        return ERR_INSUFFICIENT_BUFFER;
    *iterationHandle = position < total ? int32_t(position) : -1;
    return 0;
}

} // namespace

NWDSCCODE LdapClient::NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses, Buf_T *classNames,
                                       int32_t *iterationHandle, Buf_T *classDefs)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !classDefs || (!allClasses && !classNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_EXPANDED_CLASS_DEFS && infoType != DS_INFO_CLASS_DEFS)
        return ERR_INVALID_REQUEST;
    NWDSCCODE code = 0;
    const LdapSchema *schema = SchemaOf(found->tree, &code);
    if (!schema)
        return code;
    std::vector<uint32_t> selected;
    if (allClasses) {
        selected.resize(schema->Classes().size());
        std::iota(selected.begin(), selected.end(), 0u);
    } else {
        if (classNames->content != Buf_T::Content::Request || classNames->operation != DSV_READ_CLASS_DEF)
            return ERR_BAD_VERB;
        const auto find = [schema](std::string_view name) { return schema->FindClass(name); };
        if (const NWDSCCODE result = SelectNamed(*classNames, find, ERR_NO_SUCH_CLASS, selected); result != 0)
            return result;
    }
    size_t position = 0;
    if (!StartOf(*iterationHandle, selected.size(), position))
        return ERR_INVALID_HANDLE;
    Buf_T &out = *classDefs;
    out.Start(Buf_T::Content::ClassDefinitions, infoType);
    const Asn1_ID_T noIdentifier{};
    for (; position < selected.size(); ++position) {
        const LdapSchema::Class &definition = schema->Classes()[selected[position]];
        size_t mark = 0;
        bool fits = out.BeginEntry(mark) && out.PutText(definition.name) && out.PutU32(definition.flags) &&
                    out.PutBytes(&noIdentifier, sizeof noIdentifier);
        if (infoType == DS_EXPANDED_CLASS_DEFS) {
            for (size_t list = 0; fits && list < LdapSchema::ListCount; ++list) {
                fits = out.PutU32(uint32_t(definition.lists[list].size()));
                for (size_t i = 0; fits && i < definition.lists[list].size(); ++i)
                    fits = out.PutText(definition.lists[list][i]);
            }
        }
        if (!fits) {
            out.DropEntry(mark);
            break;
        }
        out.EndEntry(mark);
    }
    return EndBatch(out, position, selected.size(), iterationHandle);
}

NWDSCCODE LdapClient::NWDSGetClassDefCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::ClassDefinitions); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    *count = buffer->Count();
    return 0;
}

NWDSCCODE LdapClient::NWDSGetClassDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                      Class_Info_T *info)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::ClassDefinitions); result != 0)
        return result;
    std::string_view className;
    uint32_t flags = 0;
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(className) || !buffer->GetU32(flags) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    buffer->listsLeft = buffer->operation == DS_INFO_CLASS_DEFS ? 0 : uint32_t(LdapSchema::ListCount);
    if (const NWDSCCODE result = CopyOut(className, name, size); result != 0)
        return result;
    if (info) {
        info->classFlags = flags;
        std::memcpy(&info->asn1ID, identifier, sizeof info->asn1ID);
    }
    return 0;
}

NWDSCCODE LdapClient::NWDSGetClassItemCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::ClassDefinitions); result != 0)
        return result;
    if (!count)
        return ERR_INVALID_REQUEST;
    // Items of the previous list that were not read are stepped over.
    for (std::string_view skipped; buffer->itemsLeft > 0; --buffer->itemsLeft) {
        if (!buffer->GetText(skipped))
            return ERR_BUFFER_EMPTY;
    }
    uint32_t items = 0;
    if (buffer->listsLeft == 0 || !buffer->GetU32(items))
        return ERR_BUFFER_EMPTY;
    --buffer->listsLeft;
    buffer->itemsLeft = items;
    *count = items;
    return 0;
}

NWDSCCODE LdapClient::NWDSGetClassItem(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::ClassDefinitions); result != 0)
        return result;
    std::string_view item;
    if (buffer->itemsLeft == 0 || !buffer->GetText(item))
        return ERR_BUFFER_EMPTY;
    --buffer->itemsLeft;
    return CopyOut(item, name, size);
}

NWDSCCODE LdapClient::NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs, Buf_T *attrNames,
                                      int32_t *iterationHandle, Buf_T *attrDefs)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !attrDefs || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTR_DEFS)
        return ERR_INVALID_REQUEST;
    NWDSCCODE code = 0;
    const LdapSchema *schema = SchemaOf(found->tree, &code);
    if (!schema)
        return code;
    std::vector<uint32_t> selected;
    if (allAttrs) {
        selected.resize(schema->Attributes().size());
        std::iota(selected.begin(), selected.end(), 0u);
    } else {
        if (attrNames->content != Buf_T::Content::Request ||
            (attrNames->operation != DSV_READ_ATTR_DEF && attrNames->operation != DSV_READ))
            return ERR_BAD_VERB;
        const auto find = [schema](std::string_view name) { return schema->FindAttribute(name); };
        if (const NWDSCCODE result = SelectNamed(*attrNames, find, ERR_NO_SUCH_ATTRIBUTE, selected); result != 0)
            return result;
    }
    size_t position = 0;
    if (!StartOf(*iterationHandle, selected.size(), position))
        return ERR_INVALID_HANDLE;
    Buf_T &out = *attrDefs;
    out.Start(Buf_T::Content::AttributeDefinitions);
    const Asn1_ID_T noIdentifier{};
    for (; position < selected.size(); ++position) {
        const LdapSchema::Attribute &definition = schema->Attributes()[selected[position]];
        size_t mark = 0;
        if (!out.BeginEntry(mark) || !out.PutText(definition.name) || !out.PutU32(definition.flags) ||
            !out.PutU32(definition.syntax) || !out.PutU32(0) || !out.PutU32(0) ||
            !out.PutBytes(&noIdentifier, sizeof noIdentifier)) {
            out.DropEntry(mark);
            break;
        }
        out.EndEntry(mark);
    }
    return EndBatch(out, position, selected.size(), iterationHandle);
}

NWDSCCODE LdapClient::NWDSGetAttrDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                     Attr_Info_T *info)
{
    if (!Find(context))
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result = CheckBuffer(buffer, Buf_T::Content::AttributeDefinitions); result != 0)
        return result;
    std::string_view attribute;
    Attr_Info_T read{};
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(read.attrFlags) ||
        !buffer->GetU32(read.attrSyntaxID) || !buffer->GetU32(read.attrLower) || !buffer->GetU32(read.attrUpper) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (info) {
        std::memcpy(&read.asn1ID, identifier, sizeof read.asn1ID);
        *info = read;
    }
    return 0;
}
