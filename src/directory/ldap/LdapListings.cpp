#include "directory/ldap/LdapListings.h"

#include "directory/ldap/LdapTrees.h"

#include <ldap.h>

#include <algorithm>
#include <utility>

namespace {

// Entries asked for in one page of a paged listing.
constexpr int PageSize = 500;
// Listings kept open at most; a caller that stops a listing early does not say so, and
// the oldest is then dropped.
constexpr size_t OpenListings = 256;

// What a listing needs of each entry; a listing of objects takes them whole, so that the
// reads that follow need not ask again.
const char *const ListedAttributes[] = {"objectClass", "structuralObjectClass", "hasSubordinates", nullptr};
const char *const WholeEntries[] = {LDAP_ALL_USER_ATTRIBUTES, "structuralObjectClass", "hasSubordinates", nullptr};

} // namespace

LdapListings::LdapListings(LdapTrees &trees, LdapEntryScan &scan, LdapEntryCache &entries, LdapWords &words)
    : trees_(trees), scan_(scan), entries_(entries), words_(words), requests_(trees.Count())
{
}

void LdapListings::Expect(const std::vector<std::string> &attributes, bool descends)
{
    expected_ = attributes;
    descends_ = descends;
    for (std::shared_ptr<const Request> &request : requests_)
        request.reset();
    subtree_ = {};
    subtreeGivenUp_ = false;
}

std::shared_ptr<const LdapListings::Request> LdapListings::RequestOf(uint32_t tree)
{
    NWDSCCODE code = 0;
    const LdapSchema *schema = expected_.empty() ? nullptr : trees_.Schema(tree, &code);
    if (!schema)
        return nullptr;
    std::shared_ptr<const Request> &made = requests_[tree];
    if (!made) {
        auto request = std::make_shared<Request>();
        request->kept.assign(schema->Attributes().size(), false);
        for (const std::string &name : expected_) {
            const int32_t index = schema->FindAttribute(name);
            if (index < 0 || request->kept[size_t(index)])
                continue;
            request->kept[size_t(index)] = true;
            request->names.push_back(schema->Attributes()[size_t(index)].ldapName);
        }
        // What the listing itself needs: the class, and for a run that descends, whether
        // an entry has subordinates.
        request->names.emplace_back("objectClass");
        request->names.emplace_back("structuralObjectClass");
        if (descends_)
            request->names.emplace_back("hasSubordinates");
        for (const std::string &name : request->names) {
            request->attributes.push_back(name.c_str());
            if (name != "hasSubordinates")
                request->subtreeAttributes.push_back(name.c_str());
        }
        request->attributes.push_back(nullptr);
        request->subtreeAttributes.push_back(nullptr);
        made = std::move(request);
    }
    return made;
}

const char *const *LdapListings::AttributesOf(const Listing &listing)
{
    if (!listing.whole)
        return ListedAttributes;
    if (!listing.request)
        return WholeEntries;
    return listing.subtree ? listing.request->subtreeAttributes.data() : listing.request->attributes.data();
}

LdapServer::Search LdapListings::SearchOf(const Listing &listing, bool paged, std::string_view cookie) const
{
    LdapServer::Search search(listing.dn, listing.subtree ? LDAP_SCOPE_SUBTREE : LDAP_SCOPE_ONELEVEL,
                              AttributesOf(listing));
    search.pageSize = paged ? PageSizeOf(listing) : 0;
    search.cookie = cookie;
    return search;
}

// Each page of a paged search costs the server a start of the search over again (slapd
// walks the candidates below the base once more), so the one subtree search of a run asks
// for larger pages once its entries show that they stay small; past the run's bound by an
// entry at most, so that the bound is seen.
int LdapListings::PageSizeOf(const Listing &listing) const
{
    if (!listing.subtree || listing.taken == 0)
        return PageSize;
    const size_t average = std::max<size_t>(1, listing.takenBytes / listing.taken);
    const size_t left = subtreeEntries_ + 1 > listing.asked ? subtreeEntries_ + 1 - listing.asked : 0;
    return int(std::clamp<size_t>(std::min(SubtreePageBytes / average, left), PageSize, SubtreePageSize));
}

LdapListings::Listing LdapListings::Make(uint32_t tree, bool whole)
{
    Listing listing;
    listing.tree = tree;
    listing.whole = whole;
    if (whole)
        listing.request = RequestOf(tree);
    return listing;
}

int32_t LdapListings::Open(Listing listing)
{
    FromSubtree(listing);
    if (open_.size() >= OpenListings)
        Close(open_.begin()->first);
    const int32_t id = next_;
    next_ = next_ == INT32_MAX ? 0 : next_ + 1;
    open_.insert_or_assign(id, std::move(listing));
    return id;
}

LdapListings::Listing *LdapListings::Find(int32_t id, uint32_t tree)
{
    const auto open = open_.find(id);
    return open == open_.end() || open->second.tree != tree ? nullptr : &open->second;
}

void LdapListings::Close(int32_t id)
{
    const auto open = open_.find(id);
    if (open == open_.end())
        return;
    LdapServer &server = trees_.Server(open->second.tree);
    if (open->second.sent >= 0 && open->second.session == server.Session())
        server.Abandon(open->second.sent);
    open_.erase(open);
}

bool LdapListings::BelowOpen(uint32_t tree, const std::string &dn) const
{
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return false;
    for (const auto &[id, open] : open_) {
        std::vector<LdapName::Rdn> top;
        if (open.tree == tree && LdapName::ParseDn(open.dn, top) && top.size() < parts.size() &&
            LdapName::EndsWith(parts, top.size(), LdapName::Key(top)))
            return true;
    }
    return false;
}

void LdapListings::SettleOpenListings(const Listing &starting)
{
    LdapServer &server = trees_.Server(starting.tree);
    if (!server.Pages())
        return;
    for (auto &[id, open] : open_) {
        if (&open == &starting || open.tree != starting.tree || open.cookie.empty() || !open.more ||
            open.stopped != 0 || open.session != server.Session())
            continue;
        while (open.more && open.stopped == 0 && !open.cookie.empty() && open.pending.size() < readAhead_)
            Fetch(open);
        if (!open.more || open.stopped != 0 || open.cookie.empty())
            continue;
        // Past what may be read ahead: the listing starts over when its entries run
        // out, past those the server has sent.
        if (open.sent >= 0)
            server.Abandon(std::exchange(open.sent, -1));
        open.cookie.clear();
        open.skip = open.received;
        open.received = 0;
    }
}
