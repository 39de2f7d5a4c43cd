#pragma once

#include "directory/ldap/LdapOwned.h"
#include "directory/ldap/LdapPageControl.h"

#include <string>

class LdapServer;
typedef struct ldap LDAP;

// A search's result as a server sent it: its code, and its entries and end, owned. The
// entries are walked through the server's handle of the moment: a search made meanwhile
// (the rest of a ranged attribute) may have made the connection again.
class LdapReply
{
public:
    LdapReply() = default;
    LdapReply(const LdapServer *server, int status, LdapMessages messages)
        : server_(server), status_(status), messages_(std::move(messages))
    {
    }

    // The result's code; the messages may hold entries also on failure (those of a
    // search stopped by a limit).
    int Status() const { return status_; }
    LDAPMessage *FirstEntry() const;
    LDAPMessage *NextEntry(LDAPMessage *entry) const;
    LDAP *Handle() const;
    // Whether a page follows, with its cookie (LdapPageControl).
    LdapPageControl::Page NextPage(std::string &cookie) const;

private:
    const LdapServer *server_ = nullptr;
    int status_ = 0;
    LdapMessages messages_;
};
