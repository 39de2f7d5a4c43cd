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
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return TQueryStatus::Error(TQueryStatus::FileError,
                                   QStringLiteral("Ne peut écrire dans %1: %2").arg(path, file.errorString()));
    return {};
}
