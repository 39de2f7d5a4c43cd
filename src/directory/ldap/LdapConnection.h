#pragma once

#include "directory/ldap/LdapServerConfig.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

typedef struct ldap LDAP;
typedef struct ldapmsg LDAPMessage;
typedef struct ldapcontrol LDAPControl;

// One bound session with one directory server: TLS as configured (the server's
// certificate always verified), the bind, and what its root entry tells (naming
// contexts, the subschema entry).
class LdapConnection
{
public:
    // Connects and binds; null with *error (naming the server, with its own words) when
    // the server cannot be reached, TLS fails, the password cannot be had or the bind is
    // refused.
    static std::unique_ptr<LdapConnection> Open(const LdapServerConfig &config, const LdapPasswordPrompt &prompt,
                                                QString *error);
    ~LdapConnection();
    LdapConnection(const LdapConnection &) = delete;
    LdapConnection &operator=(const LdapConnection &) = delete;

    // The tree name: the configured one, or the host name in capitals.
    const QString &TreeName() const { return tree_; }
    // The bound name (empty when anonymous), the default context, the naming contexts
    // and the subschema entry, as DNs. The bound name is the one the server tells ("Who
    // am I?") where it tells a DN, else the bind name when that is a DN; a bind as a UPN
    // (admin@acme.test) or a down-level name (ACME\admin) the server does not turn into
    // a DN leaves it empty and BoundName the name as the server tells it or as given.
    const std::string &BoundDn() const { return boundDn_; }
    const std::string &BoundName() const { return boundName_; }
    const std::string &BaseDn() const { return baseDn_; }
    const std::vector<std::string> &NamingContexts() const { return namingContexts_; }
    const std::string &SubschemaDn() const { return subschemaDn_; }
    // Whether the server offers the paged-results control.
    bool Pages() const { return pages_; }

    // A synchronous search; the result's code. *result is set also on failure (the
    // entries of a search stopped by a limit) and is freed by the caller. When the server
    // went away (LdapResult::ServerGone), the connection is made again once and the
    // search repeated; when that fails, the server is lost (LDAP_SERVER_DOWN, now and for
    // every later search). The handle may change: take Handle() after the search.
    int Search(const std::string &base, int scope, const char *filter, const char *const *attributes,
               bool attributesOnly, LDAPControl **controls, LDAPMessage **result);
    // A search sent without waiting for its result: its message id, -1 when it could
    // not be sent (the caller then searches with Search). Receive waits for the result:
    // false when the server went away meanwhile (the search is then to be made with
    // Search, which makes the connection again); else *status is the result's code and
    // *result is to be freed by the caller. A search sent and not received is abandoned.
    int Send(const std::string &base, int scope, const char *filter, const char *const *attributes,
             LDAPControl **controls);
    bool Receive(int message, int *status, LDAPMessage **result);
    void Abandon(int message);
    LDAP *Handle() const { return ld_; }
    // The first entry of a search's result; null also when there is no result.
    LDAPMessage *FirstEntry(LDAPMessage *result) const;
    // The entry after one of a result, through the handle of the moment: a search made
    // between the two (the rest of a ranged attribute) may have made the connection again.
    LDAPMessage *NextEntry(LDAPMessage *entry) const;
    // Changes each time the connection is made again.
    uint32_t Session() const { return session_; }
    // Whether the server was lost, and why.
    bool Lost() const { return lost_; }
    const QString &LostWords() const { return lostWords_; }
    // Called about ten times a second while a search waits for its result; when it
    // returns true the search is abandoned and fails with LDAP_USER_CANCELLED. A result
    // that does not come whole within the operation timeout fails the search with
    // LDAP_TIMEOUT, and the server is lost ("… did not answer within N s").
    void SetWaitHook(std::function<bool()> stop) { stop_ = std::move(stop); }

    // The server's words on a failure: the text of the result code and the diagnostic
    // message the server or the library left.
    QString Words(int result) const;

private:
    LdapConnection() = default;
    // Connects, sets TLS up, binds and reads the root entry; false with *error.
    bool Establish(QString *error);
    bool ReadRootEntry(const LdapServerConfig &config, QString *error);
    // Sets the bound name after a bind as bindName.
    void Identify(const std::string &bindName);
    int SearchOnce(const std::string &base, int scope, const char *filter, const char *const *attributes,
                   bool attributesOnly, LDAPControl **controls, LDAPMessage **result);
    // Waits for the whole result of the search sent as message (see SetWaitHook): the
    // code of its end, LDAP_DECODING_ERROR when a message of it is of another kind than
    // a search's, or the code of why it did not come (*result then null).
    int Await(int message, LDAPMessage **result);
    // What a TLS failure asks of the server's certificate.
    QString CertificateHint() const;
    // "the directory server … cannot be reached", with the library's words on result.
    QString Unreachable(int result) const;
    bool Reconnect();

    LdapServerConfig config_;
    LdapPasswordPrompt prompt_;
    uint32_t session_ = 0;
    bool lost_ = false;
    QString lostWords_;
    std::function<bool()> stop_;

    LDAP *ld_ = nullptr;
    QString tree_;
    std::string boundDn_;
    std::string boundName_;
    std::string baseDn_;
    std::vector<std::string> namingContexts_;
    std::string subschemaDn_;
    bool pages_ = false;
};
