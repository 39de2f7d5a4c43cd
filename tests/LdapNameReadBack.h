#pragma once

// Whether the dotted names the client hands out for a DN read back to it: for the DN and
// for each of its leading runs of parts (a name relative to a name context), the typed
// name gives the same parts again through a DN (types in any letter case), the typeless
// one the same values; both are UTF-8 without a zero byte, as callers take them.

#include "directory/ldap/LdapName.h"

#include <QByteArrayView>

#include <string>
#include <string_view>
#include <vector>

// Empty when they do (or when the DN is refused, so never handed out), else the fault.
inline std::string NameReadBackFault(std::string_view dn)
{
    using LdapName::Rdn;
    std::vector<Rdn> parts;
    if (!LdapName::ParseDn(dn, parts))
        return {};
    for (size_t count = 0; count <= parts.size(); ++count) {
        const std::vector<Rdn> leading(parts.begin(), parts.begin() + std::ptrdiff_t(count));
        for (const bool typeless : {false, true}) {
            const std::string dotted = LdapName::DottedOf(leading, typeless);
            const std::string fault = "\"" + dotted + (typeless ? "\" (typeless) " : "\" ");
            if (dotted.find('\0') != std::string::npos || !QByteArrayView(dotted).isValidUtf8())
                return fault + "is no text";
            std::vector<Rdn> back;
            if (!LdapName::ParseDotted(dotted, back))
                return fault + "does not read";
            if (back.size() != leading.size())
                return fault + "reads as " + std::to_string(back.size()) + " parts";
            if (!typeless) {
                std::string again;
                if (!LdapName::ToDn(back, again) || !LdapName::ParseDn(again, back))
                    return fault + "gives no DN";
            }
            for (size_t r = 0; r < back.size(); ++r) {
                if (back[r].size() != leading[r].size())
                    return fault + "changes a part";
                for (size_t a = 0; a < back[r].size(); ++a) {
                    const std::string type = typeless ? std::string() : LdapName::Upper(leading[r][a].type);
                    if (LdapName::Upper(back[r][a].type) != type || back[r][a].value != leading[r][a].value)
                        return fault + "changes a pair";
                }
            }
        }
    }
    return {};
}
