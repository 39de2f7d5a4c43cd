#include "directory/ldap/LdapClient.h"

#include "directory/client/CaseFold.h"

#include "directory/ldap/LdapResult.h"

#include <ldap.h>

#include <algorithm>
#include <cstring>

namespace {

// Names remembered at most in each generation, the latest and the one before; names
// forgotten are found again from the naming types of their container's entries.
constexpr size_t RememberedNames = 50000;
// The memory that entries read with their listings may take: a million users with a
// few short properties each.
constexpr size_t PrefetchBytes = size_t(192) << 20;

} // namespace

std::unique_ptr<LdapClient> LdapClient::Connect(const std::vector<LdapServerConfig> &servers,
                                                const LdapPasswordPrompt &prompt, QString *error)
{
    if (servers.empty()) {
        *error = QStringLiteral("no directory server is configured");
        return nullptr;
    }
    std::unique_ptr<LdapClient> client(new LdapClient);
    for (const LdapServerConfig &server : servers) {
        Tree tree;
        tree.connection = LdapConnection::Open(server, prompt, error);
        if (!tree.connection)
            return nullptr;
        client->trees_.push_back(std::move(tree));
    }
    client->RememberContexts();
    return client;
}

void LdapClient::RememberContexts()
{
    for (uint32_t tree = 0; tree < trees_.size(); ++tree) {
        const LdapConnection &connection = *trees_[tree].connection;
        std::vector<LdapName::Rdn> parts;
        for (const std::string &dn : connection.NamingContexts()) {
            if (LdapName::ParseDn(dn, parts))
                Remember(tree, parts, dn);
        }
        if (LdapName::ParseDn(connection.BaseDn(), parts))
            Remember(tree, parts, connection.BaseDn());
    }
}

LdapClient::LdapClient() : ClientBase(ERR_SYNTAX_VIOLATION), prefetched_(PrefetchBytes) {}

std::string LdapClient::TreeKey(uint32_t tree, const std::string &key)
{
    std::string whole(reinterpret_cast<const char *>(&tree), sizeof tree);
    whole.append(key);
    return whole;
}

LdapClient::~LdapClient() = default;

const LdapSchema *LdapClient::SchemaOf(uint32_t tree, NWDSCCODE *code)
{
    Tree &entry = trees_[tree];
    if (entry.schema)
        return entry.schema.get();
    LdapConnection &connection = *entry.connection;
    if (connection.SubschemaDn().empty()) {
        *code = ERR_NO_SUCH_ENTRY;
        return nullptr;
    }
    const char *attributes[] = {"objectClasses", "attributeTypes", nullptr};
    LDAPMessage *result = nullptr;
    const int status = connection.Search(connection.SubschemaDn(), LDAP_SCOPE_BASE, "(objectClass=subschema)",
                                         attributes, false, nullptr, &result);
    if (status != LDAP_SUCCESS) {
        ldap_msgfree(result);
        *code = Failed(tree, status);
        return nullptr;
    }
    std::vector<std::string> objectClasses;
    std::vector<std::string> attributeTypes;
    LDAP *ld = connection.Handle();
    for (LDAPMessage *at = connection.FirstEntry(result); at; at = ldap_next_entry(ld, at)) {
        for (auto [name, into] :
             {std::pair{"objectClasses", &objectClasses}, std::pair{"attributeTypes", &attributeTypes}}) {
            berval **values = ldap_get_values_len(ld, at, name);
            for (int i = 0; values && values[i]; ++i)
                into->emplace_back(values[i]->bv_val, values[i]->bv_len);
            ldap_value_free_len(values);
        }
    }
    ldap_msgfree(result);
    entry.schema = std::make_unique<LdapSchema>();
    entry.schema->Build(objectClasses, attributeTypes);
    return entry.schema.get();
}

// ---- failures

