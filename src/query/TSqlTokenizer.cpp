#include "query/TSqlTokenizer.h"

#include <utility>

namespace {

bool IsAsciiLetter(QChar c)
{
    return (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'));
}

bool IsDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool IsHexDigit(QChar c)
{
    return IsDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

bool IsLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

} // namespace

TSqlTokenizer::TSqlTokenizer(QString text) : text(std::move(text))
{
    Next();
}

void TSqlTokenizer::Next()
{
    if (HasError())
        return;
    while (pos < text.size() && text.at(pos).unicode() <= 32) {
        if (text.at(pos) == QLatin1Char('\n'))
            ++line;
        ++pos;
    }
    const qsizetype start = pos;
    if (pos >= text.size()) {
        kind = Kind::End;
        token.clear();
        return;
    }
    const QChar c = text.at(pos);
    if (IsAsciiLetter(c) || c == QLatin1Char('_')) {
        while (pos < text.size() &&
               (IsAsciiLetter(text.at(pos)) || IsDigit(text.at(pos)) || text.at(pos) == QLatin1Char('_')))
            ++pos;
        kind = Kind::Identifier;
    } else if (IsDigit(c) || c == QLatin1Char('-')) {
        ++pos;
        while (pos < text.size() && IsDigit(text.at(pos)))
            ++pos;
        while (pos < text.size() && (IsDigit(text.at(pos)) || QStringLiteral("+-.Ee").contains(text.at(pos))))
            ++pos;
        kind = Kind::Number;
    } else if (c == QLatin1Char('$')) {
        ++pos;
        while (pos < text.size() && IsHexDigit(text.at(pos)))
            ++pos;
        kind = Kind::HexNumber;
    } else if (c == QLatin1Char('\'') || c == QLatin1Char('#')) {
        ReadString();
        return;
    } else {
        ++pos;
        // A character outside the basic plane stays one token.
        if (c.isHighSurrogate() && pos < text.size() && text.at(pos).isLowSurrogate())
            ++pos;
        kind = Kind::Sign;
    }
    token = text.mid(start, pos - start);
}

void TSqlTokenizer::ReadString()
{
    QString decoded;
    for (;;) {
        if (pos < text.size() && text.at(pos) == QLatin1Char('#')) {
            ++pos;
            char32_t code = 0;
            while (pos < text.size() && IsDigit(text.at(pos))) {
                if (code <= 0x10FFFF)
                    code = code * 10 + (text.at(pos).unicode() - '0');
                ++pos;
            }
            const bool valid = code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF);
            decoded += QString::fromUcs4(valid ? &code : U"\uFFFD", 1);
        } else if (pos < text.size() && text.at(pos) == QLatin1Char('\'')) {
            ++pos;
            for (;;) {
                if (pos >= text.size() || IsLineEnd(text.at(pos))) {
                    error =
                        QStringLiteral("%1 à la ligne %2").arg(QStringLiteral("Constante chaîne incorrecte")).arg(line);
                    kind = Kind::End;
                    token.clear();
                    return;
                }
                if (text.at(pos) == QLatin1Char('\'')) {
                    ++pos;
                    if (pos >= text.size() || text.at(pos) != QLatin1Char('\''))
                        break;
                }
                decoded += text.at(pos);
                ++pos;
            }
        } else {
            break;
        }
    }
    kind = Kind::String;
    token = decoded;
}

void TSqlTokenizer::SetSign(QChar sign)
{
    kind = Kind::Sign;
    token = sign;
}

bool TSqlTokenizer::ReadBracketedName(QString &name)
{
    qsizetype end = pos;
    while (end < text.size() && text.at(end) != QLatin1Char(']') && !IsLineEnd(text.at(end)))
        ++end;
    if (end >= text.size() || text.at(end) != QLatin1Char(']'))
        return false;
    name = text.mid(pos, end - pos).trimmed();
    pos = end + 1;
    SetSign(QLatin1Char(']'));
    return true;
}

bool TSqlTokenizer::ReadQuotedValue(QString &value)
{
    QString read;
    for (qsizetype at = pos; at < text.size() && !IsLineEnd(text.at(at)); ++at) {
        if (text.at(at) != QLatin1Char('"')) {
            read += text.at(at);
            continue;
        }
        if (at + 1 < text.size() && text.at(at + 1) == QLatin1Char('"')) {
            read += QLatin1Char('"');
            ++at;
            continue;
        }
        value = read;
        pos = at + 1;
        SetSign(QLatin1Char('"'));
        return true;
    }
    return false;
}
