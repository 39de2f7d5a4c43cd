#include "directory/ldap/LdapClient.h"

#include "directory/client/CaseFold.h"
#include "directory/client/ClientBatch.h"
#include "directory/ldap/LdapPageControl.h"
#include "directory/ldap/LdapResult.h"

#include <ldap.h>

#include <algorithm>
#include <cstring>
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

// Notes the naming type of a listed entry among those of its container, a few at most;
// whether it is among them.
bool NoteType(std::vector<std::string> &types, std::string_view type)
{
    if (std::find(types.begin(), types.end(), type) != types.end())
        return true;
    if (types.size() >= 4)
        return false;
    types.emplace_back(type);
    return true;
}

// The paged-results control asking for the page after cookie (the first when null).
bool PageControl(LdapConnection &connection, std::string *cookie, LDAPControl **page)
{
    berval value{ber_len_t(cookie ? cookie->size() : 0), cookie ? cookie->data() : nullptr};
    return ldap_create_page_control(connection.Handle(), PageSize, cookie ? &value : nullptr, 0, page) == LDAP_SUCCESS;
}

} // namespace

bool LdapClient::Listed(const Listing &listing, LDAPMessage *entry, ListedEntry &listed)
{
    const uint32_t tree = listing.tree;
    const bool whole = listing.whole;
    LDAP *ld = ConnectionOf(tree).Handle();
    NWDSCCODE code = 0;
    const LdapSchema *schema = SchemaOf(tree, &code);
    EntryClasses &classes = scannedClasses_;
    scanned_.Clear();
    if (!ScanEntry(schema, ld, entry, listed.dn, classes, whole && schema ? &scanned_ : nullptr,
                   listing.request ? &listing.request->kept : nullptr))
        return false;
    // The structural class: as the server names it, else the one among the entry's
    // classes that no other structural class of the entry derives from.
    int32_t base = -1;
    if (!classes.structural.empty() && schema)
        base = schema->FindClass(classes.structural);
    if (base < 0 && schema) {
        std::vector<int32_t> effective;
        for (const std::string_view name : classes.classes) {
            const int32_t index = schema->FindClass(name);
            if (index >= 0 && (schema->Classes()[size_t(index)].flags & DS_EFFECTIVE_CLASS))
                effective.push_back(index);
        }
        for (const int32_t candidate : effective) {
            const bool derived = std::any_of(effective.begin(), effective.end(), [&](int32_t other) {
                const auto &supers = schema->Classes()[size_t(other)].lists[LdapSchema::SuperClasses];
                return std::find(supers.begin(), supers.end(), schema->Classes()[size_t(candidate)].name) !=
                       supers.end();
            });
            if (!derived) {
                base = candidate;
                break;
            }
        }
    }
    listed.baseClass = base >= 0 ? schema->Classes()[size_t(base)].name : std::string();
    listed.container =
        (base >= 0 && (schema->Classes()[size_t(base)].flags & DS_CONTAINER_CLASS)) || classes.subordinates;
    // Values sent in ranges are fetched to their end; past the memory allowed, or when
    // they cannot be, the entry is read again when asked for (and a failure reported then).
    const bool ranges = ranged_.empty() || FollowRanges(tree, listed.dn, scanned_) == 0;
    listed.kept = whole && schema && ranges && prefetched_.Keep(ReadKey(tree, listed.dn), scanned_.Bytes());
    return true;
}

void LdapClient::MakeParentNames(const Context &context, const NameTop &top, Listing &listing)
{
    ParentNames &parent = listing.parent;
    parent.made = true;
    parent.typeless = Typeless(context);
    parent.topKey = top.key;
    std::vector<LdapName::Rdn> parts;
    parent.usable = LdapName::ParseDn(listing.dn, parts) && !parts.empty() && top.parts.size() <= parts.size();
    if (!parent.usable)
        return;
    parent.key = LdapName::Key(parts);
    parent.treeKey = TreeKey(listing.tree, {});
    // The listing's entry as the name context shows it: without the name context itself.
    if (!top.parts.empty() && LdapName::EndsWith(parts, top.parts.size(), top.key))
        parts.resize(parts.size() - top.parts.size());
    parent.shown = parts.empty() ? std::string() : '.' + LdapName::DottedOf(parts, parent.typeless);
}

