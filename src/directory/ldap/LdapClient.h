#pragma once

#include "directory/client/ClientBase.h"
#include "directory/client/TextHash.h"
#include "directory/ldap/LdapConnection.h"
#include "directory/ldap/LdapEntryBlock.h"
#include "directory/ldap/LdapEntryStore.h"
#include "directory/ldap/LdapEntryView.h"
#include "directory/ldap/LdapName.h"
#include "directory/ldap/LdapRange.h"
#include "directory/ldap/LdapSchema.h"
#include "directory/ldap/LdapServerConfig.h"

#include <QString>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

// The directory client over LDAP: each configured server is one tree of the connection
// scan, in the order given, the first the primary connection. It honours the calls, keys,
// codes and iteration rule of NWClient, and adds:
// - names handed in are full dotted names from the top, typed or typeless, in any letter
//   case, with or without a leading dot; "[Root]" and the empty name are the top, whose
//   subordinates are the server's naming contexts. A typeless name is resolved through
//   the names the client handed out (listings, contexts, identity), else part by part
//   below the closest known container;
// - names handed out are typed or typeless as the flag word of the context asks; listed
//   entries are relative to the context's name context; the identity is the bound name
//   (empty when anonymous); a tree's default context is its configured base, else the
//   server's first naming context;
// - listings are one-level searches, in pages where the server offers paged results,
//   cut into batches by the result buffer's size; a limit the server hits is returned
//   (LdapResult) once the entries before it are handed out, never as the end;
// - continuation references among a listing's entries are passed over, and referrals
//   never chased; an attribute the server sends in ranges (member;range=0-1499) is
//   fetched to its last range, in listings and in reads;
// - entries carry their structural class and the container flag of their class, or of
//   any entry that reports subordinates;
// - values come in the records of their syntax (LdapValue); a value that cannot be
//   converted gives ERR_SYNTAX_VIOLATION from NWDSComputeAttrValSize and NWDSGetAttrVal;
// - listings of objects (not of containers only) fetch every entry whole (all user
//   attributes) and keep what they fetched, within a bounded memory, until a listing
//   starts that is not below an open one; reads of one object answer from there or from
//   the last objects read, fetched whole on the first read;
// - request and result buffers are those of the client kit (one buffer type serves
//   every client of a program).
//
// Not thread-safe: one thread uses a client at a time.
class LdapClient : public ClientBase<std::string>
{
public:
    static constexpr NWDSCCODE ERR_SYNTAX_VIOLATION = -613;

    // Connects and binds to every server; null with *error for the first that fails.
    static std::unique_ptr<LdapClient> Connect(const std::vector<LdapServerConfig> &servers,
                                               const LdapPasswordPrompt &prompt, QString *error);
    ~LdapClient() override;
    LdapClient(const LdapClient &) = delete;
    LdapClient &operator=(const LdapClient &) = delete;

    NWDSCCODE NWDSWhoAmi(NWDSContextHandle context, char *name, size_t size) override;
    NWDSCCODE NWDSGetDefNameContext(NWDSContextHandle context, size_t size, char *nameContext) override;

    NWDSCCODE NWDSRead(NWDSContextHandle context, const char *object, uint32_t infoType, bool allAttrs,
                       Buf_T *attrNames, int32_t *iterationHandle, Buf_T *objectInfo) override;
    NWDSCCODE NWDSOpenStream(NWDSContextHandle context, const char *object, const char *attribute, uint32_t flags,
                             int *fileHandle) override;

    NWDSCCODE NWDSList(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                       Buf_T *subordinates) override;
    NWDSCCODE NWDSListContainers(NWDSContextHandle context, const char *object, int32_t *iterationHandle,
                                 Buf_T *subordinates) override;

    NWDSCCODE NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses, Buf_T *classNames,
                               int32_t *iterationHandle, Buf_T *classDefs) override;
    NWDSCCODE NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs, Buf_T *attrNames,
                              int32_t *iterationHandle, Buf_T *attrDefs) override;

    NWDSCCODE NWCCGetPrimConnRef(NWCONN_HANDLE *connection) override;
    NWDSCCODE NWCCScanConnRefs(uint32_t *scanIterator, NWCONN_HANDLE *connection) override;
    NWDSCCODE NWCCGetConnRefInfo(NWCONN_HANDLE connection, uint32_t infoType, size_t size, void *buffer) override;

    // The server's words on the last failure: the limit it hit, its error text and
    // diagnostic message; for a lost server, why it could not be reached again.
    std::string TakeServerWords(NWDSCCODE code) override;
    bool Lost() const override;
    void ExpectReads(const std::vector<std::string> &attributes, bool descends) override;
    void SetWaitHook(const std::function<bool()> &stop) override;

    // How many entries of an open paged listing are read ahead, at most, when another
    // paged search starts on its connection (DefaultReadAhead unless set).
    void SetReadAhead(size_t entries) { readAhead_ = entries; }
    static constexpr size_t DefaultReadAhead = 50000;
    // How many entries one subtree search may bring for a run that descends (0: none;
    // DefaultSubtreeEntries unless set).
    void SetSubtreeEntries(size_t entries) { subtreeEntries_ = entries; }
    static constexpr size_t DefaultSubtreeEntries = 250000;

