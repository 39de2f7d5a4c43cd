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

// The values of one attribute up to its end mark, each handed to take (false from take
// stops); false when the bytes end before the mark or take refuses.
template <typename Take> bool TakeValues(std::string_view &rest, Take take)
{
    for (;;) {
        uint64_t size = 0;
        if (!TakeNumber(rest, size))
            return false;
        if (size == 0)
            return true;
        if (--size > rest.size() || !take(rest.substr(0, size)))
            return false;
        rest.remove_prefix(size);
    }
}

} // namespace

bool LdapEntryView::Refuse()
{
    attributes_.clear();
    values_.clear();
    return false;
}

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
    // Most blocks name each attribute once: their values are taken in one pass.
    std::string_view rest = block;
    while (!rest.empty()) {
        uint64_t index = 0;
        if (!TakeNumber(rest, index) || index > UINT32_MAX)
            return Refuse();
        if (Slot(uint32_t(index)))
            return DecodeRepeated(block);
        attributes_.push_back({uint32_t(index), uint32_t(values_.size()), 0});
        const bool taken = TakeValues(rest, [this](std::string_view value) {
            if (values_.size() >= UINT32_MAX)
                return false;
            values_.push_back(value);
            ++attributes_.back().count;
            return true;
        });
        if (!taken)
            return Refuse();
    }
    return true;
}

bool LdapEntryView::DecodeRepeated(std::string_view block)
{
    attributes_.clear();
    values_.clear();
    // First the attributes and their counts of values, then the values in their places.
    for (int pass = 0; pass < 2; ++pass) {
        std::string_view rest = block;
        while (!rest.empty()) {
            uint64_t index = 0;
            if (!TakeNumber(rest, index) || index > UINT32_MAX)
                return Refuse();
            Attribute *attribute = Slot(uint32_t(index));
            if (pass == 0 && !attribute) {
                attributes_.push_back({uint32_t(index), 0, 0});
                attribute = &attributes_.back();
            }
            const bool taken = TakeValues(rest, [this, pass, attribute](std::string_view value) {
                if (attribute->count == UINT32_MAX)
                    return false;
                if (pass == 1)
                    values_[attribute->first + attribute->count] = value;
                ++attribute->count;
                return true;
            });
            if (!taken)
                return Refuse();
        }
        if (pass == 0) {
            size_t first = 0;
            for (Attribute &attribute : attributes_) {
                if (first + attribute.count > UINT32_MAX)
                    return Refuse();
                attribute.first = uint32_t(first);
                first += attribute.count;
                attribute.count = 0;
            }
            values_.resize(first);
        }
    }
    return true;
}
