#include "directory/ldap/LdapPageControl.h"

#include "directory/ldap/LdapOwned.h"

#include <ldap.h>

namespace LdapPageControl {

Page Next(LDAP *ld, LDAPMessage *result, std::string &cookie)
{
    cookie.clear();
    LDAPControl **returned = nullptr;
    const int parsed = ldap_parse_result(ld, result, nullptr, nullptr, nullptr, nullptr, &returned, 0);
    const LdapControlsOwned owned(returned);
    if (parsed != LDAP_SUCCESS || !returned)
        return Page::Last;
    Page page = Page::Last;
    if (LDAPControl *response = ldap_control_find(LDAP_CONTROL_PAGEDRESULTS, returned, nullptr)) {
        ber_int_t estimate = 0;
        berval next{0, nullptr};
        if (!response->ldctl_value.bv_val ||
            ldap_parse_pageresponse_control(ld, response, &estimate, &next) != LDAP_SUCCESS) {
            page = Page::Unreadable;
        } else {
            if (next.bv_val && next.bv_len > 0) {
                cookie.assign(next.bv_val, next.bv_len);
                page = Page::More;
            }
            ber_memfree(next.bv_val);
        }
    }
    return page;
}

} // namespace LdapPageControl