std::string LdapClient::ListedName(const Context &context, const NameTop &top, Listing &listing,
                                   const ListedEntry &entry)
{
    const std::string &dn = entry.dn;
    std::string_view type;
    std::string_view value;
    std::string_view rest;
    if (LdapName::PlainRdn(dn, type, value, rest) && !rest.empty() && rest == listing.dn) {
        ParentNames &parent = listing.parent;
        if (!parent.made || parent.typeless != Typeless(context) || parent.topKey != top.key)
            MakeParentNames(context, top, listing);
        if (parent.usable) {
            std::string key = parent.treeKey;
            key.append(CaseFold::FoldedView(value, folded_));
            key.push_back('.');
            key.append(parent.key);
            // An entry kept is found again through its container (KeptListed).
            const bool noted = listing.childTypes && NoteType(*listing.childTypes, type);
            if (!noted || !entry.kept)
                RememberKey(std::move(key), dn);
            std::string name;
            name.reserve(type.size() + 1 + value.size() + parent.shown.size());
            if (!parent.typeless)
                name.append(LdapName::Upper(type)).push_back('=');
            name.append(value).append(parent.shown);
            return name;
        }
    }
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return {};
    Remember(listing.tree, parts, dn);
    if (listing.childTypes && !parts.empty() && parts.front().size() == 1)
        NoteType(*listing.childTypes, parts.front().front().type);
    return HandedOut(context, top, std::move(parts));
}

