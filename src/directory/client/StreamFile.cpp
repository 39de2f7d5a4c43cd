#include "directory/client/StreamFile.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>

int OpenStreamFile(std::string_view content)
{
    const int fd = memfd_create("veltrane-stream", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    for (size_t written = 0; written < content.size();) {
        const ssize_t count = write(fd, content.data() + written, content.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0) {
            close(fd);
            return -1;
        }
        written += size_t(count);
    }
    if (lseek(fd, 0, SEEK_SET) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}
