#pragma once

// One connection of the fake directory server (FakeLdapServer): an LDAP handle over one
// end of a socket pair, read as the client's connection reads (in blocks, without
// blocking), and the other end, the server's, served by a thread. The thread writes the
// replies given to it, so that a reply larger than the socket's buffer does not hold the
// search that waits for it, and reads and drops what the handle writes (searches,
// abandons): the fake takes the searches from its caller.

#include "LdapSocketPair.h"
#include "directory/ldap/LdapServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

class FakeLdapWire
{
public:
    FakeLdapWire()
    {
        Sockbuf *socket = nullptr;
        ld_ = LdapSocketPair::Open(ends_, SOCK_NONBLOCK, &socket);
        if (pipe(wake_) != 0)
            std::abort();
        ber_sockbuf_ctrl(socket, LBER_SB_OPT_SET_NONBLOCK, reinterpret_cast<void *>(1));
        thread_ = std::thread([this] { Serve(); });
    }
    ~FakeLdapWire()
    {
        ldap_unbind_ext(ld_, nullptr, nullptr);
        {
            const std::lock_guard lock(mutex_);
            stop_ = true;
        }
        Wake();
        thread_.join();
        for (const int fd : {ends_[1], wake_[0], wake_[1]})
            close(fd);
    }
    FakeLdapWire(const FakeLdapWire &) = delete;
    FakeLdapWire &operator=(const FakeLdapWire &) = delete;

    LDAP *Handle() const { return ld_; }
    // Sends the search on the handle: its message id.
    int Ask(const LdapServer::Search &search)
    {
        const std::string base(search.base);
        int message = -1;
        if (ldap_search_ext(ld_, base.c_str(), search.scope, search.filter, const_cast<char **>(search.attributes),
                            search.attributesOnly ? 1 : 0, nullptr, nullptr, nullptr, LDAP_NO_LIMIT,
                            &message) != LDAP_SUCCESS)
            std::abort();
        return message;
    }
    // Writes a reply into the server's end, behind the replies before it.
    void Answer(const std::string &bytes)
    {
        {
            const std::lock_guard lock(mutex_);
            out_ += bytes;
        }
        Wake();
    }
    // The whole result of message (its entries, then its end), waited for: the reply is
    // written already, and comes within ten seconds or never.
    LDAPMessage *Take(int message)
    {
        timeval wait{10, 0};
        LDAPMessage *result = nullptr;
        if (ldap_result(ld_, message, LDAP_MSG_ALL, &wait, &result) <= 0)
            std::abort();
        return result;
    }
    void Abandon(int message) { ldap_abandon_ext(ld_, message, nullptr, nullptr); }

private:
    void Wake() { [[maybe_unused]] const ssize_t written = write(wake_[1], "", 1); }

    void Serve()
    {
        for (;;) {
            bool writing = false;
            {
                const std::lock_guard lock(mutex_);
                if (stop_)
                    return;
                writing = !out_.empty();
            }
            pollfd waiting[] = {{ends_[1], short(POLLIN | (writing ? POLLOUT : 0)), 0}, {wake_[0], POLLIN, 0}};
            if (poll(waiting, 2, 1000) <= 0)
                continue;
            char dropped[4096];
            if (waiting[1].revents & POLLIN) {
                [[maybe_unused]] const ssize_t woken = read(wake_[0], dropped, sizeof dropped);
            }
            if (waiting[0].revents & POLLIN) {
                [[maybe_unused]] const ssize_t asked = read(ends_[1], dropped, sizeof dropped);
            }
            if (waiting[0].revents & POLLOUT) {
                const std::lock_guard lock(mutex_);
                const ssize_t step = send(ends_[1], out_.data(), std::min<size_t>(out_.size(), 1 << 16), MSG_NOSIGNAL);
                if (step > 0)
                    out_.erase(0, size_t(step));
            }
        }
    }

    int ends_[2] = {-1, -1};
    int wake_[2] = {-1, -1};
    LDAP *ld_ = nullptr;
    std::mutex mutex_;
    std::string out_;
    bool stop_ = false;
    std::thread thread_;
};
