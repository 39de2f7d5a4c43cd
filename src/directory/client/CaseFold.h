#pragma once

// Comparing and hashing directory names without regard to letter case. Names are
// UTF-8; pure ASCII text takes a fast path without allocation, other text is folded
// with the Unicode case folding rules.

#include <cstdint>
#include <string>
#include <string_view>

namespace CaseFold {

// True when every byte is below 0x80.
bool IsAscii(std::string_view text);

// Appends the case-folded form of text to out.
void AppendFolded(std::string &out, std::string_view text);

// The case-folded form of text.
std::string Folded(std::string_view text);

// The same form, without allocating where it can: text itself when it is plain ASCII
// without a capital, else the folded text made in scratch (valid until scratch changes).
std::string_view FoldedView(std::string_view text, std::string &scratch);

// Whether a and b are equal without regard to case.
bool Equal(std::string_view a, std::string_view b);

// A hash of the folded form: Equal texts hash alike.
uint64_t Hash(std::string_view text);

// Hash and equality for containers keyed by names, with lookups by std::string_view.
struct NameHash {
    using is_transparent = void;
    size_t operator()(std::string_view text) const { return size_t(Hash(text)); }
};
struct NameEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const { return Equal(a, b); }
};

} // namespace CaseFold
