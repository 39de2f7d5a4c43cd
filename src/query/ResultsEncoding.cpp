#include "query/ResultsEncoding.h"

#include "query/Cp1252.h"

#include <algorithm>

namespace ResultsEncoding {

const QStringList &Names()
{
    static const QStringList names = {QStringLiteral("UTF-8"), QStringLiteral("UTF-8 avec BOM"),
                                      QStringLiteral("Windows-1252")};
    return names;
}

TResultsEncoding FromName(const QString &name)
{
    const QStringList &names = Names();
    for (int i = 0; i < names.size(); ++i) {
        if (names.at(i).compare(name, Qt::CaseInsensitive) == 0)
            return static_cast<TResultsEncoding>(i);
    }
    return TResultsEncoding::Utf8;
}

QString NameOf(TResultsEncoding encoding)
{
    return Names().at(static_cast<int>(encoding));
}

} // namespace ResultsEncoding

namespace {

// The Windows-1252 byte of a character, -1 when the code page has none.
int Cp1252Byte(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    const auto found = std::find(Cp1252High.begin(), Cp1252High.end(), c);
    return found == Cp1252High.end() ? -1 : int(0x80 + (found - Cp1252High.begin()));
}

} // namespace

QByteArray TResultsEncoder::Preamble() const
{
    return encoding_ == TResultsEncoding::Utf8Bom ? QByteArrayLiteral("\xEF\xBB\xBF") : QByteArray();
}

bool TResultsEncoder::Append(const QString &text, QByteArray &out)
{
    // UTF-8 holds every character: no line needs counting.
    if (encoding_ != TResultsEncoding::Windows1252) {
        out += text.toUtf8();
        return true;
    }
    qint64 line = line_;
    qint64 column = column_;
    const qsizetype start = out.size();
    out.reserve(start + text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const int byte = Cp1252Byte(c.unicode());
        if (byte < 0) {
            char32_t code = c.unicode();
            if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
                code = QChar::surrogateToUcs4(c, text.at(i + 1));
            out.truncate(start);
            error_ = QStringLiteral("Le caractère U+%1 de la ligne %2, colonne %3 ne peut pas être écrit en "
                                    "Windows-1252.")
                         .arg(QString::number(code, 16).toUpper().rightJustified(4, QLatin1Char('0')))
                         .arg(line)
                         .arg(column);
            return false;
        }
        out += char(byte);
        if (c == QLatin1Char('\n')) {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    line_ = line;
    column_ = column;
    return true;
}
