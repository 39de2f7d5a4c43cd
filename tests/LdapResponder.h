#pragma once

// A directory server on 127.0.0.1 that a test scripts, for replies no real server sends.
// It takes anonymous searches only: the root entry (naming context o=Acme, no paged
// results) and the subschema entry (organization and person with cn, sn, o, description)
// it answers as a small server does; every other search (the listing of o=Acme, the
// reads of its entries) it answers with the bytes the test's script gives for it, which
// may be malformed, oversized or cut short. After a reply it keeps the connection open
// and reads on, so that a reply cut short leaves the client waiting.

#include "LoopbackServer.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class LdapResponder
{
public:
    // A search's base and scope; the reply is the bytes written for search message.
    using Script = std::function<std::string(int message, const std::string &base, int scope)>;
    using Attributes = std::vector<std::pair<std::string, std::vector<std::string>>>;

    explicit LdapResponder(Script script) : script_(std::move(script)) {}

    // "ldap://127.0.0.1:PORT"; the port is 0 when it could not listen.
    std::string Uri() const { return "ldap://127.0.0.1:" + std::to_string(listening_.Port()); }

    // BER: an element of a tag, in the shortest definite length form.
    static std::string Tlv(uint8_t tag, std::string_view contents)
    {
        std::string element(1, char(tag));
        const size_t size = contents.size();
        if (size < 0x80) {
            element += char(size);
        } else {
            std::string bytes;
            for (size_t rest = size; rest > 0; rest >>= 8)
                bytes.insert(bytes.begin(), char(rest & 0xFF));
            element += char(0x80 | bytes.size());
            element += bytes;
        }
        return element.append(contents);
    }
    // An LDAP message: its id and its protocol operation, as they stand.
    static std::string Message(int message, std::string_view operation)
    {
        std::string id;
        for (int rest = message; rest > 0 || id.empty(); rest >>= 8)
            id.insert(id.begin(), char(rest & 0xFF));
        if (uint8_t(id.front()) & 0x80)
            id.insert(id.begin(), '\0');
        return Tlv(0x30, Tlv(0x02, id) + std::string(operation));
    }
    // A search's entry and its attributes.
    static std::string EntryOperation(std::string_view dn, const Attributes &attributes)
    {
        std::string list;
        for (const auto &[type, values] : attributes) {
            std::string set;
            for (const std::string &value : values)
                set += Tlv(0x04, value);
            list += Tlv(0x30, Tlv(0x04, type) + Tlv(0x31, set));
        }
        return Tlv(0x64, Tlv(0x04, dn) + Tlv(0x30, list));
    }
    static std::string Entry(int message, std::string_view dn, const Attributes &attributes)
    {
        return Message(message, EntryOperation(dn, attributes));
    }
    // The end of a search, success by default.
    static std::string Done(int message, int code = 0, std::string_view words = {})
    {
        return Message(message, Tlv(0x65, Tlv(0x0A, std::string(1, char(code))) + Tlv(0x04, "") + Tlv(0x04, words)));
    }
    // A person below o=Acme, as a listing or a read asks for it.
    static std::string Person(int message, const std::string &cn, std::string_view sn = "S")
    {
        return Entry(message, "cn=" + cn + ",o=Acme",
                     {{"objectClass", {"person"}},
                      {"structuralObjectClass", {"person"}},
                      {"cn", {cn}},
                      {"sn", {std::string(sn)}}});
    }

private:
    void Serve(int client)
    {
        std::string received;
        while (!listening_.Stopping()) {
            pollfd waiting{client, POLLIN, 0};
            if (poll(&waiting, 1, 50) <= 0)
                continue;
            char block[4096];
            const ssize_t got = read(client, block, sizeof block);
            if (got <= 0)
                return;
            received.append(block, size_t(got));
            for (size_t used = 0; (used = Answer(client, received)) > 0;)
                received.erase(0, used);
        }
    }

    // Answers the first whole request of bytes: the bytes it took, 0 for none whole.
    size_t Answer(int client, const std::string &bytes)
    {
        std::string_view rest(bytes);
        uint8_t tag = 0;
        std::string_view request;
        if (!Take(rest, tag, request))
            return 0;
        const size_t used = bytes.size() - rest.size();
        std::string_view id;
        std::string_view operation;
        if (!Take(request, tag, id) || id.empty() || !Take(request, tag, operation))
            return used;
        int message = 0;
        for (const char byte : id)
            message = (message << 8) | uint8_t(byte);
        if (tag == 0x42) // unbind
            return bytes.size();
        if (tag != 0x63) // only searches are answered; an abandon has no answer
            return used;
        std::string_view base;
        std::string_view scope;
        uint8_t ignored = 0;
        Take(operation, ignored, base);
        Take(operation, ignored, scope);
        const int scopeValue = scope.empty() ? 0 : uint8_t(scope.front());
        Write(client, Reply(message, std::string(base), scopeValue));
        return used;
    }

    std::string Reply(int message, const std::string &base, int scope)
    {
        if (base.empty() && scope == 0)
            return Entry(message, "",
                         {{"namingContexts", {"o=Acme"}},
                          {"subschemaSubentry", {"cn=Subschema"}},
                          {"supportedLDAPVersion", {"3"}}}) +
                   Done(message);
        if (base == "cn=Subschema")
            return Entry(message, "cn=Subschema",
                         {{"attributeTypes",
                           {"( 2.5.4.0 NAME 'objectClass' SYNTAX 1.3.6.1.4.1.1466.115.121.1.38 )",
                            "( 2.5.4.41 NAME 'name' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15{32768} )",
                            "( 2.5.4.3 NAME ( 'cn' 'commonName' ) SUP name )",
                            "( 2.5.4.4 NAME ( 'sn' 'surname' ) SUP name )",
                            "( 2.5.4.10 NAME ( 'o' 'organizationName' ) SUP name )",
                            "( 2.5.4.13 NAME 'description' SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 )"}},
                          {"objectClasses",
                           {"( 2.5.6.0 NAME 'top' ABSTRACT MUST objectClass )",
                            "( 2.5.6.4 NAME 'organization' SUP top STRUCTURAL MUST o MAY description )",
                            "( 2.5.6.6 NAME 'person' SUP top STRUCTURAL MUST ( sn $ cn ) MAY description )"}}}) +
                   Done(message);
        if (base == "o=Acme" && scope == 0)
            return Entry(message, "o=Acme", {{"objectClass", {"organization"}}, {"o", {"Acme"}}}) + Done(message);
        return script_(message, base, scope);
    }

    static void Write(int client, const std::string &bytes)
    {
        for (size_t written = 0; written < bytes.size();) {
            const ssize_t step = send(client, bytes.data() + written, bytes.size() - written, MSG_NOSIGNAL);
            if (step <= 0)
                return;
            written += size_t(step);
        }
    }

    // The first element of rest, taken from it: false when rest does not start with one.
    static bool Take(std::string_view &rest, uint8_t &tag, std::string_view &contents)
    {
        if (rest.size() < 2)
            return false;
        size_t length = uint8_t(rest[1]);
        size_t header = 2;
        if (length & 0x80) {
            const size_t count = length & 0x7F;
            if (count == 0 || count > 4 || rest.size() < 2 + count)
                return false;
            length = 0;
            for (size_t i = 0; i < count; ++i)
                length = (length << 8) | uint8_t(rest[2 + i]);
            header += count;
        }
        if (rest.size() - header < length)
            return false;
        tag = uint8_t(rest[0]);
        contents = rest.substr(header, length);
        rest.remove_prefix(header + length);
        return true;
    }

    Script script_;
    LoopbackServer listening_{[this](int client) {
        Serve(client);
        close(client);
    }}; // last: its thread ends first
};
