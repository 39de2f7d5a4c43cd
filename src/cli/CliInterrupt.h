#pragma once

#include <termios.h>

class QString;

// Ctrl-C and termination signals (SIGINT, SIGTERM). Outside a run they end the program
// at once with status 130, whatever it is reading or writing: the output file being
// written is removed first (an existing file keeps its old content) and a terminal
// whose echo was turned off gets its settings back. During a run the first signal is
// only noted, for the run to cancel as the Cancel button does before the command exits
// with 130; a second one ends the program at once.
namespace CliInterrupt {

void Install();
// Whether a signal was noted while deferred.
bool Requested();
// While deferred, a first signal is only noted (see above).
void SetDeferred(bool deferred);
// The temporary file an immediate exit removes; an empty path: none.
void SetPendingFile(const QString &path);
// The terminal settings an immediate exit restores on fd; fd < 0: none.
void SetTerminalToRestore(int fd, const termios &settings);

} // namespace CliInterrupt
