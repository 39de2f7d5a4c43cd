#pragma once

// A TCP relay on 127.0.0.1 in front of a server that sends every attribute whole, playing
// one that sends large attributes in ranges, as Active Directory does: an attribute of
// more than Chunk values comes as `type;range=0-(Chunk-1)` with its first values; a search
// that asks for `type;range=N-*` is passed on asking for `type`, and its entry comes with
// `type;range=N-(N+Chunk-1)` and those values, or with the last of them `type;range=N-*`.
// Asked to, it plays a faulty server that sends the first part again, whatever range is
// asked for. Connections are relayed each in a thread of its own, message by message.

#include "LoopbackServer.h"

#include <poll.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <map>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

class RangingRelay
{
public:
    // Port() is 0 when the relay could not listen.
    RangingRelay(int serverPort, size_t chunk, bool repeatsFirstPart = false, bool breaksLaterParts = false)
        : serverPort_(serverPort), chunk_(chunk), repeatsFirstPart_(repeatsFirstPart),
          breaksLaterParts_(breaksLaterParts)
    {
    }

    ~RangingRelay()
    {
        listening_.Stop();
        for (std::thread &connection : connections_)
            connection.join();
    }

    int Port() const { return listening_.Port(); }
    // The searches that asked for a range.
    int RangedSearches() const { return rangedSearches_; }

private:
    // One element of BER: its tag, its contents, and the whole of it.
    struct Element {
        uint8_t tag = 0;
        std::string_view contents;
        std::string_view whole;
    };

    // The element rest starts with, taken off it; false when rest holds no whole one.
    static bool Take(std::string_view &rest, Element &element)
    {
        if (rest.size() < 2)
            return false;
        size_t length = uint8_t(rest[1]);
        size_t header = 2;
        if (length & 0x80) {
            const size_t count = length & 0x7F;
            if (rest.size() < 2 + count)
                return false;
            length = 0;
            for (size_t i = 0; i < count; ++i)
                length = (length << 8) | uint8_t(rest[2 + i]);
            header += count;
        }
        if (rest.size() - header < length)
            return false;
        element = {uint8_t(rest[0]), rest.substr(header, length), rest.substr(0, header + length)};
        rest.remove_prefix(header + length);
        return true;
    }

    static std::string Tlv(uint8_t tag, std::string_view contents)
    {
        std::string bytes(1, char(tag));
        if (contents.size() < 0x80) {
            bytes.push_back(char(contents.size()));
        } else {
            std::string length;
            for (size_t size = contents.size(); size > 0; size >>= 8)
                length.insert(length.begin(), char(size & 0xFF));
            bytes.push_back(char(0x80 | length.size()));
            bytes += length;
        }
        return bytes.append(contents);
    }

    static std::string Lower(std::string_view text)
    {
        std::string lower(text);
        for (char &c : lower)
            c = char(tolower(uint8_t(c)));
        return lower;
    }

    // What one connection's searches asked for in ranges: by message id, the types (in
    // small letters) with the first value asked for.
    using Asked = std::map<std::string, std::map<std::string, size_t>>;

    // A search request asking for type;range=N-* asks the server for type.
    std::string FromClient(std::string_view message, Asked &asked)
    {
        Element whole, id, operation;
        std::string_view rest = message;
        if (!Take(rest, whole))
            return std::string(message);
        std::string_view parts = whole.contents;
        if (!Take(parts, id) || !Take(parts, operation) || operation.tag != 0x63)
            return std::string(message);
        std::string_view fields = operation.contents;
        Element field;
        std::string_view before = fields;
        while (Take(fields, field) && field.tag != 0x30) {
        }
        if (field.tag != 0x30)
            return std::string(message);
        before = before.substr(0, size_t(field.whole.data() - before.data()));
        std::string attributes;
        std::string_view names = field.contents;
        for (Element name; Take(names, name);) {
            const std::string description(name.contents);
            const size_t range = Lower(description).find(";range=");
            if (range == std::string::npos) {
                attributes += Tlv(0x04, description);
                continue;
            }
            const std::string type = description.substr(0, range);
            asked[std::string(id.contents)][Lower(type)] = std::stoul(description.substr(range + 7));
            ++rangedSearches_;
            attributes += Tlv(0x04, type);
        }
        const std::string search = Tlv(0x63, std::string(before) + Tlv(0x30, attributes) + std::string(fields));
        return Tlv(0x30, std::string(id.whole) + search + std::string(parts));
    }

