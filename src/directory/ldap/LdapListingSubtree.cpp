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
    if (!subtree_.valid || subtree_.search.tree != listing.tree ||
        !LdapName::EndsWith(parts, subtree_.top.size(), LdapName::Key(subtree_.top))) {
        DropSubtree();
        subtree_.valid = true;
        subtree_.top = parts;
        Listing &search = subtree_.search;
        search.tree = listing.tree;
        search.whole = true;
        search.request = listing.request;
        search.dn = listing.dn;
        search.subtree = true;
        // A search that fails at once leaves the listings to one-level searches.
        if (!NextSubtreePage())
            return false;
    }
    listing.key = LdapName::Key(parts);
    Subtree::Children &children = subtree_.children[listing.key];
    // A container listed again in the run is asked of the server.
    if (children.served)
        return false;
    children.served = true;
    listing.fromSubtree = true;
    listing.started = true;
    return true;
}

void LdapListings::Serve(Listing &listing)
{
    for (;;) {
        const auto found = subtree_.children.find(listing.key);
        if (found == subtree_.children.end())
            return; // given up meanwhile: the listing searches one level
        std::deque<Entry> &entries = found->second.entries;
        const bool searching = subtree_.search.more;
        while (!entries.empty() && (entries.front().told || !searching)) {
            Entry &entry = entries.front();
            if (!entry.told)
                entry.container = HasEntriesBelow(entry, listing.key);
            listing.served.insert(entry.dn);
            listing.pending.push_back(std::move(entry));
            entries.pop_front();
            --subtree_.waiting;
        }
        if (!listing.pending.empty())
            return;
        if (!searching) {
            listing.more = false;
            return;
        }
        if (!NextSubtreePage())
            return;
    }
}

bool LdapListings::NextSubtreePage()
{
    Listing &search = subtree_.search;
    Fetch(search);
    if (search.stopped != 0) {
        // A limit of the server's among the reasons: the listings meet it themselves.
        DropSubtree();
        return false;
    }
    for (Entry &entry : search.pending) {
        if (!Place(entry)) {
            // The listing of its container reports a name that does not read.
            DropSubtree();
            return false;
        }
    }
    search.pending.clear();
    if (subtree_.waiting > subtreeEntries_) {
        DropSubtree();
        return false;
    }
    return true;
}

bool LdapListings::Place(Entry &entry)
{
    // Entries of one container mostly come one after the other: their parent's key is
    // made once for each run of them.
    std::string_view type;
    std::string_view value;
    std::string_view parent;
    std::vector<LdapName::Rdn> parts;
    if (LdapName::PlainRdn(entry.dn, type, value, parent)) {
        if (parent != subtree_.lastParent || subtree_.lastKey.empty()) {
            if (!LdapName::ParseDn(parent, parts))
                return false;
            subtree_.lastParent.assign(parent);
            subtree_.lastKey = LdapName::Key(parts);
        }
    } else {
        if (!LdapName::ParseDn(entry.dn, parts) || parts.empty())
            return false;
        parts.erase(parts.begin());
        subtree_.lastParent.clear();
        subtree_.lastKey = LdapName::Key(parts);
    }
    Subtree::Children &children = subtree_.children[subtree_.lastKey];
    ++children.count;
    children.entries.push_back(std::move(entry));
    ++subtree_.waiting;
    return true;
}

bool LdapListings::HasEntriesBelow(const Entry &entry, std::string_view parentKey)
{
    std::string_view type;
    std::string_view value;
    std::string_view rest;
    std::string own;
    std::vector<LdapName::Rdn> parts;
    if (LdapName::PlainRdn(entry.dn, type, value, rest))
        own.assign(CaseFold::FoldedView(value, folded_)).append(1, '.').append(parentKey);
    else if (LdapName::ParseDn(entry.dn, parts))
        own = LdapName::Key(parts);
    else
        return false;
    const auto below = subtree_.children.find(own);
    return below != subtree_.children.end() && below->second.count > 0;
}

void LdapListings::DropSubtree()
{
    Listing &search = subtree_.search;
    if (subtree_.valid && search.sent >= 0) {
        LdapServer &server = trees_.Server(search.tree);
        if (search.session == server.Session())
            server.Abandon(search.sent);
    }
    subtree_ = {};
    for (auto &[id, open] : open_) {
        if (!open.fromSubtree)
            continue;
        // Searched one level, past the entries handed on.
        open.fromSubtree = false;
        open.started = false;
        open.more = true;
        open.cookie.clear();
    }
}
