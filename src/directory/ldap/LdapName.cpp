#include "directory/ldap/LdapName.h"

#include "directory/client/CaseFold.h"

#include <QByteArrayView>

#include <ldap.h>

#include <algorithm>

namespace LdapName {

namespace {

// Characters a dotted name escapes inside a value.
bool IsDottedSpecial(char c)
{
    return c == '.' || c == '=' || c == '+' || c == '\\';
}

// A type or a value in a dotted name: the specials escaped (the dots of a type that is an
// OID too), and a value that reads as the top of the tree made plain text ("\[Root]").
void AppendDottedValue(std::string &out, std::string_view value)
{
    if (IsRoot(value))
        out.push_back('\\');
    for (const char c : value) {
        if (IsDottedSpecial(c))
            out.push_back('\\');
        out.push_back(c);
    }
}

// A byte as a backslash and two hexadecimal digits ("\0D").
void AppendHexByte(std::string &out, unsigned char c)
{
    const char *const hex = "0123456789ABCDEF";
    out.append({'\\', hex[c >> 4], hex[c & 15]});
}

// RFC 4514 escaping of one value: the specials anywhere, a space or "#" first, a space
// last; control characters (which libldap would take for blanks) in hexadecimal ("\0D").
void AppendDnValue(std::string &out, std::string_view value)
{
    for (size_t i = 0; i < value.size(); ++i) {
        const char c = value[i];
        const bool special = c == '"' || c == '+' || c == ',' || c == ';' || c == '<' || c == '>' || c == '\\' ||
                             c == '=' || (i == 0 && (c == ' ' || c == '#')) || (i + 1 == value.size() && c == ' ');
        if ((c >= '\0' && c < ' ') || c == '\x7F') {
            AppendHexByte(out, static_cast<unsigned char>(c));
            continue;
        }
        if (special)
            out.push_back('\\');
        out.push_back(c);
    }
}

// Splits text at the unescaped separator, keeping the escapes in the pieces.
std::vector<std::string_view> SplitEscaped(std::string_view text, char separator)
{
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == separator) {
            pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.push_back(text.substr(start));
    return pieces;
}

// The text without its escapes.
std::string Unescaped(std::string_view text)
{
    std::string plain;
    plain.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size())
            ++i;
        plain.push_back(text[i]);
    }
    return plain;
}

// An attribute type as a DN writes it: a name (a letter, then letters, digits and hyphens)
// or an OID (numbers without leading zeros, joined by dots).
bool ValidType(std::string_view type)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (type.empty())
        return false;
    if (letter(type.front()))
        return std::all_of(type.begin(), type.end(), [&](char c) { return letter(c) || digit(c) || c == '-'; });
    size_t start = 0;
    for (size_t i = 0; i <= type.size(); ++i) {
        if (i < type.size() && digit(type[i]))
            continue;
        if (i == start || (type[start] == '0' && i - start > 1) || (i < type.size() && type[i] != '.'))
            return false;
        start = i + 1;
    }
    return true;
}

bool ValidUtf8(std::string_view text)
{
    return QByteArrayView(text.data(), qsizetype(text.size())).isValidUtf8();
}

bool ParseAva(std::string_view text, Ava &ava)
{
    size_t equals = std::string_view::npos;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
        } else if (text[i] == '=') {
            equals = i;
            break;
        }
    }
    if (equals == std::string_view::npos) {
        ava.type.clear();
        ava.value = Unescaped(text);
    } else {
        ava.type = Unescaped(text.substr(0, equals));
        ava.value = Unescaped(text.substr(equals + 1));
        if (ava.type.empty())
            return false;
    }
    return !ava.value.empty();
}

} // namespace

bool IsRoot(std::string_view text)
{
    return text.size() == 6 && QByteArrayView(text.data(), 6).compare("[Root]", Qt::CaseInsensitive) == 0;
}

bool ParseDn(std::string_view dn, std::vector<Rdn> &parts)
{
    parts.clear();
    if (dn.empty())
        return true;
    // libldap reads a name up to its first zero: what follows would be dropped.
    if (dn.find('\0') != std::string_view::npos)
        return false;
    std::string text(dn);
    LDAPDN parsed = nullptr;
    if (ldap_str2dn(text.c_str(), &parsed, LDAP_DN_FORMAT_LDAPV3) != LDAP_SUCCESS)
        return false;
    bool ok = parsed != nullptr;
    for (int r = 0; ok && parsed[r]; ++r) {
        Rdn rdn;
        for (int a = 0; parsed[r][a]; ++a) {
            const LDAPAVA *ava = parsed[r][a];
            // What no DN of a dotted name gives again: a type that is neither a name nor an
            // OID, a value binary, empty, with a zero byte or not UTF-8.
            const std::string_view type(ava->la_attr.bv_val, ava->la_attr.bv_len);
            const std::string_view value(ava->la_value.bv_val, ava->la_value.bv_len);
            if ((ava->la_flags & LDAP_AVA_BINARY) || !ValidType(type) || value.empty() ||
                value.find('\0') != std::string_view::npos || !ValidUtf8(value)) {
                ok = false;
                break;
            }
            rdn.push_back({std::string(type), std::string(value)});
        }
        parts.push_back(std::move(rdn));
    }
    ldap_dnfree(parsed);
    if (!ok)
        parts.clear();
    return ok;
}