    // A search entry's large attributes, and those asked for in ranges, come in ranges.
    std::string FromServer(std::string_view message, Asked &asked)
    {
        Element whole, id, operation, dn, attributes;
        std::string_view rest = message;
        if (!Take(rest, whole))
            return std::string(message);
        std::string_view parts = whole.contents;
        if (!Take(parts, id) || !Take(parts, operation))
            return std::string(message);
        const auto ranges = asked.find(std::string(id.contents));
        if (operation.tag == 0x65 && ranges != asked.end())
            asked.erase(ranges);
        std::string_view fields = operation.contents;
        if (operation.tag != 0x64 || !Take(fields, dn) || !Take(fields, attributes))
            return std::string(message);
        std::string sent;
        std::string_view list = attributes.contents;
        for (Element attribute; Take(list, attribute);) {
            std::string_view pair = attribute.contents;
            Element type, set;
            if (!Take(pair, type) || !Take(pair, set))
                return std::string(message);
            std::vector<std::string_view> values;
            std::string_view each = set.contents;
            for (Element value; Take(each, value);)
                values.push_back(value.whole);
            size_t first = 0;
            bool ranged = values.size() > chunk_;
            if (ranges != asked.end() && !repeatsFirstPart_) {
                if (const auto from = ranges->second.find(Lower(type.contents)); from != ranges->second.end()) {
                    first = std::min(from->second, values.size());
                    ranged = true;
                }
            }
            if (!ranged) {
                sent += attribute.whole;
                continue;
            }
            const size_t end = std::min(first + chunk_, values.size());
            const std::string description = std::string(type.contents) + ";range=" + std::to_string(first) + "-" +
                                            (end == values.size() ? std::string("*") : std::to_string(end - 1));
            std::string kept;
            for (size_t i = first; i < end; ++i)
                kept += values[i];
            // A later part with an integer among its values does not read whole.
            if (breaksLaterParts_ && first > 0)
                kept += Tlv(0x02, std::string(1, '\x01'));
            sent += Tlv(0x30, Tlv(0x04, description) + Tlv(0x31, kept));
        }
        const std::string entry = Tlv(0x64, std::string(dn.whole) + Tlv(0x30, sent) + std::string(fields));
        return Tlv(0x30, std::string(id.whole) + entry + std::string(parts));
    }

    // Reads what from has into pending, and writes each whole message of it, as change
    // makes it, to to; false when either end is closed.
    template <typename Change> static bool Pass(int from, int to, std::string &pending, Change change)
    {
        char bytes[65536];
        const ssize_t got = read(from, bytes, sizeof bytes);
        if (got <= 0)
            return false;
        pending.append(bytes, size_t(got));
        std::string_view rest = pending;
        std::string out;
        for (Element message; Take(rest, message);)
            out += change(message.whole);
        pending.erase(0, pending.size() - rest.size());
        for (size_t sent = 0; sent < out.size();) {
            const ssize_t put = send(to, out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
            if (put <= 0)
                return false;
            sent += size_t(put);
        }
        return true;
    }

    void Serve(int client, int server)
    {
        Asked asked;
        std::string fromClient;
        std::string fromServer;
        while (!listening_.Stopping()) {
            pollfd ends[2] = {{client, POLLIN, 0}, {server, POLLIN, 0}};
            if (poll(ends, 2, 50) < 0)
                break;
            if ((ends[0].revents & (POLLIN | POLLHUP | POLLERR)) &&
                !Pass(client, server, fromClient, [&](std::string_view m) { return FromClient(m, asked); }))
                break;
            if ((ends[1].revents & (POLLIN | POLLHUP | POLLERR)) &&
                !Pass(server, client, fromServer, [&](std::string_view m) { return FromServer(m, asked); }))
                break;
        }
        close(server);
        close(client);
    }

    void Connect(int client)
    {
        const int server = LoopbackSocket::Connect(serverPort_);
        if (server < 0) {
            close(client);
            return;
        }
        connections_.emplace_back([this, client, server] { Serve(client, server); });
    }

    int serverPort_;
    size_t chunk_;
    bool repeatsFirstPart_;
    bool breaksLaterParts_;
    std::atomic<int> rangedSearches_{0};
    std::vector<std::thread> connections_; // made by the accepting thread, joined by the destructor
    LoopbackServer listening_{[this](int client) { Connect(client); }};
};
