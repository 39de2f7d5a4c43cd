#include "directory/client/CaseFold.h"

#include "directory/client/TextHash.h"

#include <QString>

namespace CaseFold {

namespace {

inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

} // namespace

bool IsAscii(std::string_view text)
{
    for (const char c : text) {
        if (uint8_t(c) >= 0x80)
            return false;
    }
    return true;
}

void AppendFolded(std::string &out, std::string_view text)
{
    if (IsAscii(text)) {
        for (const char c : text)
            out.push_back(LowerAscii(c));
        return;
    }
    const QByteArray folded = QString::fromUtf8(text.data(), qsizetype(text.size())).toCaseFolded().toUtf8();
    out.append(folded.constData(), size_t(folded.size()));
}

std::string Folded(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    AppendFolded(out, text);
    return out;
}

std::string_view FoldedView(std::string_view text, std::string &scratch)
{
    bool capital = false;
    for (const char c : text) {
        if (uint8_t(c) >= 0x80) {
            scratch.clear();
            AppendFolded(scratch, text);
            return scratch;
        }
        capital = capital || (c >= 'A' && c <= 'Z');
    }
    if (!capital)
        return text;
    scratch.assign(text);
    for (char &c : scratch)
        c = LowerAscii(c);
    return scratch;
}

bool Equal(std::string_view a, std::string_view b)
{
    if (IsAscii(a) && IsAscii(b)) {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i) {
            if (LowerAscii(a[i]) != LowerAscii(b[i]))
                return false;
        }
        return true;
    }
    return Folded(a) == Folded(b);
}

uint64_t Hash(std::string_view text)
{
    uint64_t hash = TextHash::Seed;
    if (IsAscii(text)) {
        for (const char c : text)
            hash = TextHash::Step(hash, uint8_t(LowerAscii(c)));
    } else {
        for (const char c : Folded(text))
            hash = TextHash::Step(hash, uint8_t(c));
    }
    return hash ^ (hash >> 29);
}

} // namespace CaseFold
