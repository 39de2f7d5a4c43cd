#include "directory/simulated/SimulatedClient.h"

#include "directory/client/ClientBatch.h"

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
    if (const NWDSCCODE result = ClientBatch::Begin(*iterationHandle, children.size(), position, out,
                                                    Buf_T::Content::Entries, 0, int32_t(found->tree), listed);
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
        if (!ClientBatch::PutListedEntry(out, {child, container ? DS_CONTAINER_ENTRY : 0,
                                               uint32_t(tree.Children(child).size()), entry.attributeCount, name,
                                               definition.name}))
            break;
        ++entries;
    }
    out.PatchU32(0, entries);
    return ClientBatch::End(out, position, children.size(), iterationHandle);
}