std::shared_ptr<const LdapClient::Request> LdapClient::RequestOf(uint32_t tree)
{
    NWDSCCODE code = 0;
    const LdapSchema *schema = expected_.empty() ? nullptr : SchemaOf(tree, &code);
    if (!schema)
        return nullptr;
    std::shared_ptr<const Request> &made = trees_[tree].request;
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
        if (expectedDescends_)
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

const char *const *LdapClient::AttributesOf(const Listing &listing)
{
    if (!listing.whole)
        return ListedAttributes;
    if (!listing.request)
        return WholeEntries;
    return listing.subtree ? listing.request->subtreeAttributes.data() : listing.request->attributes.data();
}

void LdapClient::ExpectReads(const std::vector<std::string> &attributes, bool descends)
{
    expected_ = attributes;
    expectedDescends_ = descends;
    for (Tree &tree : trees_)
        tree.request.reset();
    // What was fetched before a run holds other attributes, and for a run that is over
    // only what it read.
    subtree_ = {};
    prefetched_.Clear();
    lastRead_.valid = false;
}

bool LdapClient::BelowOpenListing(uint32_t tree, const std::string &dn) const
{
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return false;
    for (const auto &[id, open] : listings_) {
        std::vector<LdapName::Rdn> top;
        if (open.tree == tree && LdapName::ParseDn(open.dn, top) && top.size() < parts.size() &&
            LdapName::EndsWith(parts, top.size(), LdapName::Key(top)))
            return true;
    }
    return false;
}

NWDSCCODE LdapClient::FetchTop(Listing &listing)
{
    LdapConnection &connection = ConnectionOf(listing.tree);
    listing.more = false;
    const std::vector<std::string> namingContexts = connection.NamingContexts();
    for (const std::string &dn : namingContexts) {
        LDAPMessage *result = nullptr;
        const int status =
            connection.Search(dn, LDAP_SCOPE_BASE, "(objectClass=*)", AttributesOf(listing), false, nullptr, &result);
        for (LDAPMessage *at = connection.FirstEntry(result); at && listing.stopped == 0;
             at = connection.NextEntry(at)) {
            ListedEntry listed;
            if (Listed(listing, at, listed))
                listing.pending.push_back(std::move(listed));
            else
                listing.stopped = Unreadable(listed.dn);
        }
        ldap_msgfree(result);
        // A naming context that cannot be read is no subordinate to show.
        if (status != LDAP_SUCCESS && status != LDAP_NO_SUCH_OBJECT && status != LDAP_INSUFFICIENT_ACCESS) {
            listing.stopped = Failed(listing.tree, status);
            break;
        }
    }
    return 0;
}

NWDSCCODE LdapClient::FetchPage(Listing &listing)
{
    if (listing.dn.empty())
        return FetchTop(listing);
    LdapConnection &connection = ConnectionOf(listing.tree);
    const int scope = listing.subtree ? LDAP_SCOPE_SUBTREE : LDAP_SCOPE_ONELEVEL;
    int status = LDAP_SUCCESS;
    LDAPMessage *result = nullptr;
    bool paged = false;
    if (listing.sent >= 0) {
        // The page asked for ahead; when the connection dropped meanwhile, it is asked
        // for again below.
        const int sent = std::exchange(listing.sent, -1);
        paged = listing.session == connection.Session() && connection.Receive(sent, &status, &result);
    }
    for (int attempt = 0; attempt < 2 && !paged; ++attempt) {
        bool continued = listing.started && !listing.cookie.empty();
        if (!continued)
            SettleOpenListings(listing);
        if (continued && listing.session != connection.Session()) {
            // The connection was made again since the last page: the new one knows
            // nothing of the paged search, which starts over past the entries listed.
            listing.cookie.clear();
            listing.skip = listing.received;
            listing.received = 0;
            continued = false;
        }
        const uint32_t session = connection.Session();
        LDAPControl *page = nullptr;
        if (connection.Pages() && !PageControl(connection, continued ? &listing.cookie : nullptr, &page))
            return ERR_NOT_ENOUGH_MEMORY;
        listing.started = true;
        LDAPControl *controls[] = {page, nullptr};
        status = connection.Search(listing.dn, scope, "(objectClass=*)", AttributesOf(listing), false,
                                   page ? controls : nullptr, &result);
        if (page)
            ldap_control_free(page);
        if (!continued || connection.Session() == session) {
            paged = page != nullptr;
            break;
        }
        ldap_msgfree(result); // the page asked with a cookie of the dropped connection
        result = nullptr;
    }
    LDAP *ld = connection.Handle();
    listing.more = false;
    listing.cookie.clear();
    if (status == LDAP_SUCCESS && paged && result) {
        switch (LdapPageControl::Next(ld, result, listing.cookie)) {
        case LdapPageControl::Page::More:
            listing.session = connection.Session();
            listing.more = true;
            break;
        case LdapPageControl::Page::Unreadable: // no end of the listing
            listing.stopped = Failed(listing.tree, LDAP_DECODING_ERROR);
            break;
        case LdapPageControl::Page::Last:
            break;
        }
    }
    // The next page is asked for before this one is taken apart: the server makes it
    // ready meanwhile.
    if (listing.more) {
        LDAPControl *page = nullptr;
        if (PageControl(connection, &listing.cookie, &page)) {
            LDAPControl *controls[] = {page, nullptr};
            listing.sent = connection.Send(listing.dn, scope, "(objectClass=*)", AttributesOf(listing), controls);
            ldap_control_free(page);
        }
    }
    for (LDAPMessage *at = connection.FirstEntry(result); at; at = connection.NextEntry(at)) {
        ++listing.received;
        if (listing.skip > 0) {
            --listing.skip;
            continue;
        }
        ListedEntry listed;
        if (!Listed(listing, at, listed)) {
            listing.stopped = Unreadable(listed.dn);
            break;
        }
        listing.pending.push_back(std::move(listed));
    }
    ldap_msgfree(result);
    if (status != LDAP_SUCCESS)
        listing.stopped = Failed(listing.tree, status);
    return 0;
}

void LdapClient::SettleOpenListings(const Listing &starting)
{
    LdapConnection &connection = ConnectionOf(starting.tree);
    if (!connection.Pages())
        return;
    for (auto &[id, open] : listings_) {
        if (&open == &starting || open.tree != starting.tree || open.cookie.empty() || !open.more ||
            open.stopped != 0 || open.session != connection.Session())
            continue;
        while (open.more && open.stopped == 0 && !open.cookie.empty() && open.pending.size() < readAhead_)
            FetchPage(open);
        if (!open.more || open.stopped != 0 || open.cookie.empty())
            continue;
        // Past what may be read ahead: the listing starts over when its entries run
        // out, past those the server has sent.
        if (open.sent >= 0)
            connection.Abandon(std::exchange(open.sent, -1));
        open.cookie.clear();
        open.skip = open.received;
        open.received = 0;
    }
}

void LdapClient::CloseListing(std::map<int32_t, Listing>::iterator listing)
{
    if (listing->second.sent >= 0 && listing->second.session == ConnectionOf(listing->second.tree).Session())
        ConnectionOf(listing->second.tree).Abandon(listing->second.sent);
    listings_.erase(listing);
}

NWDSCCODE LdapClient::NWDSList(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                               Buf_T *subordinates)
{
    return List(context, object, iterationHandle, subordinates, false);
}

NWDSCCODE LdapClient::NWDSListContainers(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                         Buf_T *subordinates)
{
    return List(context, object, iterationHandle, subordinates, true);
}

NWDSCCODE LdapClient::List(NWDSContextHandle context, const char *object, int32_t *iterationHandle, Buf_T *subordinates,
                           bool containersOnly)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!object || !iterationHandle || !subordinates)
        return ERR_INVALID_REQUEST;
    int32_t id = *iterationHandle;
    if (id == -1) {
        Listing listing;
        listing.tree = found->tree;
        listing.whole = !containersOnly;
        if (listing.whole)
            listing.request = RequestOf(found->tree);
        if (const NWDSCCODE result = Resolve(found->tree, object, listing.dn); result != 0)
            return result;
        if (std::vector<LdapName::Rdn> parts; !listing.dn.empty() && LdapName::ParseDn(listing.dn, parts)) {
            Children &children = children_[TreeKey(found->tree, LdapName::Key(parts))];
            children.dn = listing.dn;
            listing.childTypes = &children.types;
        }
        typedBelow_.valid = false;
        listedBelow_.valid = false;
        // A new run reads afresh; the listings of its sub-containers keep what it listed.
        reads_.clear();
        lastRead_.valid = false;
        // Outside a run, what was kept goes when a listing starts that is not below one
        // still open; a run keeps all it listed (within the store's bound) until it
        // ends, for a recursive one leaves each container's listing before it lists the
        // next container.
        if (expected_.empty() && !BelowOpenListing(found->tree, listing.dn))
            prefetched_.Clear();
        FromSubtree(listing);
        if (listings_.size() >= OpenListings)
            CloseListing(listings_.begin());
        id = nextListing_;
        nextListing_ = nextListing_ == INT32_MAX ? 0 : nextListing_ + 1;
        listings_.insert_or_assign(id, std::move(listing));
    }
    const auto open = listings_.find(id);
    if (open == listings_.end() || open->second.tree != found->tree)
        return ERR_INVALID_HANDLE;
    Listing &listing = open->second;
    Buf_T &out = *subordinates;
    out.Start(Buf_T::Content::Entries);
    out.tree = int32_t(found->tree);
    if (out.Size() < sizeof(uint32_t)) {
        CloseListing(open);
        return ERR_INSUFFICIENT_BUFFER;
    }
    uint32_t entries = 0;
    bool full = false;
    const NameTop top = TopOf(*found);
    while (!full) {
        if (listing.pending.empty()) {
            if (!listing.more || listing.stopped != 0)
                break;
            FetchPage(listing);
            continue;
        }
        const ListedEntry &entry = listing.pending.front();
        if (!containersOnly || entry.container) {
            const std::string name = ListedName(*found, top, listing, entry);
            if (name.empty()) {
                // Handed out, its name would read back to another entry or to none: the
                // listing fails there, as at a server limit.
                listing.stopped = LdapResult::ToDirectory(LDAP_INVALID_DN_SYNTAX);
                wordsCode_ = listing.stopped;
                words_ = "the server sent an entry whose name cannot be read back: " + LdapName::Shown(entry.dn);
                listing.pending.clear();
                listing.more = false;
                break;
            }
            if (name.size() >= MAX_DN_BYTES) {
                // A name the directory cannot hold: the entry is left out on a call of its
                // own, which says so, and the listing goes on.
                if (entries > 0)
                    break;
                wordsCode_ = ERR_ENTRY_LEFT_OUT;
                words_ = "the server sent an entry whose name is longer than the directory's " +
                         std::to_string(MAX_DN_BYTES - 1) + " bytes: " + LdapName::Shown(entry.dn);
                listing.pending.pop_front();
                *iterationHandle = id;
                return ERR_ENTRY_LEFT_OUT;
            }
            if (!ClientBatch::PutListedEntry(
                    out, {0, entry.container ? DS_CONTAINER_ENTRY : 0, 0, 0, name, entry.baseClass})) {
                full = true;
                break;
            }
            ++entries;
        }
        listing.pending.pop_front();
    }
    out.PatchU32(0, entries);
    if (listing.pending.empty() && (!listing.more || listing.stopped != 0)) {
        if (listing.stopped != 0) {
            if (entries > 0) {
                *iterationHandle = id; // the failure comes with the next batch
                return 0;
            }
            const NWDSCCODE stopped = listing.stopped;
            CloseListing(open);
            return stopped;
        }
        CloseListing(open);
        *iterationHandle = -1;
        return 0;
    }
    if (entries == 0 && full) {
        CloseListing(open);
        return ERR_INSUFFICIENT_BUFFER;
    }
    *iterationHandle = id;
    return 0;
}
