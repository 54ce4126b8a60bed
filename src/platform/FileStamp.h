#pragma once
// What tells that a file was changed by someone else: its identity (device and inode), size and
// modification time to the nanosecond, as they were when the program last read or wrote it.
#include <sys/types.h>

#include <string>

namespace oruvan {

struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long mtimeSeconds = 0;
    long mtimeNanoseconds = 0;

    bool operator==(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               mtimeSeconds == o.mtimeSeconds && mtimeNanoseconds == o.mtimeNanoseconds;
    }
    bool operator!=(const FileStamp& o) const { return !(*this == o); }
};

// The stamp of the file at path (through a symbolic link); exists is false when there is no regular file.
FileStamp StampOf(const std::string& path);

}  // namespace oruvan
