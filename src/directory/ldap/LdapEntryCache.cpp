#include "directory/ldap/LdapEntryCache.h"

#include "directory/ldap/LdapEntryScan.h"
#include "directory/ldap/LdapTrees.h"
#include "directory/ldap/LdapWords.h"

#include <ldap.h>

#include <charconv>

namespace {

// Objects kept as read: a reader reads one object's attributes one after the other.
constexpr size_t KeptObjects = 8;

} // namespace

LdapEntryCache::LdapEntryCache(LdapTrees &trees, LdapEntryScan &scan, LdapWords &words, size_t keptBytes)
    : trees_(trees), scan_(scan), words_(words), kept_(keptBytes)
{
}

std::string_view LdapEntryCache::KeyOf(uint32_t tree, std::string_view dn)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, tree).ptr;
    key_.assign(digits, end).append(1, '\n').append(dn);
    return key_;
}

std::optional<std::string_view> LdapEntryCache::Kept(uint32_t tree, std::string_view dn)
{
    return kept_.Find(KeyOf(tree, dn));
}

bool LdapEntryCache::Keep(uint32_t tree, std::string_view dn, std::string_view block)
{
    return kept_.Keep(KeyOf(tree, dn), block);
}

NWDSCCODE LdapEntryCache::Fetch(uint32_t tree, const std::string &dn, std::string_view &block)
{
    for (const ReadEntry &read : reads_) {
        if (read.tree == tree && read.dn == dn) {
            block = read.block;
            return 0;
        }
    }
    if (const auto listed = Kept(tree, dn)) {
        block = *listed;
        return 0;
    }
    NWDSCCODE code = 0;
    const LdapSchema *schema = trees_.Schema(tree, &code);
    if (!schema)
        return code;
    LdapServer &server = trees_.Server(tree);
    const char *attributes[] = {LDAP_ALL_USER_ATTRIBUTES, nullptr};
    const LdapReply reply = server.Run(LdapServer::Search(dn, LDAP_SCOPE_BASE, attributes));
    if (reply.Status() != LDAP_SUCCESS)
        return words_.Failed(server, reply.Status());
    LDAPMessage *found = reply.FirstEntry();
    if (!found)
        return ERR_NO_SUCH_ENTRY;
    std::string named;
    if (!scan_.Scan(schema, reply.Handle(), found, named, true))
        return words_.Unreadable(named.empty() ? dn : named);
    if (scan_.Ranged()) {
        if (const NWDSCCODE ranges = scan_.FollowRanges(server, dn, words_); ranges != 0)
            return ranges;
    }
    if (reads_.size() >= KeptObjects) {
        reads_.pop_front();
        last_.valid = false;
    }
    reads_.push_back({tree, dn, std::string(scan_.Block().Bytes())});
    block = reads_.back().block;
    return 0;
}

const LdapEntryView *LdapEntryCache::Last(uint32_t tree, std::string_view name) const
{
    return last_.valid && last_.tree == tree && last_.name == name ? &last_.entry : nullptr;
}

const LdapEntryView &LdapEntryCache::TakeApart(uint32_t tree, std::string_view name, std::string_view block)
{
    last_.entry.Decode(block);
    last_.tree = tree;
    last_.name = name;
    last_.valid = true;
    return last_.entry;
}

void LdapEntryCache::ForgetReads()
{
    reads_.clear();
    last_.valid = false;
}

void LdapEntryCache::ForgetKept()
{
    kept_.Clear();
    last_.valid = false;
}
