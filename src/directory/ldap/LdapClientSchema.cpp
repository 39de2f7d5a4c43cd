#include "directory/ldap/LdapClient.h"

#include "directory/client/ClientBatch.h"

NWDSCCODE LdapClient::NWDSReadClassDef(NWDSContextHandle context, uint32_t infoType, bool allClasses, Buf_T *classNames,
                                       int32_t *iterationHandle, Buf_T *classDefs)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !classDefs || (!allClasses && !classNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_EXPANDED_CLASS_DEFS && infoType != DS_INFO_CLASS_DEFS)
        return ERR_INVALID_REQUEST;
    NWDSCCODE code = 0;
    const LdapSchema *schema = trees_.Schema(found->tree, &code);
    if (!schema)
        return code;
    const auto find = [schema](std::string_view name) { return schema->FindClass(name); };
    const auto put = [&](uint32_t id) {
        const LdapSchema::Class &definition = schema->Classes()[id];
        const auto listSize = [&definition](uint32_t list) { return definition.lists[list].size(); };
        const auto itemName = [&definition](uint32_t list, size_t i) -> std::string_view {
            return definition.lists[list][i];
        };
        return ClientBatch::PutClassDefinition(*classDefs, definition.name, definition.flags,
                                               infoType == DS_EXPANDED_CLASS_DEFS, listSize, itemName);
    };
    return ClientBatch::ReadDefinitions(
        {allClasses, classNames, iterationHandle, classDefs, infoType, int32_t(found->tree)}, schema->Classes().size(),
        {DSV_READ_CLASS_DEF}, find, ERR_NO_SUCH_CLASS, Buf_T::Content::ClassDefinitions, put);
}

NWDSCCODE LdapClient::NWDSReadAttrDef(NWDSContextHandle context, uint32_t infoType, bool allAttrs, Buf_T *attrNames,
                                      int32_t *iterationHandle, Buf_T *attrDefs)
{
    const Context *found = Find(context);
    if (!found)
        return ERR_BAD_CONTEXT;
    if (!iterationHandle || !attrDefs || (!allAttrs && !attrNames))
        return ERR_INVALID_REQUEST;
    if (infoType != DS_ATTR_DEFS)
        return ERR_INVALID_REQUEST;
    NWDSCCODE code = 0;
    const LdapSchema *schema = trees_.Schema(found->tree, &code);
    if (!schema)
        return code;
    const auto find = [schema](std::string_view name) { return schema->FindAttribute(name); };
    const auto put = [&](uint32_t id) {
        const LdapSchema::Attribute &definition = schema->Attributes()[id];
        return ClientBatch::PutAttributeDefinition(*attrDefs, definition.name, definition.flags, definition.syntax);
    };
    return ClientBatch::ReadDefinitions({allAttrs, attrNames, iterationHandle, attrDefs, 0, int32_t(found->tree)},
                                        schema->Attributes().size(), {DSV_READ_ATTR_DEF, DSV_READ}, find,
                                        ERR_NO_SUCH_ATTRIBUTE, Buf_T::Content::AttributeDefinitions, put);
}
