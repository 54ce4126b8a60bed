#include "platform/CarefulWrite.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <utility>

#include "platform/RegularFile.h"

namespace oruvan {

namespace {

// Read once: umask() can only be read by setting it, which must not race a later file creation.
mode_t processUmask() {
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    return mask;
}

std::string folderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

void syncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);  // some file systems cannot flush a folder; the rename is then as safe as they allow
    ::close(fd);
}

}  // namespace

std::string WriteTarget(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    if (char* real = ::realpath(path.c_str(), nullptr)) {
        std::string target(real);
        std::free(real);
        return target;
    }
    // A link to a file not made yet: the file is made where the link points.
    char link[PATH_MAX];
    const ssize_t n = ::readlink(path.c_str(), link, sizeof link - 1);
    if (n <= 0) return path;
    std::string target(link, static_cast<std::size_t>(n));
    return target.front() == '/' ? target : folderOf(path) + "/" + target;
}

bool WritesInPlace(const std::string& path) {
    struct stat st {};
    return ::stat(WriteTarget(path).c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_nlink > 1;
}

bool IsReadOnlyFile(const std::string& path) {
    const std::string target = WriteTarget(path);
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (::geteuid() == 0) return (st.st_mode & 0222) == 0;
    return ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

CarefulFile::CarefulFile(std::string path, CarefulWriteOptions options)
    : m_path(std::move(path)), m_options(std::move(options)) {
    if (!m_options.write)
        m_options.write = [](int fd, const void* data, size_t size) { return ::write(fd, data, size); };
}

CarefulFile::~CarefulFile() { discard(); }

bool CarefulFile::fail(int error) {
    if (m_error == 0) m_error = error ? error : EIO;
    discard();
    return false;
}

void CarefulFile::discard() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
    if (!m_temp.empty()) ::unlink(m_temp.c_str());
    m_temp.clear();
    m_pending.clear();
}

bool CarefulFile::open() {
    m_target = WriteTarget(m_path);
    struct stat st {};
    if (::stat(m_target.c_str(), &st) == 0) {
        if (!S_ISREG(st.st_mode)) return fail(S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
        m_exists = true;
        m_mode = st.st_mode & 07777;
        m_uid = st.st_uid;
        m_gid = st.st_gid;
        m_inPlace = st.st_nlink > 1 && m_options.inPlaceForLinks;
        // Replacing the file would get round its read-only mark.
        if (m_options.refuseReadOnly && ::access(m_target.c_str(), W_OK) != 0) return fail(errno);
    } else if (errno != ENOENT) {
        return fail(errno);
    }
    if (!m_inPlace) {
        const std::size_t slash = m_target.rfind('/');
        const std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
        std::string temp = folderOf(m_target) + "/." + base + ".XXXXXX";
        m_fd = ::mkostemp(temp.data(), O_CLOEXEC);
        if (m_fd >= 0) {
            m_temp = temp;
            ::fchmod(m_fd, m_exists ? m_mode : (0666 & ~processUmask()));
            // Kept where the user may (root saving another user's file); a failure leaves ours.
            if (m_exists && (m_uid != ::geteuid() || m_gid != ::getegid()))
                if (::fchown(m_fd, m_uid, m_gid) != 0) ::fchown(m_fd, static_cast<uid_t>(-1), m_gid);
            return true;
        }
        // A folder we may not write to still holds a file we may: rewrite that one in place.
        if (!m_exists || !m_options.inPlaceInLockedFolder ||
            (errno != EACCES && errno != EPERM && errno != EROFS))
            return fail(errno);
        m_inPlace = true;
    }
    m_fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    if (m_fd < 0) return fail(errno);
    return true;
}

bool CarefulFile::writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = m_options.write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return fail(n < 0 ? errno : ENOSPC);
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool CarefulFile::write(std::string_view bytes) {
    if (m_fd < 0) return fail(m_error ? m_error : EBADF);
    if (m_inPlace) {
        m_pending.append(bytes.data(), bytes.size());
        return true;
    }
    return writeAll(m_fd, bytes);
}

bool CarefulFile::commit() {
    if (m_fd < 0) return fail(m_error ? m_error : EBADF);
    if (m_inPlace) return commitInPlace();
    if (::fsync(m_fd) != 0) return fail(errno);
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) return fail(errno);
    if (::rename(m_temp.c_str(), m_target.c_str()) != 0) return fail(errno);
    m_temp.clear();
    syncFolder(folderOf(m_target));
    return true;
}

bool CarefulFile::commitInPlace() {
    std::string old;
    if (!ReadRegularFile(m_target, old)) return fail(errno);
    if (m_options.keepOld && !m_options.keepOld(old)) return fail(ECANCELED);
    // Reserve the room first: a full disk then fails before the first byte changes.
    if (m_pending.size() > old.size()) {
        const int e = ::posix_fallocate(m_fd, static_cast<off_t>(old.size()),
                                        static_cast<off_t>(m_pending.size() - old.size()));
        if (e != 0) {
            // A reservation that failed part way may have grown the file.
            [[maybe_unused]] const int shrunk = ::ftruncate(m_fd, static_cast<off_t>(old.size()));
            return fail(e);
        }
    }
    const std::string pending = std::move(m_pending);
    bool ok = ::lseek(m_fd, 0, SEEK_SET) == 0 && writeAll(m_fd, pending);
    if (ok && m_fd >= 0)
        ok = ::ftruncate(m_fd, static_cast<off_t>(pending.size())) == 0 && ::fsync(m_fd) == 0;
    if (ok) {
        const int fd = std::exchange(m_fd, -1);
        if (::close(fd) == 0) return true;
        ok = false;
    }
    const int error = m_error ? m_error : errno;
    // Put the old bytes back: they fit where they were.
    const int fd = ::open(m_target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd >= 0) {
        std::string_view rest = old;
        off_t at = 0;
        while (!rest.empty()) {
            const ssize_t n = ::pwrite(fd, rest.data(), rest.size(), at);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            rest.remove_prefix(static_cast<std::size_t>(n));
            at += n;
        }
        if (::ftruncate(fd, static_cast<off_t>(old.size())) == 0) ::fsync(fd);
        ::close(fd);
    }
    m_error = 0;
    return fail(error);
}

int WriteFileCarefully(const std::string& path, std::string_view bytes, CarefulWriteOptions options) {
    CarefulFile file(path, std::move(options));
    if (file.open() && file.write(bytes) && file.commit()) return 0;
    return file.error();
}

}  // namespace oruvan
