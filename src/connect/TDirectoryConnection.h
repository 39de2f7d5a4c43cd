#pragma once

#include "directory/DirectoryHooks.h"
#include "directory/ldap/LdapServerConfig.h"

#include <QString>

#include <functional>
#include <memory>
#include <vector>

class NWClient;
class tNDS;

// Where the directory of a session comes from.
struct TDirectorySource {
    // A directory file for the simulated client; empty: the embedded demo directory.
    QString directoryFile;
    // The tree to switch to once connected; empty: the primary connection's tree.
    QString tree;
    // Directory servers: when there are any, the LDAP client serves them instead.
    std::vector<LdapServerConfig> ldapServers;
    // Asks for a bind password that no password file gives; none: such a bind fails.
    LdapPasswordPrompt passwordPrompt;
    // Why the configuration cannot be used; set: opening fails with it.
    QString configError;

    // What client.ini in the per-user configuration folder names (see ClientConfig).
    static TDirectorySource FromClientConfig();
};

// The outcome of opening the directory, with the message the user is shown.
struct TDirectoryStatus {
    enum Kind {
        Ok,
        // The directory cannot be used: a refused directory file, a client that did not
        // start, a tree that cannot be selected.
        Unavailable,
        // The asked tree is not among the connection's trees.
        UnknownTree,
    };

    Kind kind = Ok;
    QString message;

    bool IsOk() const { return kind == Ok; }
};

// The directory of a window or a command: the configured client and the one connection
// on it, with the session's hooks. Reports go to the reporter given at construction;
// the event pump can be changed at any time (a run installs its cancel check there).
class TDirectoryConnection
{
public:
    // The reporter takes each report with the server's words as its last line.
    explicit TDirectoryConnection(std::function<void(const QString &)> reporter);
    // The reporter takes each report and the server's words on it apart.
    explicit TDirectoryConnection(std::function<void(const QString &text, const QString &serverWords)> reporter);
    ~TDirectoryConnection();
    TDirectoryConnection(const TDirectoryConnection &) = delete;
    TDirectoryConnection &operator=(const TDirectoryConnection &) = delete;

    // Creates the client and the connection, then switches to the asked tree. When the
    // client started but the connection failed or the tree could not be selected, the
    // connection stays (Directory() is set) so that a window can still open on it; a
    // refused directory file leaves no connection at all.
    TDirectoryStatus Open(const TDirectorySource &source);

    // Called whenever the directory code lets pending events through.
    void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }

    // The connection, or null before a successful start of the client.
    tNDS *Directory() const { return directory_.get(); }

private:
    std::function<void(const QString &text, const QString &serverWords)> reporter_;
    std::function<void()> pump_;
    std::unique_ptr<NWClient> client_;
    std::unique_ptr<tNDS> directory_;
};
