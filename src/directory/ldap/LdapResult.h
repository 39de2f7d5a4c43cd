#pragma once

#include "directory/client/NWClient.h"

// The directory's result code of an LDAP result code:
// - no such object and an invalid name: ERR_NO_SUCH_ENTRY (-601);
// - no such attribute and an undefined attribute type: ERR_NO_SUCH_ATTRIBUTE (-603);
// - invalid credentials: ERR_FAILED_AUTHENTICATION (-669);
// - insufficient access rights: ERR_NO_ACCESS (-672);
// - a server gone away (ServerGone) and a connection that timed out:
//   ERR_TRANSPORT_FAILURE (-625);
// - every other result r of the server: ERR_LDAP_BASE - r (a size limit, 4, gives
//   -5004); every other failure c of the client library (negative): ERR_LDAP_CLIENT_BASE
//   + c (a local error, -2, gives -5102).
namespace LdapResult {

constexpr NWDSCCODE ERR_TRANSPORT_FAILURE = -625;
constexpr NWDSCCODE ERR_FAILED_AUTHENTICATION = -669;
constexpr NWDSCCODE ERR_NO_ACCESS = -672;
constexpr NWDSCCODE ERR_LDAP_BASE = -5000;
constexpr NWDSCCODE ERR_LDAP_CLIENT_BASE = -5100;

NWDSCCODE ToDirectory(int ldapResult);
// Whether a result says the server went away: the connection closed, the server cannot
// be reached, or it is unavailable (what a server that stops answers to the operations
// under way before it closes the connection).
bool ServerGone(int ldapResult);
// "size limit", "time limit" or "administrative limit" for the results of a server
// limit hit; null for any other result.
const char *LimitName(int ldapResult);

} // namespace LdapResult
