#pragma once

// A directory server in memory in the place of the client's connection (LdapServer),
// which a test fills: entries (a DN and attributes with values, in the order added), the
// definitions of the subschema entry, the naming contexts, and whether paged results are
// offered. It answers base, one-level and subtree searches of (objectClass=*) and the
// subschema search, with the attributes asked for (all user attributes for "*", none
// for "1.1", an operational one stored when named), whole or in pages with an opaque
// cookie and an empty one on the last. As slapd, it keeps one paged search per
// connection: a paged search starting makes the cookies of any other unknown, as are
// those of an earlier session, and an unknown cookie fails (LDAP_PROTOCOL_ERROR).
// Replies are real LDAP messages read through the handle of a connection (FakeLdapWire).
// Every search asked and every abandon is recorded, so that a test sees what the client
// asked.

#include "FakeLdapWire.h"
#include "LdapResponder.h"
#include "directory/ldap/LdapServer.h"

#include <QString>

#include <ldap.h>

#include <strings.h>

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class FakeLdapServer final : public LdapServer
{
public:
    using Attributes = LdapResponder::Attributes;
    // A search the client asked for, and how it was answered.
    struct Asked {
        std::string base;
        int scope = 0;
        std::string filter;
        std::vector<std::string> attributes; // as asked; empty for none named
        bool attributesOnly = false;
        int pageSize = 0;
        std::string cookie;
        bool sent = false; // asked for ahead (Send), else run
        int message = 0;
        uint32_t session = 0;
        int status = LDAP_SUCCESS;
        size_t entries = 0; // entries in the reply
        std::string next;   // the cookie of the page after; empty on the last
        // How often the client had asked for the handle when it asked the search and
        // when it took the reply: every entry it walks and takes apart asks for it.
        size_t handleCallsAsked = 0;
        size_t handleCallsTaken = 0;
    };

    static constexpr const char *SubschemaEntry = "cn=Subschema";

    explicit FakeLdapServer(std::vector<std::string> namingContexts, bool pages = true)
        : namingContexts_(std::move(namingContexts)), pages_(pages), wire_(std::make_unique<FakeLdapWire>())
    {
        baseDn_ = namingContexts_.empty() ? std::string() : namingContexts_.front();
        schema_.dn = SubschemaEntry;
    }

    void Add(std::string dn, Attributes attributes)
    {
        entries_.push_back({KeyOf(dn), std::move(dn), std::move(attributes)});
    }
    void SetSchema(std::vector<std::string> objectClasses, std::vector<std::string> attributeTypes)
    {
        schema_.attributes = {{"objectClasses", std::move(objectClasses)},
                              {"attributeTypes", std::move(attributeTypes)}};
    }
    // The connection made again, as after the server went away: a new session, which
    // knows nothing of the searches of the one before.
    void Reconnect()
    {
        wire_ = std::make_unique<FakeLdapWire>();
        sent_.clear();
        gone_ = false;
        ++session_;
    }
    // The server goes away unseen: what was asked for ahead does not come, nothing can
    // be sent, and the next search run makes the connection again first, as the client's
    // connection does, and is then answered.
    void GoAway() { gone_ = true; }
    // Pages larger than size are refused (adminLimitExceeded), as slapd's size.pr does.
    void SetLargestPage(int size) { largestPage_ = size; }
    const std::vector<Asked> &Asks() const { return asks_; }
    const std::vector<int> &Abandoned() const { return abandoned_; }
    // The searches of one base (in any letter case) and scope, in their order.
    std::vector<Asked> AsksOf(std::string_view base, int scope) const
    {
        std::vector<Asked> found;
        std::copy_if(asks_.begin(), asks_.end(), std::back_inserter(found),
                     [&](const Asked &asked) { return asked.scope == scope && KeyOf(asked.base) == KeyOf(base); });
        return found;
    }

    LdapReply Run(const Search &search) override
    {
        if (gone_)
            Reconnect();
        Asked &asked = asks_[Ask(search, false)];
        LdapMessages messages(wire_->Take(asked.message));
        asked.handleCallsTaken = handleCalls_;
        return {this, asked.status, std::move(messages)};
    }
    int Send(const Search &search) override
    {
        if (gone_)
            return -1;
        const size_t asked = Ask(search, true);
        sent_[asks_[asked].message] = asked;
        return asks_[asked].message;
    }
    bool Receive(int message, LdapReply &reply) override
    {
        const auto sent = sent_.find(message);
        if (gone_ || sent == sent_.end())
            return false; // not sent on this connection, or it went away
        Asked &asked = asks_[sent->second];
        sent_.erase(sent);
        LdapMessages messages(wire_->Take(message));
        asked.handleCallsTaken = handleCalls_;
        reply = {this, asked.status, std::move(messages)};
        return true;
    }
    void Abandon(int message) override
    {
        abandoned_.push_back(message);
        if (sent_.erase(message) > 0)
            wire_->Abandon(message);
    }
    LDAP *Handle() const override
    {
        ++handleCalls_;
        return wire_->Handle();
    }
    uint32_t Session() const override { return session_; }
    bool Pages() const override { return pages_; }
    bool Lost() const override { return false; }
    const QString &LostWords() const override { return lostWords_; }
    QString Words(int status) const override { return QString::fromUtf8(ldap_err2string(status)); }
    void SetWaitHook(std::function<bool()> /*stop*/) override {}

    const QString &TreeName() const override { return treeName_; }
    const std::string &BoundDn() const override { return bound_; }
    const std::string &BoundName() const override { return bound_; }
    const std::string &BaseDn() const override { return baseDn_; }
    const std::vector<std::string> &NamingContexts() const override { return namingContexts_; }
    const std::string &SubschemaDn() const override { return subschemaDn_; }

private:
    struct Entry {
        std::string key; // KeyOf(dn)
        std::string dn;
        Attributes attributes;
    };

    // A DN as compared: in lower case, without spaces after its separators, the naming
    // types by their short names.
    static std::string KeyOf(std::string_view dn)
    {
        std::string key;
        for (const char c : dn) {
            if (c == ' ' && !key.empty() && (key.back() == ',' || key.back() == '='))
                continue;
            key += char(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            for (const auto &[name, type] : {std::pair{"commonname=", "cn="}, std::pair{"organizationname=", "o="},
                                             std::pair{"organizationalunitname=", "ou="}}) {
                const std::string_view named(name);
                const size_t start = key.size() - std::min(key.size(), named.size());
                if (key.ends_with(named) && (start == 0 || key[start - 1] == ',' || key[start - 1] == '+'))
                    key.replace(start, named.size(), type);
            }
        }
        return key;
    }
    static std::string_view ParentOf(std::string_view key)
    {
        for (size_t at = 0; at < key.size(); ++at) {
            if (key[at] == '\\')
                ++at;
            else if (key[at] == ',')
                return key.substr(at + 1);
        }
        return {};
    }
    static bool Named(const char *const *attributes, std::string_view type)
    {
        for (const char *const *at = attributes; at && *at; ++at) {
            if (type.size() == std::strlen(*at) && strncasecmp(*at, type.data(), type.size()) == 0)
                return true;
        }
        return false;
    }
    static bool Operational(std::string_view type)
    {
        for (const char *name : {"structuralObjectClass", "hasSubordinates", "entryUUID", "entryDN", "createTimestamp",
                                 "modifyTimestamp", "subschemaSubentry", "objectClasses", "attributeTypes"}) {
            const char *const named[] = {name, nullptr};
            if (Named(named, type))
                return true;
        }
        return false;
    }
    static Attributes Chosen(const Entry &entry, const Search &search)
    {
        const bool users = !search.attributes || Named(search.attributes, LDAP_ALL_USER_ATTRIBUTES);
        Attributes chosen;
        for (const auto &[type, values] : entry.attributes) {
            if ((users && !Operational(type)) || Named(search.attributes, type))
                chosen.emplace_back(type, search.attributesOnly ? std::vector<std::string>() : values);
        }
        return chosen;
    }

    // The entries a search finds, in the order added; status says why none.
    std::vector<const Entry *> Found(const Search &search, int &status) const
    {
        const std::string base = KeyOf(search.base);
        if (search.scope == LDAP_SCOPE_BASE && base == KeyOf(subschemaDn_))
            return {&schema_};
        if (std::string_view(search.filter) != "(objectClass=*)") {
            status = LDAP_UNWILLING_TO_PERFORM;
            return {};
        }
        if (std::none_of(entries_.begin(), entries_.end(), [&base](const Entry &entry) { return entry.key == base; })) {
            status = LDAP_NO_SUCH_OBJECT;
            return {};
        }
        std::vector<const Entry *> found;
        for (const Entry &entry : entries_) {
            const bool below = entry.key.size() > base.size() && entry.key.ends_with("," + base);
            if ((search.scope == LDAP_SCOPE_BASE && entry.key == base) ||
                (search.scope == LDAP_SCOPE_ONELEVEL && ParentOf(entry.key) == base) ||
                (search.scope == LDAP_SCOPE_SUBTREE && (entry.key == base || below)))
                found.push_back(&entry);
        }
        return found;
    }

    // The cookie of the page from offset on, of this session's current paged search.
    std::string CookieOf(size_t offset) const
    {
        return std::to_string(session_) + '/' + std::to_string(pagedSearch_) + '/' + std::to_string(offset);
    }
    // The offset of a cookie of the current paged search; false for any other cookie.
    bool OffsetOf(std::string_view cookie, size_t &offset) const
    {
        const std::string current = CookieOf(0);
        const std::string_view prefix = std::string_view(current).substr(0, current.size() - 1);
        if (!cookie.starts_with(prefix))
            return false;
        const std::string_view digits = cookie.substr(prefix.size());
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), offset);
        return error == std::errc() && end == digits.data() + digits.size();
    }

    // Records a search, sends it on the connection and writes its reply: its record's
    // index.
    size_t Ask(const Search &search, bool sent)
    {
        Asked asked;
        asked.base = search.base;
        asked.scope = search.scope;
        asked.filter = search.filter;
        for (const char *const *at = search.attributes; at && *at; ++at)
            asked.attributes.emplace_back(*at);
        asked.attributesOnly = search.attributesOnly;
        asked.pageSize = search.pageSize;
        asked.cookie = search.cookie;
        asked.sent = sent;
        asked.session = session_;
        asked.handleCallsAsked = handleCalls_;
        std::vector<const Entry *> found = Found(search, asked.status);
        size_t from = 0;
        size_t to = found.size();
        const bool paged = search.pageSize > 0 && asked.status == LDAP_SUCCESS;
        if (paged && search.cookie.empty())
            ++pagedSearch_;
        if (paged && !search.cookie.empty() && (!OffsetOf(search.cookie, from) || from > found.size())) {
            asked.status = LDAP_PROTOCOL_ERROR;
            from = to;
        } else if (paged && largestPage_ > 0 && search.pageSize > largestPage_) {
            asked.status = LDAP_ADMINLIMIT_EXCEEDED;
            from = to;
        }
        if (paged && asked.status == LDAP_SUCCESS) {
            to = std::min(found.size(), from + size_t(search.pageSize));
            asked.next = to < found.size() ? CookieOf(to) : std::string();
        }
        asked.message = wire_->Ask(search);
        asked.entries = to - from;
        std::string reply;
        for (size_t at = from; at < to; ++at)
            reply += LdapResponder::Entry(asked.message, found[at]->dn, Chosen(*found[at], search));
        std::string done = LdapResponder::Tlv(0x65, LdapResponder::Tlv(0x0A, std::string(1, char(asked.status))) +
                                                        LdapResponder::Tlv(0x04, "") + LdapResponder::Tlv(0x04, ""));
        if (paged && asked.status == LDAP_SUCCESS) {
            const std::string value = LdapResponder::Tlv(0x30, LdapResponder::Tlv(0x02, std::string(1, '\0')) +
                                                                   LdapResponder::Tlv(0x04, asked.next));
            done +=
                LdapResponder::Tlv(0xA0, LdapResponder::Tlv(0x30, LdapResponder::Tlv(0x04, LDAP_CONTROL_PAGEDRESULTS) +
                                                                      LdapResponder::Tlv(0x04, value)));
        }
        wire_->Answer(reply + LdapResponder::Message(asked.message, done));
        asks_.push_back(std::move(asked));
        return asks_.size() - 1;
    }

    std::vector<std::string> namingContexts_;
    bool pages_ = true;
    std::unique_ptr<FakeLdapWire> wire_;
    std::vector<Entry> entries_;
    Entry schema_;
    std::string baseDn_;
    std::string subschemaDn_ = SubschemaEntry;
    std::string bound_;
    QString treeName_ = QStringLiteral("ACME");
    QString lostWords_;
    uint32_t session_ = 0;
    uint32_t pagedSearch_ = 0;
    int largestPage_ = 0;
    bool gone_ = false;
    // The searches sent ahead and not received: their records by message id.
    std::map<int, size_t> sent_;
    std::vector<Asked> asks_;
    std::vector<int> abandoned_;
    mutable size_t handleCalls_ = 0;
};
