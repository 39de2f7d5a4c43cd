#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

// The hash of text that every table of names uses: FNV-1a over its bytes. As a hasher
// it is transparent, so that a table keyed by std::string finds a key by a view
// without making a string.
struct TextHash {
    using is_transparent = void;

    static constexpr uint64_t Seed = 0xcbf29ce484222325ULL;
    // The hash of the bytes so far (Seed for none) with one more.
    static constexpr uint64_t Step(uint64_t hash, uint8_t byte) { return (hash ^ byte) * 0x100000001b3ULL; }
    static uint64_t Of(std::string_view text)
    {
        uint64_t hash = Seed;
        for (const char c : text)
            hash = Step(hash, uint8_t(c));
        return hash;
    }

    size_t operator()(std::string_view text) const { return size_t(Of(text)); }
};
