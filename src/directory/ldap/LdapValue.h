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
//   bytes, which NWDSOpenStream hands out;
// - Active Directory's large integers and times (100-nanosecond intervals since 1601)
//   from decimal numbers within 64 bits;
// - values the server sends in binary but shows as text (encoding Guid, Sid) as that
//   text: a GUID as 2C149B72-7022-4753-9B88-5F9E7CDDA4A7, a SID as S-1-5-21-....
// A value that is no value of its syntax, or of a syntax not converted, is refused.
namespace LdapValue {

// How the server encodes the values of an attribute whose text differs from its bytes.
enum class Encoding : uint8_t {
    Plain,
    Guid, // 16 bytes, the first three groups little-endian
    Sid,  // revision, count, 48-bit authority (big-endian), count 32-bit parts (little-endian)
};

bool Pack(uint32_t syntax, std::string_view value, bool typelessNames, std::string &packed,
          Encoding encoding = Encoding::Plain);

// The text of a binary GUID or SID; false when the bytes are none.
bool GuidText(std::string_view bytes, std::string &text);
bool SidText(std::string_view bytes, std::string &text);

// Seconds since 1970 of a Generalized Time ("20240131235959Z", fractions and offsets
// allowed) or a UTC Time ("240131235959Z"); false when it is none or does not fit 32 bits.
bool SecondsOf(std::string_view time, int32_t &seconds);

} // namespace LdapValue
