#pragma once

// An LDAP handle over one end of a socket pair, for the tests that play the server on the
// other end: version 3, reading ahead in blocks as the client's connection reads.

#include <ldap.h>
#include <openldap.h>

#include <sys/socket.h>

#include <cstdlib>

namespace LdapSocketPair {

// A pair of stream sockets (with flags, e.g. SOCK_NONBLOCK) in ends, and the handle over
// ends[0], with its socket buffer in *socket; aborts when any of it cannot be made.
inline LDAP *Open(int (&ends)[2], int flags, Sockbuf **socket)
{
    LDAP *ld = nullptr;
    if (socketpair(AF_UNIX, SOCK_STREAM | flags, 0, ends) != 0 ||
        ldap_init_fd(ends[0], LDAP_PROTO_TCP, "ldap://127.0.0.1", &ld) != LDAP_SUCCESS)
        std::abort();
    const int version = LDAP_VERSION3;
    ldap_set_option(ld, LDAP_OPT_PROTOCOL_VERSION, &version);
    *socket = nullptr;
    if (ldap_get_option(ld, LDAP_OPT_SOCKBUF, socket) != LDAP_OPT_SUCCESS || !*socket)
        std::abort();
    ber_sockbuf_add_io(*socket, &ber_sockbuf_io_readahead, LBER_SBIOD_LEVEL_PROVIDER, nullptr);
    return ld;
}

} // namespace LdapSocketPair