std::string Upper(std::string_view type)
{
    std::string upper(type);
    for (char &c : upper) {
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    }
    return upper;
}

bool PlainValue(std::string_view value)
{
    if (value.empty() || value.front() == ' ' || value.back() == ' ' || IsRoot(value))
        return false;
    return std::none_of(value.begin(), value.end(), [](char c) {
        return c < ' ' || c > '~' || c == '"' || c == '+' || c == ',' || c == ';' || c == '<' || c == '>' ||
               c == '\\' || c == '=' || c == '#' || c == '.';
    });
}

bool PlainRdn(std::string_view dn, std::string_view &type, std::string_view &value, std::string_view &rest)
{
    const auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    size_t i = 0;
    if (dn.empty() || !letter(dn[0]))
        return false;
    while (i < dn.size() && (letter(dn[i]) || digit(dn[i]) || dn[i] == '-'))
        ++i;
    if (i == dn.size() || dn[i] != '=')
        return false;
    type = dn.substr(0, i);
    const size_t start = ++i;
    const size_t comma = dn.find(',', start);
    value = dn.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
    if (!PlainValue(value))
        return false;
    rest = comma == std::string_view::npos ? std::string_view() : dn.substr(comma + 1);
    return comma == std::string_view::npos || !rest.empty();
}

bool ToDotted(std::string_view dn, bool typeless, std::string &dotted)
{
    std::vector<Rdn> parts;
    if (!ParseDn(dn, parts))
        return false;
    dotted = DottedOf(parts, typeless);
    return true;
}

std::string DottedOf(const std::vector<Rdn> &parts, bool typeless)
{
    if (parts.empty())
        return "[Root]";
    std::string dotted;
    for (size_t r = 0; r < parts.size(); ++r) {
        if (r > 0)
            dotted.push_back('.');
        for (size_t a = 0; a < parts[r].size(); ++a) {
            if (a > 0)
                dotted.push_back('+');
            const Ava &ava = parts[r][a];
            if (!typeless && !ava.type.empty()) {
                AppendDottedValue(dotted, Upper(ava.type));
                dotted.push_back('=');
            }
            AppendDottedValue(dotted, ava.value);
        }
    }
    return dotted;
}

bool ParseDotted(std::string_view dotted, std::vector<Rdn> &parts)
{
    parts.clear();
    if (!dotted.empty() && dotted.front() == '.')
        dotted.remove_prefix(1);
    if (dotted.empty())
        return true;
    size_t backslashes = 0;
    for (size_t i = dotted.size(); i > 0 && dotted[i - 1] == '\\'; --i)
        ++backslashes;
    if (backslashes % 2 == 1)
        return false;
    std::vector<std::string_view> pieces = SplitEscaped(dotted, '.');
    if (IsRoot(pieces.back()))
        pieces.pop_back();
    for (const std::string_view piece : pieces) {
        if (piece.empty())
            return false;
        Rdn rdn;
        for (const std::string_view text : SplitEscaped(piece, '+')) {
            Ava ava;
            if (!ParseAva(text, ava)) {
                parts.clear();
                return false;
            }
            rdn.push_back(std::move(ava));
        }
        parts.push_back(std::move(rdn));
    }
    return true;
}

bool IsTyped(const std::vector<Rdn> &parts)
{
    for (const Rdn &rdn : parts) {
        for (const Ava &ava : rdn) {
            if (ava.type.empty())
                return false;
        }
    }
    return true;
}

bool ToDn(const std::vector<Rdn> &parts, std::string &dn)
{
    if (!IsTyped(parts))
        return false;
    for (const Rdn &rdn : parts) {
        if (!std::all_of(rdn.begin(), rdn.end(), [](const Ava &ava) { return ValidType(ava.type); }))
            return false;
    }
    dn.clear();
    for (size_t r = 0; r < parts.size(); ++r) {
        if (r > 0)
            dn.push_back(',');
        for (size_t a = 0; a < parts[r].size(); ++a) {
            if (a > 0)
                dn.push_back('+');
            dn.append(parts[r][a].type);
            dn.push_back('=');
            AppendDnValue(dn, parts[r][a].value);
        }
    }
    return true;
}

std::string Shown(std::string_view dn)
{
    constexpr size_t Longest = 256;
    std::string shown;
    for (size_t i = 0; i < dn.size() && i < Longest; ++i) {
        const auto c = static_cast<unsigned char>(dn[i]);
        if (c >= ' ' && c <= '~') {
            shown.push_back(char(c));
        } else {
            AppendHexByte(shown, c);
        }
    }
    if (dn.size() > Longest)
        shown.append("...");
    return shown;
}

std::string Key(const std::vector<Rdn> &parts)
{
    if (parts.empty())
        return {};
    return CaseFold::Folded(DottedOf(parts, true));
}

bool EndsWith(const std::vector<Rdn> &parts, size_t count, std::string_view key)
{
    if (count > parts.size())
        return false;
    const std::vector<Rdn> suffix(parts.end() - std::ptrdiff_t(count), parts.end());
    return Key(suffix) == key;
}

} // namespace LdapName
