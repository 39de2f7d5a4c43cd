#pragma once

#include <QString>
#include <QStringList>

// The command line of veltrane-cli:
//   run QUERY.req [--directory FILE] [--tree NAME] [-o OUT.txt]
//   sql QUERY.req [-o OUT.sql]
//   ctl QUERY.req [-o OUT.ctl]
//   from-sql QUERY.sql [--directory FILE] [--tree NAME] -o OUT.req
struct CliArguments {
    QString command;
    QString input;
    QString directory; // empty: the embedded demo directory
    QString tree;      // empty: the primary connection's tree
    QString output;    // empty: standard output

    // The arguments, or an error message naming what is wrong.
    static CliArguments Parse(const QStringList &arguments, QString *error);
};

// The usage text written with a usage error.
QString CliUsage();
