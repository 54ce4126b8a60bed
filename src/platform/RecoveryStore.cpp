#include "platform/RecoveryStore.h"

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <utility>

#include "platform/CarefulWrite.h"

namespace oruvan {

namespace {

const char kDataSuffix[] = ".txt";
const char kRecordSuffix[] = ".info";

// Paths may hold any byte but NUL; a record is one field a line.
std::string escape(std::string_view s) {
    std::string out;
    for (const char c : s) {
        if (c == '%' || c == '\n' || c == '\r') {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += c;
        }
    }
    return out;
}

std::string unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size()) {
            out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

bool endsWith(const std::string& s, std::string_view suffix) {
    return s.size() > suffix.size() && s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// Makes the folder and those above it that are missing; the last one readable by the user alone.
int makeFolder(const std::string& folder) {
    for (std::size_t at = 1; at != std::string::npos;) {
        at = folder.find('/', at + 1);
        const std::string part = folder.substr(0, at);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) return errno;
    }
    return 0;
}

}  // namespace

std::string DefaultRecoveryFolder(const std::string& xdgStateHome, const std::string& home) {
    const std::string base =
        !xdgStateHome.empty() && xdgStateHome.front() == '/' ? xdgStateHome : home + "/.local/state";
    return base + "/oruvan/recovery";
}

unsigned long long ProcessStartTime(long pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(in, line)) return 0;
    // The command name in parentheses may hold blanks and parentheses: fields count after the last ')'.
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) return 0;
    std::istringstream fields(line.substr(close + 1));
    std::string field;
    // After the name come the state (field 3) and so on; the start time is field 22.
    for (int n = 3; n <= 22 && (fields >> field); ++n)
        if (n == 22) return std::strtoull(field.c_str(), nullptr, 10);
    return 0;
}

bool ProcessRuns(long pid, unsigned long long processStart) {
    if (pid <= 0) return false;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) return false;
    const unsigned long long now = ProcessStartTime(pid);
    // Where /proc tells nothing, a live id is taken to be the owner: a copy is never taken from it.
    return now == 0 || processStart == 0 || now == processStart;
}

std::string FormatRecord(const RecoveryRecord& r) {
    std::ostringstream out;
    out << "path=" << escape(r.path) << "\nencoding=" << escape(r.encoding) << "\ntime=" << r.time
        << "\npid=" << r.pid << "\nstart=" << r.processStart << "\n";
    return out.str();
}

bool ParseRecord(std::string_view text, RecoveryRecord& record) {
    RecoveryRecord r;
    int seen = 0;
    std::istringstream in{std::string(text)};
    std::string line;
    try {
        while (std::getline(in, line)) {
            const std::size_t eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq);
            const std::string value = line.substr(eq + 1);
            if (key == "path")
                r.path = unescape(value), seen |= 1;
            else if (key == "encoding")
                r.encoding = unescape(value), seen |= 2;
            else if (key == "time")
                r.time = std::stoll(value), seen |= 4;
            else if (key == "pid")
                r.pid = std::stol(value), seen |= 8;
            else if (key == "start")
                r.processStart = std::stoull(value), seen |= 16;
        }
    } catch (const std::exception&) {
        return false;
    }
    if (seen != 31 || r.pid <= 0) return false;
    record = std::move(r);
    return true;
}

RecoveryStore::RecoveryStore(std::string folder, CarefulWriteOptions options)
    : m_folder(std::move(folder)), m_options(std::move(options)) {}

RecoveryRecord RecoveryStore::OwnRecord(std::string path, std::string encoding) {
    RecoveryRecord r;
    r.path = std::move(path);
    r.encoding = std::move(encoding);
    r.time =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
            .count();
    r.pid = static_cast<long>(::getpid());
    r.processStart = ProcessStartTime(r.pid);
    return r;
}

std::string RecoveryStore::NewId() {
    static std::atomic<int> serial{0};
    const long pid = static_cast<long>(::getpid());
    return std::to_string(pid) + "-" + std::to_string(ProcessStartTime(pid)) + "-" + std::to_string(++serial);
}

std::string RecoveryStore::dataFile(const std::string& id) const { return m_folder + "/" + id + kDataSuffix; }
std::string RecoveryStore::recordFile(const std::string& id) const {
    return m_folder + "/" + id + kRecordSuffix;
}

int RecoveryStore::save(const std::string& id, std::string_view bytes, const RecoveryRecord& record) const {
    if (const int e = makeFolder(m_folder)) return e;
    // Both are written aside first, and the old record goes before either takes its place: a reader
    // never pairs new bytes with an old record, and a failed write leaves the old pair whole. Names
    // starting with a dot are never listed.
    const std::string data = dataFile(id);
    const std::string info = recordFile(id);
    const std::string newData = m_folder + "/." + id + kDataSuffix;
    const std::string newInfo = m_folder + "/." + id + kRecordSuffix;
    const auto failed = [&](int error) {
        ::unlink(newData.c_str());
        ::unlink(newInfo.c_str());
        return error;
    };
    if (const int e = WriteFileCarefully(newData, bytes, m_options)) return failed(e);
    if (const int e = WriteFileCarefully(newInfo, FormatRecord(record), m_options)) return failed(e);
    if (::unlink(info.c_str()) != 0 && errno != ENOENT) return failed(errno);
    if (::rename(newData.c_str(), data.c_str()) != 0) return failed(errno);
    if (::rename(newInfo.c_str(), info.c_str()) != 0) return failed(errno);
    return 0;
}

void RecoveryStore::remove(const std::string& id) const {
    // The record first: a copy without one is never offered.
    ::unlink(recordFile(id).c_str());
    ::unlink(dataFile(id).c_str());
}

std::vector<RecoveryCopy> RecoveryStore::list() const {
    std::vector<RecoveryCopy> copies;
    DIR* dir = ::opendir(m_folder.c_str());
    if (!dir) return copies;
    while (const dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.front() == '.' || !endsWith(name, kRecordSuffix)) continue;
        RecoveryCopy c;
        c.id = name.substr(0, name.size() - (sizeof kRecordSuffix - 1));
        c.dataFile = dataFile(c.id);
        std::ifstream in(recordFile(c.id), std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        struct stat st {};
        if (ParseRecord(text.str(), c.record) && ::stat(c.dataFile.c_str(), &st) == 0 && S_ISREG(st.st_mode))
            copies.push_back(std::move(c));
    }
    ::closedir(dir);
    return copies;
}

std::vector<RecoveryCopy> RecoveryStore::orphans() const {
    std::vector<RecoveryCopy> copies = list();
    copies.erase(std::remove_if(
                     copies.begin(), copies.end(),
                     [](const RecoveryCopy& c) { return ProcessRuns(c.record.pid, c.record.processStart); }),
                 copies.end());
    std::sort(copies.begin(), copies.end(), [](const RecoveryCopy& a, const RecoveryCopy& b) {
        return a.record.time != b.record.time ? a.record.time > b.record.time : a.id > b.id;
    });
    return copies;
}

}  // namespace oruvan
