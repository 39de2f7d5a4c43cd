#include "directory/ldap/LdapEntryBlock.h"

void LdapEntryBlock::PutNumber(uint64_t number)
{
    while (number >= 0x80) {
        bytes_.push_back(char(uint8_t(number) | 0x80));
        number >>= 7;
    }
    bytes_.push_back(char(number));
}

void LdapEntryBlock::AddValue(std::string_view value)
{
    PutNumber(uint64_t(value.size()) + 1);
    bytes_.append(value);
}
