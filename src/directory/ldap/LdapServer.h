#pragma once

#include "directory/ldap/LdapReply.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// What the LDAP client asks of one directory server: searches whole or in pages, a page
// asked for ahead, and what the server told when the client bound. LdapConnection is the
// server over libldap; tests stand a scripted directory in its place, and see what the
// client asks.
class LdapServer
{
public:
    struct Search {
        Search(std::string_view base, int scope, const char *const *attributes, bool attributesOnly = false)
            : base(base), scope(scope), attributes(attributes), attributesOnly(attributesOnly)
        {
        }

        std::string_view base;
        int scope = 0; // LDAP_SCOPE_BASE, _ONELEVEL or _SUBTREE
        const char *filter = "(objectClass=*)";
        const char *const *attributes = nullptr; // null-ended
        bool attributesOnly = false;
        // Paged: the page after cookie (the first when empty) of pageSize entries, at
        // most; 0: the whole result at once.
        int pageSize = 0;
        std::string_view cookie;
    };

    virtual ~LdapServer() = default;

    // A search, waited for. When the server went away, the connection is made again
    // once and the search repeated; when that fails, the server is lost
    // (LDAP_SERVER_DOWN, now and for every later search).
    virtual LdapReply Run(const Search &search) = 0;
    // A search sent without waiting for its result: its message id, -1 when it could not
    // be sent (the caller then runs it). Receive waits for the result: false when the
    // server went away meanwhile (the search is then to be run, which makes the
    // connection again). A search sent and not received is abandoned.
    virtual int Send(const Search &search) = 0;
    virtual bool Receive(int message, LdapReply &reply) = 0;
    virtual void Abandon(int message) = 0;
    // The handle the entries of a reply are read through.
    virtual LDAP *Handle() const = 0;
    // Changes each time the connection is made again: a cookie of an earlier session is
    // unknown to the server.
    virtual uint32_t Session() const = 0;
    // Whether the server offers the paged-results control.
    virtual bool Pages() const = 0;
    // Whether the server was lost, and why.
    virtual bool Lost() const = 0;
    virtual const QString &LostWords() const = 0;
    // The server's words on a failure: the text of the result code and the diagnostic
    // message the server or the library left.
    virtual QString Words(int status) const = 0;
    // Called about ten times a second while a search waits; true abandons the search
    // (LDAP_USER_CANCELLED).
    virtual void SetWaitHook(std::function<bool()> stop) = 0;

    // The tree name, the bound name (empty when anonymous) or the name the server tells
    // for a bind it does not name by a DN, the default context, the naming contexts and
    // the subschema entry.
    virtual const QString &TreeName() const = 0;
    virtual const std::string &BoundDn() const = 0;
    virtual const std::string &BoundName() const = 0;
    virtual const std::string &BaseDn() const = 0;
    virtual const std::vector<std::string> &NamingContexts() const = 0;
    virtual const std::string &SubschemaDn() const = 0;
};
