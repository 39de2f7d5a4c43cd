#include "directory/simulated/SimulatedClient.h"

NWDSCCODE SimulatedClient::CopyName(const Context &context, uint32_t object, char *area, size_t size)
{
    name_.clear();
    TreeOf(context).AppendName(name_, object, DirectoryTree::Top, Typeless(context));
    return CopyOut(name_, area, size);
}

NWDSCCODE SimulatedClient::ResolveNameContext(uint32_t tree, std::string_view name, uint32_t &found)
{
    const int64_t object = Resolve(tree, name);
    if (object < 0)
        return ERR_NO_SUCH_ENTRY;
    found = uint32_t(object);
    return 0;
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
