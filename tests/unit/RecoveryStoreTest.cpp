// Recovery copies: their records, their owners (a running process keeps its copies, also against a
// later process that got the same id), listing and removing.
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "IniFolderFixture.h"
#include "platform/CarefulWrite.h"
#include "platform/RecoveryStore.h"

namespace oruvan {
namespace {

class RecoveryStoreTest : public IniFolderFixture {};

// The id of a process that has ended.
long DeadPid() {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return pid;
}

TEST(RecoveryFolder, FollowsXdgStateHome) {
    struct Case {
        const char* state;
        const char* expected;
    } cases[] = {{"/tmp/st", "/tmp/st/oruvan/recovery"},
                 {"", "/home/u/.local/state/oruvan/recovery"},
                 {"relative/state", "/home/u/.local/state/oruvan/recovery"}};
    for (const Case& c : cases) EXPECT_EQ(DefaultRecoveryFolder(c.state, "/home/u"), c.expected) << c.state;
}

TEST(RecoveryRecordText, RoundTripsAnyPathAndRejectsBrokenRecords) {
    RecoveryRecord r;
    r.encoding = "Shift_JIS";
    r.time = 1700000000;
    r.pid = 4242;
    r.processStart = 987654321;
    for (const char* path : {"", "/home/u/メモ.txt", "/odd/100%\nname\r.txt", "/a=b/c"}) {
        r.path = path;
        RecoveryRecord back;
        ASSERT_TRUE(ParseRecord(FormatRecord(r), back)) << path;
        EXPECT_EQ(back.path, r.path);
        EXPECT_EQ(back.encoding, r.encoding);
        EXPECT_EQ(back.time, r.time);
        EXPECT_EQ(back.pid, r.pid);
        EXPECT_EQ(back.processStart, r.processStart);
    }
    RecoveryRecord out;
    for (const char* broken : {"", "path=/a\n", "path=/a\nencoding=x\ntime=1\npid=zz\nstart=1\n",
                               "path=/a\nencoding=x\ntime=1\npid=0\nstart=1\n"})
        EXPECT_FALSE(ParseRecord(broken, out)) << broken;
}

TEST(RecoveryOwner, RunningProcessIsKnownByIdAndStartTime) {
    const long self = static_cast<long>(::getpid());
    const unsigned long long start = ProcessStartTime(self);
    ASSERT_NE(start, 0u);
    EXPECT_TRUE(ProcessRuns(self, start));
    EXPECT_FALSE(ProcessRuns(self, start + 1));  // the id was given to a later process
    EXPECT_FALSE(ProcessRuns(DeadPid(), start));
    EXPECT_FALSE(ProcessRuns(0, 0));
    EXPECT_EQ(ProcessStartTime(DeadPid()), 0u);
}

TEST_F(RecoveryStoreTest, SavesListsOffersOnlyCopiesOfEndedProcessesAndRemoves) {
    RecoveryStore store((m_dir / "state" / "recovery").string());
    EXPECT_TRUE(store.list().empty());  // no folder yet

    const std::string mine = RecoveryStore::NewId();
    EXPECT_NE(RecoveryStore::NewId(), mine);
    RecoveryRecord own = RecoveryStore::OwnRecord("/docs/a.txt", "Shift_JIS");
    ASSERT_EQ(store.save(mine, "my edits", own), 0);
    EXPECT_EQ(std::filesystem::status(store.folder()).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_all);

    RecoveryRecord dead = own;
    dead.pid = DeadPid();
    dead.time = own.time - 10;
    ASSERT_EQ(store.save("older", "old edits", dead), 0);
    RecoveryRecord reused = own;  // our id, but another start time: a process that ended
    reused.processStart += 1;
    reused.path = "";
    ASSERT_EQ(store.save("reused", "unnamed edits", reused), 0);
    writeFileAt(store.folder() + "/broken.info", "not a record");
    writeFileAt(store.folder() + "/broken.txt", "text");
    writeFileAt(store.folder() + "/nodata.info", FormatRecord(dead));

    EXPECT_EQ(store.list().size(), 3u);
    const std::vector<RecoveryCopy> orphans = store.orphans();
    ASSERT_EQ(orphans.size(), 2u);
    EXPECT_EQ(orphans[0].id, "reused");  // newest first
    EXPECT_EQ(orphans[1].id, "older");
    EXPECT_EQ(orphans[1].record.path, "/docs/a.txt");
    std::ifstream in(orphans[1].dataFile, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "old edits");

    store.remove("older");
    EXPECT_FALSE(std::filesystem::exists(orphans[1].dataFile));
    EXPECT_EQ(store.orphans().size(), 1u);
    store.remove(mine);
    store.remove("reused");
    EXPECT_TRUE(store.list().empty());
}

// A disk that fills up after the copy's bytes, before its record: the bytes never go with another record.
TEST_F(RecoveryStoreTest, CopyWhoseRecordCannotBeWrittenKeepsTheOldPairWhole) {
    CarefulWriteOptions full;
    full.write = [](int fd, const void* data, size_t size) -> ssize_t {
        if (std::string_view(static_cast<const char*>(data), size).substr(0, 5) == "path=") {
            errno = ENOSPC;
            return -1;
        }
        return ::write(fd, data, size);
    };
    const std::string folder = (m_dir / "recovery").string();
    RecoveryStore store(folder);
    RecoveryStore fullDisk(folder, full);
    const auto only = [&store] {
        const std::vector<RecoveryCopy> copies = store.list();
        if (copies.size() != 1) return std::to_string(copies.size()) + " copies";
        std::ifstream in(copies.front().dataFile, std::ios::binary);
        return copies.front().record.path + ": " +
               std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };

    ASSERT_EQ(store.save("a", "old edits", RecoveryStore::OwnRecord("/docs/a.txt", "Shift_JIS")), 0);
    EXPECT_EQ(fullDisk.save("a", "new edits", RecoveryStore::OwnRecord("/docs/b.txt", "UTF-8")), ENOSPC);
    EXPECT_EQ(only(), "/docs/a.txt: old edits");
    store.remove("a");
    EXPECT_EQ(fullDisk.save("a", "new edits", RecoveryStore::OwnRecord("/docs/b.txt", "UTF-8")), ENOSPC);
    EXPECT_EQ(only(), "0 copies");
    // Nothing is left behind but the folder.
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    ASSERT_EQ(store.save("a", "new edits", RecoveryStore::OwnRecord("/docs/b.txt", "UTF-8")), 0);
    EXPECT_EQ(only(), "/docs/b.txt: new edits");
}

}  // namespace
}  // namespace oruvan
