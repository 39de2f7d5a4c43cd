#pragma once

#include "directory/client/NWClient.h"
#include "directory/ldap/LdapEntryStore.h"
#include "directory/ldap/LdapEntryView.h"

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <string_view>

class LdapEntryScan;
class LdapTrees;
class LdapWords;

// The entries the client holds so that reads need not ask the server again:
// - kept: entries fetched whole with their listings, by tree and DN, within a bound on
//   the memory they take; they stay until ForgetKept;
// - read: the last few objects fetched on their own, whole, for a reader reads one
//   object's attributes one call after the other;
// - last: the object taken apart last, by the name it was asked by; it lies in a block
//   kept or read, and goes when that block goes.
class LdapEntryCache
{
public:
    LdapEntryCache(LdapTrees &trees, LdapEntryScan &scan, LdapWords &words, size_t keptBytes);

    // The block of an entry kept with its listing; none when it is not kept.
    std::optional<std::string_view> Kept(uint32_t tree, std::string_view dn);
    // Keeps a listed entry's block; false past the memory allowed.
    bool Keep(uint32_t tree, std::string_view dn, std::string_view block);
    // The block of an entry: read before, or kept, else fetched with one base search of
    // all user attributes (and the rest of its ranged values) and then among those read.
    // The code of a failed search or of an entry that does not read whole, with words.
    NWDSCCODE Fetch(uint32_t tree, const std::string &dn, std::string_view &block);

    // The object asked for last, when it was asked for by name; null otherwise.
    const LdapEntryView *Last(uint32_t tree, std::string_view name) const;
    // Takes block apart as the object asked for by name, now the last.
    const LdapEntryView &TakeApart(uint32_t tree, std::string_view name, std::string_view block);

    // Forgets the objects read: a new listing reads afresh.
    void ForgetReads();
    // Forgets the entries kept, and frees their memory.
    void ForgetKept();

private:
    struct ReadEntry {
        uint32_t tree = 0;
        std::string dn;
        std::string block; // LdapEntryBlock
    };
    struct LastRead {
        bool valid = false;
        uint32_t tree = 0;
        std::string name;
        LdapEntryView entry;
    };

    // The key of an entry in kept_, made in key_ (valid until the next).
    std::string_view KeyOf(uint32_t tree, std::string_view dn);

    LdapTrees &trees_;
    LdapEntryScan &scan_;
    LdapWords &words_;
    LdapEntryStore kept_;
    std::deque<ReadEntry> reads_;
    LastRead last_;
    std::string key_;
};
