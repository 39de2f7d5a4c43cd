#include "directory/simulated/SimulatedClient.h"

#include <algorithm>
#include <cstring>

namespace {

void WriteText(uint8_t *&at, std::string_view text)
{
    const uint16_t size = uint16_t(text.size());
    std::memcpy(at, &size, sizeof size);
    at += sizeof size;
    std::memcpy(at, text.data(), text.size());
    at += text.size();
}

} // namespace

NWDSCCODE SimulatedClient::NWDSList(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                    Buf_T *subordinates)
{
    return List(ClientFunction::NWDSList, context, object, iterationHandle, subordinates, false);
}

NWDSCCODE SimulatedClient::NWDSListContainers(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                              Buf_T *subordinates)
{
    return List(ClientFunction::NWDSListContainers, context, object, iterationHandle, subordinates, true);
}

NWDSCCODE SimulatedClient::List(ClientFunction function, NWDSContextHandle context, const char *object,
                                int32_t *iterationHandle, Buf_T *subordinates, bool containersOnly)
{
    const Context *found = Find(context);
    if (!faults_.None(function)) {
        if (const auto fault = Fault(function, found ? int32_t(found->tree) : -1, object))
            return FaultResult(*fault, iterationHandle, subordinates, Buf_T::Content::Entries);
    }
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !iterationHandle || !subordinates)
        return ERR_INVALID_REQUEST;
    const DirectoryTree &tree = TreeOf(*found);
    const int64_t listed = Resolve(found->tree, object);
    if (listed < 0)
        return ERR_NO_SUCH_ENTRY;
    const std::span<const uint32_t> children = tree.Children(uint32_t(listed));
    size_t position = 0;
    Buf_T &out = *subordinates;
    if (const NWDSCCODE result = BeginBatch(*iterationHandle, children.size(), position, out, Buf_T::Content::Entries,
                                            0, int32_t(found->tree), listed);
        result != 0)
        return result;
    const bool typeless = Typeless(*found);
    // The usual case: entries relative to the listed container are their leaf names.
    const bool leafNames = found->nameContext == uint32_t(listed);
    const auto &classes = tree.schema.Classes();
    uint32_t entries = 0;
    for (; position < children.size(); ++position) {
        const uint32_t child = children[position];
        const DirectoryObject &entry = tree.objects[child];
        const DirectorySchema::Class &definition = classes[entry.classId];
        const bool container = (definition.flags & DS_CONTAINER_CLASS) != 0;
        if (containersOnly && !container)
            continue;
        std::string_view name;
        if (leafNames) {
            name = typeless ? entry.Value() : entry.Rdn();
        } else {
            name_.clear();
            tree.AppendName(name_, child, found->nameContext, typeless);
            name = name_;
        }
        const size_t size = 6 * sizeof(uint32_t) + 2 * sizeof(uint16_t) + name.size() + definition.name.size();
        uint8_t *at = out.Append(size);
        if (!at)
            break;
        WriteU32(at, uint32_t(size - sizeof(uint32_t)));
        WriteU32(at, child);
        WriteU32(at, container ? DS_CONTAINER_ENTRY : 0);
        WriteU32(at, uint32_t(tree.Children(child).size()));
        WriteU32(at, 0);
        WriteU32(at, entry.attributeCount);
        WriteText(at, name);
        WriteText(at, definition.name);
        ++entries;
    }
    out.PatchU32(0, entries);
    return EndBatch(out, position, children.size(), iterationHandle);
}

NWDSCCODE SimulatedClient::NWDSGetObjectCount(NWDSContextHandle context, Buf_T *buffer, uint32_t *count)
{
    if (buffer && !faults_.None(ClientFunction::NWDSGetObjectCount)) {
        if (const auto fault = Fault(ClientFunction::NWDSGetObjectCount, TreeIndexOf(context), nullptr, buffer->object))
            return fault->result;
    }
    return CountOf(context, buffer, {Buf_T::Content::Entries}, count);
}

NWDSCCODE SimulatedClient::NWDSGetObjectName(NWDSContextHandle context, Buf_T *buffer, char *name, size_t size,
                                             uint32_t *attrCount, Object_Info_T *info)
{
    if (const NWDSCCODE result = CheckBuffer(context, buffer, {Buf_T::Content::Entries}); result != 0)
        return result;
    uint32_t object = 0;
    uint32_t flags = 0;
    uint32_t subordinates = 0;
    uint32_t modified = 0;
    uint32_t attributes = 0;
    std::string_view entryName;
    std::string_view className;
    if (!buffer->NextEntry() || !buffer->GetU32(object) || !buffer->GetU32(flags) || !buffer->GetU32(subordinates) ||
        !buffer->GetU32(modified) || !buffer->GetU32(attributes) || !buffer->GetText(entryName) ||
        !buffer->GetText(className))
        return ERR_BUFFER_EMPTY;
    if (!faults_.None(ClientFunction::NWDSGetObjectName)) {
        if (const auto fault = Fault(ClientFunction::NWDSGetObjectName, buffer->tree, nullptr, object))
            return fault->result;
    }
    if (const NWDSCCODE result = CopyOut(entryName, name, size); result != 0)
        return result;
    if (attrCount)
        *attrCount = attributes;
    if (info) {
        info->EntryFlags = flags;
        info->SubordinateCount = subordinates;
        info->ModificationTime = modified;
        const size_t length = std::min(className.size(), sizeof info->BaseClass - 1);
        std::memcpy(info->BaseClass, className.data(), length);
        info->BaseClass[length] = '\0';
    }
    return 0;
}
