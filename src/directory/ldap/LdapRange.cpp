#include "directory/ldap/LdapRange.h"

#include <strings.h>

#include <charconv>

namespace {

constexpr std::string_view RangeOption = "range=";

// Where the range option of description starts (past its `;`), npos when it has none.
size_t RangeAt(std::string_view description)
{
    for (size_t at = description.find(';'); at != std::string_view::npos; at = description.find(';', at + 1)) {
        const std::string_view option = description.substr(at + 1);
        if (option.size() >= RangeOption.size() &&
            strncasecmp(option.data(), RangeOption.data(), RangeOption.size()) == 0)
            return at + 1;
    }
    return std::string_view::npos;
}

// A decimal number that is the whole of text.
bool Number(std::string_view text, uint32_t &number)
{
    const char *end = text.data() + text.size();
    const auto [past, error] = std::from_chars(text.data(), end, number);
    return !text.empty() && error == std::errc() && past == end;
}

} // namespace

LdapRange LdapRange::Of(std::string_view description)
{
    LdapRange range;
    const size_t at = RangeAt(description);
    if (at == std::string_view::npos)
        return range;
    std::string_view bounds = description.substr(at + RangeOption.size());
    bounds = bounds.substr(0, bounds.find(';'));
    const size_t dash = bounds.find('-');
    range.kind = Kind::Unreadable;
    if (dash == std::string_view::npos || !Number(bounds.substr(0, dash), range.low))
        return range;
    const std::string_view high = bounds.substr(dash + 1);
    if (high == "*")
        range.kind = Kind::Last;
    else if (Number(high, range.high) && range.high >= range.low && range.high < UINT32_MAX)
        range.kind = Kind::Part;
    return range;
}

std::string LdapRange::From(std::string_view description, uint32_t next)
{
    std::string asked;
    const size_t at = RangeAt(description);
    if (at == std::string_view::npos) {
        asked.assign(description).push_back(';');
    } else {
        asked.assign(description.substr(0, at));
        // Options after the range stay as they were.
        if (const size_t end = description.find(';', at); end != std::string_view::npos) {
            asked.append(description.substr(end + 1)).push_back(';');
        }
    }
    asked.append(RangeOption).append(std::to_string(next)).append("-*");
    return asked;
}
