#include "directory/ldap/LdapClient.h"

#include "directory/client/ClientBatch.h"
#include "directory/ldap/LdapResult.h"

#include <ldap.h>

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

NWDSCCODE LdapClient::OpenListing(const Context &context, const char *object, bool containersOnly, int32_t *id)
{
    LdapListings::Listing listing = listings_.Make(context.tree, !containersOnly);
    if (const NWDSCCODE result = names_.Resolve(context.tree, object, listing.dn); result != 0)
        return result;
    listing.names = names_.Listing(context.tree, listing.dn);
    // A new run reads afresh; the listings of its sub-containers keep what it listed.
    entries_.ForgetReads();
    // Outside a run, what was kept goes when a listing starts that is not below one
    // still open; a run keeps all it listed (within the store's bound) until it ends,
    // for a recursive one leaves each container's listing before it lists the next.
    if (!listings_.Expecting() && !listings_.BelowOpen(context.tree, listing.dn))
        entries_.ForgetKept();
    *id = listings_.Open(std::move(listing));
    return 0;
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
        if (const NWDSCCODE result = OpenListing(*found, object, containersOnly, &id); result != 0)
            return result;
    }
    LdapListings::Listing *open = listings_.Find(id, found->tree);
    if (!open)
        return ERR_INVALID_HANDLE;
    LdapListings::Listing &listing = *open;
    Buf_T &out = *subordinates;
    out.Start(Buf_T::Content::Entries);
    out.tree = int32_t(found->tree);
    if (out.Size() < sizeof(uint32_t)) {
        listings_.Close(id);
        return ERR_INSUFFICIENT_BUFFER;
    }
    uint32_t entries = 0;
    bool full = false;
    const LdapNames::Top top = LdapNames::TopOf(found->nameContext);
    while (!full) {
        if (listing.pending.empty()) {
            if (!listing.more || listing.stopped != 0)
                break;
            listings_.Fetch(listing);
            continue;
        }
        const LdapListings::Entry &entry = listing.pending.front();
        if (!containersOnly || entry.container) {
            const std::string name =
                names_.HandOut(listing.names, top, Typeless(*found), listing.tree, listing.dn, entry.dn, entry.kept);
            if (name.empty()) {
                // Handed out, its name would read back to another entry or to none: the
                // listing fails there, as at a server limit.
                listing.stopped =
                    words_.Say(LdapResult::ToDirectory(LDAP_INVALID_DN_SYNTAX),
                               "the server sent an entry whose name cannot be read back: " + LdapName::Shown(entry.dn));
                listing.pending.clear();
                listing.more = false;
                break;
            }
            if (name.size() >= MAX_DN_BYTES) {
                // A name the directory cannot hold: the entry is left out on a call of its
                // own, which says so, and the listing goes on.
                if (entries > 0)
                    break;
                words_.Say(ERR_ENTRY_LEFT_OUT, "the server sent an entry whose name is longer than the directory's " +
                                                   std::to_string(MAX_DN_BYTES - 1) +
                                                   " bytes: " + LdapName::Shown(entry.dn));
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
            listings_.Close(id);
            return stopped;
        }
        listings_.Close(id);
        *iterationHandle = -1;
        return 0;
    }
    if (entries == 0 && full) {
        listings_.Close(id);
        return ERR_INSUFFICIENT_BUFFER;
    }
    *iterationHandle = id;
    return 0;
}
