#include "directory/ldap/LdapBerReader.h"

#include <lber.h>

#include <cstddef>

bool LdapBerReader::NextAttribute(BerElement *entry, std::string_view &description, std::string_view &values,
                                  bool *unreadable)
{
    bool ignored = false;
    bool &failed = unreadable ? *unreadable : ignored;
    failed = false;
    ber_len_t remaining = 0;
    if (ber_get_option(entry, LBER_OPT_BER_REMAINING_BYTES, &remaining) != LBER_OPT_SUCCESS || remaining == 0)
        return false;
    berval attribute{};
    if (const ber_tag_t tag = ber_skip_element(entry, &attribute); tag != Sequence) {
        // The message's controls may follow the entry's attributes.
        failed = tag != Controls;
        return false;
    }
    LdapBerReader parts(std::string_view(attribute.bv_val, attribute.bv_len));
    uint8_t tag = 0;
    failed =
        !(parts.Next(tag, description) && tag == OctetString && parts.Next(tag, values) && tag == Set && parts.AtEnd());
    return !failed;
}

bool LdapBerReader::AllOf(std::string_view bytes, uint8_t tag)
{
    LdapBerReader reader(bytes);
    uint8_t found = 0;
    std::string_view contents;
    while (reader.Next(found, contents)) {
        if (found != tag)
            return false;
    }
    return reader.AtEnd();
}

bool LdapBerReader::Next(uint8_t &tag, std::string_view &contents)
{
    if (rest_.size() < 2)
        return false;
    const auto byte = [this](size_t at) { return static_cast<uint8_t>(rest_[at]); };
    // A tag number of 31 and more takes further bytes: LDAP has none.
    if ((byte(0) & 0x1F) == 0x1F)
        return false;
    size_t length = byte(1);
    size_t header = 2;
    if (length & 0x80) {
        // The long form: a count of length bytes; no count is the indefinite form.
        const size_t count = length & 0x7F;
        if (count == 0 || count > 4 || rest_.size() < 2 + count)
            return false;
        length = 0;
        for (size_t i = 0; i < count; ++i)
            length = (length << 8) | byte(2 + i);
        header += count;
    }
    if (length > rest_.size() - header)
        return false;
    tag = byte(0);
    contents = rest_.substr(header, length);
    rest_.remove_prefix(header + length);
    return true;
}
