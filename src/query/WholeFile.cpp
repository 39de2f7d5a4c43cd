#include "query/WholeFile.h"

#include <QFile>
#include <QSaveFile>

namespace WholeFile {

std::optional<QByteArray> Read(const QString &path, qint64 maxBytes, bool *tooLarge)
{
    if (tooLarge)
        *tooLarge = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // One byte more than allowed tells a file that is too large, also one whose size
    // is not known beforehand (a pipe).
    QByteArray bytes = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    if (bytes.size() > maxBytes) {
        if (tooLarge)
            *tooLarge = true;
        return std::nullopt;
    }
    return bytes;
}

bool Write(const QString &path, const std::function<bool(QIODevice &)> &write)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    // Qt 6.4 commits even when the final flush wrote only part of the buffer (a full
    // disk, a file size limit), so the flush is checked here first.
    if (!write(file) || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

QString ReplaceExtension(const QString &path, const QString &extension)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return (dot > slash ? path.left(dot) : path) + extension;
}

} // namespace WholeFile
