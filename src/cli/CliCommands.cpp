#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "cli/CliPasswordPrompt.h"
#include "connect/ClientConfig.h"
#include "connect/TDirectoryConnection.h"
#include "query/TDirectorySchema.h"
#include "query/TQueryStatus.h"

#include <QFileInfo>
#include <QString>

#include <cstdio>

namespace CliCommands {

void Complain(const QString &message)
{
    std::fprintf(stderr, "veltrane-cli: %s\n", message.toUtf8().constData());
}

void WriteReport(const QString &text)
{
    QString line = text;
    line.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(stderr, "%s\n", line.toUtf8().constData());
}

int OpenDirectory(TDirectoryConnection &connection, const CliArguments &arguments)
{
    TDirectorySource source;
    source.directoryFile = arguments.directory;
    source.tree = arguments.tree;
    source.passwordPrompt = CliPasswordPrompt::Ask;
    if (!arguments.client.isEmpty()) {
        if (!QFileInfo::exists(arguments.client)) {
            Complain(QStringLiteral("the client configuration %1 does not exist").arg(arguments.client));
            return kFailure;
        }
        source.directoryFile = ClientConfig::DirectoryFile(arguments.client);
        ClientConfig::LdapServers(arguments.client, source.ldapServers, &source.configError);
    } else if (!arguments.ldap.isEmpty()) {
        LdapServerConfig server;
        server.uri = arguments.ldap;
        server.base = arguments.base;
        server.bindDn = arguments.bindDn;
        server.passwordFile = arguments.passwordFile;
        server.caFile = arguments.caFile;
        server.tls = arguments.noTls ? LdapServerConfig::Tls::None
                     : arguments.ldap.startsWith(QLatin1String("ldaps://"), Qt::CaseInsensitive)
                         ? LdapServerConfig::Tls::Ldaps
                         : LdapServerConfig::Tls::StartTls;
        source.ldapServers.push_back(server);
    }
    for (LdapServerConfig &server : source.ldapServers) {
        server.networkTimeout = arguments.networkTimeout.value_or(server.networkTimeout);
        server.operationTimeout = arguments.operationTimeout.value_or(server.operationTimeout);
    }
    const TDirectoryStatus opened = connection.Open(source);
    if (!opened.IsOk())
        Complain(opened.message);
    return ExitStatusOf(opened);
}

int ExitStatusOf(const TQueryStatus &status)
{
    if (status.IsOk())
        return kSuccess;
    return status.kind == TQueryStatus::FileError ? kFailure : kInvalid;
}

int ExitStatusOf(const TQueryStatus &status, const TDirectorySchema &schema)
{
    const int exitStatus = ExitStatusOf(status);
    return exitStatus == kInvalid && schema.ReadFailed() ? kFailure : exitStatus;
}

int ExitStatusOf(const TDirectoryStatus &status)
{
    switch (status.kind) {
    case TDirectoryStatus::Ok:
        return kSuccess;
    case TDirectoryStatus::UnknownTree:
        return kInvalid;
    case TDirectoryStatus::Unavailable:
        break;
    }
    return kFailure;
}

} // namespace CliCommands
