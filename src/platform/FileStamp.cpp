#include "platform/FileStamp.h"

#include <sys/stat.h>

namespace oruvan {

FileStamp StampOf(const std::string& path) {
    FileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return s;
    s.exists = true;
    s.device = st.st_dev;
    s.inode = st.st_ino;
    s.size = st.st_size;
    s.mtimeSeconds = st.st_mtim.tv_sec;
    s.mtimeNanoseconds = st.st_mtim.tv_nsec;
    s.ctimeSeconds = st.st_ctim.tv_sec;
    s.ctimeNanoseconds = st.st_ctim.tv_nsec;
    return s;
}

}  // namespace oruvan
