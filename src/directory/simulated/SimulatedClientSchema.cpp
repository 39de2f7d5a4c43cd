#include "directory/simulated/SimulatedClient.h"

#include <cstring>
#include <numeric>

namespace {

// Information types of schema reads besides those the interface names.
constexpr uint32_t DS_CLASS_DEFS = 1;
constexpr uint32_t DS_INFO_CLASS_DEFS = 3;

// Appends the ids find gives the names of request; unknown when it finds one not.
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

} // namespace

NWDSCCODE SimulatedClient::NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses,
                                            Buf_T *classNames, int32_t *iterationHandle, Buf_T *classDefs)
{
    const Context *found = Find(context);
    if (const auto fault = Fault(ClientFunction::NWDSReadClassDef, found ? int32_t(found->tree) : -1))
        return FaultResult(*fault, iterationHandle, classDefs, Buf_T::Content::ClassDefinitions, infoType);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !classDefs || (!allClasses && !classNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_CLASS_DEFS && infoType != DS_EXPANDED_CLASS_DEFS && infoType != DS_INFO_CLASS_DEFS)
        return ERR_INVALID_REQUEST;
    const DirectorySchema &schema = TreeOf(*found).schema;
    std::vector<uint32_t> selected;
    if (allClasses) {
        selected.resize(schema.Classes().size());
        std::iota(selected.begin(), selected.end(), 0u);
    } else {
        if (classNames->content != Buf_T::Content::Request || classNames->operation != DSV_READ_CLASS_DEF)
            return ERR_BAD_VERB;
        const auto find = [&schema](std::string_view name) { return schema.FindClass(name); };
        if (const NWDSCCODE result = SelectNamed(*classNames, find, ERR_NO_SUCH_CLASS, selected); result != 0)
            return result;
    }
    size_t position = 0;
    Buf_T &out = *classDefs;
    if (const NWDSCCODE result = BeginBatch(*iterationHandle, selected.size(), position, out,
                                            Buf_T::Content::ClassDefinitions, infoType, int32_t(found->tree));
        result != 0)
        return result;
    const Asn1_ID_T noIdentifier{};
    for (; position < selected.size(); ++position) {
        const DirectorySchema::Class &definition = schema.Classes()[selected[position]];
        size_t mark = 0;
        bool fits = out.BeginEntry(mark) && out.PutText(definition.name) && out.PutU32(definition.flags) &&
                    out.PutBytes(&noIdentifier, sizeof noIdentifier);
        if (infoType != DS_INFO_CLASS_DEFS) {
            const auto &lists = infoType == DS_EXPANDED_CLASS_DEFS ? definition.expanded : definition.own;
            for (size_t list = 0; fits && list < DirectorySchema::ListCount; ++list) {
                fits = out.PutU32(uint32_t(lists[list].size()));
                for (size_t i = 0; fits && i < lists[list].size(); ++i)
                    fits = out.PutText(schema.ItemName(DirectorySchema::List(list), lists[list][i]));
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

NWDSCCODE SimulatedClient::NWDSGetClassDefCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassDefCount, TreeIndexOf(context)))
        return fault->result;
    return CountOf(context, buffer, {Buf_T::Content::ClassDefinitions}, count);
}

NWDSCCODE SimulatedClient::NWDSGetClassDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                           Class_Info_T *info)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassDef, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    std::string_view className;
    uint32_t flags = 0;
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(className) || !buffer->GetU32(flags) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    buffer->listsLeft = buffer->operation == DS_INFO_CLASS_DEFS ? 0 : uint32_t(DirectorySchema::ListCount);
    if (const NWDSCCODE result = CopyOut(className, name, size); result != 0)
        return result;
    if (info) {
        info->classFlags = flags;
        std::memcpy(&info->asn1ID, identifier, sizeof info->asn1ID);
    }
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetClassItemCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassItemCount, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
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

NWDSCCODE SimulatedClient::NWDSGetClassItem(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size)
{
    if (const auto fault = Fault(ClientFunction::NWDSGetClassItem, TreeIndexOf(context)))
        return fault->result;
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::ClassDefinitions}); result != 0)
        return result;
    std::string_view item;
    if (buffer->itemsLeft == 0 || !buffer->GetText(item))
        return ERR_BUFFER_EMPTY;
    --buffer->itemsLeft;
    return CopyOut(item, name, size);
}

NWDSCCODE SimulatedClient::NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs,
                                           Buf_T *attrNames, int32_t *iterationHandle, Buf_T *attrDefs)
{
    const Context *found = Find(context);
    const auto named = [&](std::string_view attribute) { return !allAttrs && Asks(attrNames, attribute); };
    if (const auto fault =
            Fault(ClientFunction::NWDSReadAttrDef, found ? int32_t(found->tree) : -1, nullptr, -1, named))
        return FaultResult(*fault, iterationHandle, attrDefs, Buf_T::Content::AttributeDefinitions);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !attrDefs || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTR_DEFS)
        return ERR_INVALID_REQUEST;
    const DirectorySchema &schema = TreeOf(*found).schema;
    std::vector<uint32_t> selected;
    if (allAttrs) {
        selected.resize(schema.Attributes().size());
        std::iota(selected.begin(), selected.end(), 0u);
    } else {
        if (attrNames->content != Buf_T::Content::Request ||
            (attrNames->operation != DSV_READ_ATTR_DEF && attrNames->operation != DSV_READ))
            return ERR_BAD_VERB;
        const auto find = [&schema](std::string_view name) { return schema.FindAttribute(name); };
        if (const NWDSCCODE result = SelectNamed(*attrNames, find, ERR_NO_SUCH_ATTRIBUTE, selected); result != 0)
            return result;
    }
    size_t position = 0;
    Buf_T &out = *attrDefs;
    if (const NWDSCCODE result = BeginBatch(*iterationHandle, selected.size(), position, out,
                                            Buf_T::Content::AttributeDefinitions, 0, int32_t(found->tree));
        result != 0)
        return result;
    const Asn1_ID_T noIdentifier{};
    for (; position < selected.size(); ++position) {
        const DirectorySchema::Attribute &definition = schema.Attributes()[selected[position]];
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

NWDSCCODE SimulatedClient::NWDSGetAttrDef(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                          Attr_Info_T *info)
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeDefinitions}); result != 0)
        return result;
    std::string_view attribute;
    Attr_Info_T read{};
    const uint8_t *identifier = nullptr;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(read.attrFlags) ||
        !buffer->GetU32(read.attrSyntaxID) || !buffer->GetU32(read.attrLower) || !buffer->GetU32(read.attrUpper) ||
        !buffer->GetBytes(sizeof(Asn1_ID_T), identifier))
        return ERR_BUFFER_EMPTY;
    if (const auto fault = Fault(ClientFunction::NWDSGetAttrDef, buffer->tree, nullptr, -1, SameAttribute{attribute}))
        return fault->result;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (info) {
        std::memcpy(&read.asn1ID, identifier, sizeof read.asn1ID);
        *info = read;
    }
    return 0;
}
