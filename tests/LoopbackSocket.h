#pragma once

// Sockets on 127.0.0.1 for the servers and relays the tests play.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace LoopbackSocket {

inline sockaddr_in Address(int port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(uint16_t(port));
    return address;
}

// A socket listening at a free port, with *port; -1 (and *port 0) when there is none.
inline int Listen(int *port)
{
    *port = 0;
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = Address(0);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr *>(&address), sizeof address) != 0 ||
        listen(listener, 8) != 0 || getsockname(listener, reinterpret_cast<sockaddr *>(&address), &length) != 0) {
        if (listener >= 0)
            close(listener);
        return -1;
    }
    *port = ntohs(address.sin_port);
    return listener;
}

// A connection to the server at port; -1 when it cannot be made.
inline int Connect(int port)
{
    const int server = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in address = Address(port);
    if (server >= 0 && connect(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
        return server;
    if (server >= 0)
        close(server);
    return -1;
}

} // namespace LoopbackSocket
