#pragma once

#include "directory/client/NWClient.h"

#include <string>

class LdapServer;

// The server's words on the client's last failure, kept with the code they explain until
// the caller takes them (NWClient::TakeServerWords).
class LdapWords
{
public:
    // The code of a failed LDAP operation on server, with its words: the limit it hit,
    // its error text and diagnostic message; for a lost server, why it could not be
    // reached again.
    NWDSCCODE Failed(const LdapServer &server, int status);
    // The code of an entry a server sent that does not read whole (dn: its DN, when it
    // has one), with words that say so.
    NWDSCCODE Unreadable(const std::string &dn);
    // code, with words.
    NWDSCCODE Say(NWDSCCODE code, std::string words);
    // The words of code when they are the last said; none else. Forgets them.
    std::string Take(NWDSCCODE code);

private:
    NWDSCCODE code_ = 0;
    std::string words_;
};
