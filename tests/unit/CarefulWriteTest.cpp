// Careful saves: new bytes replace old ones whole, hard links keep sharing one file, symbolic links are
// written through, permission bits stay, and a failure part way (a full disk) leaves the old file whole.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "IniFolderFixture.h"
#include "platform/CarefulWrite.h"
#include "platform/FileStamp.h"

namespace oruvan {
namespace {

class CarefulWriteTest : public IniFolderFixture {
protected:
    std::string at(const std::string& name) const { return (m_dir / name).string(); }
    static std::string read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }
    static ino_t inode(const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    }
    std::size_t entries() const {
        return static_cast<std::size_t>(
            std::distance(std::filesystem::directory_iterator(m_dir), std::filesystem::directory_iterator()));
    }
};

// A disk that takes `room` more bytes, then answers ENOSPC.
CarefulWriteOptions FullDiskAfter(std::size_t room) {
    CarefulWriteOptions o;
    auto left = std::make_shared<std::size_t>(room);
    o.write = [left](int fd, const void* data, size_t size) -> ssize_t {
        if (*left == 0) {
            errno = ENOSPC;
            return -1;
        }
        const size_t n = std::min(size, *left);
        *left -= n;
        return ::write(fd, data, n);
    };
    return o;
}

TEST_F(CarefulWriteTest, ReplacesTheFileWholeAndLeavesNoTemporaryFile) {
    writeFileAt(at("a.txt"), "old text");
    const ino_t before = inode(at("a.txt"));
    EXPECT_EQ(WriteFileCarefully(at("a.txt"), "new"), 0);
    EXPECT_EQ(read(at("a.txt")), "new");
    EXPECT_NE(inode(at("a.txt")), before);  // a new file renamed over the old one
    EXPECT_EQ(entries(), 1u);

    EXPECT_EQ(WriteFileCarefully(at("fresh.txt"), "made"), 0);
    EXPECT_EQ(read(at("fresh.txt")), "made");
}

TEST_F(CarefulWriteTest, KeepsPermissionBitsAndTellsAReadOnlyFile) {
    EXPECT_FALSE(IsReadOnlyFile(at("p.txt")));  // not made yet
    for (const mode_t mode : {0600, 0640, 0755, 0444}) {
        writeFileAt(at("p.txt"), "x");
        ::chmod(at("p.txt").c_str(), mode);
        EXPECT_EQ(IsReadOnlyFile(at("p.txt")), mode == 0444) << std::oct << mode;
        // Refused when asked, but for root, whom the bits do not stop.
        CarefulWriteOptions refuse;
        refuse.refuseReadOnly = true;
        const bool refused = mode == 0444 && ::geteuid() != 0;
        EXPECT_EQ(WriteFileCarefully(at("p.txt"), "z", refuse), refused ? EACCES : 0) << std::oct << mode;
        EXPECT_EQ(read(at("p.txt")), refused ? "x" : "z") << std::oct << mode;
        EXPECT_EQ(WriteFileCarefully(at("p.txt"), "y"), 0) << std::oct << mode;
        struct stat st {};
        ::stat(at("p.txt").c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, mode);
        ::chmod(at("p.txt").c_str(), 0600);
    }
}

TEST_F(CarefulWriteTest, WritesThroughASymbolicLink) {
    writeFileAt(at("target.txt"), "old");
    ::symlink("target.txt", at("link.txt").c_str());
    EXPECT_EQ(WriteTarget(at("link.txt")), std::filesystem::canonical(at("target.txt")).string());
    EXPECT_EQ(WriteFileCarefully(at("link.txt"), "new"), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(at("link.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(read(at("target.txt")), "new");

    // A link to a file not made yet makes the file where it points.
    ::symlink("later.txt", at("dangling.txt").c_str());
    EXPECT_EQ(WriteFileCarefully(at("dangling.txt"), "made"), 0);
    EXPECT_EQ(read(at("later.txt")), "made");
}

TEST_F(CarefulWriteTest, HardLinkedFileIsRewrittenInPlaceAfterKeepingTheOldText) {
    writeFileAt(at("one.txt"), "old text here");
    ::link(at("one.txt").c_str(), at("two.txt").c_str());
    EXPECT_TRUE(WritesInPlace(at("one.txt")));
    EXPECT_FALSE(WritesInPlace(at("missing.txt")));
    const ino_t before = inode(at("one.txt"));
    std::string kept;
    CarefulWriteOptions o;
    o.keepOld = [&kept](std::string_view old) {
        kept = old;
        return true;
    };
    // Shorter and longer than the old text: both names see exactly the new bytes.
    for (const std::string text : {"new", "a much longer text than it was"}) {
        EXPECT_EQ(WriteFileCarefully(at("one.txt"), text, o), 0);
        EXPECT_EQ(read(at("one.txt")), text);
        EXPECT_EQ(read(at("two.txt")), text);
        EXPECT_EQ(inode(at("one.txt")), before);
    }
    EXPECT_EQ(kept, "new");

    o.keepOld = [](std::string_view) { return false; };  // the old text could not be kept: no save
    EXPECT_EQ(WriteFileCarefully(at("one.txt"), "lost?", o), ECANCELED);
    EXPECT_EQ(read(at("two.txt")), "a much longer text than it was");
    // Not in place when asked so: the name written gets a file of its own, the other keeps the old one.
    CarefulWriteOptions replace;
    replace.inPlaceForLinks = false;
    EXPECT_EQ(WriteFileCarefully(at("one.txt"), "apart", replace), 0);
    EXPECT_EQ(read(at("one.txt")), "apart");
    EXPECT_EQ(read(at("two.txt")), "a much longer text than it was");
    EXPECT_NE(inode(at("one.txt")), before);
}

TEST_F(CarefulWriteTest, FullDiskReportsAndLeavesTheOldFileWhole) {
    const std::string old = "the old text, which must survive";
    const std::string text(100000, 'n');
    struct Case {
        const char* name;
        bool hardLinked;
        std::size_t room;
    };
    for (const Case& c : {Case{"nothing written", false, 0}, Case{"part written", false, 5000},
                          Case{"in place, nothing", true, 0}, Case{"in place, part", true, 5000}}) {
        std::filesystem::remove(at("f.txt"));
        std::filesystem::remove(at("g.txt"));
        writeFileAt(at("f.txt"), old);
        if (c.hardLinked) ::link(at("f.txt").c_str(), at("g.txt").c_str());
        const FileStamp stamp = StampOf(at("f.txt"));
        EXPECT_EQ(WriteFileCarefully(at("f.txt"), text, FullDiskAfter(c.room)), ENOSPC) << c.name;
        EXPECT_EQ(read(at("f.txt")), old) << c.name;
        EXPECT_EQ(StampOf(at("f.txt")).inode, stamp.inode) << c.name;
        EXPECT_EQ(entries(), c.hardLinked ? 2u : 1u) << c.name;  // no temporary file left behind
    }
}

TEST_F(CarefulWriteTest, ReadOnlyFolderStillSavesAWritableFileInPlace) {
    if (::geteuid() == 0) GTEST_SKIP() << "root writes to any folder";
    writeFileAt(at("r.txt"), "old");
    ::chmod(m_dir.c_str(), 0555);
    CarefulWriteOptions never;
    never.inPlaceInLockedFolder = false;
    EXPECT_EQ(WriteFileCarefully(at("r.txt"), "refused", never), EACCES);
    EXPECT_EQ(read(at("r.txt")), "old");
    EXPECT_EQ(WriteFileCarefully(at("r.txt"), "new"), 0);
    EXPECT_NE(WriteFileCarefully(at("new.txt"), "x"), 0);
    ::chmod(m_dir.c_str(), 0755);
    EXPECT_EQ(read(at("r.txt")), "new");
}

TEST_F(CarefulWriteTest, FolderOrNothingToWriteIsAnError) {
    EXPECT_EQ(WriteFileCarefully(m_dir.string(), "x"), EISDIR);
    EXPECT_EQ(WriteFileCarefully(at("no/such/folder.txt"), "x"), ENOENT);
}

}  // namespace
}  // namespace oruvan
