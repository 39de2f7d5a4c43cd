#pragma once

#include <cstddef>
#include <functional>
#include <string_view>

// A hash of text that finds a std::string key by a view too, without making a string.
struct LdapTextHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
};
