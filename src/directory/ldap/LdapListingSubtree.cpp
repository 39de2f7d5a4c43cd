#include "directory/ldap/LdapListings.h"

#include "directory/client/CaseFold.h"
#include "directory/ldap/LdapTrees.h"

#include <utility>

namespace {

// Appends the key of a name's pair: its type as the schema names it first (any of its
// names and its OID alike), and its value, case-folded.
void AppendPair(std::string &key, const LdapSchema *schema, std::string_view type, std::string_view value)
{
    const int32_t index = schema ? schema->FindAttribute(type) : -1;
    CaseFold::AppendFolded(key, index >= 0 ? std::string_view(schema->Attributes()[size_t(index)].ldapName) : type);
    key += '=';
    CaseFold::AppendFolded(key, value);
    key += '\0';
}

// The key of parts from the first on, as the subtree files entries by their parent's:
// with the types, so that names that differ in their types only ("cn=x" and "ou=x"),
// one in their dotted names (LdapName::Key), are kept apart.
std::string KeyOf(const LdapSchema *schema, const std::vector<LdapName::Rdn> &parts, size_t first = 0)
{
    std::string key;
    for (size_t part = first; part < parts.size(); ++part) {
        for (const LdapName::Ava &pair : parts[part])
            AppendPair(key, schema, pair.type, pair.value);
        key += '\0';
    }
    return key;
}

} // namespace

bool LdapListings::FromSubtree(Listing &listing)
{
    if (!listing.whole || !descends_ || expected_.empty() || listing.dn.empty() || subtreeEntries_ == 0)
        return false;
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(listing.dn, parts) || parts.empty())
        return false;
    NWDSCCODE code = 0;
    const LdapSchema *schema = trees_.Schema(listing.tree, &code);
    if (!subtree_.valid || subtree_.tree != listing.tree || subtree_.top.size() > parts.size() ||
        KeyOf(schema, parts, parts.size() - subtree_.top.size()) != KeyOf(schema, subtree_.top)) {
        subtree_ = {};
        // One subtree search given up is enough for a run: those of its sub-containers
        // would read again what it read, level after level.
        if (subtreeGivenUp_ || !FetchSubtree(listing)) {
            subtreeGivenUp_ = true;
            return false;
        }
        subtree_.top = parts;
    }
    const std::string key = KeyOf(schema, parts);
    Subtree::Children &children = subtree_.children[key];
    // A container listed again in the run is asked of the server.
    if (children.served)
        return false;
    children.served = true;
    listing.pending = std::move(children.entries);
    // An entry has subordinates when entries below it came.
    std::string own;
    for (Entry &entry : listing.pending) {
        if (entry.container)
            continue;
        std::string_view type;
        std::string_view value;
        std::string_view rest;
        std::vector<LdapName::Rdn> entryParts;
        if (LdapName::PlainRdn(entry.dn, type, value, rest)) {
            own.clear();
            AppendPair(own, schema, type, value);
            own.append(1, '\0').append(key);
        } else if (LdapName::ParseDn(entry.dn, entryParts)) {
            own = KeyOf(schema, entryParts);
        } else {
            continue;
        }
        const auto below = subtree_.children.find(own);
        entry.container = below != subtree_.children.end() && below->second.count > 0;
    }
    listing.started = true;
    listing.more = false;
    return true;
}

bool LdapListings::FetchSubtree(const Listing &first)
{
    Listing all;
    all.tree = first.tree;
    all.whole = true;
    all.request = first.request;
    all.dn = first.dn;
    all.subtree = true;
    while (all.more && all.stopped == 0 && all.pending.size() <= subtreeEntries_)
        Fetch(all);
    LdapServer &server = trees_.Server(all.tree);
    if (all.sent >= 0 && all.session == server.Session())
        server.Abandon(all.sent);
    // Too many entries, or a failure (a limit of the server's among them): the listings
    // search one level each, and meet the failure themselves.
    if (all.more || all.stopped != 0)
        return false;
    NWDSCCODE code = 0;
    const LdapSchema *schema = trees_.Schema(all.tree, &code);
    Subtree made;
    made.valid = true;
    made.tree = all.tree;
    // An entry whose name does not read leaves the listings to the server, so that the
    // listing of its container reports it. Entries of one container mostly come one
    // after the other: their parent's key is made once for each run of them.
    std::string lastParent;
    std::string key;
    std::vector<LdapName::Rdn> parts;
    for (Entry &entry : all.pending) {
        std::string_view type;
        std::string_view value;
        std::string_view parent;
        if (LdapName::PlainRdn(entry.dn, type, value, parent)) {
            if (parent != lastParent || key.empty()) {
                if (!LdapName::ParseDn(parent, parts))
                    return false;
                lastParent.assign(parent);
                key = KeyOf(schema, parts);
            }
        } else {
            if (!LdapName::ParseDn(entry.dn, parts) || parts.empty())
                return false;
            lastParent.clear();
            key = KeyOf(schema, parts, 1);
        }
        Subtree::Children &children = made.children[key];
        children.entries.push_back(std::move(entry));
        ++children.count;
    }
    subtree_ = std::move(made);
    return true;
}