NWDSCCODE LdapClient::Failed(uint32_t tree, int status)
{
    const NWDSCCODE code = LdapResult::ToDirectory(status);
    const LdapConnection &connection = ConnectionOf(tree);
    QString words = connection.Words(status);
    if (connection.Lost())
        words = connection.LostWords();
    else if (const char *limit = LdapResult::LimitName(status))
        words = QStringLiteral("the server's %1 was reached: %2").arg(QLatin1String(limit), words);
    wordsCode_ = code;
    words_ = words.toStdString();
    return code;
}

NWDSCCODE LdapClient::Unreadable(const std::string &dn)
{
    wordsCode_ = LdapResult::ToDirectory(LDAP_DECODING_ERROR);
    words_ = "Decoding error (the server sent an entry that does not read whole: " +
             (dn.empty() ? std::string("one without a name") : LdapName::Shown(dn)) + ')';
    return wordsCode_;
}

std::string LdapClient::TakeServerWords(NWDSCCODE code)
{
    std::string words;
    if (code == wordsCode_ && code != 0)
        words.swap(words_);
    wordsCode_ = 0;
    words_.clear();
    return words;
}

void LdapClient::SetWaitHook(const std::function<bool()> &stop)
{
    for (Tree &tree : trees_)
        tree.connection->SetWaitHook(stop);
}

bool LdapClient::Lost() const
{
    for (const Tree &tree : trees_) {
        if (tree.connection->Lost())
            return true;
    }
    return false;
}

// ---- names

void LdapClient::Remember(uint32_t tree, const std::vector<LdapName::Rdn> &parts, const std::string &dn)
{
    RememberKey(TreeKey(tree, LdapName::Key(parts)), dn);
}

void LdapClient::RememberKey(std::string key, const std::string &dn)
{
    if (names_.size() >= RememberedNames) {
        // The names handed out last stay known while the next ones come (a reader reads
        // the entries of a batch after it is listed); the naming contexts always do.
        olderNames_ = std::move(names_);
        names_.clear();
        RememberContexts();
    }
    names_.insert_or_assign(std::move(key), dn);
}

const std::string *LdapClient::Known(uint32_t tree, const std::vector<LdapName::Rdn> &parts) const
{
    return KnownKey(tree, LdapName::Key(parts));
}

const std::string *LdapClient::KnownKey(uint32_t tree, const std::string &nameKey) const
{
    return KnownTreeKey(TreeKey(tree, nameKey));
}

const std::string *LdapClient::KnownTreeKey(std::string_view key) const
{
    if (const auto found = names_.find(key); found != names_.end())
        return &found->second;
    if (const auto found = olderNames_.find(key); found != olderNames_.end())
        return &found->second;
    return nullptr;
}

NWDSCCODE LdapClient::Resolve(uint32_t tree, const char *name, std::string &dn, std::string_view *kept)
{
    if (!name)
        return ERR_NO_SUCH_ENTRY;
    if (KeptListed(tree, name, dn, kept))
        return 0;
    // Most names handed in are typeless names handed out before, with nothing to
    // unescape: their key is the name itself, case-folded.
    if (const std::string_view text(name);
        !text.empty() && text.front() != '.' &&
        std::none_of(text.begin(), text.end(), [](char c) { return c == '\\' || c == '=' || c == '+' || c == '['; })) {
        std::string &key = resolveKey_;
        key.assign(reinterpret_cast<const char *>(&tree), sizeof tree);
        key.append(CaseFold::FoldedView(text, folded_));
        if (const std::string *known = KnownTreeKey(key)) {
            dn = *known;
            return 0;
        }
    }
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDotted(name, parts))
        return ERR_NO_SUCH_ENTRY;
    return ResolveParts(tree, parts, dn);
}

