#include "directory/simulated/SimulatedClient.h"

#include "directory/simulated/StreamFile.h"
#include "directory/simulated/ValuePacking.h"

#include <cstring>

namespace {

// NWDSOpenStream: opening for writing.
constexpr uint32_t DS_WRITE_STREAM = 0x2;

} // namespace

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
    if (!object || !iterationHandle || !objectInfo || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTRIBUTE_NAMES && infoType != DS_ATTRIBUTE_VALUES)
        return ERR_INVALID_REQUEST;
    if (!allAttrs && (attrNames->content != Buf_T::Content::Request || attrNames->operation != DSV_READ))
        return ERR_BAD_VERB;
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
    const std::vector<AttributeRef> &attributes = *chosen;

    const bool withValues = infoType == DS_ATTRIBUTE_VALUES;
    size_t total = 0;
    for (const AttributeRef &attribute : attributes)
        total += withValues ? attribute.count : 1;
    size_t position = 0;
    Buf_T &out = *objectInfo;
    if (const NWDSCCODE result = BeginBatch(
            *iterationHandle, total, position, out,
            withValues ? Buf_T::Content::AttributeValues : Buf_T::Content::AttributeNames, 0, treeIndex, index);
        result != 0)
        return result;
    // Find the attribute and the value the batch starts with.
    size_t first = 0;
    size_t skip = position;
    while (first < attributes.size() && skip >= (withValues ? attributes[first].count : 1)) {
        skip -= withValues ? attributes[first].count : 1;
        ++first;
    }
    for (size_t a = first; a < attributes.size(); ++a, skip = 0) {
        const AttributeRef &attribute = attributes[a];
        const DirectorySchema::Attribute &definition = tree.schema.Attributes()[attribute.id];
        size_t mark = 0;
        if (!out.BeginEntry(mark) || !out.PutText(definition.name) || !out.PutU32(definition.syntax) ||
            !out.PutU32(0)) {
            out.DropEntry(mark);
            break;
        }
        if (!withValues) {
            out.EndEntry(mark);
            ++position;
            continue;
        }
        const size_t countAt = out.Length() - sizeof(uint32_t);
        const uint8_t *value = attribute.values;
        for (size_t v = 0; v < skip; ++v)
            value += sizeof(uint32_t) + ReadU32(value);
        uint32_t written = 0;
        for (size_t v = skip; v < attribute.count; ++v) {
            const uint32_t size = ReadU32(value);
            const size_t carried = ValuePacking::CarriedSize(definition.syntax, size);
            uint8_t *at = out.Append(sizeof(uint32_t) + carried);
            if (!at)
                break;
            WriteU32(at, uint32_t(carried));
            std::memcpy(at, value + sizeof(uint32_t), carried);
            value += sizeof(uint32_t) + size;
            ++written;
        }
        if (written == 0) {
            out.DropEntry(mark);
            break;
        }
        out.PatchU32(countAt, written);
        out.EndEntry(mark);
        position += written;
        if (skip + written < attribute.count)
            break;
    }
    return EndBatch(out, position, total, iterationHandle);
}

NWDSCCODE SimulatedClient::NWDSGetAttrCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (buffer) {
        if (const auto fault = Fault(ClientFunction::NWDSGetAttrCount, TreeIndexOf(context), nullptr, buffer->object))
            return fault->result;
    }
    return CountOf(
        context, buffer,
        {Buf_T::Content::AttributeNames, Buf_T::Content::AttributeValues, Buf_T::Content::AttributeDefinitions}, count);
}

NWDSCCODE SimulatedClient::NWDSGetAttrName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                           uint32_t *valueCount, uint32_t *syntaxID)
{
    if (const NWDSCCODE result =
            CheckBuffer(context, buffer, {Buf_T::Content::AttributeNames, Buf_T::Content::AttributeValues});
        result != 0)
        return result;
    std::string_view attribute;
    uint32_t syntax = 0;
    uint32_t count = 0;
    if (!buffer->NextEntry() || !buffer->GetText(attribute) || !buffer->GetU32(syntax) || !buffer->GetU32(count))
        return ERR_BUFFER_EMPTY;
    buffer->itemAttribute = attribute;
    buffer->itemSyntax = syntax;
    buffer->itemsLeft = count;
    if (const auto fault =
            Fault(ClientFunction::NWDSGetAttrName, buffer->tree, nullptr, buffer->object, SameAttribute{attribute}))
        return fault->result;
    if (const NWDSCCODE result = CopyOut(attribute, name, size); result != 0)
        return result;
    if (valueCount)
        *valueCount = count;
    if (syntaxID)
        *syntaxID = syntax;
    return 0;
}

NWDSCCODE SimulatedClient::NWDSComputeAttrValSize(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID,
                                                  size_t *size)
{
    std::span<const uint8_t> carried;
    if (const NWDSCCODE result =
            CarriedValue(ClientFunction::NWDSComputeAttrValSize, context, buffer, syntaxID, size, true, carried))
        return result;
    const int64_t recordSize = ValuePacking::RecordSize(syntaxID, carried.data(), carried.size());
    if (recordSize < 0)
        return ERR_BAD_SYNTAX;
    *size = size_t(recordSize);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetAttrVal(NWDSContextHandle context, Buf_T *buffer, uint32_t syntaxID, void *value)
{
    std::span<const uint8_t> carried;
    if (const NWDSCCODE result =
            CarriedValue(ClientFunction::NWDSGetAttrVal, context, buffer, syntaxID, value, false, carried))
        return result;
    return ValuePacking::WriteRecord(syntaxID, carried.data(), carried.size(), value) ? 0 : ERR_BAD_SYNTAX;
}

NWDSCCODE SimulatedClient::CarriedValue(ClientFunction function, NWDSContextHandle context, Buf_T *buffer,
                                        uint32_t syntaxID, const void *area, bool peek,
                                        std::span<const uint8_t> &carried)
{
    if (buffer) {
        if (const auto fault =
                Fault(function, TreeIndexOf(context), nullptr, buffer->object, SameAttribute{buffer->itemAttribute}))
            return fault->result;
    }
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::AttributeValues}); result != 0)
        return result;
    if (!area)
        return ERR_INVALID_REQUEST;
    if (buffer->itemsLeft == 0)
        return ERR_BUFFER_EMPTY;
    if (syntaxID != buffer->itemSyntax)
        return ERR_BAD_SYNTAX;
    const size_t cursor = buffer->Cursor();
    uint32_t size = 0;
    const uint8_t *bytes = nullptr;
    const bool read = buffer->GetU32(size) && buffer->GetBytes(size, bytes);
    if (peek)
        buffer->SetCursor(cursor);
    if (!read)
        return ERR_BUFFER_EMPTY;
    if (!peek)
        --buffer->itemsLeft;
    carried = {bytes, size};
    return 0;
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
