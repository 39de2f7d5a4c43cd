#pragma once

#include "directory/ldap/LdapServer.h"
#include "directory/ldap/LdapServerConfig.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// One bound session with one directory server: TLS as configured (the server's
// certificate always verified), the bind, and what its root entry tells (naming
// contexts, the subschema entry, paged results). The bound name is the one the server
// tells ("Who am I?") where it tells a DN, else the bind name when that is a DN; a bind as
// a UPN (admin@acme.test) or a down-level name (ACME\admin) the server does not turn into
// a DN leaves it empty and BoundName the name as the server tells it or as given. A
// result that does not come whole within the operation timeout fails the search with
// LDAP_TIMEOUT, and the server is lost ("… did not answer within N s").
class LdapConnection final : public LdapServer
{
public:
    // Connects and binds; null with *error (naming the server, with its own words) when
    // the server cannot be reached, TLS fails, the password cannot be had or the bind is
    // refused.
    static std::unique_ptr<LdapConnection> Open(const LdapServerConfig &config, const LdapPasswordPrompt &prompt,
                                                QString *error);
    ~LdapConnection() override;
    LdapConnection(const LdapConnection &) = delete;
    LdapConnection &operator=(const LdapConnection &) = delete;

    LdapReply Run(const Search &search) override;
    int Send(const Search &search) override;
    bool Receive(int message, LdapReply &reply) override;
    void Abandon(int message) override;
    LDAP *Handle() const override { return ld_; }
    uint32_t Session() const override { return session_; }
    bool Pages() const override { return pages_; }
    bool Lost() const override { return lost_; }
    const QString &LostWords() const override { return lostWords_; }
    QString Words(int result) const override;
    void SetWaitHook(std::function<bool()> stop) override { stop_ = std::move(stop); }

    const QString &TreeName() const override { return tree_; }
    const std::string &BoundDn() const override { return boundDn_; }
    const std::string &BoundName() const override { return boundName_; }
    const std::string &BaseDn() const override { return baseDn_; }
    const std::vector<std::string> &NamingContexts() const override { return namingContexts_; }
    const std::string &SubschemaDn() const override { return subschemaDn_; }

private:
    LdapConnection() = default;
    // Connects, sets TLS up, binds and reads the root entry; false with *error.
    bool Establish(QString *error);
    bool ReadRootEntry(const LdapServerConfig &config, QString *error);
    // Sets the bound name after a bind as bindName.
    void Identify(const std::string &bindName);
    // Sends a search: its message id, or the library's code (negative) of why not.
    int Start(const Search &search, int *message);
    int RunOnce(const Search &search, LdapMessages &result);
    // Waits for the whole result of the search sent as message (see SetWaitHook): the
    // code of its end, LDAP_DECODING_ERROR when a message of it is of another kind than
    // a search's, or the code of why it did not come (result then empty).
    int Await(int message, LdapMessages &result);
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
