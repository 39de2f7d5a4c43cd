#pragma once

// A TCP relay on 127.0.0.1 in front of a server, for tests that need the server held up
// while it sends: once it has relayed a given number of bytes from the server, it reads
// nothing more from it for a while, and the server's writes stop as soon as the little
// the relay lets the kernel hold (a small fixed receive buffer) and the server's own send
// buffer are full. Asked to, it plays a server that goes away once, as a stopping
// server does: the client's next request is answered with a notice of disconnection
// ("unavailable") and the connection closed; the connections after it are relayed.

#include "LoopbackServer.h"

#include <poll.h>

#include <atomic>
#include <chrono>
#include <vector>

class PausingProxy
{
public:
    // Relays to serverPort, pausing once for pause after pauseAfter bytes from the server;
    // Port() is 0 when the relay could not listen.
    PausingProxy(int serverPort, size_t pauseAfter, std::chrono::milliseconds pause)
        : serverPort_(serverPort), pauseAfter_(pauseAfter), pause_(pause)
    {
    }

    int Port() const { return listening_.Port(); }
    // Whether the pause came.
    bool Paused() const { return paused_; }
    // The client's next request, from any thread, is met by the server going away.
    void GoAwayAtNextRequest() { goAway_ = true; }
    // Whether it went away.
    bool WentAway() const { return wentAway_; }

private:
    // Copies what from can give to to, counting it in relayed; false when either end is
    // closed.
    static bool Relay(int from, int to, size_t &relayed)
    {
        char bytes[16384];
        const ssize_t got = read(from, bytes, sizeof bytes);
        if (got <= 0)
            return false;
        for (ssize_t sent = 0; sent < got;) {
            // An end that went away ends the relay rather than the test (no SIGPIPE).
            const ssize_t put = send(to, bytes + sent, size_t(got - sent), MSG_NOSIGNAL);
            if (put <= 0)
                return false;
            sent += put;
        }
        relayed += size_t(got);
        return true;
    }

    // An LDAP notice of disconnection (an unsolicited extended response, message 0) with
    // the result "unavailable".
    static void SayGoingAway(int client)
    {
        static const char oid[] = "1.3.6.1.4.1.1466.20036";
        const char size = char(sizeof oid - 1);
        std::vector<char> notice = {
            0x30, char(14 + size), 0x02, 0x01, 0x00, 0x78, char(9 + size), 0x0a, 0x01, 52, 0x04, 0x00, 0x04,
            0x00, char(0x8a),      size};
        notice.insert(notice.end(), oid, oid + size);
        send(client, notice.data(), notice.size(), MSG_NOSIGNAL);
    }

    // One connection at a time, as the client makes them.
    void Connect(int client)
    {
        const int server = socket(AF_INET, SOCK_STREAM, 0);
        const int small = 65536;
        setsockopt(server, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        const sockaddr_in address = LoopbackSocket::Address(serverPort_);
        if (connect(server, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0)
            Serve(client, server);
        close(server);
        close(client);
    }

    void Serve(int client, int server)
    {
        size_t fromClient = 0;
        size_t fromServer = 0;
        std::chrono::steady_clock::time_point resume;
        while (!listening_.Stopping()) {
            if (!paused_ && fromServer >= pauseAfter_) {
                paused_ = true;
                resume = std::chrono::steady_clock::now() + pause_;
            }
            const bool holding = paused_ && std::chrono::steady_clock::now() < resume;
            pollfd ends[2] = {{client, POLLIN, 0}, {server, short(holding ? 0 : POLLIN), 0}};
            if (poll(ends, 2, 50) < 0)
                return;
            if ((ends[0].revents & (POLLIN | POLLHUP | POLLERR)) && goAway_.exchange(false)) {
                // Every answer before the request has been taken: the notice starts a message.
                SayGoingAway(client);
                wentAway_ = true;
                return;
            }
            if ((ends[0].revents & (POLLIN | POLLHUP | POLLERR)) && !Relay(client, server, fromClient))
                return;
            if ((ends[1].revents & (POLLIN | POLLHUP | POLLERR)) && !Relay(server, client, fromServer))
                return;
        }
    }

    int serverPort_;
    size_t pauseAfter_;
    std::chrono::milliseconds pause_;
    std::atomic<bool> paused_{false};
    std::atomic<bool> goAway_{false};
    std::atomic<bool> wentAway_{false};
    LoopbackServer listening_{[this](int client) { Connect(client); }}; // last: its thread ends first
};
