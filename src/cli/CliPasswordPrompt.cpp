#include "cli/CliPasswordPrompt.h"

#include "cli/CliInterrupt.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace CliPasswordPrompt {

std::optional<QByteArray> Ask(const QString &prompt)
{
    const int tty = open("/dev/tty", O_RDWR | O_CLOEXEC | O_NOCTTY);
    if (tty < 0)
        return std::nullopt;
    termios saved{};
    const bool terminal = tcgetattr(tty, &saved) == 0;
    if (terminal) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(tty, TCSAFLUSH, &quiet);
        CliInterrupt::SetTerminalToRestore(tty, saved);
    }
    const QByteArray text = prompt.toUtf8();
    const bool asked = write(tty, text.constData(), size_t(text.size())) == text.size();
    QByteArray line;
    bool ended = false;
    char c = 0;
    while (asked && read(tty, &c, 1) == 1) {
        if (c == '\n') {
            ended = true;
            break;
        }
        line.append(c);
    }
    if (terminal) {
        tcsetattr(tty, TCSAFLUSH, &saved);
        CliInterrupt::SetTerminalToRestore(-1, saved);
    }
    if (asked)
        (void)!write(tty, "\n", 1);
    close(tty);
    if (!ended) {
        line.fill('\0');
        return std::nullopt;
    }
    return line;
}

} // namespace CliPasswordPrompt
