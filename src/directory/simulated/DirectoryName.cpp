#include "directory/simulated/DirectoryName.h"

#include "directory/client/CaseFold.h"

namespace DirectoryName {

bool IsRoot(std::string_view text)
{
    return CaseFold::IsAscii(text) && CaseFold::Equal(text, "[root]");
}

bool Split(std::string_view name, Parts &parts)
{
    parts.count = 0;
    if (!name.empty() && name.front() == '.')
        name.remove_prefix(1);
    if (name.empty())
        return true;
    size_t start = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        if (i < name.size() && name[i] == '\\') {
            ++i;
            continue;
        }
        if (i < name.size() && name[i] != '.')
            continue;
        const std::string_view part = name.substr(start, i - start);
        if (part.empty() || parts.count == Parts::Capacity)
            return false;
        parts.part[parts.count++] = part;
        start = i + 1;
    }
    if (IsRoot(parts.part[parts.count - 1]))
        --parts.count;
    return true;
}

size_t TypeEnd(std::string_view part)
{
    for (size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '\\')
            ++i;
        else if (part[i] == '=')
            return i;
    }
    return std::string_view::npos;
}

size_t FirstDot(std::string_view name)
{
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\')
            ++i;
        else if (name[i] == '.')
            return i;
    }
    return std::string_view::npos;
}

std::string_view Value(std::string_view part)
{
    const size_t end = TypeEnd(part);
    return end == std::string_view::npos ? part : part.substr(end + 1);
}

bool HasBareDotOrTrailingEscape(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            if (++i == text.size())
                return true;
        } else if (text[i] == '.') {
            return true;
        }
    }
    return false;
}

std::string Key(std::string_view name)
{
    Parts parts;
    std::string key;
    if (!Split(name, parts)) {
        // Not a name of any object: keep it distinct from every real one.
        key.push_back('\x01');
        CaseFold::AppendFolded(key, name);
        return key;
    }
    for (size_t i = 0; i < parts.count; ++i) {
        if (i > 0)
            key.push_back('.');
        CaseFold::AppendFolded(key, Value(parts.part[i]));
    }
    return key;
}

} // namespace DirectoryName
