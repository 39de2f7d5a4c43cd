#pragma once

#include <QString>

#include <functional>
#include <memory>

class NWClient;
class tNDS;

// The directory connection of a command: the simulated client serving a directory
// file (or the embedded demo directory), with its reports on standard error, one a
// line, switched to the asked tree.
class CliDirectory
{
public:
    CliDirectory();
    ~CliDirectory();

    // Connects; false with Error() set when the file is refused, the client does not
    // start, or the tree is unknown (UnknownTree() then tells so).
    bool Open(const QString &directoryFile, const QString &tree);
    // Called whenever the directory code lets pending events through.
    void SetEventPump(std::function<void()> pump) { pump_ = std::move(pump); }

    tNDS &Directory() { return *directory_; }
    const QString &Error() const { return error_; }
    bool UnknownTree() const { return unknownTree_; }

private:
    std::unique_ptr<NWClient> client_;
    std::unique_ptr<tNDS> directory_;
    std::function<void()> pump_;
    QString error_;
    bool unknownTree_ = false;
};
