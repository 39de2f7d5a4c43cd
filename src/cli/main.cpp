// veltrane-cli: runs saved queries in scripts, on the same engine as the wizard.

#include "cli/CliArguments.h"
#include "cli/CliCommands.h"
#include "cli/CliInterrupt.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    CliInterrupt::Install();
    QString error;
    const CliArguments arguments = CliArguments::Parse(QCoreApplication::arguments().mid(1), &error);
    if (!error.isEmpty()) {
        CliCommands::Complain(error);
        std::fputs(CliUsage().toUtf8().constData(), stderr);
        return CliCommands::kInvalid;
    }
    if (arguments.command == QLatin1String("run"))
        return CliCommands::Run(arguments);
    if (arguments.command == QLatin1String("from-sql"))
        return CliCommands::FromSql(arguments);
    return CliCommands::Render(arguments);
}
