#pragma once

#include "directory/client/NWClient.h"
#include "directory/ldap/LdapEntryBlock.h"
#include "directory/ldap/LdapRange.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class LdapSchema;
class LdapServer;
class LdapWords;
typedef struct ldap LDAP;
typedef struct ldapmsg LDAPMessage;

// Takes a search's entries apart, one pass over each: the DN, the classes, and the
// values of the user attributes the schema knows, into one block (LdapEntryBlock).
// Entries listed together come with their attributes in the same order, so the schema
// index of each type is looked up once for the lot. What the scan holds (the block, the
// classes, the ranges) is the last entry's, valid until the next scan.
class LdapEntryScan
{
public:
    // What an entry tells of its class, in views of the entry.
    struct Classes {
        std::string_view structural;           // structuralObjectClass, when it names one class
        std::vector<std::string_view> classes; // objectClass, or the chain Active Directory names
        bool subordinates = false;             // hasSubordinates is TRUE
    };

    // Scans an entry: its DN into dn, its classes, and when values is true (and schema
    // not null) its values into Block(), only those of the attributes kept when kept is
    // not null (by schema index). False when it does not read whole: no DN (dn then
    // empty), or an attribute or a value that does not read.
    bool Scan(const LdapSchema *schema, LDAP *ld, LDAPMessage *entry, std::string &dn, bool values,
              const std::vector<bool> *kept = nullptr);
    const Classes &EntryClasses() const { return classes_; }
    const LdapEntryBlock &Block() const { return block_; }
    // The structural class of the entry scanned (a schema index, -1 when none): as the
    // server names it, else the one among the entry's classes that no other structural
    // class of the entry derives from.
    int32_t StructuralClass(const LdapSchema &schema) const;

    // Whether values of the entry scanned came in ranges (member;range=0-1499).
    bool Ranged() const { return !ranged_.empty(); }
    // Fetches the ranged values of the entry scanned (whose DN is dn) from server, range
    // after range, and adds them to Block() in the server's order; the code of a failed
    // search, or of a part that does not follow the one before (-5104, "Decoding
    // error"), with the words in words.
    NWDSCCODE FollowRanges(LdapServer &server, const std::string &dn, LdapWords &words);

private:
    // An attribute kept whose values came in ranges, more to follow.
    struct RangedAttribute {
        std::string description; // as the server named the part it sent
        uint32_t attribute = 0;  // schema index
        LdapRange range;
    };

    LdapEntryBlock block_;
    Classes classes_;
    // The attribute types of the entry scanned last, in their order, with their schema
    // indexes in typesOf_.
    const LdapSchema *typesOf_ = nullptr;
    std::vector<std::pair<std::string, int32_t>> types_;
    std::vector<RangedAttribute> ranged_;
};
