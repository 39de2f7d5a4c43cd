#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The part of an attribute's values a server sent when it sends a large attribute in
// ranges (Active Directory: `member;range=0-1499`, then `member;range=1500-2999`, …, up
// to a range that ends in `*`), and how to ask for the part after it.
struct LdapRange {
    enum class Kind {
        Whole,      // no range option: every value came
        Part,       // the values low to high; more follow
        Last,       // the values from low on: the last part
        Unreadable, // a range option that is not low-high or low-*, high not below low
    };

    Kind kind = Kind::Whole;
    uint32_t low = 0;
    uint32_t high = 0;

    // The range of an attribute description (its type, then options after `;`, the
    // range option in any letter case).
    static LdapRange Of(std::string_view description);
    // The description that asks for the values from next on: description with its range
    // option made `range=next-*`.
    static std::string From(std::string_view description, uint32_t next);
};
