// A file's stamp tells every change of its bytes or of the file itself; a change of its status alone
// (permissions, owner) counts only where asked.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "IniFolderFixture.h"
#include "platform/FileStamp.h"

namespace oruvan {
namespace {

class FileStampTest : public IniFolderFixture {
protected:
    std::string at(const std::string& name) const { return (m_dir / name).string(); }
};

TEST_F(FileStampTest, TellsEveryKindOfChange) {
    writeFileAt(at("s.txt"), "abc");
    const FileStamp first = StampOf(at("s.txt"));
    EXPECT_TRUE(first.exists);
    EXPECT_TRUE(StampOf(at("s.txt")).Unchanged(first));
    // Same size, new time to the nanosecond.
    timespec times[2] = {
        {0, UTIME_OMIT},
        {first.mtimeSeconds, first.mtimeNanoseconds + 1 < 1000000000 ? first.mtimeNanoseconds + 1 : 0}};
    ::utimensat(AT_FDCWD, at("s.txt").c_str(), times, 0);
    EXPECT_FALSE(StampOf(at("s.txt")).SameContent(first));
    // Replaced by another file with the same size and time.
    const FileStamp second = StampOf(at("s.txt"));
    writeFileAt(at("t.txt"), "xyz");
    timespec same[2] = {{0, UTIME_OMIT}, {second.mtimeSeconds, second.mtimeNanoseconds}};
    ::utimensat(AT_FDCWD, at("t.txt").c_str(), same, 0);
    ::rename(at("t.txt").c_str(), at("s.txt").c_str());
    EXPECT_FALSE(StampOf(at("s.txt")).SameContent(second));
    EXPECT_FALSE(StampOf(at("gone.txt")).exists);
    EXPECT_FALSE(StampOf(m_dir.string()).exists);
}

TEST_F(FileStampTest, StatusChangeIsNoContentChange) {
    writeFileAt(at("s.txt"), "abc");
    const FileStamp before = StampOf(at("s.txt"));
    // The status-change time moves with the clock's tick; wait until a chmod can show.
    FileStamp after;
    for (int tries = 0; tries < 1000; ++tries) {
        ::chmod(at("s.txt").c_str(), tries % 2 ? 0644 : 0600);
        after = StampOf(at("s.txt"));
        if (!after.Unchanged(before)) break;
        ::usleep(1000);
    }
    EXPECT_TRUE(after.SameContent(before));
    EXPECT_FALSE(after.Unchanged(before));
}

}  // namespace
}  // namespace oruvan
