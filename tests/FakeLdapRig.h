#pragma once

// The LDAP client's parts over one fake server, wired as the client wires them, with the
// server at hand to see what they asked.

#include "FakeLdapServer.h"
#include "directory/ldap/LdapEntryCache.h"
#include "directory/ldap/LdapEntryScan.h"
#include "directory/ldap/LdapNames.h"
#include "directory/ldap/LdapTrees.h"
#include "directory/ldap/LdapWords.h"

#include <memory>
#include <vector>

struct FakeLdapRig {
    static std::vector<std::unique_ptr<LdapServer>> Servers(std::unique_ptr<FakeLdapServer> server)
    {
        std::vector<std::unique_ptr<LdapServer>> servers;
        servers.push_back(std::move(server));
        return servers;
    }

    explicit FakeLdapRig(std::unique_ptr<FakeLdapServer> fake, size_t keptBytes = size_t(1) << 20)
        : server(*fake), trees(Servers(std::move(fake)), words), entries(trees, scan, words, keptBytes),
          names(trees, entries, words)
    {
        names.RememberContexts();
    }

    // The searches asked other than the schema's.
    size_t Searches() const
    {
        size_t count = 0;
        for (const FakeLdapServer::Asked &asked : server.Asks())
            count += asked.base != FakeLdapServer::SubschemaEntry;
        return count;
    }

    FakeLdapServer &server;
    LdapWords words;
    LdapTrees trees;
    LdapEntryScan scan;
    LdapEntryCache entries;
    LdapNames names;
};
