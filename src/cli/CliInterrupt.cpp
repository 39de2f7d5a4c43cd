#include "cli/CliInterrupt.h"

#include <QString>

#include <unistd.h>

#include <csignal>
#include <cstring>

namespace {

volatile std::sig_atomic_t interrupted = 0;
volatile std::sig_atomic_t deferred = 0;

// Read by the handler: written only while no signal can see them half-written, since
// the flag that makes them valid is set last and cleared first.
char pendingFile[4096];
volatile std::sig_atomic_t hasPendingFile = 0;
termios terminalSettings{};
volatile std::sig_atomic_t terminalFd = -1;

constexpr int kInterruptedStatus = 130;

extern "C" void OnInterrupt(int)
{
    if (deferred != 0 && interrupted == 0) {
        interrupted = 1;
        return;
    }
    // Only calls that are safe in a signal handler from here on.
    if (hasPendingFile != 0)
        unlink(pendingFile);
    if (terminalFd >= 0)
        tcsetattr(terminalFd, TCSAFLUSH, &terminalSettings);
    _exit(kInterruptedStatus);
}

} // namespace

namespace CliInterrupt {

void Install()
{
    struct sigaction action {
    };
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed pipe on standard output is a write error to report, not a silent death;
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file grown past the size limit.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Requested()
{
    return interrupted != 0;
}

void SetDeferred(bool defer)
{
    deferred = defer ? 1 : 0;
}

void SetPendingFile(const QString &path)
{
    hasPendingFile = 0;
    const QByteArray bytes = path.toLocal8Bit();
    if (bytes.isEmpty() || size_t(bytes.size()) >= sizeof pendingFile)
        return;
    std::memcpy(pendingFile, bytes.constData(), size_t(bytes.size()) + 1);
    hasPendingFile = 1;
}

void SetTerminalToRestore(int fd, const termios &settings)
{
    terminalFd = -1;
    if (fd < 0)
        return;
    terminalSettings = settings;
    terminalFd = fd;
}

} // namespace CliInterrupt
