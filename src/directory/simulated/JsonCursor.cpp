#include "directory/simulated/JsonCursor.h"

#include <algorithm>
#include <vector>

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

void AppendUtf8(std::string &out, uint32_t code)
{
    if (code < 0x80) {
        out.push_back(char(code));
    } else if (code < 0x800) {
        out.push_back(char(0xC0 | (code >> 6)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(char(0xE0 | (code >> 12)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (code >> 18)));
        out.push_back(char(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(char(0x80 | (code & 0x3F)));
    }
}

} // namespace

void JsonCursor::SkipSpace()
{
    while (at_ < text_.size()) {
        const char c = text_[at_];
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            return;
        ++at_;
    }
}

void JsonCursor::Expect(char c, const char *what)
{
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != c)
        Fail(std::string(what) + " is expected");
    ++at_;
}

JsonCursor::Kind JsonCursor::Peek()
{
    SkipSpace();
    if (at_ >= text_.size())
        return Kind::End;
    switch (text_[at_]) {
    case '{':
        return Kind::Object;
    case '[':
        return Kind::Array;
    case '"':
        return Kind::String;
    case 't':
    case 'f':
        return Kind::Boolean;
    case 'n':
        return Kind::Null;
    default:
        if (text_[at_] == '-' || IsDigit(text_[at_]))
            return Kind::Number;
        Fail("a JSON value is expected");
    }
}

void JsonCursor::BeginObject()
{
    Expect('{', "an object ('{')");
}

void JsonCursor::BeginArray()
{
    Expect('[', "an array ('[')");
}

bool JsonCursor::NextMember(bool &first)
{
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == '}') {
        ++at_;
        return false;
    }
    if (!first)
        Expect(',', "',' or '}'");
    first = false;
    return true;
}

std::string_view JsonCursor::Key(std::string &scratch)
{
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != '"')
        Fail("a member name is expected");
    const std::string_view key = String(scratch);
    Expect(':', "':'");
    return key;
}

bool JsonCursor::NextItem(bool &first)
{
    SkipSpace();
    if (at_ < text_.size() && text_[at_] == ']') {
        ++at_;
        return false;
    }
    if (!first)
        Expect(',', "',' or ']'");
    first = false;
    return true;
}

void JsonCursor::CheckUtf8()
{
    const auto byte = [this](size_t i) { return at_ + i < text_.size() ? uint8_t(text_[at_ + i]) : 0u; };
    const uint32_t lead = byte(0);
    size_t length = 0;
    uint32_t code = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
    } else {
        Fail("a text is not valid UTF-8");
    }
    for (size_t i = 1; i < length; ++i) {
        const uint32_t next = byte(i);
        if ((next & 0xC0) != 0x80)
            Fail("a text is not valid UTF-8");
        code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF))) ||
        (length == 4 && (code < 0x10000 || code > 0x10FFFF)))
        Fail("a text is not valid UTF-8");
    at_ += length;
}

void JsonCursor::ReadEscape(std::string &out)
{
    const size_t start = at_;
    ++at_;
    if (at_ >= text_.size())
        FailAt(start, "a text is not closed");
    const char c = text_[at_++];
    switch (c) {
    case '"':
    case '\\':
    case '/':
        out.push_back(c);
        return;
    case 'b':
        out.push_back('\b');
        return;
    case 'f':
        out.push_back('\f');
        return;
    case 'n':
        out.push_back('\n');
        return;
    case 'r':
        out.push_back('\r');
        return;
    case 't':
        out.push_back('\t');
        return;
    case 'u':
        break;
    default:
        FailAt(start, "a text holds an unknown escape");
    }
    const auto unit = [this, start]() {
        if (at_ + 4 > text_.size())
            FailAt(start, "a \\u escape needs four hexadecimal digits");
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const int digit = HexDigit(text_[at_++]);
            if (digit < 0)
                FailAt(start, "a \\u escape needs four hexadecimal digits");
            value = value * 16 + uint32_t(digit);
        }
        return value;
    };
    uint32_t code = unit();
    if (code >= 0xDC00 && code <= 0xDFFF)
        FailAt(start, "a text holds a lone UTF-16 surrogate");
    if (code >= 0xD800 && code <= 0xDBFF) {
        if (at_ + 2 > text_.size() || text_[at_] != '\\' || text_[at_ + 1] != 'u')
            FailAt(start, "a text holds a lone UTF-16 surrogate");
        at_ += 2;
        const uint32_t low = unit();
        if (low < 0xDC00 || low > 0xDFFF)
            FailAt(start, "a text holds a lone UTF-16 surrogate");
        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
    }
    if (code == 0)
        hadZero_ = true;
    AppendUtf8(out, code);
}

