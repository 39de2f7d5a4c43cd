#pragma once

#include "directory/ldap/LdapValue.h"

#include <cstdint>
#include <string_view>

// The directory syntax id of an LDAP attribute syntax (docs/ldap.md lists the table),
// Active Directory's (1.2.840.113556.1.4.…) included.
// equalityOid, which may be null, tells case-exact strings from case-ignoring ones.
// A syntax the table does not know is an octet string: its values are shown as bytes.
namespace LdapSyntaxes {

uint32_t SyntaxOf(const char *syntaxOid, const char *equalityOid);

struct Kind {
    uint32_t syntax;
    LdapValue::Encoding encoding;
};

// What Active Directory's schema does not say by the syntax: its GUIDs and SIDs, published
// as octet strings, are texts; its times, published as large integers, are times. Known by
// the attribute's LDAP name; every other attribute keeps syntax.
Kind KindOf(std::string_view ldapName, uint32_t syntax);

} // namespace LdapSyntaxes
