#include "cli/CliArguments.h"

#include "directory/ldap/LdapServerConfig.h"
#include "query/ResultsEncoding.h"

namespace {

bool TakesDirectory(const QString &command)
{
    return command == QLatin1String("run") || command == QLatin1String("from-sql");
}

// The encoding's name as the query file holds it, for its name or a short one
// ("utf-8-bom", "cp1252"); empty when it is none of them.
QString EncodingName(const QString &text)
{
    static const QStringList shortNames = {QStringLiteral("utf-8"), QStringLiteral("utf-8-bom"),
                                           QStringLiteral("cp1252")};
    const QStringList &names = ResultsEncoding::Names();
    for (int i = 0; i < names.size(); ++i) {
        if (text.compare(names.at(i), Qt::CaseInsensitive) == 0 ||
            text.compare(shortNames.at(i), Qt::CaseInsensitive) == 0)
            return names.at(i);
    }
    return QString();
}

} // namespace

bool CliArguments::WritesWorkbook() const
{
    if (!format.isEmpty())
        return format == QLatin1String("xlsx");
    return command == QLatin1String("run") && output.endsWith(QLatin1String(".xlsx"), Qt::CaseInsensitive);
}

QString CliUsage()
{
    return QStringLiteral("usage: veltrane-cli run QUERY.req [DIRECTORY] [--tree NAME] [-o OUT.txt|OUT.xlsx] "
                          "[--format text|xlsx]\n"
                          "                          [--encoding utf-8|utf-8-bom|cp1252] "
                          "[--formula-guard|--no-formula-guard]\n"
                          "       veltrane-cli sql QUERY.req [-o OUT.sql]\n"
                          "       veltrane-cli ctl QUERY.req [-o OUT.ctl]\n"
                          "       veltrane-cli from-sql QUERY.sql [DIRECTORY] [--tree NAME] -o OUT.req\n"
                          "DIRECTORY: --directory FILE | --client FILE |\n"
                          "           --ldap URI [--base DN] [--bind-dn DN] [--password-file FILE] [--ca-file FILE] "
                          "[--no-tls]\n"
                          "           with --ldap or --client: [--network-timeout SECONDS] "
                          "[--operation-timeout SECONDS]\n");
}

CliArguments CliArguments::Parse(const QStringList &arguments, QString *error)
{
    CliArguments parsed;
    if (arguments.isEmpty()) {
        *error = QStringLiteral("no command given");
        return parsed;
    }
    parsed.command = arguments.first();
    static const QStringList commands = {QStringLiteral("run"), QStringLiteral("sql"), QStringLiteral("ctl"),
                                         QStringLiteral("from-sql")};
    if (!commands.contains(parsed.command)) {
        *error = QStringLiteral("unknown command '%1'").arg(parsed.command);
        return parsed;
    }
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        QString *option = nullptr;
        if (argument == QLatin1String("-o"))
            option = &parsed.output;
        else if (argument == QLatin1String("--directory") && TakesDirectory(parsed.command))
            option = &parsed.directory;
        else if (argument == QLatin1String("--tree") && TakesDirectory(parsed.command))
            option = &parsed.tree;
        else if (argument == QLatin1String("--client") && TakesDirectory(parsed.command))
            option = &parsed.client;
        else if (argument == QLatin1String("--ldap") && TakesDirectory(parsed.command))
            option = &parsed.ldap;
        else if (argument == QLatin1String("--base") && TakesDirectory(parsed.command))
            option = &parsed.base;
        else if (argument == QLatin1String("--bind-dn") && TakesDirectory(parsed.command))
            option = &parsed.bindDn;
        else if (argument == QLatin1String("--password-file") && TakesDirectory(parsed.command))
            option = &parsed.passwordFile;
        else if (argument == QLatin1String("--ca-file") && TakesDirectory(parsed.command))
            option = &parsed.caFile;
        if (argument == QLatin1String("--no-tls") && TakesDirectory(parsed.command)) {
            parsed.noTls = true;
            continue;
        }
        const bool run = parsed.command == QLatin1String("run");
        if (run && (argument == QLatin1String("--formula-guard") || argument == QLatin1String("--no-formula-guard"))) {
            parsed.formulaGuard = argument == QLatin1String("--formula-guard");
            continue;
        }
        if (run && argument == QLatin1String("--format")) {
            parsed.format = i + 1 < arguments.size() ? arguments.at(++i).toLower() : QString();
            if (parsed.format != QLatin1String("text") && parsed.format != QLatin1String("xlsx")) {
                *error = QStringLiteral("--format needs text or xlsx");
                return parsed;
            }
            continue;
        }
        if ((argument == QLatin1String("--network-timeout") || argument == QLatin1String("--operation-timeout")) &&
            TakesDirectory(parsed.command)) {
            int seconds = 0;
            if (i + 1 >= arguments.size() || !LdapServerConfig::TimeoutFromText(arguments.at(++i), seconds)) {
                *error = QStringLiteral("%1 needs a number of seconds from 1 to %2")
                             .arg(argument)
                             .arg(LdapServerConfig::LongestTimeout);
                return parsed;
            }
            (argument.startsWith(QLatin1String("--n")) ? parsed.networkTimeout : parsed.operationTimeout) = seconds;
            continue;
        }
        if (run && argument == QLatin1String("--encoding")) {
            parsed.encoding = i + 1 < arguments.size() ? EncodingName(arguments.at(++i)) : QString();
            if (parsed.encoding.isEmpty()) {
                *error = QStringLiteral("--encoding needs one of utf-8, utf-8-bom, cp1252");
                return parsed;
            }
            continue;
        }
        if (option) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                *error = QStringLiteral("option %1 needs a value").arg(argument);
                return parsed;
            }
            *option = arguments.at(++i);
        } else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            *error = QStringLiteral("unknown option '%1' for %2").arg(argument, parsed.command);
            return parsed;
        } else if (parsed.input.isEmpty()) {
            parsed.input = argument;
        } else {
            *error = QStringLiteral("unexpected argument '%1'").arg(argument);
            return parsed;
        }
    }
    const int sources = int(!parsed.directory.isEmpty()) + int(!parsed.client.isEmpty()) + int(!parsed.ldap.isEmpty());
    const bool serverOptions = !parsed.base.isEmpty() || !parsed.bindDn.isEmpty() || !parsed.passwordFile.isEmpty() ||
                               !parsed.caFile.isEmpty() || parsed.noTls;
    if (parsed.input.isEmpty())
        *error = QStringLiteral("%1 needs an input file").arg(parsed.command);
    else if (sources > 1)
        *error = QStringLiteral("--directory, --client and --ldap exclude one another");
    else if (serverOptions && parsed.ldap.isEmpty())
        *error = QStringLiteral("--base, --bind-dn, --password-file, --ca-file and --no-tls go with --ldap");
    else if ((parsed.networkTimeout || parsed.operationTimeout) && parsed.ldap.isEmpty() && parsed.client.isEmpty())
        *error = QStringLiteral("--network-timeout and --operation-timeout go with --ldap or --client");
    else if (!parsed.passwordFile.isEmpty() && parsed.bindDn.isEmpty())
        *error = QStringLiteral("--password-file goes with --bind-dn");
    else if (parsed.WritesWorkbook() && parsed.output.isEmpty())
        *error = QStringLiteral("--format xlsx needs -o OUT.xlsx (standard output takes text only)");
    else if (parsed.command == QLatin1String("from-sql") && parsed.output.isEmpty())
        *error = QStringLiteral("from-sql needs -o OUT.req");
    return parsed;
}
