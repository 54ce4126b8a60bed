#pragma once
// What tells that a file was changed by someone else: its identity (device and inode), size, and its
// modification and status-change times to the nanosecond, as they were when the program last read or
// wrote it.
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
    long long ctimeSeconds = 0;
    long ctimeNanoseconds = 0;

    // The same file with the same bytes, as far as the stamp can tell: a change of owner or permissions
    // alone does not count (a document open in the editor is not reloaded for it).
    bool SameContent(const FileStamp& o) const {
        return exists == o.exists && device == o.device && inode == o.inode && size == o.size &&
               mtimeSeconds == o.mtimeSeconds && mtimeNanoseconds == o.mtimeNanoseconds;
    }
    // Nothing about the file changed, its status included: also catches a rewrite that put the old
    // modification time back.
    bool Unchanged(const FileStamp& o) const {
        return SameContent(o) && ctimeSeconds == o.ctimeSeconds && ctimeNanoseconds == o.ctimeNanoseconds;
    }
};

// The stamp of the file at path (through a symbolic link); exists is false when there is no regular file.
FileStamp StampOf(const std::string& path);

}  // namespace oruvan
