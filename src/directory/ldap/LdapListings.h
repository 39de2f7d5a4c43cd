#pragma once

#include "directory/client/NWClient.h"
#include "directory/client/TextHash.h"
#include "directory/ldap/LdapName.h"
#include "directory/ldap/LdapNames.h"
#include "directory/ldap/LdapServer.h"

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class LdapEntryCache;
class LdapEntryScan;
class LdapTrees;
class LdapWords;

// The listings open on the client's trees, and the searches that bring their entries:
// - a listing of a container is a one-level search, in pages of 500 where the server
//   offers paged results; the next page is asked for (Send) before a page is taken
//   apart, so that the server makes it ready meanwhile;
// - when the connection was made again since a listing's last page, the new one knows
//   nothing of its cookie: the search starts over past the entries the server sent;
// - a server may keep one paged search per connection (slapd does): before a paged
//   search starts, every other listing open on its connection reads its remaining pages
//   ahead, up to ReadAhead entries; one that has more gives its cookie up and starts over
//   later past the entries the server sent;
// - for a run that descends (Expect), the first listing of objects fetches all entries
//   below its container with one paged subtree search, up to SubtreeEntries of them,
//   in pages that grow from 500 entries to about SubtreePageBytes, at most
//   SubtreePageSize entries, as its entries weigh,
//   and its own and each sub-container's listing is then served from there, in the
//   order the server sent the entries, an entry a container when entries below it came;
//   past that many, or when the search fails, the listings of the run search one level
//   each;
// - a listing of the top lists the naming contexts;
// - a listing of objects takes each entry whole (the attributes a run reads, else all
//   user attributes) and keeps its values in the entry cache for the reads to come;
// - a failure ends a listing once the entries before it are handed out, never as its end.
class LdapListings
{
public:
    // An entry as listed.
    struct Entry {
        std::string dn;
        std::string baseClass;
        bool container = false;
        bool kept = false; // its values are in the entry cache
    };
    // What listings of objects ask for while a run says what it reads (Expect).
    struct Request {
        std::vector<std::string> names;       // LDAP names
        std::vector<const char *> attributes; // the names', then null
        // The same without hasSubordinates, for a subtree search: the entries below an
        // entry tell that it has subordinates.
        std::vector<const char *> subtreeAttributes;
        std::vector<bool> kept; // by schema index: the attributes the run reads
    };
    struct Listing {
        uint32_t tree = 0;
        bool whole = true;                      // the entries come with their values
        std::shared_ptr<const Request> request; // which values; null: all user attributes
        std::string dn;
        LdapNames::Container names; // of the entries handed out
        bool subtree = false;       // a subtree search, else one level
        std::string cookie;
        bool started = false;
        bool more = true;
        std::deque<Entry> pending;
        NWDSCCODE stopped = 0; // the failure that ends the listing once pending is handed out
        size_t received = 0;   // entries the server sent for this search
        size_t skip = 0;       // entries of a search started over that were listed before
        uint32_t session = 0;  // the connection's session that gave the cookie
        int sent = -1;         // the message of the next page, asked for ahead
        size_t taken = 0;      // entries taken apart, and their bytes (a subtree search's)
        size_t takenBytes = 0;
        size_t asked = 0; // entries asked for in its pages so far
    };

    static constexpr size_t DefaultReadAhead = 50000;
    static constexpr size_t DefaultSubtreeEntries = 250000;
    static constexpr int SubtreePageSize = 5000;
    static constexpr size_t SubtreePageBytes = size_t(4) << 20;

    LdapListings(LdapTrees &trees, LdapEntryScan &scan, LdapEntryCache &entries, LdapWords &words);

    // What a run reads, and whether it descends; a run ends with another call. Drops the
    // subtree fetched for the run before.
    void Expect(const std::vector<std::string> &attributes, bool descends);
    bool Expecting() const { return !expected_.empty(); }
    void SetReadAhead(size_t entries) { readAhead_ = entries; }
    void SetSubtreeEntries(size_t entries) { subtreeEntries_ = entries; }

    // A listing of the tree, of objects (whole) or of containers only; its dn and names
    // are the caller's to set before Open.
    Listing Make(uint32_t tree, bool whole);
    // Opens a listing: its id. At most 256 stay open; the oldest is then dropped.
    int32_t Open(Listing listing);
    // An open listing of the tree; null when there is none.
    Listing *Find(int32_t id, uint32_t tree);
    // Drops an open listing, abandoning the page asked for ahead.
    void Close(int32_t id);
    // Brings the listing's next entries into its pending ones, or ends it (more false),
    // or stops it with a failure.
    void Fetch(Listing &listing);
    // Whether dn lies below the entry of an open listing of the tree.
    bool BelowOpen(uint32_t tree, const std::string &dn) const;

private:
    // The entries below one container fetched by a subtree search, by their parent's key
    // (its parts with their types, case-folded) in the order sent; a container served is
    // marked so.
    struct Subtree {
        bool valid = false;
        uint32_t tree = 0;
        std::vector<LdapName::Rdn> top;
        struct Children {
            std::deque<Entry> entries;
            size_t count = 0; // entries below the container
            bool served = false;
        };
        std::unordered_map<std::string, Children, TextHash, std::equal_to<>> children;
    };

    std::shared_ptr<const Request> RequestOf(uint32_t tree);
    static const char *const *AttributesOf(const Listing &listing);
    // The search of the listing's page after cookie (paged), or of all its entries.
    LdapServer::Search SearchOf(const Listing &listing, bool paged, std::string_view cookie) const;
    // The entries asked for in the listing's next page.
    int PageSizeOf(const Listing &listing) const;
    void FetchTop(Listing &listing);
    void SettleOpenListings(const Listing &starting);
    // The listed entry of a search's entry; false when it does not read whole.
    bool Listed(const Listing &listing, const LdapReply &reply, LDAPMessage *entry, Entry &listed);
    // Serves a listing of a run that descends from the subtree; whether it was.
    bool FromSubtree(Listing &listing);
    bool FetchSubtree(const Listing &first);

    LdapTrees &trees_;
    LdapEntryScan &scan_;
    LdapEntryCache &entries_;
    LdapWords &words_;
    std::map<int32_t, Listing> open_;
    int32_t next_ = 0;
    size_t readAhead_ = DefaultReadAhead;
    size_t subtreeEntries_ = DefaultSubtreeEntries;
    std::vector<std::string> expected_;
    bool descends_ = false;
    std::vector<std::shared_ptr<const Request>> requests_; // by tree, made on first use
    Subtree subtree_;
    bool subtreeGivenUp_ = false; // by the run under way
};
