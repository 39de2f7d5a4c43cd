#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// The encodings the results can be written in, by the names the options page shows and
// the query file's key "encoding" holds.
enum class TResultsEncoding { Utf8, Utf8Bom, Windows1252 };

namespace ResultsEncoding {

// "UTF-8", "UTF-8 avec BOM", "Windows-1252", in the order of TResultsEncoding.
const QStringList &Names();
// The encoding of a name (case ignored); UTF-8 for any other text.
TResultsEncoding FromName(const QString &name);
QString NameOf(TResultsEncoding encoding);

} // namespace ResultsEncoding

// Encodes results text piece by piece, keeping count of lines so that a character the
// encoding cannot hold is named by its line and column.
class TResultsEncoder
{
public:
    explicit TResultsEncoder(TResultsEncoding encoding) : encoding_(encoding) {}

    // The bytes that start the file: the byte-order mark of "UTF-8 avec BOM", else none.
    QByteArray Preamble() const;
    // Appends the bytes of text to out. false when a character cannot be encoded: out is
    // then as it was and Error() names the character, its line and its column.
    bool Append(const QString &text, QByteArray &out);
    const QString &Error() const { return error_; }

private:
    TResultsEncoding encoding_;
    // Line (from 1) and column (from 1) of the next character to encode.
    qint64 line_ = 1;
    qint64 column_ = 1;
    QString error_;
};
