#include "directory/ldap/LdapOwned.h"

#include <ldap.h>

namespace LdapOwned {

void FreeMessage::operator()(LDAPMessage *messages) const
{
    ldap_msgfree(messages);
}

void FreeControl::operator()(LDAPControl *control) const
{
    ldap_control_free(control);
}

void FreeControls::operator()(LDAPControl **controls) const
{
    ldap_controls_free(controls);
}

void FreeBer::operator()(BerElement *position) const
{
    ber_free(position, 0);
}

void FreeValues::operator()(berval **values) const
{
    ldap_value_free_len(values);
}

void FreeText::operator()(char *text) const
{
    ldap_memfree(text);
}

} // namespace LdapOwned
