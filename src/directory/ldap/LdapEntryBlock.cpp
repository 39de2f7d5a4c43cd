#include "directory/ldap/LdapEntryBlock.h"

#include <cstring>

void LdapEntryBlock::Clear()
{
    bytes_.clear();
    countAt_ = 0;
}

void LdapEntryBlock::PutU32(uint32_t value)
{
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    bytes_.append(bytes, sizeof bytes);
}

void LdapEntryBlock::StartAttribute(uint32_t attribute)
{
    PutU32(attribute);
    countAt_ = bytes_.size();
    PutU32(0);
}

void LdapEntryBlock::AddValue(std::string_view value)
{
    uint32_t count = 0;
    std::memcpy(&count, bytes_.data() + countAt_, sizeof count);
    ++count;
    std::memcpy(bytes_.data() + countAt_, &count, sizeof count);
    PutU32(uint32_t(value.size()));
    bytes_.append(value);
}
