#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

// One directory server, as a [tree NAME] section of client.ini or the --ldap options of
// veltrane-cli give it. It holds no password: that comes from passwordFile or a prompt.
struct LdapServerConfig {
    enum class Tls {
        Ldaps,    // TLS from the first byte (an ldaps:// URI)
        StartTls, // ldap:// upgraded with StartTLS before anything is sent
        None,     // plain ldap://: a password goes to a loopback address only
    };

    QString tree;         // the tree name; empty: the URI's host name in capitals
    QString uri;          // ldap://host[:port] or ldaps://host[:port]
    QString base;         // the tree's default context; empty: the first naming context
    QString bindDn;       // empty: anonymous
    QString passwordFile; // readable by its owner only; empty: the prompt
    QString caFile;       // empty: the system's certificate authorities
    Tls tls = Tls::StartTls;
    // Seconds that making the connection (TCP and TLS) may take, and that each reply of
    // the server may take to come whole once asked for; past them the server is given up.
    int networkTimeout = DefaultNetworkTimeout;
    int operationTimeout = DefaultOperationTimeout;

    static constexpr int DefaultNetworkTimeout = 30;
    static constexpr int DefaultOperationTimeout = 300;
    // The largest time limit taken, in seconds (a day).
    static constexpr int LongestTimeout = 86400;

    // The tls setting of client.ini ("ldaps", "starttls", "none"); false for another.
    static bool TlsFromText(const QString &text, Tls &tls);
    // A time limit as written (whole seconds, 1 to LongestTimeout); false for another.
    static bool TimeoutFromText(const QString &text, int &seconds);
};

// Asks the user for the password of a bind name (the prompt text names server and
// name); nothing when the user declines or there is no way to ask.
using LdapPasswordPrompt = std::function<std::optional<QByteArray>(const QString &prompt)>;
