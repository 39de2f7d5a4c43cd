#include "query/ResultsFile.h"

#include <QSaveFile>

TQueryStatus WriteResultsFile(const QString &path, const QStringList &lines, TResultsEncoding encoding)
{
    TResultsEncoder encoder(encoding);
    QByteArray bytes = encoder.Preamble();
    const QString lineBreak = QStringLiteral("\r\n");
    for (const QString &line : lines) {
        if (!encoder.Append(line, bytes) || !encoder.Append(lineBreak, bytes))
            return TQueryStatus::Error(TQueryStatus::FileError, encoder.Error());
    }
    QSaveFile file(path);
    // Qt 6.4 commits even when the final flush wrote only part of the buffer (a full
    // disk, a file size limit), so the flush is checked first; the file not committed
    // is removed.
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush() || !file.commit())
        return TQueryStatus::Error(TQueryStatus::FileError,
                                   QStringLiteral("Ne peut écrire dans %1: %2").arg(path, file.errorString()));
    return {};
}
