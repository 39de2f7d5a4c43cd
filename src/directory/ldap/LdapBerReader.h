#pragma once

#include <cstdint>
#include <string_view>

typedef struct berelement BerElement;

// The elements of BER-encoded bytes, one after the other, as a search's entry holds its
// attributes (each a sequence of a type and a set of values): read here rather than one
// library call per attribute, which cost more than the rest of a listing. Only what LDAP
// uses is read: one-byte tags and definite lengths.
class LdapBerReader
{
public:
    static constexpr uint8_t OctetString = 0x04;
    static constexpr uint8_t Sequence = 0x30;
    static constexpr uint8_t Set = 0x31;
    // A message's controls ([0]), after its protocol operation.
    static constexpr uint8_t Controls = 0xA0;

    explicit LdapBerReader(std::string_view bytes) : rest_(bytes) {}

    // The next attribute of a search entry that libldap reads (past its name): its
    // description and the contents of its set of values. False at the end of the entry or
    // at what does not read as an attribute; *unreadable (when given) then tells which.
    static bool NextAttribute(BerElement *entry, std::string_view &description, std::string_view &values,
                              bool *unreadable = nullptr);

    bool AtEnd() const { return rest_.empty(); }
    // Whether the bytes are elements of the tag and nothing else.
    static bool AllOf(std::string_view bytes, uint8_t tag);
    // The next element's tag and contents; false, reading nothing, when the bytes left
    // do not start with a whole element.
    bool Next(uint8_t &tag, std::string_view &contents);

private:
    std::string_view rest_;
};
