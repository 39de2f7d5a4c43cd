#include "directory/ldap/LdapBerReader.h"

#include <cstddef>

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
