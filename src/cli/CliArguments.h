#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The command line of veltrane-cli:
//   run QUERY.req [DIRECTORY] [--tree NAME] [-o OUT.txt|OUT.xlsx] [--format text|xlsx]
//       [--encoding NAME] [--formula-guard | --no-formula-guard]
//   sql QUERY.req [-o OUT.sql]
//   ctl QUERY.req [-o OUT.ctl]
//   from-sql QUERY.sql [DIRECTORY] [--tree NAME] -o OUT.req
// where DIRECTORY is one of --directory FILE, --client FILE (a client.ini) and
//   --ldap URI [--base DN] [--bind-dn DN] [--password-file FILE] [--ca-file FILE] [--no-tls]
// and, with --ldap or --client, [--network-timeout SECONDS] [--operation-timeout SECONDS]
struct CliArguments {
    QString command;
    QString input;
    QString directory; // empty: the embedded demo directory
    QString tree;      // empty: the primary connection's tree
    QString output;    // empty: standard output
    QString client;    // a client.ini
    // One directory server.
    QString ldap;
    QString base;
    QString bindDn;
    QString passwordFile;
    QString caFile;
    bool noTls = false;
    // The time limits of every server, in seconds; unset: the configuration's.
    std::optional<int> networkTimeout;
    std::optional<int> operationTimeout;
    // Overrides of the query's results encoding (a name of ResultsEncoding::Names(),
    // empty: the query's own) and formula guard.
    QString encoding;
    std::optional<bool> formulaGuard;
    // "text", "xlsx", or empty: a workbook when the output's name ends in ".xlsx".
    QString format;

    // run writes a workbook rather than text.
    bool WritesWorkbook() const;

    // The arguments, or an error message naming what is wrong.
    static CliArguments Parse(const QStringList &arguments, QString *error);
};

// The usage text written with a usage error.
QString CliUsage();
