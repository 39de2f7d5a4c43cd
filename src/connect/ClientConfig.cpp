#include "connect/ClientConfig.h"

#include <QDir>
#include <QFile>
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

bool LdapServers(const QString &configFile, std::vector<LdapServerConfig> &servers, QString *error)
{
    servers.clear();
    QFile file(configFile);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(configFile, file.errorString());
        return false;
    }
    const QDir folder = QFileInfo(configFile).dir();
    const auto fail = [&](const QString &tree, const QString &what) {
        *error = QStringLiteral("%1, section [tree %2]: %3").arg(configFile, tree, what);
        servers.clear();
        return false;
    };
    std::vector<bool> tlsGiven;
    bool inTree = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            const QString section = line.mid(1, line.size() - 2).trimmed();
            inTree = section.startsWith(QLatin1String("tree "), Qt::CaseInsensitive);
            if (inTree) {
                servers.emplace_back();
                servers.back().tree = section.mid(5).trimmed();
                tlsGiven.push_back(false);
            }
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (!inTree || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed().toLower();
        const QString value = line.mid(equals + 1).trimmed();
        LdapServerConfig &server = servers.back();
        if (key == QLatin1String("uri"))
            server.uri = value;
        else if (key == QLatin1String("base"))
            server.base = value;
        else if (key == QLatin1String("bind-dn"))
            server.bindDn = value;
        else if (key == QLatin1String("password-file"))
            server.passwordFile = value.isEmpty() ? value : folder.absoluteFilePath(value);
        else if (key == QLatin1String("ca-file"))
            server.caFile = value.isEmpty() ? value : folder.absoluteFilePath(value);
        else if (key == QLatin1String("tls")) {
            if (!LdapServerConfig::TlsFromText(value, server.tls))
                return fail(server.tree, QStringLiteral("tls=%1 is none of ldaps, starttls and none").arg(value));
            tlsGiven.back() = true;
        } else if (key == QLatin1String("network-timeout") || key == QLatin1String("operation-timeout")) {
            int &seconds = key.startsWith(QLatin1Char('n')) ? server.networkTimeout : server.operationTimeout;
            if (!LdapServerConfig::TimeoutFromText(value, seconds))
                return fail(server.tree, QStringLiteral("%1=%2 is no number of seconds from 1 to %3")
                                             .arg(key, value)
                                             .arg(LdapServerConfig::LongestTimeout));
        } else if (key == QLatin1String("password"))
            return fail(server.tree, QStringLiteral("a password is never written in this file; give a password-file"));
    }
    for (size_t i = 0; i < servers.size(); ++i) {
        LdapServerConfig &server = servers[i];
        if (server.uri.isEmpty())
            return fail(server.tree, QStringLiteral("no uri"));
        if (!tlsGiven[i] && server.uri.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive))
            server.tls = LdapServerConfig::Tls::Ldaps;
    }
    return true;
}

} // namespace ClientConfig
