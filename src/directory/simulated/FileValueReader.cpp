#include "directory/simulated/FileValueReader.h"

#include "directory/client/NWValues.h"
#include "directory/client/ValuePacking.h"
#include "directory/simulated/DirectoryFileCursor.h"
#include "directory/simulated/ValueField.h"

#include <array>

namespace {

constexpr int64_t MaxReplicaCount = 255;

std::string SyntaxLabel(uint32_t syntax)
{
    return "a value of syntax " + std::to_string(syntax);
}

} // namespace

void FileValueReader::FailTooLarge() const
{
    cursor_.Fail("a value is too large");
}

void FileValueReader::Read(uint32_t syntax, std::string &block)
{
    // The common syntaxes first, without building a label unless they fail.
    if (IsTextSyntax(syntax)) {
        if (cursor_.Peek() != JsonCursor::Kind::String)
            cursor_.Fail(SyntaxLabel(syntax) + " must be a text");
        const std::string_view text = cursor_.String();
        if (cursor_.HadZero())
            cursor_.Fail(SyntaxLabel(syntax) + " holds a zero character");
        block.append(text);
        return;
    }
    switch (syntax) {
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_TIME:
    case SYN_INTERVAL: {
        if (cursor_.Peek() != JsonCursor::Kind::Number)
            cursor_.Fail(SyntaxLabel(syntax) + " must be a whole number");
        const size_t at = cursor_.Offset();
        const int64_t number = cursor_.Integer();
        if (number < INT32_MIN || number > INT32_MAX)
            cursor_.FailAt(at, SyntaxLabel(syntax) + " must be from " + std::to_string(INT32_MIN) + " to " +
                                   std::to_string(INT32_MAX));
        ValuePacking::AppendU32(block, uint32_t(int32_t(number)));
        return;
    }
    default:
        break;
    }
    const std::string what = SyntaxLabel(syntax);
    switch (syntax) {
    case SYN_CI_LIST: {
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail(what + " must be an array of texts");
        const size_t at = cursor_.Offset();
        const size_t countAt = block.size();
        ValuePacking::AppendU32(block, 0);
        uint32_t count = 0;
        cursor_.BeginArray();
        bool first = true;
        while (cursor_.NextItem(first)) {
            ValuePacking::AppendCounted(block, cursor_.Text("an item of " + what));
            ++count;
        }
        if (count == 0)
            cursor_.FailAt(at, what + " needs at least one text");
        Patch(block, countAt, count);
        return;
    }
    case SYN_BOOLEAN: {
        uint8_t byte = 0;
        if (cursor_.Peek() == JsonCursor::Kind::Boolean)
            byte = cursor_.Boolean() ? 1 : 0;
        else if (cursor_.Peek() == JsonCursor::Kind::Number)
            byte = uint8_t(cursor_.Number(what, 0, 255));
        else
            cursor_.Fail(what + " must be true, false or a number from 0 to 255");
        block.push_back(char(byte));
        return;
    }
    case SYN_OCTET_STRING:
    case SYN_STREAM: {
        if (cursor_.Peek() != JsonCursor::Kind::Object)
            cursor_.Fail(what + " must be {\"text\": ...} or {\"hex\": ...}");
        const std::string bytes = ReadBytesForm(what);
        if (syntax == SYN_STREAM)
            ValuePacking::AppendCounted(block, bytes);
        else
            block.append(bytes);
        return;
    }
    case SYN_FAX_NUMBER: {
        if (cursor_.Peek() == JsonCursor::Kind::String) {
            ValuePacking::AppendCounted(block, cursor_.Text(what));
            ValuePacking::AppendU32(block, 0);
            return;
        }
        std::array<ValueField, 2> fields{{{"number", ValueField::Text}, {"parameters", ValueField::Hex, false}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendCounted(block, fields[0].text);
        ValuePacking::AppendU32(block, uint32_t(fields[1].text.size() * 8));
        block.append(fields[1].text);
        return;
    }
    case SYN_NET_ADDRESS: {
        std::array<ValueField, 2> fields{{{"type", ValueField::Number}, {"hex", ValueField::Hex}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[0].number));
        block.append(fields[1].text);
        return;
    }
    case SYN_EMAIL_ADDRESS: {
        std::array<ValueField, 2> fields{{{"type", ValueField::Number}, {"address", ValueField::Text}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[0].number));
        block.append(fields[1].text);
        return;
    }
    case SYN_PATH: {
        std::array<ValueField, 3> fields{
            {{"nameSpace", ValueField::Number}, {"volume", ValueField::Text}, {"path", ValueField::Text}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[0].number));
        ValuePacking::AppendCounted(block, fields[1].text);
        block.append(fields[2].text);
        return;
    }
    case SYN_REPLICA_POINTER: {
        std::array<ValueField, 4> fields{{{"server", ValueField::Text},
                                          {"type", ValueField::Number, true, INT32_MIN, INT32_MAX},
                                          {"number", ValueField::Number, true, INT32_MIN, INT32_MAX},
                                          {"count", ValueField::Number, true, 0, MaxReplicaCount}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(int32_t(fields[1].number)));
        ValuePacking::AppendU32(block, uint32_t(int32_t(fields[2].number)));
        ValuePacking::AppendU32(block, uint32_t(fields[3].number));
        block.append(fields[0].text);
        return;
    }
    case SYN_OBJECT_ACL: {
        std::array<ValueField, 3> fields{
            {{"protected", ValueField::Text}, {"subject", ValueField::Text}, {"privileges", ValueField::Number}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[2].number));
        ValuePacking::AppendCounted(block, fields[0].text);
        block.append(fields[1].text);
        return;
    }
    case SYN_PO_ADDRESS: {
        if (cursor_.Peek() != JsonCursor::Kind::Array)
            cursor_.Fail(what + " must be an array of six texts");
        const size_t at = cursor_.Offset();
        size_t count = 0;
        cursor_.BeginArray();
        bool first = true;
        while (cursor_.NextItem(first)) {
            if (++count > 6)
                cursor_.FailAt(at, what + " must be an array of six texts");
            ValuePacking::AppendCounted(block, cursor_.Text("a line of " + what));
        }
        if (count != 6)
            cursor_.FailAt(at, what + " must be an array of six texts");
        return;
    }
    case SYN_TIMESTAMP: {
        std::array<ValueField, 2> fields{{{"seconds", ValueField::Number}, {"event", ValueField::Number}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[0].number));
        ValuePacking::AppendU32(block, uint32_t(fields[1].number));
        return;
    }
    case SYN_BACK_LINK: {
        std::array<ValueField, 2> fields{{{"remoteId", ValueField::Number}, {"name", ValueField::Text}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[0].number));
        block.append(fields[1].text);
        return;
    }
    case SYN_TYPED_NAME: {
        std::array<ValueField, 3> fields{
            {{"name", ValueField::Text}, {"level", ValueField::Number}, {"interval", ValueField::Number}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[1].number));
        ValuePacking::AppendU32(block, uint32_t(fields[2].number));
        block.append(fields[0].text);
        return;
    }
    case SYN_HOLD: {
        std::array<ValueField, 2> fields{{{"name", ValueField::Text}, {"amount", ValueField::Number}}};
        ValueField::ReadAll(cursor_, what, fields);
        ValuePacking::AppendU32(block, uint32_t(fields[1].number));
        block.append(fields[0].text);
        return;
    }
    case SYN_OCTET_LIST: {
        // Any value: the items of an array, or the value itself, each as bytes. The
        // record always has a first item, so an empty array gives one empty item.
        const size_t countAt = block.size();
        ValuePacking::AppendU32(block, 0);
        uint32_t count = 0;
        if (cursor_.Peek() == JsonCursor::Kind::Array) {
            cursor_.BeginArray();
            bool first = true;
            while (cursor_.NextItem(first)) {
                ValuePacking::AppendCounted(block, AnyValueBytes());
                ++count;
            }
            if (count == 0) {
                ValuePacking::AppendCounted(block, {});
                count = 1;
            }
        } else {
            ValuePacking::AppendCounted(block, AnyValueBytes());
            count = 1;
        }
        Patch(block, countAt, count);
        return;
    }
    default:
        // Syntaxes without a value record: any value, kept as bytes.
        block.append(AnyValueBytes());
        return;
    }
}

// The bytes of any value: a text's own bytes, or the JSON text of anything else.
std::string_view FileValueReader::AnyValueBytes()
{
    if (cursor_.Peek() == JsonCursor::Kind::String)
        return cursor_.String();
    return cursor_.Skip();
}

// The bytes of {"text": ...} or {"hex": ...}; a text may hold zero characters.
std::string FileValueReader::ReadBytesForm(const std::string &what)
{
    std::array<ValueField, 2> fields{{{"text", ValueField::Text, false}, {"hex", ValueField::Hex, false}}};
    const size_t at = cursor_.Offset();
    ValueField::ReadAll(cursor_, what, fields, true);
    if (fields[0].present == fields[1].present)
        cursor_.FailAt(at, what + " must be {\"text\": ...} or {\"hex\": ...}");
    return fields[0].present ? fields[0].text : fields[1].text;
}
