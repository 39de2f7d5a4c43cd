#include "directory/ldap/LdapEntryView.h"

namespace {

// A number of the block (LdapEntryBlock); false when the bytes end before it does or it
// does not fit.
bool TakeNumber(std::string_view &bytes, uint64_t &number)
{
    number = 0;
    for (unsigned shift = 0; shift < 64; shift += 7) {
        if (bytes.empty())
            return false;
        const uint8_t byte = uint8_t(bytes.front());
        bytes.remove_prefix(1);
        number |= uint64_t(byte & 0x7F) << shift;
        if (!(byte & 0x80))
            return shift < 63 || byte <= 1;
    }
    return false;
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
    const auto refuse = [this] {
        attributes_.clear();
        values_.clear();
        return false;
    };
    // Most blocks name each attribute once: their values are taken in one pass.
    std::string_view rest = block;
    while (!rest.empty()) {
        uint64_t index = 0;
        if (!TakeNumber(rest, index) || index > UINT32_MAX)
            return refuse();
        if (Slot(uint32_t(index)))
            return DecodeRepeated(block);
        attributes_.push_back({uint32_t(index), uint32_t(values_.size()), 0});
        for (;;) {
            uint64_t size = 0;
            if (!TakeNumber(rest, size) || values_.size() >= UINT32_MAX)
                return refuse();
            if (size == 0)
                break;
            if (--size > rest.size())
                return refuse();
            values_.push_back(rest.substr(0, size));
            ++attributes_.back().count;
            rest.remove_prefix(size);
        }
    }
    return true;
}

bool LdapEntryView::DecodeRepeated(std::string_view block)
{
    attributes_.clear();
    values_.clear();
    const auto refuse = [this] {
        attributes_.clear();
        values_.clear();
        return false;
    };
    // First the attributes and their counts of values, then the values in their places.
    for (int pass = 0; pass < 2; ++pass) {
        std::string_view rest = block;
        while (!rest.empty()) {
            uint64_t index = 0;
            if (!TakeNumber(rest, index) || index > UINT32_MAX)
                return refuse();
            Attribute *attribute = Slot(uint32_t(index));
            if (pass == 0 && !attribute) {
                attributes_.push_back({uint32_t(index), 0, 0});
                attribute = &attributes_.back();
            }
            for (;;) {
                uint64_t size = 0;
                if (!TakeNumber(rest, size))
                    return refuse();
                if (size == 0)
                    break;
                if (--size > rest.size() || attribute->count == UINT32_MAX)
                    return refuse();
                if (pass == 1)
                    values_[attribute->first + attribute->count] = rest.substr(0, size);
                ++attribute->count;
                rest.remove_prefix(size);
            }
        }
        if (pass == 0) {
            size_t first = 0;
            for (Attribute &attribute : attributes_) {
                if (first + attribute.count > UINT32_MAX)
                    return refuse();
                attribute.first = uint32_t(first);
                first += attribute.count;
                attribute.count = 0;
            }
            values_.resize(first);
        }
    }
    return true;
}
