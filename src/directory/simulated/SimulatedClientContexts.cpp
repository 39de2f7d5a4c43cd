#include "directory/simulated/SimulatedClient.h"

#include <cstring>

namespace {

// The handle NWDSCreateContext returns on failure is never a context.
constexpr size_t UnusableSlot = size_t(ERR_CONTEXT_CREATION) - 1;

// A text handed to a key of the context: at most MAX_DN_BYTES, terminator included.
bool ReadKeyText(const void *value, std::string_view &text)
{
    const char *chars = static_cast<const char *>(value);
    const size_t size = strnlen(chars, MAX_DN_BYTES);
    if (size == MAX_DN_BYTES)
        return false;
    text = {chars, size};
    return true;
}

} // namespace

NWDSCCODE SimulatedClient::OpenFor(ClientFunction function, NWDSContextHandle handle, Context *&found)
{
    if (const auto fault = Fault(function, TreeIndexOf(handle)))
        return fault->result;
    found = Find(handle);
    return found ? 0 : ERR_BAD_CONTEXT;
}

NWDSContextHandle SimulatedClient::OpenContext(const Context &settings)
{
    size_t slot = 0;
    if (!freeContexts_.empty()) {
        slot = freeContexts_.back();
        freeContexts_.pop_back();
    } else {
        if (contexts_.size() == UnusableSlot)
            contexts_.emplace_back(); // stays closed for good
        slot = contexts_.size();
        contexts_.emplace_back();
    }
    contexts_[slot] = settings;
    contexts_[slot].open = true;
    return NWDSContextHandle(slot + 1);
}

NWDSCCODE SimulatedClient::CopyName(const Context &context, uint32_t object, char *area, size_t size)
{
    name_.clear();
    TreeOf(context).AppendName(name_, object, DirectoryTree::Top, Typeless(context));
    return CopyOut(name_, area, size);
}

NWDSCCODE SimulatedClient::NWCallsInit(void *, void *)
{
    if (const auto fault = Fault(ClientFunction::NWCallsInit, -1))
        return fault->result;
    return 0;
}

NWDSContextHandle SimulatedClient::NWDSCreateContext()
{
    if (const auto fault = Fault(ClientFunction::NWDSCreateContext, -1))
        return fault->result;
    Context settings;
    settings.tree = PrimaryTree();
    settings.flags = DCV_CANONICALIZE_NAMES;
    settings.nameContext = model_->trees[settings.tree]->defaultContext;
    return OpenContext(settings);
}

NWDSCCODE SimulatedClient::NWDSFreeContext(NWDSContextHandle context)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSFreeContext, context, found); result != 0)
        return result;
    found->open = false;
    freeContexts_.push_back(uint32_t(context - 1));
    return 0;
}

NWDSCCODE SimulatedClient::NWDSDuplicateContextHandle(NWDSContextHandle source, NWDSContextHandle *destination)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSDuplicateContextHandle, source, found); result != 0)
        return result;
    if (!destination)
        return ERR_INVALID_REQUEST;
    const Context copy = *found;
    *destination = OpenContext(copy);
    return 0;
}

NWDSCCODE SimulatedClient::NWDSGetContext(NWDSContextHandle context, int key, void *value)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSGetContext, context, found); result != 0)
        return result;
    if (!value)
        return ERR_INVALID_REQUEST;
    switch (key) {
    case DCK_FLAGS:
        std::memcpy(value, &found->flags, sizeof found->flags);
        return 0;
    case DCK_CONFIDENCE:
        std::memcpy(value, &found->confidence, sizeof found->confidence);
        return 0;
    case DCK_NAME_CONTEXT:
        return CopyName(*found, found->nameContext, static_cast<char *>(value), MAX_DN_BYTES);
    case DCK_TREE_NAME:
        return CopyOut(TreeOf(*found).name, static_cast<char *>(value), MAX_DN_BYTES);
    default:
        return ERR_BAD_KEY;
    }
}

