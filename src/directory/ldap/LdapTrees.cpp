#include "directory/ldap/LdapTrees.h"

#include "directory/ldap/LdapWords.h"

#include <ldap.h>

LdapTrees::LdapTrees(std::vector<std::unique_ptr<LdapServer>> servers, LdapWords &words) : words_(words)
{
    for (std::unique_ptr<LdapServer> &server : servers)
        trees_.push_back({std::move(server), nullptr});
}

const LdapSchema *LdapTrees::Schema(uint32_t tree, NWDSCCODE *code)
{
    Tree &entry = trees_[tree];
    if (entry.schema)
        return entry.schema.get();
    LdapServer &server = *entry.server;
    if (server.SubschemaDn().empty()) {
        *code = ERR_NO_SUCH_ENTRY;
        return nullptr;
    }
    const char *attributes[] = {"objectClasses", "attributeTypes", nullptr};
    LdapServer::Search search(server.SubschemaDn(), LDAP_SCOPE_BASE, attributes);
    search.filter = "(objectClass=subschema)";
    const LdapReply reply = server.Run(search);
    if (reply.Status() != LDAP_SUCCESS) {
        *code = words_.Failed(server, reply.Status());
        return nullptr;
    }
    std::vector<std::string> objectClasses;
    std::vector<std::string> attributeTypes;
    for (LDAPMessage *at = reply.FirstEntry(); at; at = reply.NextEntry(at)) {
        for (auto [name, into] :
             {std::pair{"objectClasses", &objectClasses}, std::pair{"attributeTypes", &attributeTypes}}) {
            const LdapValuesOwned values(ldap_get_values_len(reply.Handle(), at, name));
            for (int i = 0; values && values.get()[i]; ++i)
                into->emplace_back(values.get()[i]->bv_val, values.get()[i]->bv_len);
        }
    }
    entry.schema = std::make_unique<LdapSchema>();
    entry.schema->Build(objectClasses, attributeTypes);
    return entry.schema.get();
}
