#pragma once

#include "directory/client/NWClient.h"
#include "directory/ldap/LdapSchema.h"
#include "directory/ldap/LdapServer.h"

#include <memory>
#include <vector>

class LdapWords;

// The client's trees, one per server in the order configured (the first the primary),
// each with its schema, read from the subschema entry on first use.
class LdapTrees
{
public:
    LdapTrees(std::vector<std::unique_ptr<LdapServer>> servers, LdapWords &words);

    uint32_t Count() const { return uint32_t(trees_.size()); }
    LdapServer &Server(uint32_t tree) const { return *trees_[tree].server; }
    // The tree's schema; null with *code (and the words on it) when it cannot be read.
    const LdapSchema *Schema(uint32_t tree, NWDSCCODE *code);

private:
    struct Tree {
        std::unique_ptr<LdapServer> server;
        std::unique_ptr<LdapSchema> schema;
    };
    std::vector<Tree> trees_;
    LdapWords &words_;
};
