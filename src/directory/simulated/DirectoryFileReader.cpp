#include "directory/simulated/DirectoryFileReader.h"

#include "directory/simulated/DirectoryFileLoader.h"

#include <QFile>

#include <string_view>

// Outside any namespace, as the resource system requires.
static void InitDemoResource()
{
    Q_INIT_RESOURCE(demo_directory);
}

std::unique_ptr<DirectoryModel> DirectoryFileReader::ReadBytes(const QByteArray &json, const QString &fileName,
                                                               QString *error)
{
    std::string_view text(json.constData(), size_t(json.size()));
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    return DirectoryFileLoader(text, fileName).Load(error);
}

std::unique_ptr<DirectoryModel> DirectoryFileReader::ReadFile(const QString &path, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = QStringLiteral("%1: the file cannot be opened: %2").arg(path, file.errorString());
        return nullptr;
    }
    // Large files are mapped rather than copied.
    const qint64 size = file.size();
    if (size > 0) {
        if (uchar *mapped = file.map(0, size)) {
            const QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(mapped), qsizetype(size));
            return ReadBytes(bytes, path, error);
        }
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = QStringLiteral("%1: the file cannot be read: %2").arg(path, file.errorString());
        return nullptr;
    }
    return ReadBytes(bytes, path, error);
}

std::unique_ptr<DirectoryModel> DirectoryFileReader::ReadDemo(QString *error)
{
    InitDemoResource();
    return ReadFile(QStringLiteral(":/demo-directory.json"), error);
}
