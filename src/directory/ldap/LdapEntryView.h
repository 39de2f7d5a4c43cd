#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// The attributes and values of an entry's block (LdapEntryBlock), each attribute once,
// in the order they first come, its values in the order they come. The views point into
// the block, which must outlive them.
class LdapEntryView
{
public:
    struct Attribute {
        uint32_t attribute = 0; // schema index
        uint32_t first = 0;     // its first value in Values()
        uint32_t count = 0;
    };

    // Takes a block apart; false, leaving the view empty, when it is not whole.
    bool Decode(std::string_view block);
    const std::vector<Attribute> &Attributes() const { return attributes_; }
    std::span<const std::string_view> ValuesOf(const Attribute &attribute) const
    {
        return std::span<const std::string_view>(values_).subspan(attribute.first, attribute.count);
    }
    // The attribute of a schema index; null when the entry has none.
    const Attribute *Find(uint32_t attribute) const;

private:
    Attribute *Slot(uint32_t attribute);
    // Decode for a block that names an attribute more than once (options): first the
    // attributes and their counts, then the values in their places.
    bool DecodeRepeated(std::string_view block);
    // Leaves the view empty; false.
    bool Refuse();

    std::vector<Attribute> attributes_;
    std::vector<std::string_view> values_;
};
