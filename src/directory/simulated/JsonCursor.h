#pragma once

// A forward-only reader of JSON text held in memory, for large files: it hands out
// keys, strings and numbers as they come, without building a document. Texts without
// escapes are views into the input. Every fault of the text throws JsonCursor::Error
// with the offset where it was found.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class JsonCursor
{
public:
    struct Error {
        size_t offset;
        std::string message;
    };

    enum class Kind { End, Object, Array, String, Number, Boolean, Null };

    explicit JsonCursor(std::string_view text) : text_(text) {}

    size_t Offset() const { return at_; }
    void Seek(size_t offset) { at_ = offset; }

    // The kind of the next value, after white space.
    Kind Peek();

    // Objects: BeginObject, then NextMember(first) until it returns false; after each
    // true, Key gives the member's name and the cursor is on its value. first starts
    // true and is maintained by NextMember.
    void BeginObject();
    bool NextMember(bool &first);
    std::string_view Key(std::string &scratch);

    // Arrays alike: BeginArray, then NextItem(first) until it returns false.
    void BeginArray();
    bool NextItem(bool &first);

    // A string; scratch holds the text when it had escapes. Texts are valid UTF-8.
    std::string_view String(std::string &scratch);
    // Whether the last String held a zero character.
    bool HadZero() const { return hadZero_; }
    // A whole number in the 64-bit range.
    int64_t Integer();
    bool Boolean();
    // Steps over any value; returns the text it spans.
    std::string_view Skip();
    // Fails unless only white space is left.
    void ExpectEnd();

    [[noreturn]] void Fail(std::string message) const { throw Error{at_, std::move(message)}; }
    [[noreturn]] void FailAt(size_t offset, std::string message) const { throw Error{offset, std::move(message)}; }

    // The line (from 1) of an offset.
    size_t LineOf(size_t offset) const;

    // The value of a hexadecimal digit in either letter case, or -1.
    static int HexDigit(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    }

private:
    void SkipSpace();
    void Expect(char c, const char *what);
    void ReadEscape(std::string &out);
    void CheckUtf8();

    std::string_view text_;
    size_t at_ = 0;
    bool hadZero_ = false;
};
