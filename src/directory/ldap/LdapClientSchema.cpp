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
    std::vector<uint32_t> selected;
    const auto find = [schema](std::string_view name) { return schema->FindClass(name); };
    if (const NWDSCCODE result = ClientBatch::SelectItems(allClasses, schema->Classes().size(), classNames,
                                                          {DSV_READ_CLASS_DEF}, find, ERR_NO_SUCH_CLASS, selected);
        result != 0)
        return result;
    size_t position = 0;
    Buf_T &out = *classDefs;
    if (const NWDSCCODE result = ClientBatch::Begin(*iterationHandle, selected.size(), position, out,
                                                    Buf_T::Content::ClassDefinitions, infoType, int32_t(found->tree));
        result != 0)
        return result;
    for (; position < selected.size(); ++position) {
        const LdapSchema::Class &definition = schema->Classes()[selected[position]];
        const auto listSize = [&definition](uint32_t list) { return definition.lists[list].size(); };
        const auto itemName = [&definition](uint32_t list, size_t i) -> std::string_view {
            return definition.lists[list][i];
        };
        if (!ClientBatch::PutClassDefinition(out, definition.name, definition.flags, infoType == DS_EXPANDED_CLASS_DEFS,
                                             listSize, itemName))
            break;
    }
    return ClientBatch::End(out, position, selected.size(), iterationHandle);
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
    std::vector<uint32_t> selected;
    const auto find = [schema](std::string_view name) { return schema->FindAttribute(name); };
    if (const NWDSCCODE result =
            ClientBatch::SelectItems(allAttrs, schema->Attributes().size(), attrNames, {DSV_READ_ATTR_DEF, DSV_READ},
                                     find, ERR_NO_SUCH_ATTRIBUTE, selected);
        result != 0)
        return result;
    size_t position = 0;
    Buf_T &out = *attrDefs;
    if (const NWDSCCODE result = ClientBatch::Begin(*iterationHandle, selected.size(), position, out,
                                                    Buf_T::Content::AttributeDefinitions, 0, int32_t(found->tree));
        result != 0)
        return result;
    for (; position < selected.size(); ++position) {
        const LdapSchema::Attribute &definition = schema->Attributes()[selected[position]];
        if (!ClientBatch::PutAttributeDefinition(out, definition.name, definition.flags, definition.syntax))
            break;
    }
    return ClientBatch::End(out, position, selected.size(), iterationHandle);
}
