#pragma once

#include "directory/client/NWClient.h"
#include "directory/client/TextHash.h"
#include "directory/ldap/LdapName.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class LdapEntryCache;
class LdapTrees;
class LdapWords;

// The DNs of the dotted names handed in, and the names handed out for DNs.
//
// Every name is known by one key: its tree, then its typeless dotted name case-folded
// (LdapName::Key), so that every spelling of a name (typed or typeless, in any letter
// case) finds it. A name handed in is, in this order:
// - an entry kept with its listing (LdapEntryCache), its first part a plain value and
//   the rest a container listed: typed as the entries listed below it were;
// - a name handed out before, or a naming context or a tree's default context;
// - typed throughout: its DN as it stands;
// - else found part by part below the closest container known: a typed part as it
//   stands, a typeless one typed as the entries listed below its container were (an
//   entry that exists), else by a one-level search of its container.
// Names are remembered in two generations of at most 50,000 each, the latest and the
// one before; the naming contexts always stay known. A container listed keeps the naming
// types of its entries, a few at most, so that names forgotten are found again.
class LdapNames
{
public:
    LdapNames(LdapTrees &trees, LdapEntryCache &entries, LdapWords &words);

    // Remembers every tree's naming contexts and default context.
    void RememberContexts();
    // The DN of a name handed in; with the entry's block in *kept when the name is that
    // of an entry kept with its listing, else kept left as it was.
    NWDSCCODE Resolve(uint32_t tree, const char *name, std::string &dn, std::string_view *kept = nullptr);
    // Whether an entry exists (0): known, kept, or found by a base search.
    NWDSCCODE Exists(uint32_t tree, const std::string &dn);

    // The context's name context, as parts with their key.
    struct Top {
        std::vector<LdapName::Rdn> parts;
        std::string key;
    };
    static Top TopOf(const std::string &nameContext);

    // A container whose entries a listing hands out: the naming types noted below it,
    // and what the names of its entries share, made for the first of them.
    struct Container {
        std::vector<std::string> *types = nullptr; // null: the top, or a DN that does not parse
        bool made = false;
        bool usable = false;   // the DN parses, below the name context's level
        bool typeless = false; // made for a context of typeless names
        std::string topKey;    // made for this name context (Top::key)
        std::string key;       // the container's key (LdapName::Key)
        std::string shown;     // what a name handed out has after the entry's own part
    };
    // The container at dn, listed now: the names typed below it before are forgotten
    // for the memos of the last container looked at.
    Container Listing(uint32_t tree, const std::string &dn);
    // The name of an entry of container as handed out, relative to top, typed or
    // typeless, with its naming type noted; remembered with its DN unless the entry is
    // kept and found again through its container. Empty when the DN gives no name that
    // reads back to the entry.
    std::string HandOut(Container &container, const Top &top, bool typeless, uint32_t tree,
                        const std::string &containerDn, const std::string &dn, bool kept);

private:
    using Names = std::unordered_map<std::string, std::string, TextHash, std::equal_to<>>;
    struct Children {
        std::string dn;
        std::vector<std::string> types;
    };
    // The container a memo looked up last, with what it found (null: nothing); not
    // valid once a listing starts.
    template <typename Found> struct Memo {
        bool valid = false;
        uint32_t tree = 0;
        std::string name;
        Found *found = nullptr;
    };

    // The key of a name (nameKey: LdapName::Key, or text to fold) in tree, made in key.
    static std::string &KeyOf(uint32_t tree, std::string_view nameKey, std::string &key);
    static std::string KeyOf(uint32_t tree, std::string_view nameKey);
    std::string &FoldedKeyOf(uint32_t tree, std::string_view text, std::string &key);
    void Remember(uint32_t tree, const std::vector<LdapName::Rdn> &parts, const std::string &dn);
    void RememberKey(std::string key, const std::string &dn);
    const std::string *Known(uint32_t tree, const std::vector<LdapName::Rdn> &parts);
    const std::string *KnownKey(std::string_view key) const;
    NWDSCCODE ResolveParts(uint32_t tree, const std::vector<LdapName::Rdn> &parts, std::string &dn);
    // The DN of a typeless part below base, typed as the entries listed below base were,
    // when such an entry exists; empty otherwise.
    std::string Typed(uint32_t tree, const LdapName::Rdn &part, const std::string &base);
    // The DN of an entry kept whose typeless dotted name is name, when its first part is
    // a plain value and the rest names a container listed, with the entry's block when
    // block is not null. Names found so are not remembered.
    bool KeptListed(uint32_t tree, std::string_view name, std::string &dn, std::string_view *block);
    // The entry's part found by a one-level search of base; empty when none.
    NWDSCCODE Search(uint32_t tree, const std::string &base, const std::string &partKey, std::string &found);
    static void MakeContainer(Container &container, const std::string &dn, const Top &top, bool typeless);

    LdapTrees &trees_;
    LdapEntryCache &entries_;
    LdapWords &words_;
    Names names_;
    Names olderNames_;
    // The containers listed, by key.
    std::unordered_map<std::string, Children, TextHash, std::equal_to<>> children_;
    // The names read one after the other lie mostly in one container.
    Memo<const Children> listedBelow_;
    Memo<const std::vector<std::string>> typedBelow_;
    // Scratch for the keys made.
    std::string key_;
    std::string folded_;
};
