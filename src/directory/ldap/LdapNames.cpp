#include "directory/ldap/LdapNames.h"

#include "directory/client/CaseFold.h"
#include "directory/ldap/LdapEntryCache.h"
#include "directory/ldap/LdapTrees.h"
#include "directory/ldap/LdapWords.h"

#include <ldap.h>

#include <algorithm>

namespace {

// Names remembered at most in each generation, the latest and the one before; names
// forgotten are found again from the naming types of their container's entries.
constexpr size_t RememberedNames = 50000;

} // namespace

LdapNames::LdapNames(LdapTrees &trees, LdapEntryCache &entries, LdapWords &words)
    : trees_(trees), entries_(entries), words_(words)
{
}

std::string &LdapNames::KeyOf(uint32_t tree, std::string_view nameKey, std::string &key)
{
    key.assign(reinterpret_cast<const char *>(&tree), sizeof tree);
    return key.append(nameKey);
}

std::string LdapNames::KeyOf(uint32_t tree, std::string_view nameKey)
{
    std::string key;
    return KeyOf(tree, nameKey, key);
}

std::string &LdapNames::FoldedKeyOf(uint32_t tree, std::string_view text, std::string &key)
{
    return KeyOf(tree, CaseFold::FoldedView(text, folded_), key);
}

void LdapNames::RememberContexts()
{
    for (uint32_t tree = 0; tree < trees_.Count(); ++tree) {
        const LdapServer &server = trees_.Server(tree);
        std::vector<LdapName::Rdn> parts;
        for (const std::string &dn : server.NamingContexts()) {
            if (LdapName::ParseDn(dn, parts))
                Remember(tree, parts, dn);
        }
        if (LdapName::ParseDn(server.BaseDn(), parts))
            Remember(tree, parts, server.BaseDn());
    }
}

void LdapNames::Remember(uint32_t tree, const std::vector<LdapName::Rdn> &parts, const std::string &dn)
{
    RememberKey(KeyOf(tree, LdapName::Key(parts)), dn);
}

void LdapNames::RememberKey(std::string key, const std::string &dn)
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

const std::string *LdapNames::Known(uint32_t tree, const std::vector<LdapName::Rdn> &parts)
{
    return KnownKey(KeyOf(tree, LdapName::Key(parts), key_));
}

const std::string *LdapNames::KnownKey(std::string_view key) const
{
    if (const auto found = names_.find(key); found != names_.end())
        return &found->second;
    if (const auto found = olderNames_.find(key); found != olderNames_.end())
        return &found->second;
    return nullptr;
}

NWDSCCODE LdapNames::Resolve(uint32_t tree, const char *name, std::string &dn, std::string_view *kept)
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
        if (const std::string *known = KnownKey(FoldedKeyOf(tree, text, key_))) {
            dn = *known;
            return 0;
        }
    }
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDotted(name, parts))
        return ERR_NO_SUCH_ENTRY;
    return ResolveParts(tree, parts, dn);
}

NWDSCCODE LdapNames::ResolveParts(uint32_t tree, const std::vector<LdapName::Rdn> &parts, std::string &dn)
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
        std::string found;
        if (const NWDSCCODE code = Search(tree, base, LdapName::Key({parts[index]}), found); code != 0)
            return code;
        base = found;
        Remember(tree, wanted, base);
    }
    dn = base;
    return 0;
}

NWDSCCODE LdapNames::Search(uint32_t tree, const std::string &base, const std::string &partKey, std::string &found)
{
    LdapServer &server = trees_.Server(tree);
    const char *attributes[] = {LDAP_NO_ATTRS, nullptr};
    const LdapReply reply = server.Run(LdapServer::Search(base, LDAP_SCOPE_ONELEVEL, attributes, true));
    for (LDAPMessage *at = reply.FirstEntry(); at && found.empty(); at = reply.NextEntry(at)) {
        const LdapTextOwned childDn(ldap_get_dn(reply.Handle(), at));
        std::vector<LdapName::Rdn> childParts;
        if (childDn && LdapName::ParseDn(childDn.get(), childParts) && !childParts.empty() &&
            LdapName::Key({childParts.front()}) == partKey)
            found = childDn.get();
    }
    if (found.empty())
        return reply.Status() == LDAP_SUCCESS ? ERR_NO_SUCH_ENTRY : words_.Failed(server, reply.Status());
    return 0;
}

std::string LdapNames::Typed(uint32_t tree, const LdapName::Rdn &part, const std::string &base)
{
    if (part.size() != 1)
        return {};
    if (!typedBelow_.valid || typedBelow_.tree != tree || typedBelow_.name != base) {
        typedBelow_ = {true, tree, base, nullptr};
        std::vector<LdapName::Rdn> baseParts;
        if (LdapName::ParseDn(base, baseParts)) {
            if (const auto found = children_.find(KeyOf(tree, LdapName::Key(baseParts), key_));
                found != children_.end())
                typedBelow_.found = &found->second.types;
        }
    }
    if (!typedBelow_.found)
        return {};
    for (const std::string &type : *typedBelow_.found) {
        LdapName::Rdn typed = part;
        typed.front().type = type;
        std::string dn;
        if (!LdapName::ToDn({typed}, dn))
            continue;
        dn += ',';
        dn += base;
        if (entries_.Kept(tree, dn) || Exists(tree, dn) == 0)
            return dn;
    }
    return {};
}

bool LdapNames::KeptListed(uint32_t tree, std::string_view name, std::string &dn, std::string_view *block)
{
    const size_t dot = name.find('.');
    if (dot == std::string_view::npos || !LdapName::PlainValue(name.substr(0, dot)))
        return false;
    const std::string_view value = name.substr(0, dot);
    const std::string_view container = name.substr(dot + 1);
    if (!listedBelow_.valid || listedBelow_.tree != tree || listedBelow_.name != container) {
        listedBelow_ = {true, tree, std::string(container), nullptr};
        if (const auto found = children_.find(FoldedKeyOf(tree, container, key_)); found != children_.end())
            listedBelow_.found = &found->second;
    }
    if (!listedBelow_.found)
        return false;
    for (const std::string &type : listedBelow_.found->types) {
        dn.assign(type).append(1, '=').append(value).append(1, ',').append(listedBelow_.found->dn);
        if (const auto kept = entries_.Kept(tree, dn)) {
            if (block)
                *block = *kept;
            return true;
        }
    }
    return false;
}

NWDSCCODE LdapNames::Exists(uint32_t tree, const std::string &dn)
{
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return ERR_NO_SUCH_ENTRY;
    // An entry kept with its listing exists without asking.
    if (parts.empty() || Known(tree, parts) || entries_.Kept(tree, dn))
        return 0;
    LdapServer &server = trees_.Server(tree);
    const char *attributes[] = {LDAP_NO_ATTRS, nullptr};
    const LdapReply reply = server.Run(LdapServer::Search(dn, LDAP_SCOPE_BASE, attributes, true));
    if (reply.Status() != LDAP_SUCCESS)
        return words_.Failed(server, reply.Status());
    Remember(tree, parts, dn);
    return 0;
}
