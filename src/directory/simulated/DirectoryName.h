#pragma once

// Full directory names as callers write them: dotted, leaf first, each part typed
// ("CN=jdoe") or typeless ("jdoe"), with or without a leading dot, the top of the tree
// written "[Root]" in any letter case. A backslash makes the next character plain text,
// so "CN=a\.b" is one part.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace DirectoryName {

// Longest full name, in bytes, that names an object.
constexpr size_t MaxNameBytes = 256;

// The parts of one name, leaf first, pointing into the name's text.
struct Parts {
    // A name of MaxNameBytes has at most this many parts.
    static constexpr size_t Capacity = MaxNameBytes / 2 + 1;
    std::array<std::string_view, Capacity> part;
    size_t count = 0;
};

// Splits name into parts. A leading dot and a last part "[Root]" are dropped; an empty
// name (or "[Root]" alone) has no parts and stands for the top. False when a part is
// empty or there are more parts than any object's name can have.
bool Split(std::string_view name, Parts &parts);

// Whether text is "[Root]" in any letter case.
bool IsRoot(std::string_view text);

// The position of the first "=" that is not escaped, or npos.
size_t TypeEnd(std::string_view part);

// The position of the first "." that is not escaped, or npos.
size_t FirstDot(std::string_view name);

// The part without its type: the text after the first unescaped "=", or the whole part.
std::string_view Value(std::string_view part);

// Whether text holds a "." that is not escaped, or ends in a lone backslash.
bool HasBareDotOrTrailingEscape(std::string_view text);

// A key under which every spelling of one name compares equal: the typeless parts,
// case-folded, joined with "."; empty for the top. Used to match names without the
// directory, e.g. for names of objects that do not exist.
std::string Key(std::string_view name);

} // namespace DirectoryName