std::string_view JsonCursor::String(std::string &scratch)
{
    SkipSpace();
    if (at_ >= text_.size() || text_[at_] != '"')
        Fail("a text is expected");
    const size_t open = at_++;
    const size_t start = at_;
    hadZero_ = false;
    while (at_ < text_.size()) {
        const uint8_t c = uint8_t(text_[at_]);
        if (c == '"') {
            ++at_;
            return text_.substr(start, at_ - 1 - start);
        }
        if (c == '\\')
            break;
        if (c < 0x20)
            Fail("a text holds a control character");
        if (c >= 0x80)
            CheckUtf8();
        else
            ++at_;
    }
    scratch.assign(text_.substr(start, at_ - start));
    while (at_ < text_.size()) {
        const uint8_t c = uint8_t(text_[at_]);
        if (c == '"') {
            ++at_;
            return scratch;
        }
        if (c == '\\') {
            ReadEscape(scratch);
        } else if (c < 0x20) {
            Fail("a text holds a control character");
        } else if (c >= 0x80) {
            const size_t from = at_;
            CheckUtf8();
            scratch.append(text_.substr(from, at_ - from));
        } else {
            scratch.push_back(char(c));
            ++at_;
        }
    }
    FailAt(open, "a text is not closed");
}

int64_t JsonCursor::Integer()
{
    if (Peek() != Kind::Number)
        Fail("a number is expected");
    const size_t start = at_;
    const bool negative = text_[at_] == '-';
    if (negative)
        ++at_;
    if (at_ >= text_.size() || !IsDigit(text_[at_]))
        FailAt(start, "a number is expected");
    if (text_[at_] == '0' && at_ + 1 < text_.size() && IsDigit(text_[at_ + 1]))
        FailAt(start, "a number has a leading zero");
    uint64_t magnitude = 0;
    while (at_ < text_.size() && IsDigit(text_[at_])) {
        const uint64_t digit = uint64_t(text_[at_++] - '0');
        if (magnitude > (uint64_t(INT64_MAX) + 1 - digit) / 10)
            FailAt(start, "a number is too large");
        magnitude = magnitude * 10 + digit;
    }
    if (at_ < text_.size() && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E'))
        FailAt(start, "a whole number is expected");
    if (!negative && magnitude > uint64_t(INT64_MAX))
        FailAt(start, "a number is too large");
    return negative ? int64_t(0 - magnitude) : int64_t(magnitude);
}

bool JsonCursor::Boolean()
{
    SkipSpace();
    if (text_.substr(at_, 4) == "true") {
        at_ += 4;
        return true;
    }
    if (text_.substr(at_, 5) == "false") {
        at_ += 5;
        return false;
    }
    Fail("true or false is expected");
}

std::string_view JsonCursor::Skip()
{
    SkipSpace();
    const size_t start = at_;
    std::vector<char> open;
    std::string scratch;
    for (;;) {
        bool closed = false;
        switch (Peek()) {
        case Kind::End:
            Fail("a JSON value is expected");
        case Kind::Object:
            ++at_;
            SkipSpace();
            if (at_ < text_.size() && text_[at_] == '}') {
                ++at_;
                closed = true;
            } else {
                open.push_back('}');
                Key(scratch);
            }
            break;
        case Kind::Array:
            ++at_;
            SkipSpace();
            if (at_ < text_.size() && text_[at_] == ']') {
                ++at_;
                closed = true;
            } else {
                open.push_back(']');
            }
            break;
        case Kind::String:
            String(scratch);
            closed = true;
            break;
        case Kind::Number: {
            const size_t number = at_;
            if (text_[at_] == '-')
                ++at_;
            if (at_ >= text_.size() || !IsDigit(text_[at_]))
                FailAt(number, "a number is expected");
            if (text_[at_] == '0' && at_ + 1 < text_.size() && IsDigit(text_[at_ + 1]))
                FailAt(number, "a number has a leading zero");
            while (at_ < text_.size() && IsDigit(text_[at_]))
                ++at_;
            if (at_ < text_.size() && text_[at_] == '.') {
                ++at_;
                if (at_ >= text_.size() || !IsDigit(text_[at_]))
                    FailAt(number, "a number is not complete");
                while (at_ < text_.size() && IsDigit(text_[at_]))
                    ++at_;
            }
            if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
                ++at_;
                if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-'))
                    ++at_;
                if (at_ >= text_.size() || !IsDigit(text_[at_]))
                    FailAt(number, "a number is not complete");
                while (at_ < text_.size() && IsDigit(text_[at_]))
                    ++at_;
            }
            closed = true;
            break;
        }
        case Kind::Boolean:
            Boolean();
            closed = true;
            break;
        case Kind::Null:
            if (text_.substr(at_, 4) != "null")
                Fail("a JSON value is expected");
            at_ += 4;
            closed = true;
            break;
        }
        if (!closed)
            continue;
        // After a complete value: close what ends here, then go on with the next item.
        for (;;) {
            if (open.empty())
                return text_.substr(start, at_ - start);
            SkipSpace();
            if (at_ < text_.size() && text_[at_] == open.back()) {
                ++at_;
                open.pop_back();
                continue;
            }
            if (open.back() == '}') {
                Expect(',', "',' or '}'");
                Key(scratch);
            } else {
                Expect(',', "',' or ']'");
            }
            break;
        }
    }
}

void JsonCursor::ExpectEnd()
{
    SkipSpace();
    if (at_ != text_.size())
        Fail("the text goes on after the end of the document");
}

size_t JsonCursor::LineOf(size_t offset) const
{
    offset = std::min(offset, text_.size());
    return size_t(std::count(text_.begin(), text_.begin() + ptrdiff_t(offset), '\n')) + 1;
}
