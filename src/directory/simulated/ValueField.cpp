#include "directory/simulated/ValueField.h"

#include "directory/simulated/DirectoryFileCursor.h"

namespace {

// Appends the bytes that pairs of hexadecimal digits stand for; at is where the text
// of the digits starts, for messages.
void AppendHexBytes(DirectoryFileCursor &cursor, std::string_view digits, std::string &out, size_t at)
{
    if (digits.size() % 2 != 0)
        cursor.FailAt(at, "hexadecimal bytes need an even number of digits");
    for (size_t i = 0; i < digits.size(); i += 2) {
        int byte = 0;
        for (size_t j = i; j < i + 2; ++j) {
            const int digit = JsonCursor::HexDigit(digits[j]);
            if (digit < 0)
                cursor.FailAt(at, DirectoryFileCursor::Quoted(digits.substr(j, 1)) + " is not a hexadecimal digit");
            byte = byte * 16 + digit;
        }
        out.push_back(char(byte));
    }
}

} // namespace

void ValueField::ReadAll(DirectoryFileCursor &cursor, const std::string &what, std::span<ValueField> fields,
                         bool zeroInText)
{
    if (cursor.Peek() != JsonCursor::Kind::Object)
        cursor.Fail(what + " must be an object");
    const size_t start = cursor.Offset();
    cursor.BeginObject();
    bool first = true;
    while (cursor.NextMember(first)) {
        const size_t at = cursor.Offset();
        const std::string key(cursor.Key());
        ValueField *field = nullptr;
        for (ValueField &candidate : fields) {
            if (candidate.key == key)
                field = &candidate;
        }
        if (!field)
            cursor.FailAt(at, what + " has no member " + DirectoryFileCursor::Quoted(key));
        if (field->present)
            cursor.FailAt(at, "member " + DirectoryFileCursor::Quoted(key) + " is given twice");
        field->present = true;
        std::string label = "\"";
        label += key;
        label += "\" of ";
        label += what;
        if (field->type == Number) {
            field->number = cursor.Number(label, field->min, field->max);
        } else {
            const size_t textAt = cursor.Offset();
            const std::string_view text = cursor.Text(label, zeroInText);
            if (field->type == Hex)
                AppendHexBytes(cursor, text, field->text, textAt);
            else
                field->text.assign(text);
        }
    }
    for (const ValueField &field : fields) {
        if (field.required && !field.present)
            cursor.FailAt(start, what + " needs " + DirectoryFileCursor::Quoted(field.key));
    }
}
