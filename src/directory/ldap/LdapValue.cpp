#include "directory/ldap/LdapValue.h"

#include "directory/client/NWValues.h"
#include "directory/client/ValuePacking.h"
#include "directory/ldap/LdapName.h"

#include <charconv>
#include <cstdio>
#include <cstring>
#include <limits>
#include <vector>

namespace LdapValue {

namespace {

bool Digits(std::string_view text, size_t at, size_t count, int &value)
{
    if (at + count > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Days from 1970-01-01 to the date (proleptic Gregorian calendar).
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

template <class Number> bool Integer(std::string_view text, Number &number)
{
    if (text.empty())
        return false;
    const char *end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data() + (text.front() == '+' ? 1 : 0), end, number);
    return error == std::errc() && at == end;
}

// The "$"-separated lines of a postal address or a list.
bool Lines(std::string_view value, std::vector<std::string> &lines)
{
    lines.assign(1, std::string());
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        if (c == '$') {
            lines.emplace_back();
        } else if (c == '\\') {
            if (value.substr(i + 1, 2) == "24")
                lines.back().push_back('$');
            else if (value.substr(i + 1, 2) == "5C" || value.substr(i + 1, 2) == "5c")
                lines.back().push_back('\\');
            else
                return false;
            i += 2;
        } else {
            lines.back().push_back(c);
        }
    }
    return true;
}

uint32_t LittleEndian32(std::string_view bytes, size_t at)
{
    uint32_t value = 0;
    for (size_t i = 4; i-- > 0;)
        value = value << 8 | uint8_t(bytes[at + i]);
    return value;
}

} // namespace

bool GuidText(std::string_view bytes, std::string &text)
{
    if (bytes.size() != 16)
        return false;
    // The first three groups are little-endian, the last two in the order of the bytes.
    constexpr int Order[] = {3, 2, 1, 0, -1, 5, 4, -1, 7, 6, -1, 8, 9, -1, 10, 11, 12, 13, 14, 15};
    constexpr char Hex[] = "0123456789ABCDEF";
    text.clear();
    for (const int at : Order) {
        if (at < 0) {
            text.push_back('-');
            continue;
        }
        const auto byte = uint8_t(bytes[size_t(at)]);
        text.push_back(Hex[byte >> 4]);
        text.push_back(Hex[byte & 15]);
    }
    return true;
}

bool SidText(std::string_view bytes, std::string &text)
{
    if (bytes.size() < 8 || bytes.size() != 8 + 4 * size_t(uint8_t(bytes[1])))
        return false;
    uint64_t authority = 0;
    for (size_t i = 2; i < 8; ++i)
        authority = authority << 8 | uint8_t(bytes[i]);
    text = "S-" + std::to_string(uint8_t(bytes[0])) + '-';
    if (authority >> 32) {
        // Authorities past 32 bits are written in hexadecimal, as Windows writes them.
        char digits[24];
        std::snprintf(digits, sizeof digits, "0x%012llX", static_cast<unsigned long long>(authority));
        text += digits;
    } else {
        text += std::to_string(authority);
    }
    for (size_t at = 8; at < bytes.size(); at += 4)
        text += '-' + std::to_string(LittleEndian32(bytes, at));
    return true;
}

bool SecondsOf(std::string_view time, int32_t &seconds)
{
    // The leading digits tell the form: 14 a Generalized Time to the second, 12 a UTC Time
    // (two-digit year), 10 a Generalized Time to the hour.
    size_t digits = 0;
    while (digits < time.size() && time[digits] >= '0' && time[digits] <= '9')
        ++digits;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    size_t at = 0;
    if (digits == 14 || digits == 10) {
        Digits(time, 0, 4, year);
        at = 4;
    } else if (digits == 12) {
        Digits(time, 0, 2, year);
        year += year < 50 ? 2000 : 1900;
        at = 2;
    } else {
        return false;
    }
    Digits(time, at, 2, month);
    Digits(time, at + 2, 2, day);
    Digits(time, at + 4, 2, hour);
    at += 6;
    if (at < digits) {
        Digits(time, at, 2, minute);
        Digits(time, at + 2, 2, second);
        at += 4;
    }
    if (at < time.size() && (time[at] == '.' || time[at] == ',')) {
        ++at;
        const size_t start = at;
        while (at < time.size() && time[at] >= '0' && time[at] <= '9')
            ++at;
        if (at == start)
            return false;
    }
    int offset = 0;
    if (at < time.size() && time[at] == 'Z') {
        ++at;
    } else if (at < time.size() && (time[at] == '+' || time[at] == '-')) {
        int hours = 0, minutes = 0;
        if (!Digits(time, at + 1, 2, hours) || !Digits(time, at + 3, 2, minutes) || hours > 23 || minutes > 59)
            return false;
        offset = (hours * 60 + minutes) * 60 * (time[at] == '+' ? 1 : -1);
        at += 5;
    } else {
        return false; // a local time without its offset cannot be placed
    }
    if (at != time.size() || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return false;
    const int64_t total = DaysFromCivil(year, month, day) * 86400 + hour * 3600 + minute * 60 + second - offset;
    if (total < std::numeric_limits<int32_t>::min() || total > std::numeric_limits<int32_t>::max())
        return false;
    seconds = int32_t(total);
    return true;
}

bool Pack(uint32_t syntax, std::string_view value, bool typelessNames, std::string &packed, Encoding encoding)
{
    packed.clear();
    if (encoding != Encoding::Plain) {
        std::string text;
        if (!(encoding == Encoding::Guid ? GuidText(value, text) : SidText(value, text)))
            return false;
        return Pack(syntax, text, typelessNames, packed);
    }
    switch (syntax) {
    case SYN_DIST_NAME: {
        std::string dotted;
        if (!LdapName::ToDotted(value, typelessNames, dotted))
            return false;
        packed = dotted;
        return true;
    }
    case SYN_CE_STRING:
    case SYN_CI_STRING:
    case SYN_PR_STRING:
    case SYN_NU_STRING:
    case SYN_TEL_NUMBER:
    case SYN_CLASS_NAME:
        if (value.find('\0') != std::string_view::npos)
            return false;
        packed.assign(value);
        return true;
    case SYN_OCTET_STRING:
        packed.assign(value);
        return true;
    case SYN_BOOLEAN:
        if (value == "TRUE")
            packed.push_back('\1');
        else if (value == "FALSE")
            packed.push_back('\0');
        else
            return false;
        return true;
    case SYN_INTEGER:
    case SYN_COUNTER:
    case SYN_INTERVAL: {
        int32_t number = 0;
        if (!Integer(value, number))
            return false;
        ValuePacking::AppendU32(packed, uint32_t(number));
        return true;
    }
    case SYN_LARGE_INTEGER:
    case SYN_FILE_TIME: {
        int64_t number = 0;
        if (!Integer(value, number))
            return false;
        ValuePacking::AppendI64(packed, number);
        return true;
    }
    case SYN_TIME: {
        int32_t seconds = 0;
        if (!SecondsOf(value, seconds))
            return false;
        ValuePacking::AppendU32(packed, uint32_t(seconds));
        return true;
    }
    case SYN_PO_ADDRESS: {
        std::vector<std::string> lines;
        if (!Lines(value, lines) || lines.size() > 6)
            return false;
        lines.resize(6);
        for (const std::string &line : lines)
            ValuePacking::AppendCounted(packed, line);
        return true;
    }
    case SYN_CI_LIST: {
        std::vector<std::string> lines;
        if (!Lines(value, lines))
            return false;
        ValuePacking::AppendU32(packed, uint32_t(lines.size()));
        for (const std::string &line : lines)
            ValuePacking::AppendCounted(packed, line);
        return true;
    }
    case SYN_FAX_NUMBER: {
        const std::string_view number = value.substr(0, value.find('$'));
        ValuePacking::AppendCounted(packed, number);
        ValuePacking::AppendU32(packed, 0);
        return true;
    }
    case SYN_STREAM:
        ValuePacking::AppendCounted(packed, value);
        return true;
    case SYN_EMAIL_ADDRESS:
        ValuePacking::AppendU32(packed, 0);
        packed.append(value);
        return true;
    default:
        return false;
    }
}

} // namespace LdapValue
