#pragma once

#include <string>

typedef struct ldap LDAP;
typedef struct ldapmsg LDAPMessage;

// The paged-results control of a search's result: whether another page follows.
namespace LdapPageControl {

enum class Page {
    Last,       // no control, or an empty cookie
    More,       // cookie is the next page's
    Unreadable, // a control that does not read (libldap asserts on one without a value)
};

Page Next(LDAP *ld, LDAPMessage *result, std::string &cookie);

} // namespace LdapPageControl
