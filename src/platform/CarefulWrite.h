#pragma once
// Writing a whole file so that a crash, a power cut or a full disk leaves either the old or the new
// bytes, never a mixture or nothing.
//
// Normally the bytes go to a temporary file in the same folder, which is flushed to disk and renamed over
// the file, and then the folder itself is flushed. A file with more than one hard link, or one in a folder
// where no temporary file can be made, is rewritten in place instead, so that every link sees the new
// bytes: the space is reserved before the first byte changes and the old bytes are put back when the
// write fails part way (the options can refuse both). A symbolic link is written through to its target,
// one whose target does not exist yet included; permission bits are kept.
#include <sys/types.h>

#include <functional>
#include <string>
#include <string_view>

namespace oruvan {

struct CarefulWriteOptions {
    // Stands in for ::write (tests: a full disk). Same contract: bytes written, or -1 with errno set.
    std::function<ssize_t(int fd, const void* data, size_t size)> write;
    // Called with the old bytes before an in-place rewrite changes the file; false stops the save.
    std::function<bool(std::string_view oldBytes)> keepOld;
    // Fail with EACCES, before anything is written, when the user may not write the existing file.
    bool refuseReadOnly = false;
    // A file with more than one hard link is rewritten in place; when false it is replaced like any
    // other, and its other links keep the old bytes.
    bool inPlaceForLinks = true;
    // A writable file in a folder where no temporary file can be made is rewritten in place; when false
    // the write fails.
    bool inPlaceInLockedFolder = true;
};

// The file a write to path changes: the target of a symbolic link, else path itself.
std::string WriteTarget(const std::string& path);

// Whether a write to path rewrites the existing file in place (it has more than one hard link).
bool WritesInPlace(const std::string& path);

// Whether the file a write to path changes exists and its permissions keep the user from writing it.
// A save would still replace it (through its folder), so the user is asked first. For root, whom the
// permissions do not stop, a file nobody may write counts.
bool IsReadOnlyFile(const std::string& path);

class CarefulFile {
public:
    explicit CarefulFile(std::string path, CarefulWriteOptions options = {});
    ~CarefulFile();
    CarefulFile(const CarefulFile&) = delete;
    CarefulFile& operator=(const CarefulFile&) = delete;

    // Prepares the write; false (with error()) when nothing can be written.
    bool open();
    bool write(std::string_view bytes);
    // Makes the new bytes the file's; false leaves the old file as it was.
    bool commit();
    // The errno of the first failure, 0 when none.
    int error() const { return m_error; }

private:
    bool fail(int error);
    bool writeAll(int fd, std::string_view bytes);
    bool commitInPlace();
    void discard();

    std::string m_path;
    std::string m_target;
    std::string m_temp;
    CarefulWriteOptions m_options;
    int m_fd = -1;
    bool m_inPlace = false;
    bool m_exists = false;
    mode_t m_mode = 0;
    uid_t m_uid = 0;
    gid_t m_gid = 0;
    // The new bytes of an in-place rewrite, held until commit (its size reserves the space first).
    std::string m_pending;
    int m_error = 0;
};

// Writes bytes to path as CarefulFile does; returns 0 or the errno of the failure.
int WriteFileCarefully(const std::string& path, std::string_view bytes, CarefulWriteOptions options = {});

}  // namespace oruvan
