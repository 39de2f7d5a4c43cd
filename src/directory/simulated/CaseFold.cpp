#include "directory/simulated/CaseFold.h"

#include <QString>

namespace CaseFold {

namespace {

inline char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

inline uint64_t HashBytes(uint64_t hash, char c)
{
    return (hash ^ uint8_t(c)) * 0x100000001b3ULL;
}

constexpr uint64_t HashSeed = 0xcbf29ce484222325ULL;

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
    uint64_t hash = HashSeed;
    if (IsAscii(text)) {
        for (const char c : text)
            hash = HashBytes(hash, LowerAscii(c));
    } else {
        for (const char c : Folded(text))
            hash = HashBytes(hash, c);
    }
    return hash ^ (hash >> 29);
}

} // namespace CaseFold
