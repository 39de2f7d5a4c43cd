#include "directory/ldap/LdapClient.h"

#include "directory/ldap/LdapConnection.h"

namespace {

// The memory that entries read with their listings may take: a million users with a
// few short properties each.
constexpr size_t KeptBytes = size_t(192) << 20;

} // namespace

std::unique_ptr<LdapClient> LdapClient::Connect(const std::vector<LdapServerConfig> &servers,
                                                const LdapPasswordPrompt &prompt, QString *error)
{
    if (servers.empty()) {
        *error = QStringLiteral("no directory server is configured");
        return nullptr;
    }
    std::vector<std::unique_ptr<LdapServer>> connections;
    for (const LdapServerConfig &server : servers) {
        std::unique_ptr<LdapConnection> connection = LdapConnection::Open(server, prompt, error);
        if (!connection)
            return nullptr;
        connections.push_back(std::move(connection));
    }
    return Over(std::move(connections));
}

std::unique_ptr<LdapClient> LdapClient::Over(std::vector<std::unique_ptr<LdapServer>> servers)
{
    return std::unique_ptr<LdapClient>(new LdapClient(std::move(servers)));
}

LdapClient::LdapClient(std::vector<std::unique_ptr<LdapServer>> servers)
    : ClientBase(ERR_SYNTAX_VIOLATION), trees_(std::move(servers), words_), entries_(trees_, scan_, words_, KeptBytes),
      names_(trees_, entries_, words_), listings_(trees_, scan_, entries_, words_)
{
    names_.RememberContexts();
}

LdapClient::~LdapClient() = default;

void LdapClient::SetWaitHook(const std::function<bool()> &stop)
{
    for (uint32_t tree = 0; tree < trees_.Count(); ++tree)
        trees_.Server(tree).SetWaitHook(stop);
}

bool LdapClient::Lost() const
{
    for (uint32_t tree = 0; tree < trees_.Count(); ++tree) {
        if (trees_.Server(tree).Lost())
            return true;
    }
    return false;
}

void LdapClient::ExpectReads(const std::vector<std::string> &attributes, bool descends)
{
    listings_.Expect(attributes, descends);
    // What was fetched before a run holds other attributes, and for a run that is over
    // only what it read.
    entries_.ForgetKept();
}

NWDSCCODE LdapClient::CopyDotted(const Context &context, const std::string &dn, char *area, size_t size)
{
    std::string dotted;
    if (!LdapName::ToDotted(dn, Typeless(context), dotted))
        return ERR_NO_SUCH_ENTRY;
    return CopyOut(dotted, area, size);
}

// ---- contexts

std::string LdapClient::TreeName(uint32_t tree) const
{
    return trees_.Server(tree).TreeName().toStdString();
}

int32_t LdapClient::FindTree(std::string_view name) const
{
    const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size()));
    for (uint32_t tree = 0; tree < trees_.Count(); ++tree) {
        if (trees_.Server(tree).TreeName().compare(wanted, Qt::CaseInsensitive) == 0)
            return int32_t(tree);
    }
    return -1;
}

NWDSCCODE LdapClient::ResolveNameContext(uint32_t tree, std::string_view name, std::string &dn)
{
    if (const NWDSCCODE result = names_.Resolve(tree, std::string(name).c_str(), dn); result != 0)
        return result;
    return names_.Exists(tree, dn);
}

NWDSCCODE LdapClient::NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    const LdapServer &server = trees_.Server(found->tree);
    if (server.BoundDn().empty())
        return CopyOut(server.BoundName(), name, size);
    return CopyDotted(*found, server.BoundDn(), name, size);
}

NWDSCCODE LdapClient::NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    return CopyDotted(*found, trees_.Server(found->tree).BaseDn(), nameContext, size);
}

// ---- connections

NWDSCCODE LdapClient::NWCCGetPrimConnRef(NWCONN_HANDLE *connection)
{
    if (!connection)
        return ERR_INVALID_REQUEST;
    *connection = 1;
    return 0;
}

NWDSCCODE LdapClient::NWCCScanConnRefs(uint32_t *scanIterator, NWCONN_HANDLE *connection)
{
    if (!scanIterator || !connection)
        return ERR_INVALID_REQUEST;
    if (*scanIterator >= trees_.Count())
        return NWE_NO_MORE_ENTRIES;
    *connection = ++*scanIterator;
    return 0;
}

NWDSCCODE LdapClient::NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer)
{
    if (connection == 0 || connection > trees_.Count())
        return ERR_CONNECTION_UNKNOWN;
    if (infoType != NWCC_INFO_TREE_NAME)
        return ERR_INVALID_REQUEST;
    return CopyOut(TreeName(connection - 1), static_cast<char *>(buffer), size);
}
