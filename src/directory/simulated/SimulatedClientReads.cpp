#include "directory/simulated/SimulatedClient.h"

#include "directory/client/ClientBatch.h"
#include "directory/client/StreamFile.h"
#include "directory/client/ValuePacking.h"

#include <cstring>

namespace {

// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;

} // namespace

// The attributes NWDSRead hands out, as ClientBatch::PackAttributes takes them: values
// carried as the object's value block holds them.
struct SimulatedClient::BlockAttributes {
    const DirectorySchema &schema;
    const std::vector<AttributeRef> &attributes;
    const uint8_t *value;

    size_t Count() const { return attributes.size(); }
    std::string_view Name(size_t a) const { return schema.Attributes()[attributes[a].id].name; }
    uint32_t Syntax(size_t a) const { return schema.Attributes()[attributes[a].id].syntax; }
    uint32_t ValueCount(size_t a) const { return attributes[a].count; }
    void Seek(size_t a, size_t skip)
    {
        value = attributes[a].values;
        for (size_t v = 0; v < skip; ++v)
            value += sizeof(uint32_t) + ReadU32(value);
    }
    bool Next(uint32_t, std::string_view &carried)
    {
        const uint32_t size = ReadU32(value);
        carried = {reinterpret_cast<const char *>(value + sizeof(uint32_t)), size};
        value += sizeof(uint32_t) + size;
        return true;
    }
};

void SimulatedClient::AttributesOf(const DirectoryObject &object, std::vector<AttributeRef> &attributes)
{
    attributes.clear();
    const uint8_t *at = object.values;
    const uint8_t *end = at + object.valuesSize;
    while (at && end - at >= 12) {
        AttributeRef attribute;
        attribute.id = ReadU32(at);
        attribute.count = ReadU32(at + 4);
        attribute.size = ReadU32(at + 8);
        attribute.values = at + 12;
        attributes.push_back(attribute);
        at += 12 + attribute.size;
    }
}

NWDSCCODE SimulatedClient::NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                                    Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo)
{
    const Context *found = Find(context);
    const int32_t treeIndex = found ? int32_t(found->tree) : -1;
    if (!faults_.None(ClientFunction::NWDSRead)) {
        // A read of all attributes concerns none of them: the object is there, and only
        // the reads that name an attribute that cannot be read fail.
        const auto hasAttribute = [&](std::string_view attribute) { return !allAttrs && Asks(attrNames, attribute); };
        if (const auto fault = Fault(ClientFunction::NWDSRead, treeIndex, object, -1, hasAttribute))
            return FaultResult(*fault, iterationHandle, objectInfo,
                               infoType == DS_ATTRIBUTE_NAMES ? Buf_T::Content::AttributeNames
                                                              : Buf_T::Content::AttributeValues);
    }
    if (!found)
        return ERR_BAD_CONTEXT;
    if (const NWDSCCODE result =
            ClientBatch::CheckRead(object, infoType, allAttrs, attrNames, iterationHandle, objectInfo);
        result != 0)
        return result;
    const DirectoryTree &tree = TreeOf(*found);
    const int64_t index = Resolve(found->tree, object);
    if (index <= 0)
        return ERR_NO_SUCH_ENTRY;

    AttributesOf(tree.objects[size_t(index)], attributes_);
    const std::vector<AttributeRef> *chosen = &attributes_;
    if (!allAttrs) {
        std::vector<AttributeRef> &selected = selected_;
        selected.clear();
        size_t offset = 0;
        std::string_view name;
        bool asked = false;
        while (attrNames->NextName(offset, name)) {
            asked = true;
            const int32_t id = tree.schema.FindAttribute(name);
            for (const AttributeRef &attribute : attributes_) {
                if (attribute.id == uint32_t(id))
                    selected.push_back(attribute);
            }
        }
        if (asked && selected.empty())
            return ERR_NO_SUCH_ATTRIBUTE;
        chosen = &selected;
    }
    BlockAttributes block{tree.schema, *chosen, nullptr};
    return ClientBatch::PackAttributes(block, infoType == DS_ATTRIBUTE_VALUES, iterationHandle, *objectInfo, treeIndex,
                                       index);
}

NWDSCCODE SimulatedClient::NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute,
                                          uint32_t flags, int *fileHandle)
{
    if (const auto fault =
            Fault(ClientFunction::NWDSOpenStream, TreeIndexOf(context), object, -1,
                  [attribute](std::string_view wanted) { return attribute && CaseFold::Equal(attribute, wanted); }))
        return fault->result;
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !attribute || !fileHandle || (flags & DS_WRITE_STREAM))
        return ERR_INVALID_REQUEST;
    const DirectoryTree &tree = TreeOf(*found);
    const int64_t index = Resolve(found->tree, object);
    if (index <= 0)
        return ERR_NO_SUCH_ENTRY;
    const int32_t id = tree.schema.FindAttribute(attribute);
    if (id < 0)
        return ERR_NO_SUCH_ATTRIBUTE;
    if (tree.schema.Attributes()[size_t(id)].syntax != SYN_STREAM)
        return ERR_BAD_SYNTAX;
    std::string_view content;
    bool present = false;
    AttributesOf(tree.objects[size_t(index)], attributes_);
    for (const AttributeRef &stored : attributes_) {
        if (stored.id == uint32_t(id) && stored.count > 0) {
            content = ValuePacking::StreamContent(stored.values + sizeof(uint32_t), ReadU32(stored.values));
            present = true;
        }
    }
    if (!present)
        return ERR_NO_SUCH_ATTRIBUTE;
    const int fd = OpenStreamFile(content);
    if (fd < 0)
        return ERR_NOT_ENOUGH_MEMORY;
    *fileHandle = fd;
    return 0;
}
