#include "directory/ldap/LdapNames.h"

#include "directory/client/CaseFold.h"

#include <algorithm>

namespace {

// Notes the naming type of a listed entry among those of its container, a few at most;
// whether it is among them.
bool NoteType(std::vector<std::string> &types, std::string_view type)
{
    if (std::find(types.begin(), types.end(), type) != types.end())
        return true;
    if (types.size() >= 4)
        return false;
    types.emplace_back(type);
    return true;
}

} // namespace

LdapNames::Top LdapNames::TopOf(const std::string &nameContext)
{
    Top top;
    if (!nameContext.empty() && LdapName::ParseDn(nameContext, top.parts))
        top.key = LdapName::Key(top.parts);
    return top;
}

LdapNames::Container LdapNames::Listing(uint32_t tree, const std::string &dn)
{
    Container container;
    if (std::vector<LdapName::Rdn> parts; !dn.empty() && LdapName::ParseDn(dn, parts)) {
        Children &children = children_[KeyOf(tree, LdapName::Key(parts))];
        children.dn = dn;
        container.types = &children.types;
    }
    typedBelow_.valid = false;
    listedBelow_.valid = false;
    return container;
}

void LdapNames::MakeContainer(Container &container, const std::string &dn, const Top &top, bool typeless)
{
    container.made = true;
    container.typeless = typeless;
    container.topKey = top.key;
    std::vector<LdapName::Rdn> parts;
    container.usable = LdapName::ParseDn(dn, parts) && !parts.empty() && top.parts.size() <= parts.size();
    if (!container.usable)
        return;
    container.key = LdapName::Key(parts);
    // The container as the name context shows it: without the name context itself.
    if (!top.parts.empty() && LdapName::EndsWith(parts, top.parts.size(), top.key))
        parts.resize(parts.size() - top.parts.size());
    container.shown = parts.empty() ? std::string() : '.' + LdapName::DottedOf(parts, typeless);
}

std::string LdapNames::HandOut(Container &container, const Top &top, bool typeless, uint32_t tree,
                               const std::string &containerDn, const std::string &dn, bool kept)
{
    std::string_view type;
    std::string_view value;
    std::string_view rest;
    if (LdapName::PlainRdn(dn, type, value, rest) && !rest.empty() && rest == containerDn) {
        if (!container.made || container.typeless != typeless || container.topKey != top.key)
            MakeContainer(container, containerDn, top, typeless);
        if (container.usable) {
            std::string key;
            FoldedKeyOf(tree, value, key).append(1, '.').append(container.key);
            // An entry kept is found again through its container (KeptListed).
            const bool noted = container.types && NoteType(*container.types, type);
            if (!noted || !kept)
                RememberKey(std::move(key), dn);
            std::string name;
            name.reserve(type.size() + 1 + value.size() + container.shown.size());
            if (!typeless)
                name.append(LdapName::Upper(type)).push_back('=');
            name.append(value).append(container.shown);
            return name;
        }
    }
    std::vector<LdapName::Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return {};
    Remember(tree, parts, dn);
    if (container.types && !parts.empty() && parts.front().size() == 1)
        NoteType(*container.types, parts.front().front().type);
    // Relative to the name context when below it, else full.
    if (!top.parts.empty() && top.parts.size() < parts.size() && LdapName::EndsWith(parts, top.parts.size(), top.key))
        parts.resize(parts.size() - top.parts.size());
    return LdapName::DottedOf(parts, typeless);
}
