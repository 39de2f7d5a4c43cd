#pragma once

#include <cstdint>

// The directory syntax id of an LDAP attribute syntax (docs/ldap.md lists the table).
// equalityOid, which may be null, tells case-exact strings from case-ignoring ones.
// A syntax the table does not know is an octet string: its values are shown as bytes.
namespace LdapSyntaxes {

uint32_t SyntaxOf(const char *syntaxOid, const char *equalityOid);

} // namespace LdapSyntaxes
