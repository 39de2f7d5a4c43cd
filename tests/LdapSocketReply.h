#pragma once

// A server's reply read by libldap as the client reads one: a search (message 1)
// outstanding on a handle over one end of a socket pair, the reply's bytes written into
// the other end, which then closes for writing, so that libldap never waits for more;
// replies read ahead in blocks, as the client's connection reads them, each message at
// most a megabyte (libldap allocates the length a message claims before its bytes come).

#include "LdapSocketPair.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <string_view>

class LdapSocketReply
{
public:
    explicit LdapSocketReply(std::string_view bytes)
    {
        Sockbuf *socket = nullptr;
        ld_ = LdapSocketPair::Open(ends_, 0, &socket);
        ber_len_t longest = ber_len_t(1) << 20;
        ber_sockbuf_ctrl(socket, LBER_SB_OPT_SET_MAX_INCOMING, &longest);
        const char *attributes[] = {LDAP_ALL_USER_ATTRIBUTES, "structuralObjectClass", "hasSubordinates", nullptr};
        if (ldap_search_ext(ld_, "o=Acme", LDAP_SCOPE_ONELEVEL, "(objectClass=*)", const_cast<char **>(attributes), 0,
                            nullptr, nullptr, nullptr, 0, &message_) != LDAP_SUCCESS)
            std::abort();
        for (size_t written = 0; written < bytes.size();) {
            const ssize_t step = write(ends_[1], bytes.data() + written, bytes.size() - written);
            if (step <= 0)
                std::abort();
            written += size_t(step);
        }
        shutdown(ends_[1], SHUT_WR);
    }
    ~LdapSocketReply()
    {
        ldap_msgfree(result_);
        ldap_unbind_ext(ld_, nullptr, nullptr);
        close(ends_[1]);
    }
    LdapSocketReply(const LdapSocketReply &) = delete;
    LdapSocketReply &operator=(const LdapSocketReply &) = delete;

    LDAP *Handle() const { return ld_; }
    // The search's next whole result (its entries, then its end), as the client waits for
    // one; null when there is none. It stays the reply's until the next call.
    LDAPMessage *Next()
    {
        ldap_msgfree(result_);
        result_ = nullptr;
        timeval wait{1, 0};
        if (ldap_result(ld_, message_, LDAP_MSG_ALL, &wait, &result_) <= 0) {
            ldap_msgfree(result_);
            result_ = nullptr;
        }
        return result_;
    }

private:
    int ends_[2] = {-1, -1};
    LDAP *ld_ = nullptr;
    int message_ = 0;
    LDAPMessage *result_ = nullptr;
};
