#pragma once

#include "directory/client/ClientBase.h"
#include "directory/ldap/LdapEntryCache.h"
#include "directory/ldap/LdapEntryScan.h"
#include "directory/ldap/LdapEntryView.h"
#include "directory/ldap/LdapListings.h"
#include "directory/ldap/LdapNames.h"
#include "directory/ldap/LdapReadAttributes.h"
#include "directory/ldap/LdapServer.h"
#include "directory/ldap/LdapServerConfig.h"
#include "directory/ldap/LdapTrees.h"
#include "directory/ldap/LdapWords.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <string>
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
// The client is a front over its parts: LdapTrees (the servers and their schemas),
// LdapNames (names handed in and out), LdapListings (the paged listings), LdapEntryCache
// (the entries kept and read), LdapEntryScan (entries taken apart) and LdapWords (the
// server's words on a failure).
//
// Not thread-safe: one thread uses a client at a time.
class LdapClient : public ClientBase<std::string>
{
public:
    static constexpr NWDSCCODE ERR_SYNTAX_VIOLATION = -613;

    // Connects and binds to every server; null with *error for the first that fails.
    static std::unique_ptr<LdapClient> Connect(const std::vector<LdapServerConfig> &servers,
                                               const LdapPasswordPrompt &prompt, QString *error);
    // A client over servers already bound, the first the primary.
    static std::unique_ptr<LdapClient> Over(std::vector<std::unique_ptr<LdapServer>> servers);
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
    std::string TakeServerWords(NWDSCCODE code) override { return words_.Take(code); }
    bool Lost() const override;
    void ExpectReads(const std::vector<std::string> &attributes, bool descends) override;
    void SetWaitHook(const std::function<bool()> &stop) override;

    // How many entries of an open paged listing are read ahead, at most, when another
    // paged search starts on its connection.
    void SetReadAhead(size_t entries) { listings_.SetReadAhead(entries); }
    static constexpr size_t DefaultReadAhead = LdapListings::DefaultReadAhead;
    // How many entries one subtree search may bring for a run that descends (0: none).
    void SetSubtreeEntries(size_t entries) { listings_.SetSubtreeEntries(entries); }
    static constexpr size_t DefaultSubtreeEntries = LdapListings::DefaultSubtreeEntries;

protected:
    uint32_t PrimaryTree() const override { return 0; }
    std::string DefaultNameContext(uint32_t tree) override { return trees_.Server(tree).BaseDn(); }
    std::string TreeName(uint32_t tree) const override;
    int32_t FindTree(std::string_view name) const override;
    NWDSCCODE CopyNameContext(const Context &context, char *area, size_t size) override
    {
        return CopyDotted(context, context.nameContext, area, size);
    }
    NWDSCCODE ResolveNameContext(uint32_t tree, std::string_view name, std::string &dn) override;

private:
    explicit LdapClient(std::vector<std::unique_ptr<LdapServer>> servers);
    NWDSCCODE CopyDotted(const Context &context, const std::string &dn, char *area, size_t size);
    NWDSCCODE List(NWDSContextHandle context, const char *object, int32_t *iterationHandle, Buf_T *subordinates,
                   bool containersOnly);
    // Opens a listing of object; its id in *id.
    NWDSCCODE OpenListing(const Context &context, const char *object, bool containersOnly, int32_t *id);
    // The object named as handed in, resolved, fetched and taken apart; the last one is
    // kept, as a reader reads one object's attributes one call after the other.
    NWDSCCODE FetchNamed(uint32_t tree, const char *object, const LdapEntryView *&entry);

    LdapWords words_;
    LdapTrees trees_;
    LdapEntryScan scan_;
    LdapEntryCache entries_;
    LdapNames names_;
    LdapListings listings_;
    LdapReadAttributes read_;
    std::string fetchedDn_;
};