protected:
    uint32_t PrimaryTree() const override { return 0; }
    std::string DefaultNameContext(uint32_t tree) override { return trees_[tree].connection->BaseDn(); }
    std::string TreeName(uint32_t tree) const override;
    int32_t FindTree(std::string_view name) const override;
    NWDSCCODE CopyNameContext(const Context &context, char *area, size_t size) override
    {
        return CopyDotted(context, context.nameContext, area, size);
    }
    NWDSCCODE ResolveNameContext(uint32_t tree, std::string_view name, std::string &dn) override;

private:
    // What listings of objects ask for while a run says what it reads (ExpectReads).
    struct Request {
        std::vector<std::string> names;       // LDAP names
        std::vector<const char *> attributes; // the names', then null
        // The same without hasSubordinates, for a subtree search: the entries below an
        // entry tell that it has subordinates.
        std::vector<const char *> subtreeAttributes;
        std::vector<bool> kept; // by schema index: the attributes the run reads
    };
    struct Tree {
        std::unique_ptr<LdapConnection> connection;
        std::unique_ptr<LdapSchema> schema;     // read on first use
        std::shared_ptr<const Request> request; // made on first use
    };
    struct ListedEntry {
        std::string dn;
        std::string baseClass;
        bool container = false;
        bool kept = false; // its values are in prefetched_
    };
    // What the names of the entries of one listing share, made for its first entry of a
    // plain part (LdapName::PlainRdn) whose DN ends with the listing's.
    struct ParentNames {
        bool made = false;
        bool usable = false;   // the listing's DN parses, below the name context's level
        bool typeless = false; // made for a context of typeless names
        std::string topKey;    // made for this name context (NameTop::key)
        std::string treeKey;   // TreeKey of the tree and no key
        std::string key;       // the listing's entry's key (LdapName::Key)
        std::string shown;     // what a name handed out has after the entry's own part
    };
    struct Listing {
        uint32_t tree = 0;
        bool whole = true;                      // the entries come with their values
        std::shared_ptr<const Request> request; // which values; null: all user attributes
        std::string dn;
        bool subtree = false; // a subtree search, else one level
        std::string cookie;
        bool started = false;
        bool more = true;
        std::deque<ListedEntry> pending;
        NWDSCCODE stopped = 0; // the failure that ends the listing once pending is handed out
        size_t received = 0;   // entries the server sent for this search
        size_t skip = 0;       // entries of a search started over that were listed before
        uint32_t session = 0;  // the connection's session that gave the cookie
        int sent = -1;         // the message of the next page, asked for ahead
        // The naming types of the entries listed, in children_.
        std::vector<std::string> *childTypes = nullptr;
        ParentNames parent;
    };
    // One object as read on its own: its attributes (schema indexes) with their values.
    struct ReadEntry {
        uint32_t tree = 0;
        std::string dn;
        std::string block; // LdapEntryBlock
    };

    // The attributes of an entry as NWDSRead hands them out (ClientBatch::PackAttributes).
    struct EntryAttributes;

    LdapClient();
    LdapConnection &ConnectionOf(uint32_t tree) { return *trees_[tree].connection; }
    // The tree's schema, read from its subschema entry on first use; null with *code.
    const LdapSchema *SchemaOf(uint32_t tree, NWDSCCODE *code);

    // The code of a failed LDAP operation on the tree, keeping the server's words on it.
    NWDSCCODE Failed(uint32_t tree, int status);
    // The code of an entry the server sent that does not read whole (dn: its DN, when it
    // has one), keeping words that say so.
    NWDSCCODE Unreadable(const std::string &dn);

    // Names.
    // A name's key (LdapName::Key) in one tree.
    static std::string TreeKey(uint32_t tree, const std::string &key);
    // The DN of a name; with the entry's block in *kept when the name is that of an entry
    // kept with its listing (KeptListed), else kept left as it was.
    NWDSCCODE Resolve(uint32_t tree, const char *name, std::string &dn, std::string_view *kept = nullptr);
    NWDSCCODE ResolveParts(uint32_t tree, const std::vector<LdapName::Rdn> &parts, std::string &dn);
    void Remember(uint32_t tree, const std::vector<LdapName::Rdn> &parts, const std::string &dn);
    // The same with the name's key made (TreeKey).
    void RememberKey(std::string key, const std::string &dn);
    // Remembers every tree's naming contexts and default context.
    void RememberContexts();
    // The DN of a name handed out; null when it is not remembered.
    const std::string *Known(uint32_t tree, const std::vector<LdapName::Rdn> &parts) const;
    const std::string *KnownKey(uint32_t tree, const std::string &nameKey) const;
    // The same by the key with its tree (TreeKey).
    const std::string *KnownTreeKey(std::string_view key) const;
    // The context's name context as parts, with their key (LdapName::Key).
    struct NameTop {
        std::vector<LdapName::Rdn> parts;
        std::string key;
    };
    static NameTop TopOf(const Context &context);
    // The dotted name of a DN's parts relative to the context's name context, top (full
    // when it is not below it), typed or typeless as the context asks.
    std::string HandedOut(const Context &context, const NameTop &top, std::vector<LdapName::Rdn> parts);
    NWDSCCODE CopyDotted(const Context &context, const std::string &dn, char *area, size_t size);
    // The DN of a typeless part below base, typed as the entries listed below base were,
    // when such an entry exists; empty otherwise.
    std::string Typed(uint32_t tree, const LdapName::Rdn &part, const std::string &base);
    // The DN of an entry kept in prefetched_ whose typeless dotted name is name, when its
    // first part is a plain value (LdapName::PlainValue) and the rest names a container
    // listed: the value typed as the entries listed below it were, with the entry's
    // block when block is not null. Names found so are not remembered.
    bool KeptListed(uint32_t tree, std::string_view name, std::string &dn, std::string_view *block);
    // An entry that exists: known, or found by a base search.
    NWDSCCODE Exists(uint32_t tree, const std::string &dn);

    // Listings.
    NWDSCCODE List(NWDSContextHandle context, const char *object, int32_t *iterationHandle, Buf_T *subordinates,
                   bool containersOnly);
    NWDSCCODE FetchPage(Listing &listing);
    // Before a paged search starts on the connection of starting: a server may keep one
    // paged search per connection (slapd does), so every other listing open on it reads
    // its remaining pages ahead, up to readAhead_ entries; one that has more then gives
    // its cookie up and starts over later past the entries the server sent.
    void SettleOpenListings(const Listing &starting);
    // Listings of objects for a run that descends: the first one (the run's container)
    // fetches all entries below it with one paged subtree search, up to subtreeEntries_
    // of them, and its own and each sub-container's listing is then served from there,
    // in the order the server sent the entries. Past that many, or when the search
    // fails, the listings search one level each. Whether listing was served so.
    bool FromSubtree(Listing &listing);
    bool FetchSubtree(const Listing &first);
    // Drops an open listing, abandoning the page asked for ahead.
    void CloseListing(std::map<int32_t, Listing>::iterator listing);
    NWDSCCODE FetchTop(Listing &listing);
    // The name of a listed entry as handed out, with its naming type noted; remembered
    // with its DN unless the entry is kept and found again through its container
    // (KeptListed). Empty when the DN gives no name that reads back to the entry.
    std::string ListedName(const Context &context, const NameTop &top, Listing &listing, const ListedEntry &entry);
    void MakeParentNames(const Context &context, const NameTop &top, Listing &listing);
    // The listed entry of a search's entry; the values of one read whole are kept for
    // the reads to come.
    bool Listed(const Listing &listing, LDAPMessage *entry, ListedEntry &listed);
    // What a listing of objects asks of each entry: the request of the run's reads, null
    // (all user attributes) when no run said what it reads.
    std::shared_ptr<const Request> RequestOf(uint32_t tree);
    static const char *const *AttributesOf(const Listing &listing);
    // Whether dn lies below the entry of an open listing of the tree.
    bool BelowOpenListing(uint32_t tree, const std::string &dn) const;

    // Reads.
    // The key of an entry's values in prefetched_, made in readKey_ (valid until the next).
    std::string_view ReadKey(uint32_t tree, std::string_view dn);
    // What a search's entry tells of its class, in views of the entry.
    struct EntryClasses {
        std::string_view structural;           // structuralObjectClass
        std::vector<std::string_view> classes; // objectClass
        bool subordinates = false;             // hasSubordinates is TRUE
    };
    // One pass over a search's entry: its DN, its classes, and into block (when not null)
    // the user attributes the schema knows with their values, those kept only when kept
    // is not null. False when it does not read whole: no DN (dn then empty), or an
    // attribute or a value that does not read.
    bool ScanEntry(const LdapSchema *schema, LDAP *ld, LDAPMessage *found, std::string &dn, EntryClasses &classes,
                   LdapEntryBlock *block, const std::vector<bool> *kept = nullptr);
    // The values of the entry scanned last that came in ranges (ranged_) fetched to their
    // end, range after range, and added to block in the server's order; the code of a
    // failed search, or of a part that does not follow the one before (-5104, "Decoding
    // error"), with the server's words.
    NWDSCCODE FollowRanges(uint32_t tree, const std::string &dn, LdapEntryBlock &block);
    NWDSCCODE Fetch(uint32_t tree, const std::string &dn, std::string_view &block);
    // The object named as handed in, resolved, fetched and taken apart; the last one is
    // kept, as a reader reads one object's attributes one call after the other.
    NWDSCCODE FetchNamed(uint32_t tree, const char *object, const LdapEntryView *&entry);
    // The schema index of an attribute name asked for, from asked_ or the schema.
    int32_t AskedIndex(const LdapSchema &schema, std::string_view name);

    std::vector<Tree> trees_;
    std::map<int32_t, Listing> listings_;
    size_t readAhead_ = DefaultReadAhead;
    size_t subtreeEntries_ = DefaultSubtreeEntries;
    // The entries below one container of a tree fetched by a subtree search, by their
    // parent's key (LdapName::Key) in the order sent; a container served is taken out.
    struct Subtree {
        bool valid = false;
        uint32_t tree = 0;
        std::vector<LdapName::Rdn> top;
        struct Children {
            std::deque<ListedEntry> entries;
            size_t count = 0; // entries below the container
            bool served = false;
        };
        std::unordered_map<std::string, Children, TextHash, std::equal_to<>> children;
    };
    Subtree subtree_;
    int32_t nextListing_ = 0;
    std::deque<ReadEntry> reads_;
    // Entries read with their listings, by ReadKey.
    LdapEntryStore prefetched_;
    // The block and the classes of the entry being scanned, and its key.
    LdapEntryBlock scanned_;
    EntryClasses scannedClasses_;
    std::string readKey_;
    // The attribute types of the entry scanned last, in their order, with their schema
    // indexes in typesOf_.
    const LdapSchema *typesOf_ = nullptr;
    std::vector<std::pair<std::string, int32_t>> types_;
    // The attributes kept of the entry scanned last whose values came in ranges, more
    // to follow.
    struct RangedAttribute {
        std::string description; // as the server named the part it sent
        uint32_t attribute = 0;  // schema index
        LdapRange range;
    };
    std::vector<RangedAttribute> ranged_;
    // The last object FetchNamed found, taken apart; not valid once the block it lies
    // in goes (reads_ drops it, or prefetched_ is cleared).
    struct LastRead {
        bool valid = false;
        uint32_t tree = 0;
        std::string name;
        LdapEntryView entry;
    };
    LastRead lastRead_;
    struct AskedName {
        const LdapSchema *schema = nullptr;
        std::string name;
        int32_t index = -1;
    };
    std::vector<AskedName> asked_;
    // NWDSRead's working storage.
    std::vector<const LdapEntryView::Attribute *> chosen_;
    std::string packed_;
    // Names handed out, by tree and key (LdapName::Key), with their DNs: the latest, and
    // the ones before them, kept while the latest fill up.
    using Names = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;
    Names names_;
    Names olderNames_;
    // The key of the name Resolve looks up; text case-folded for a key being made.
    std::string resolveKey_;
    std::string folded_;
    // The DN of the object FetchNamed looks for.
    std::string fetchedDn_;
    // What the run under way reads (ExpectReads).
    std::vector<std::string> expected_;
    bool expectedDescends_ = false;
    // A container listed, with the naming types of the entries listed below it: a
    // typeless name below it is tried with them before the container is listed again.
    struct Children {
        std::string dn;
        std::vector<std::string> types;
    };
    // By the container's tree and key (TreeKey).
    std::unordered_map<std::string, Children, TextHash, std::equal_to<>> children_;
    // The container whose entries KeptListed looked for last, by the dotted name as
    // handed in (null: not listed); not valid once a listing starts.
    struct ListedBelow {
        bool valid = false;
        uint32_t tree = 0;
        std::string name;
        const Children *children = nullptr;
    };
    ListedBelow listedBelow_;
    // The container Typed looked up last, with its types (null: none known); not valid
    // once a listing starts.
    struct TypedBelow {
        bool valid = false;
        uint32_t tree = 0;
        std::string base;
        const std::vector<std::string> *types = nullptr;
    };
    TypedBelow typedBelow_;
    // The words of the last failure and the code it gave.
    NWDSCCODE wordsCode_ = 0;
    std::string words_;
};
