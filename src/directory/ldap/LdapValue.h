#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// One LDAP attribute value in the packed form of its directory syntax, from which the
// value record is built (directory/client/ValuePacking.h):
// - texts as they are; a DN (syntax 1) as a dotted name, typed or typeless;
// - booleans from TRUE and FALSE; integers, counters and intervals from decimal
//   numbers within 32 bits;
// - times from Generalized Time (or UTC Time) to seconds since 1970, within 32 bits;
// - postal addresses from their "$"-separated lines (at most six, "\24" a dollar and
//   "\5C" a backslash), case-ignore lists the same way;
// - facsimile numbers: the number before the first "$", without parameters;
// - e-mail addresses: the text, of type 0; octet strings: the bytes; streams: the
//   bytes, which NWDSOpenStream hands out.
// A value that is no value of its syntax, or of a syntax not converted, is refused.
namespace LdapValue {

bool Pack(uint32_t syntax, std::string_view value, bool typelessNames, std::string &packed);

// Seconds since 1970 of a Generalized Time ("20240131235959Z", fractions and offsets
// allowed) or a UTC Time ("240131235959Z"); false when it is none or does not fit 32 bits.
bool SecondsOf(std::string_view time, int32_t &seconds);

} // namespace LdapValue
