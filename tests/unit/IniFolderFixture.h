#pragma once
// A private folder holding one settings file, for the tests of the INI file and the settings record.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace oruvan {

class IniFolderFixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string tmpl = (std::filesystem::temp_directory_path() / "oruvan-ini-XXXXXX").string();
        ASSERT_NE(mkdtemp(tmpl.data()), nullptr);
        m_dir = tmpl;
        m_path = (m_dir / "oruvan.ini").string();
    }
    void TearDown() override {
        namespace fs = std::filesystem;
        std::error_code ec;
        fs::permissions(m_dir, fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(m_dir, ec);
    }
    void writeFile(const std::string& text) const { writeFileAt(m_path, text); }
    static void writeFileAt(const std::string& path, const std::string& text) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::string readFile() const {
        std::ifstream in(m_path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    std::filesystem::path m_dir;
    std::string m_path;
};

}  // namespace oruvan
