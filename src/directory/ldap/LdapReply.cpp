#include "directory/ldap/LdapReply.h"

#include "directory/ldap/LdapServer.h"

#include <ldap.h>

LDAP *LdapReply::Handle() const
{
    return server_ ? server_->Handle() : nullptr;
}

LDAPMessage *LdapReply::FirstEntry() const
{
    LDAP *ld = Handle();
    return messages_ && ld ? ldap_first_entry(ld, messages_.get()) : nullptr;
}

LDAPMessage *LdapReply::NextEntry(LDAPMessage *entry) const
{
    LDAP *ld = Handle();
    return ld ? ldap_next_entry(ld, entry) : nullptr;
}

LdapPageControl::Page LdapReply::NextPage(std::string &cookie) const
{
    LDAP *ld = Handle();
    if (!messages_ || !ld) {
        cookie.clear();
        return LdapPageControl::Page::Last;
    }
    return LdapPageControl::Next(ld, messages_.get(), cookie);
}