NWDSCCODE LdapClient::ResolveParts(uint32_t tree, const std::vector<LdapName::Rdn> &parts, std::string &dn)
{
    if (LdapName::ToDn(parts, dn))
        return 0;
    if (const std::string *known = Known(tree, parts)) {
        dn = *known;
        return 0;
    }
    // The closest container already known, then each part below it.
    size_t known = parts.size();
    std::string base;
    for (size_t start = 1; start < parts.size(); ++start) {
        const std::vector<LdapName::Rdn> suffix(parts.begin() + std::ptrdiff_t(start), parts.end());
        if (const std::string *found = Known(tree, suffix)) {
            known = start;
            base = *found;
            break;
        }
    }
    if (known == parts.size() && !LdapName::IsTyped({parts.back()}))
        return ERR_NO_SUCH_ENTRY; // not below a naming context
    LdapConnection &connection = ConnectionOf(tree);
    for (size_t index = known; index-- > 0;) {
        const std::vector<LdapName::Rdn> wanted(parts.begin() + std::ptrdiff_t(index), parts.end());
        if (LdapName::IsTyped({parts[index]})) {
            std::string rdn;
            if (!LdapName::ToDn({parts[index]}, rdn))
                return ERR_NO_SUCH_ENTRY;
            base = base.empty() ? rdn : rdn.append(1, ',').append(base);
            continue;
        }
        if (std::string below = Typed(tree, parts[index], base); !below.empty()) {
            base = std::move(below);
            // The object itself is found so again at no cost: only containers are kept.
            if (index > 0)
                Remember(tree, wanted, base);
            continue;
        }
        const std::string key = LdapName::Key({parts[index]});
        const char *attributes[] = {LDAP_NO_ATTRS, nullptr};
        LDAPMessage *result = nullptr;
        const int status =
            connection.Search(base, LDAP_SCOPE_ONELEVEL, "(objectClass=*)", attributes, true, nullptr, &result);
        std::string found;
        LDAP *ld = connection.Handle();
        for (LDAPMessage *at = connection.FirstEntry(result); at && found.empty(); at = ldap_next_entry(ld, at)) {
            char *childDn = ldap_get_dn(ld, at);
            std::vector<LdapName::Rdn> childParts;
            if (childDn && LdapName::ParseDn(childDn, childParts) && !childParts.empty() &&
                LdapName::Key({childParts.front()}) == key)
                found = childDn;
            ldap_memfree(childDn);
        }
        ldap_msgfree(result);
        if (found.empty())
            return status == LDAP_SUCCESS ? ERR_NO_SUCH_ENTRY : Failed(tree, status);
        base = found;
        Remember(tree, wanted, base);
    }
    dn = base;
    return 0;
}

std::string LdapClient::Typed(uint32_t tree, const LdapName::Rdn &part, const std::string &base)
{
    if (part.size() != 1)
        return {};
    // The names resolved one after the other lie mostly in one container.
    if (!typedBelow_.valid || typedBelow_.tree != tree || typedBelow_.base != base) {
        typedBelow_ = {true, tree, base, nullptr};
        std::vector<LdapName::Rdn> baseParts;
        if (LdapName::ParseDn(base, baseParts)) {
            if (const auto found = children_.find(TreeKey(tree, LdapName::Key(baseParts))); found != children_.end())
                typedBelow_.types = &found->second.types;
        }
    }
    if (!typedBelow_.types)
        return {};
    for (const std::string &type : *typedBelow_.types) {
        LdapName::Rdn typed = part;
        typed.front().type = type;
        std::string dn;
        if (!LdapName::ToDn({typed}, dn))
            continue;
        dn += ',';
        dn += base;
        if (prefetched_.Find(ReadKey(tree, dn)) || Exists(tree, dn) == 0)
            return dn;
    }
    return {};
}

