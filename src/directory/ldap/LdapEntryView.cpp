#include "directory/ldap/LdapEntryView.h"

#include <cstring>

namespace {

bool TakeU32(std::string_view &bytes, uint32_t &value)
{
    if (bytes.size() < sizeof value)
        return false;
    std::memcpy(&value, bytes.data(), sizeof value);
    bytes.remove_prefix(sizeof value);
    return true;
}

} // namespace

const LdapEntryView::Attribute *LdapEntryView::Find(uint32_t attribute) const
{
    for (const Attribute &known : attributes_) {
        if (known.attribute == attribute)
            return &known;
    }
    return nullptr;
}

LdapEntryView::Attribute *LdapEntryView::Slot(uint32_t attribute)
{
    for (Attribute &known : attributes_) {
        if (known.attribute == attribute)
            return &known;
    }
    return nullptr;
}

bool LdapEntryView::Decode(std::string_view block)
{
    attributes_.clear();
    values_.clear();
    // First the attributes and their counts of values, then the values in their places.
    for (int pass = 0; pass < 2; ++pass) {
        std::string_view rest = block;
        while (!rest.empty()) {
            uint32_t index = 0;
            uint32_t count = 0;
            if (!TakeU32(rest, index) || !TakeU32(rest, count)) {
                attributes_.clear();
                values_.clear();
                return false;
            }
            Attribute *attribute = Slot(index);
            if (pass == 0) {
                if (!attribute) {
                    attributes_.push_back({index, 0, 0});
                    attribute = &attributes_.back();
                }
                attribute->count += count;
            }
            for (uint32_t v = 0; v < count; ++v) {
                uint32_t size = 0;
                if (!TakeU32(rest, size) || rest.size() < size) {
                    attributes_.clear();
                    values_.clear();
                    return false;
                }
                if (pass == 1)
                    values_[attribute->first + attribute->count++] = rest.substr(0, size);
                rest.remove_prefix(size);
            }
        }
        if (pass == 0) {
            uint32_t first = 0;
            for (Attribute &attribute : attributes_) {
                attribute.first = first;
                first += attribute.count;
                attribute.count = 0;
            }
            values_.resize(first);
        }
    }
    return true;
}
