#include "platform/RegularFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace oruvan {

int OpenRegularFile(const std::string& path, off_t* size) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return -1;
    struct stat st {};
    int error = 0;
    if (::fstat(fd, &st) != 0)
        error = errno;
    else if (!S_ISREG(st.st_mode))
        error = S_ISDIR(st.st_mode) ? EISDIR : EINVAL;
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    if (size) *size = st.st_size;
    return fd;
}

bool ReadRegularFile(const std::string& path, std::string& out) {
    off_t size = 0;
    const int fd = OpenRegularFile(path, &size);
    if (fd < 0) return false;
    out.reserve(out.size() + static_cast<std::size_t>(size));
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            const int e = errno;
            ::close(fd);
            errno = e;
            return false;
        }
        if (got == 0) break;
        out.append(buffer, static_cast<std::size_t>(got));
    }
    ::close(fd);
    return true;
}

}  // namespace oruvan
