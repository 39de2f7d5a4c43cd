#include "directory/ldap/LdapPassword.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace LdapPassword {

namespace {

// Larger files are no password files.
constexpr ssize_t MaxPasswordBytes = 4096;

} // namespace

bool ReadFile(const QString &path, QByteArray *password, QString *error)
{
    const QByteArray name = path.toLocal8Bit();
    const int fd = open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
        *error =
            QStringLiteral("cannot open the password file %1: %2").arg(path, QString::fromLocal8Bit(strerror(errno)));
        return false;
    }
    struct stat status {
    };
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        *error = QStringLiteral("the password file %1 is not a regular file").arg(path);
        return false;
    }
    if (status.st_uid != geteuid()) {
        close(fd);
        *error = QStringLiteral("the password file %1 is not owned by the user running this program").arg(path);
        return false;
    }
    if ((status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
        close(fd);
        *error = QStringLiteral("the password file %1 can be read or written by others than its owner (mode %2); "
                                "allow its owner only (chmod 600)")
                     .arg(path)
                     .arg(status.st_mode & 0777, 3, 8, QLatin1Char('0'));
        return false;
    }
    QByteArray content(MaxPasswordBytes + 1, '\0');
    ssize_t length = 0;
    while (length <= MaxPasswordBytes) {
        const ssize_t count = read(fd, content.data() + length, size_t(MaxPasswordBytes + 1 - length));
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0) {
            *error = QStringLiteral("cannot read the password file %1: %2")
                         .arg(path, QString::fromLocal8Bit(strerror(errno)));
            close(fd);
            return false;
        }
        if (count == 0)
            break;
        length += count;
    }
    close(fd);
    if (length > MaxPasswordBytes) {
        *error = QStringLiteral("the password file %1 is too large to hold a password").arg(path);
        return false;
    }
    content.truncate(length);
    if (content.endsWith('\n'))
        content.chop(1);
    if (content.endsWith('\r'))
        content.chop(1);
    if (content.isEmpty()) {
        *error = QStringLiteral("the password file %1 is empty").arg(path);
        return false;
    }
    *password = content;
    return true;
}

} // namespace LdapPassword
