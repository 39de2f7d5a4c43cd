#include "directory/ldap/LdapResult.h"

#include <ldap.h>

namespace LdapResult {

NWDSCCODE ToDirectory(int ldapResult)
{
    switch (ldapResult) {
    case LDAP_SUCCESS:
        return 0;
    case LDAP_NO_SUCH_OBJECT:
    case LDAP_INVALID_DN_SYNTAX:
        return ERR_NO_SUCH_ENTRY;
    case LDAP_NO_SUCH_ATTRIBUTE:
    case LDAP_UNDEFINED_TYPE:
        return ERR_NO_SUCH_ATTRIBUTE;
    case LDAP_INVALID_CREDENTIALS:
        return ERR_FAILED_AUTHENTICATION;
    case LDAP_INSUFFICIENT_ACCESS:
        return ERR_NO_ACCESS;
    case LDAP_TIMEOUT:
        return ERR_TRANSPORT_FAILURE;
    default:
        break;
    }
    if (ServerGone(ldapResult))
        return ERR_TRANSPORT_FAILURE;
    return ldapResult > 0 ? ERR_LDAP_BASE - ldapResult : ERR_LDAP_CLIENT_BASE + ldapResult;
}

bool ServerGone(int ldapResult)
{
    return ldapResult == LDAP_SERVER_DOWN || ldapResult == LDAP_CONNECT_ERROR || ldapResult == LDAP_UNAVAILABLE;
}

const char *LimitName(int ldapResult)
{
    switch (ldapResult) {
    case LDAP_SIZELIMIT_EXCEEDED:
        return "size limit";
    case LDAP_TIMELIMIT_EXCEEDED:
        return "time limit";
    case LDAP_ADMINLIMIT_EXCEEDED:
        return "administrative limit";
    default:
        break;
    }
    return nullptr;
}

} // namespace LdapResult
