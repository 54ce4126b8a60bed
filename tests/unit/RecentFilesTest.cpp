#include <glib.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "platform/RecentFiles.h"

namespace oruvan {
namespace {

std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// What another program wrote: one entry of its own.
const char* const kOtherProgramsList =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\" "
    "xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
    "  <bookmark href=\"file:///home/u/other.odt\" added=\"2026-01-01T00:00:00Z\" "
    "modified=\"2026-01-01T00:00:00Z\" visited=\"2026-01-01T00:00:00Z\">\n"
    "    <info><metadata owner=\"http://freedesktop.org\">\n"
    "      <mime:mime-type type=\"application/vnd.oasis.opendocument.text\"/>\n"
    "      <bookmark:applications><bookmark:application name=\"Writer\" exec=\"&apos;writer %u&apos;\" "
    "modified=\"2026-01-01T00:00:00Z\" count=\"3\"/></bookmark:applications>\n"
    "    </metadata></info>\n"
    "  </bookmark>\n"
    "</xbel>\n";

class RecentFilesTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/oruvan-recent-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_dir = pattern;
    }
    void TearDown() override {
        [[maybe_unused]] const int status = std::system(("chmod -R u+w '" + m_dir + "'; rm -rf '" + m_dir + "'").c_str());
    }
    std::string m_dir;
};

const RecentEntry kEntry{"/home/u/\xe8\xa6\x8b\xe5\x87\xba\xe3\x81\x97 1.txt", "text/plain", "org.example.Oruvan",
                         "oruvan %u"};

// Added beside another program's entry, which keeps everything it had; added again, counted again.
TEST_F(RecentFilesTest, MergedWithWhatOthersWrote) {
    const std::string list = m_dir + "/share/recently-used.xbel";
    ASSERT_EQ(AddRecentlyUsed(m_dir + "/missing/deeper/recently-used.xbel", kEntry), "");
    ASSERT_EQ(mkdir((m_dir + "/share").c_str(), 0700), 0);
    std::ofstream(list) << kOtherProgramsList;
    ASSERT_EQ(AddRecentlyUsed(list, kEntry), "");
    ASSERT_EQ(AddRecentlyUsed(list, kEntry), "");

    GBookmarkFile* read = g_bookmark_file_new();
    ASSERT_TRUE(g_bookmark_file_load_from_file(read, list.c_str(), nullptr));
    gchar* uri = g_filename_to_uri(kEntry.path.c_str(), nullptr, nullptr);
    EXPECT_TRUE(g_bookmark_file_has_item(read, "file:///home/u/other.odt"));
    gchar* otherType = g_bookmark_file_get_mime_type(read, "file:///home/u/other.odt", nullptr);
    EXPECT_STREQ(otherType, "application/vnd.oasis.opendocument.text");
    EXPECT_TRUE(g_bookmark_file_has_application(read, "file:///home/u/other.odt", "Writer", nullptr));
    gchar* ourType = g_bookmark_file_get_mime_type(read, uri, nullptr);
    EXPECT_STREQ(ourType, "text/plain");
    gchar* exec = nullptr;
    guint count = 0;
    ASSERT_TRUE(g_bookmark_file_get_application_info(read, uri, "org.example.Oruvan", &exec, &count, nullptr, nullptr));
    EXPECT_EQ(count, 2u);
    g_free(exec);
    g_free(ourType);
    g_free(otherType);
    g_free(uri);
    g_bookmark_file_free(read);
}

// A list that cannot be read or parsed is another program's data: left byte for byte, the error said.
TEST_F(RecentFilesTest, UnreadableListsAreLeftAlone) {
    const std::string corrupt = m_dir + "/corrupt.xbel";
    std::ofstream(corrupt) << "<xbel version=\"1.0\"><bookmark href=";
    EXPECT_NE(AddRecentlyUsed(corrupt, kEntry), "");
    EXPECT_EQ(Read(corrupt), "<xbel version=\"1.0\"><bookmark href=");

    EXPECT_NE(AddRecentlyUsed(m_dir, kEntry), "");  // a folder
    if (geteuid() != 0) {
        const std::string locked = m_dir + "/locked";
        ASSERT_EQ(mkdir(locked.c_str(), 0500), 0);
        EXPECT_NE(AddRecentlyUsed(locked + "/recently-used.xbel", kEntry), "");
    }
    EXPECT_EQ(RecentlyUsedFile("/x/data", "/home/u"), "/x/data/recently-used.xbel");
    EXPECT_EQ(RecentlyUsedFile("relative", "/home/u"), "/home/u/.local/share/recently-used.xbel");
    EXPECT_EQ(RecentlyUsedFile("", "/home/u"), "/home/u/.local/share/recently-used.xbel");
}

}  // namespace
}  // namespace oruvan