bool LdapClient::KeptListed(uint32_t tree, std::string_view name, std::string &dn, std::string_view *block)
{
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || !LdapName::PlainValue(name.substr(0, dot)))
        return false;
    const std::string_view value = name.substr(0, dot);
    const std::string_view container = name.substr(dot + 1);
    // The names read one after the other lie mostly in one container.
    if (!listedBelow_.valid || listedBelow_.tree != tree || listedBelow_.name != container) {
        listedBelow_ = {true, tree, std::string(container), nullptr};
        std::string key(reinterpret_cast<const char *>(&tree), sizeof tree);
        key.append(CaseFold::FoldedView(container, folded_));
        if (const auto found = children_.find(key); found != children_.end())
            listedBelow_.children = &found->second;
    }
    if (!listedBelow_.children)
        return false;
    for (const std::string &type : listedBelow_.children->types) {
        dn.assign(type).append(1, '=').append(value).append(1, ',').append(listedBelow_.children->dn);
        if (const auto kept = prefetched_.Find(ReadKey(tree, dn))) {
            if (block)
                *block = *kept;
            return true;
        }
    }
    return false;
}

NWDSCCODE LdapClient::Exists(uint32_t tree, const std::string &dn)
{
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return ERR_NO_SUCH_ENTRY;
    // An entry kept with its listing exists without asking.
    if (parts.empty() || Known(tree, parts) || prefetched_.Find(ReadKey(tree, dn)))
        return 0;
    const char *attributes[] = {LDAP_NO_ATTRS, nullptr};
    LDAPMessage *result = nullptr;
    const int status =
        ConnectionOf(tree).Search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", attributes, true, nullptr, &result);
    ldap_msgfree(result);
    if (status != LDAP_SUCCESS)
        return Failed(tree, status);
    Remember(tree, parts, dn);
    return 0;
}

LdapClient::NameTop LdapClient::TopOf(const Context &context)
{
    NameTop top;
    if (!context.nameContext.empty() && LdapName::ParseDn(context.nameContext, top.parts))
        top.key = LdapName::Key(top.parts);
    return top;
}

std::string LdapClient::HandedOut(const Context &context, const NameTop &top, std::vector<LdapName::Rdn> parts)
{
    if (!top.parts.empty() && top.parts.size() < parts.size() && LdapName::EndsWith(parts, top.parts.size(), top.key))
        parts.resize(parts.size() - top.parts.size());
    return LdapName::DottedOf(parts, Typeless(context));
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
    return trees_[tree].connection->TreeName().toStdString();
}

int32_t LdapClient::FindTree(std::string_view name) const
{
    const QString wanted = QString::fromUtf8(name.data(), qsizetype(name.size()));
    for (uint32_t tree = 0; tree < trees_.size(); ++tree) {
        if (trees_[tree].connection->TreeName().compare(wanted, Qt::CaseInsensitive) == 0)
            return int32_t(tree);
    }
    return -1;
}

NWDSCCODE LdapClient::ResolveNameContext(uint32_t tree, std::string_view name, std::string &dn)
{
    if (const NWDSCCODE result = Resolve(tree, std::string(name).c_str(), dn); result != 0)
        return result;
    return Exists(tree, dn);
}

NWDSCCODE LdapClient::NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    const std::string &bound = ConnectionOf(found->tree).BoundDn();
    if (bound.empty())
        return CopyOut(ConnectionOf(found->tree).BoundName(), name, size);
    return CopyDotted(*found, bound, name, size);
}

NWDSCCODE LdapClient::NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    return CopyDotted(*found, ConnectionOf(found->tree).BaseDn(), nameContext, size);
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
    if (*scanIterator >= trees_.size())
        return NWE_NO_MORE_ENTRIES;
    *connection = ++*scanIterator;
    return 0;
}

NWDSCCODE LdapClient::NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer)
{
    if (connection == 0 || connection > trees_.size())
        return ERR_CONNECTION_UNKNOWN;
    if (infoType != NWCC_INFO_TREE_NAME)
        return ERR_INVALID_REQUEST;
    return CopyOut(trees_[connection - 1].connection->TreeName().toStdString(), static_cast<char *>(buffer), size);
}
