#pragma once

// One run of veltrane-cli (VELTRANE_CLI) for the LDAP tests: its exit status (-1 when it
// crashed), standard output and standard error.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

struct LdapCliRun {
    int status = -1;
    QByteArray out;
    QString err;

    static LdapCliRun Of(const QStringList &arguments)
    {
        QProcess process;
        process.start(VELTRANE_CLI, arguments);
        process.waitForFinished(120000);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
                QString::fromUtf8(process.readAllStandardError())};
    }
};
