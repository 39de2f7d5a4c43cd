#include "directory/ldap/LdapListings.h"

#include "directory/ldap/LdapEntryCache.h"
#include "directory/ldap/LdapEntryScan.h"
#include "directory/ldap/LdapTrees.h"
#include "directory/ldap/LdapWords.h"

#include <ldap.h>

#include <utility>

bool LdapListings::Listed(const Listing &listing, const LdapReply &reply, LDAPMessage *entry, Entry &listed)
{
    NWDSCCODE code = 0;
    const LdapSchema *schema = trees_.Schema(listing.tree, &code);
    if (!scan_.Scan(schema, reply.Handle(), entry, listed.dn, listing.whole,
                    listing.request ? &listing.request->kept : nullptr))
        return false;
    const int32_t base = schema ? scan_.StructuralClass(*schema) : -1;
    listed.baseClass = base >= 0 ? schema->Classes()[size_t(base)].name : std::string();
    listed.container = (base >= 0 && (schema->Classes()[size_t(base)].flags & DS_CONTAINER_CLASS)) ||
                       scan_.EntryClasses().subordinates;
    // Values sent in ranges are fetched to their end; past the memory allowed, or when
    // they cannot be, the entry is read again when asked for (and a failure reported then).
    const bool ranges = !scan_.Ranged() || scan_.FollowRanges(trees_.Server(listing.tree), listed.dn, words_) == 0;
    listed.kept = listing.whole && schema && ranges && entries_.Keep(listing.tree, listed.dn, scan_.Block().Bytes());
    return true;
}

void LdapListings::FetchTop(Listing &listing)
{
    LdapServer &server = trees_.Server(listing.tree);
    listing.more = false;
    const std::vector<std::string> namingContexts = server.NamingContexts();
    for (const std::string &dn : namingContexts) {
        const LdapReply reply = server.Run(LdapServer::Search(dn, LDAP_SCOPE_BASE, AttributesOf(listing)));
        for (LDAPMessage *at = reply.FirstEntry(); at && listing.stopped == 0; at = reply.NextEntry(at)) {
            Entry listed;
            if (Listed(listing, reply, at, listed))
                listing.pending.push_back(std::move(listed));
            else
                listing.stopped = words_.Unreadable(listed.dn);
        }
        // A naming context that cannot be read is no subordinate to show.
        if (const int status = reply.Status();
            status != LDAP_SUCCESS && status != LDAP_NO_SUCH_OBJECT && status != LDAP_INSUFFICIENT_ACCESS) {
            listing.stopped = words_.Failed(server, status);
            break;
        }
    }
}

void LdapListings::Fetch(Listing &listing)
{
    if (listing.dn.empty()) {
        FetchTop(listing);
        return;
    }
    LdapServer &server = trees_.Server(listing.tree);
    LdapReply reply;
    bool paged = false;
    if (listing.sent >= 0) {
        // The page asked for ahead; when the connection dropped meanwhile, it is asked
        // for again below.
        const int sent = std::exchange(listing.sent, -1);
        paged = listing.session == server.Session() && server.Receive(sent, reply);
    }
    for (int attempt = 0; attempt < 2 && !paged; ++attempt) {
        bool continued = listing.started && !listing.cookie.empty();
        if (!continued)
            SettleOpenListings(listing);
        if (continued && listing.session != server.Session()) {
            // The connection was made again since the last page: the new one knows
            // nothing of the paged search, which starts over past the entries listed.
            listing.cookie.clear();
            listing.skip = listing.received;
            listing.received = 0;
            continued = false;
        }
        const uint32_t session = server.Session();
        const bool pages = server.Pages();
        listing.started = true;
        const LdapServer::Search search =
            SearchOf(listing, pages, continued ? std::string_view(listing.cookie) : std::string_view());
        listing.asked += size_t(search.pageSize);
        reply = server.Run(search);
        if (!continued || server.Session() == session) {
            paged = pages;
            break;
        }
        reply = {}; // the page asked with a cookie of the dropped connection
    }
    listing.more = false;
    listing.cookie.clear();
    if (reply.Status() == LDAP_SUCCESS && paged) {
        switch (reply.NextPage(listing.cookie)) {
        case LdapPageControl::Page::More:
            listing.session = server.Session();
            listing.more = true;
            break;
        case LdapPageControl::Page::Unreadable: // no end of the listing
            listing.stopped = words_.Failed(server, LDAP_DECODING_ERROR);
            break;
        case LdapPageControl::Page::Last:
            break;
        }
    }
    // The next page is asked for before this one is taken apart: the server makes it
    // ready meanwhile.
    if (listing.more) {
        const LdapServer::Search search = SearchOf(listing, true, listing.cookie);
        listing.asked += size_t(search.pageSize);
        listing.sent = server.Send(search);
    }
    for (LDAPMessage *at = reply.FirstEntry(); at; at = reply.NextEntry(at)) {
        ++listing.received;
        if (listing.skip > 0) {
            --listing.skip;
            continue;
        }
        Entry listed;
        if (!Listed(listing, reply, at, listed)) {
            listing.stopped = words_.Unreadable(listed.dn);
            break;
        }
        if (listing.subtree) {
            ++listing.taken;
            listing.takenBytes += listed.dn.size() + scan_.Block().Bytes().size();
        }
        listing.pending.push_back(std::move(listed));
    }
    if (reply.Status() != LDAP_SUCCESS)
        listing.stopped = words_.Failed(server, reply.Status());
}