NWDSCCODE SimulatedClient::NWDSSetContext(NWDSContextHandle context, int key, const void *value)
{
    const char *object = key == DCK_NAME_CONTEXT && value ? static_cast<const char *>(value) : nullptr;
    if (!faults_.None(ClientFunction::NWDSSetContext)) {
        std::string_view name;
        if (object && !ReadKeyText(object, name))
            object = nullptr;
        if (const auto fault = Fault(ClientFunction::NWDSSetContext, TreeIndexOf(context), object))
            return fault->result;
    }
    Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!value)
        return ERR_INVALID_REQUEST;
    switch (key) {
    case DCK_FLAGS:
        std::memcpy(&found->flags, value, sizeof found->flags);
        return 0;
    case DCK_CONFIDENCE:
        std::memcpy(&found->confidence, value, sizeof found->confidence);
        return 0;
    case DCK_NAME_CONTEXT: {
        std::string_view name;
        if (!ReadKeyText(value, name))
            return ERR_INVALID_REQUEST;
        const int64_t object = Resolve(found->tree, name);
        if (object < 0)
            return ERR_NO_SUCH_ENTRY;
        found->nameContext = uint32_t(object);
        return 0;
    }
    case DCK_TREE_NAME: {
        std::string_view name;
        if (!ReadKeyText(value, name))
            return ERR_INVALID_REQUEST;
        const int32_t tree = model_->FindTree(name);
        if (tree < 0)
            return ERR_CONNECTION_UNKNOWN;
        found->tree = uint32_t(tree);
        found->nameContext = DirectoryTree::Top;
        return 0;
    }
    default:
        return ERR_BAD_KEY;
    }
}

NWDSCCODE SimulatedClient::NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSWhoAmi, context, found); result != 0)
        return result;
    const DirectoryTree &tree = TreeOf(*found);
    // An identity that names an object is handed out like any name; another is
    // handed out as the file gives it.
    const int64_t object = tree.Resolve(tree.identity);
    if (object <= 0)
        return CopyOut(tree.identity, name, size);
    return CopyName(*found, uint32_t(object), name, size);
}

NWDSCCODE SimulatedClient::NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext)
{
    Context *found = nullptr;
    if (const NWDSCCODE result = OpenFor(ClientFunction::NWDSGetDefNameContext, context, found); result != 0)
        return result;
    return CopyName(*found, TreeOf(*found).defaultContext, nameContext, size);
}

// ---- connections

NWDSCCODE SimulatedClient::NWCCGetPrimConnRef(NWCONN_HANDLE *connection)
{
    if (const auto fault = Fault(ClientFunction::NWCCGetPrimConnRef, -1))
        return fault->result;
    if (!connection)
        return ERR_INVALID_REQUEST;
    if (model_->connections.empty())
        return ERR_CONNECTION_UNKNOWN;
    *connection = 1;
    return 0;
}

NWDSCCODE SimulatedClient::NWCCScanConnRefs(uint32_t *scanIterator, NWCONN_HANDLE *connection)
{
    if (const auto fault = Fault(ClientFunction::NWCCScanConnRefs, -1))
        return fault->result;
    if (!scanIterator || !connection)
        return ERR_INVALID_REQUEST;
    if (*scanIterator >= model_->connections.size())
        return NWE_NO_MORE_ENTRIES;
    *connection = ++*scanIterator;
    return 0;
}

NWDSCCODE SimulatedClient::NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer)
{
    if (const auto fault = Fault(ClientFunction::NWCCGetConnRefInfo, -1))
        return fault->result;
    if (connection == 0 || connection > model_->connections.size())
        return ERR_CONNECTION_UNKNOWN;
    if (infoType != NWCC_INFO_TREE_NAME)
        return ERR_INVALID_REQUEST;
    return CopyOut(model_->connections[connection - 1].name, static_cast<char *>(buffer), size);
}
