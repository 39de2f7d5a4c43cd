#pragma once

#include "directory/simulated/JsonCursor.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The JSON cursor over a directory file as every part of its reader uses it: it keeps
// the place being read, which messages name, and reads the texts, numbers and names of
// the format with the format's messages. Faults throw JsonCursor::Error.
class DirectoryFileCursor : public JsonCursor
{
public:
    // Where the reader is; a part that does not apply is empty (or 0).
    struct Place {
        std::string tree;                   // "tree 2", or "tree \"ACME\"" once its name is read
        std::vector<std::string_view> path; // the typed names of the objects being read, from the top
        size_t unnamedObject = 0;           // the position among its siblings of an object not yet named
        std::string section;                // e.g. "schema class \"User\"", "fault 2"
        std::string attribute;              // the attribute whose values are being read

        // The place as messages give it: its parts joined with ", ", e.g.
        // tree "ACME", object "CN=jdoe.O=Acme", attribute "CN".
        std::string Text() const;
    };

    explicit DirectoryFileCursor(std::string_view text) : JsonCursor(text) {}

    // Key and String without a scratch of their own: an escaped text is held in the
    // cursor's scratch, so the view lasts until the next text is read.
    using JsonCursor::Key;
    using JsonCursor::String;
    std::string_view Key() { return Key(scratch_); }
    std::string_view String() { return String(scratch_); }

    // A text, as String gives it; what names it in messages ("the class"). A zero
    // character is refused unless allowZero.
    std::string_view Text(std::string_view what, bool allowZero = false);

    // A whole number from min to max.
    int64_t Number(std::string_view what, int64_t min, int64_t max);

    // A text of 1 to maxBytes bytes without a zero character.
    std::string Name(std::string_view what, size_t maxBytes);

    // The text between double quotes, as messages quote names. A text longer than
    // MaxQuotedBytes is cut there (at the start of a character) and ends with "...", so
    // that a hostile file cannot make a message of megabytes.
    static constexpr size_t MaxQuotedBytes = 256;
    static std::string Quoted(std::string_view text);

    Place place;

private:
    std::string scratch_;
};
