#pragma once

// Conversions between LDAP distinguished names (RFC 4514: "cn=jdoe,ou=Sales,o=Acme")
// and the directory's dotted names, leaf first ("CN=jdoe.OU=Sales.O=Acme", typeless
// "jdoe.Sales.Acme"). In a dotted name a backslash makes the next character plain text:
// a dot, an equals sign, a plus and a backslash inside a value are written "\.", "\=",
// "\+" and "\\" (so are the dots of a type that is an OID: "2\.5\.4\.3=jdoe"); a plus
// joins the pairs of a multi-valued part. The top of the tree is the empty DN and the
// dotted name "[Root]"; a value that reads so is written "\[Root]".

#include <string>
#include <string_view>
#include <vector>

namespace LdapName {

// One attribute-value pair of a name part; type is empty when the part was typeless.
struct Ava {
    std::string type;
    std::string value;
};
// One part (relative name): one pair, or several for a multi-valued part.
using Rdn = std::vector<Ava>;

// Whether text is "[Root]" in any letter case.
bool IsRoot(std::string_view text);

// The dotted name of dn: types in capitals, or only the values when typeless. "[Root]"
// for the empty DN. False when ParseDn refuses dn.
bool ToDotted(std::string_view dn, bool typeless, std::string &dotted);

// The parts of dn, leaf first, with their types as the DN writes them. False when dn is
// not a DN, or holds a zero byte, or a pair that no dotted name carries back to it: a
// type neither a name nor an OID, a value binary, empty, with a zero byte or not UTF-8.
bool ParseDn(std::string_view dn, std::vector<Rdn> &parts);

// A type in capitals, as dotted names show it ("CN").
std::string Upper(std::string_view type);

// Whether a value is printable ASCII that no form of a name escapes (none of
// " + , ; < > \ = # . and no blank first or last, nor "[Root]"): it reads the same in a
// DN and in a dotted name, typed or typeless.
bool PlainValue(std::string_view value);

// The first part of a DN when it is plain: one type (a letter, then letters, digits and
// hyphens) and a plain value (PlainValue); rest is what follows its comma, empty at the
// end. Such a part reads the same as a DN, typed or typeless, and its key is its value in
// lower case, so a listing takes it as it stands. False when it is not plain.
bool PlainRdn(std::string_view dn, std::string_view &type, std::string_view &value, std::string_view &rest);

// The parts of a dotted name, leaf first, unescaped. A leading dot and a last part
// "[Root]" are dropped; the empty name and "[Root]" have no parts. False when a part or
// a value is empty, or the name ends in a lone backslash.
bool ParseDotted(std::string_view dotted, std::vector<Rdn> &parts);

// The DN of parts. False when a pair is typeless or its type is no attribute type (a name
// or an OID).
bool ToDn(const std::vector<Rdn> &parts, std::string &dn);

// The dotted name of parts, typed (typeless pairs stay typeless) or typeless.
std::string DottedOf(const std::vector<Rdn> &parts, bool typeless);

// Whether every pair of parts is typed.
bool IsTyped(const std::vector<Rdn> &parts);

// dn as a report shows it: bytes other than printable ASCII as "\XX" in hexadecimal, cut
// after 256 bytes with "...".
std::string Shown(std::string_view dn);

// A key under which every spelling of one name compares equal, typed or typeless and
// in any letter case: the typeless dotted name, case-folded.
std::string Key(const std::vector<Rdn> &parts);

// Whether the last count of parts name what key (Key) names; false when parts are fewer.
bool EndsWith(const std::vector<Rdn> &parts, size_t count, std::string_view key);

} // namespace LdapName
