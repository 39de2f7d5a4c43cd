#pragma once

// The listening part of the servers and relays the tests play on 127.0.0.1: a listener at
// a free port and a thread that accepts connections one at a time and hands each to the
// owner's serve, which owns the connection (closes it) and returns when done or when
// Stopping(). The owner holds it as its last member, or calls Stop() first in its own
// destructor, so that the thread has ended before the members serve uses go.

#include "LoopbackSocket.h"

#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <functional>
#include <thread>
#include <utility>

class LoopbackServer
{
public:
    // Port() is 0, and serve is never called, when it could not listen.
    explicit LoopbackServer(std::function<void(int connection)> serve) : serve_(std::move(serve))
    {
        listener_ = LoopbackSocket::Listen(&port_);
        if (listener_ >= 0)
            thread_ = std::thread([this] { Accept(); });
    }
    LoopbackServer(const LoopbackServer &) = delete;
    LoopbackServer &operator=(const LoopbackServer &) = delete;
    ~LoopbackServer()
    {
        Stop();
        if (listener_ >= 0)
            close(listener_);
    }

    int Port() const { return port_; }
    // Whether the server is stopping: serve's loops end with it.
    bool Stopping() const { return stop_; }
    // Ends the accepting and waits for the connection being served.
    void Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }

private:
    void Accept()
    {
        while (!stop_) {
            pollfd waiting{listener_, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0)
                continue;
            if (const int connection = accept(listener_, nullptr, nullptr); connection >= 0)
                serve_(connection);
        }
    }

    std::function<void(int connection)> serve_;
    int listener_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
