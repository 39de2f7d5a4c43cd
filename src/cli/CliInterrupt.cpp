#include "cli/CliInterrupt.h"

#include <csignal>

namespace {

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int)
{
    interrupted = 1;
}

} // namespace

namespace CliInterrupt {

void Install()
{
    std::signal(SIGINT, OnInterrupt);
    std::signal(SIGTERM, OnInterrupt);
    // A closed pipe on standard output is a write error to report, not a silent death;
    std::signal(SIGPIPE, SIG_IGN);
    // Likewise a file grown past the size limit.
    std::signal(SIGXFSZ, SIG_IGN);
}

bool Requested()
{
    return interrupted != 0;
}

} // namespace CliInterrupt
