#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

class DirectoryFileCursor;

// One member of the object form of a value, such as "type" and "hex" of
// {"type": 9, "hex": "0A000001"}: a text, hexadecimal bytes or a whole number.
struct ValueField {
    enum Type { Text, Hex, Number };

    ValueField(std::string_view key_, Type type_, bool required_ = true, int64_t min_ = 0,
               int64_t max_ = std::numeric_limits<uint32_t>::max())
        : key(key_), type(type_), required(required_), min(min_), max(max_)
    {
    }

    // Reads the object the cursor is on into fields: each member must be one of them,
    // once, and every required one must be given. what names the value in messages
    // ("a value of syntax 12"); zeroInText lets texts hold zero characters. A fault of
    // the file throws JsonCursor::Error.
    static void ReadAll(DirectoryFileCursor &cursor, const std::string &what, std::span<ValueField> fields,
                        bool zeroInText = false);

    std::string_view key;
    Type type;
    bool required = true;
    int64_t min = 0; // the range of a number
    int64_t max = std::numeric_limits<uint32_t>::max();
    // What was read: the text or the bytes, or the number.
    std::string text;
    int64_t number = 0;
    bool present = false;
};
