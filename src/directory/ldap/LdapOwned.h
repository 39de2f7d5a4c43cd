#pragma once

#include <memory>

typedef struct ldapmsg LDAPMessage;
typedef struct ldapcontrol LDAPControl;
typedef struct berelement BerElement;
struct berval;

// Owners of what libldap hands out, each released with the library's own call.
namespace LdapOwned {

struct FreeMessage {
    void operator()(LDAPMessage *messages) const;
};
struct FreeControl {
    void operator()(LDAPControl *control) const;
};
struct FreeControls {
    void operator()(LDAPControl **controls) const;
};
// A reader's position in an entry; the entry's bytes stay the message's.
struct FreeBer {
    void operator()(BerElement *position) const;
};
struct FreeValues {
    void operator()(berval **values) const;
};
struct FreeText {
    void operator()(char *text) const;
};

} // namespace LdapOwned

// A chain of messages (a search's entries and its end).
using LdapMessages = std::unique_ptr<LDAPMessage, LdapOwned::FreeMessage>;
using LdapControlOwned = std::unique_ptr<LDAPControl, LdapOwned::FreeControl>;
using LdapControlsOwned = std::unique_ptr<LDAPControl *, LdapOwned::FreeControls>;
using LdapBerOwned = std::unique_ptr<BerElement, LdapOwned::FreeBer>;
using LdapValuesOwned = std::unique_ptr<berval *, LdapOwned::FreeValues>;
using LdapTextOwned = std::unique_ptr<char, LdapOwned::FreeText>;
