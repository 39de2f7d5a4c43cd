#include "directory/ldap/LdapListings.h"

#include "directory/client/CaseFold.h"
#include "directory/ldap/LdapTrees.h"

#include <utility>

bool LdapListings::FromSubtree(Listing &listing)
{
    if (!listing.whole || !descends_ || expected_.empty() || listing.dn.empty() || subtreeEntries_ == 0)
        return false;
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(listing.dn, parts) || parts.empty())
        return false;
    if (!subtree_.valid || subtree_.tree != listing.tree ||
        !LdapName::EndsWith(parts, subtree_.top.size(), LdapName::Key(subtree_.top))) {
        subtree_ = {};
        if (!FetchSubtree(listing))
            return false;
        subtree_.top = parts;
    }
    const std::string key = LdapName::Key(parts);
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
        if (LdapName::PlainRdn(entry.dn, type, value, rest))
            own.assign(CaseFold::FoldedView(value, folded_)).append(1, '.').append(key);
        else if (LdapName::ParseDn(entry.dn, entryParts))
            own = LdapName::Key(entryParts);
        else
            continue;
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
                key = LdapName::Key(parts);
            }
        } else {
            if (!LdapName::ParseDn(entry.dn, parts) || parts.empty())
                return false;
            parts.erase(parts.begin());
            lastParent.clear();
            key = LdapName::Key(parts);
        }
        Subtree::Children &children = made.children[key];
        children.entries.push_back(std::move(entry));
        ++children.count;
    }
    subtree_ = std::move(made);
    return true;
}
