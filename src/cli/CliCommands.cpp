#include "cli/CliCommands.h"

#include "cli/CliArguments.h"
#include "directory/TDirectoryConnection.h"
#include "query/TQueryStatus.h"

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
    const TDirectoryStatus opened = connection.Open({arguments.directory, arguments.tree});
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
