#include "directory/ClientConfig.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace ClientConfig {

QString ConfigFilePath()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
        .filePath(QStringLiteral("Veltrane/client.ini"));
}

QString DirectoryFile(const QString &configFile)
{
    if (!QFileInfo::exists(configFile))
        return {};
    const QSettings settings(configFile, QSettings::IniFormat);
    const QString path = settings.value(QStringLiteral("directory")).toString().trimmed();
    if (path.isEmpty())
        return {};
    return QFileInfo(configFile).dir().absoluteFilePath(path);
}

} // namespace ClientConfig
