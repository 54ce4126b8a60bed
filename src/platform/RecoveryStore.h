#pragma once
// Recovery copies: the text of a document with unsaved edits, kept in a folder of its own with a small
// record (the document's path, its encoding, when the copy was made and which process owns it), so that
// the edits survive a crash of the program or of the desktop session.
//
// A copy belongs to its process while that process runs. The process is known by its id and its start
// time, so a later process that happens to get the same id never takes over a dead one's copies.
#include <string>
#include <string_view>
#include <vector>

#include "platform/CarefulWrite.h"

namespace oruvan {

struct RecoveryRecord {
    std::string path;      // the document's file; empty for a document without a name
    std::string encoding;  // the document's encoding, by name
    long long time = 0;    // seconds since the epoch
    long pid = 0;
    unsigned long long processStart = 0;  // clock ticks after boot, 0 when unknown
};

struct RecoveryCopy {
    std::string id;
    std::string dataFile;
    RecoveryRecord record;
};

// $XDG_STATE_HOME/oruvan/recovery, by default ~/.local/state/oruvan/recovery (a relative
// XDG_STATE_HOME is ignored, as the base directory rules say).
std::string DefaultRecoveryFolder(const std::string& xdgStateHome, const std::string& home);

// The start time of a running process (from /proc), 0 when unknown.
unsigned long long ProcessStartTime(long pid);
// Whether the process that made a record still runs: its id is in use by a process that started
// at the recorded time.
bool ProcessRuns(long pid, unsigned long long processStart);

std::string FormatRecord(const RecoveryRecord& record);
// False when the text is no record (a copy without a valid record is never offered).
bool ParseRecord(std::string_view text, RecoveryRecord& record);

class RecoveryStore {
public:
    // options: how the files are written (tests: a full disk).
    explicit RecoveryStore(std::string folder, CarefulWriteOptions options = {});
    const std::string& folder() const { return m_folder; }

    // A record owned by this process, made now.
    static RecoveryRecord OwnRecord(std::string path, std::string encoding);
    // An id no other copy of this or any other process has.
    static std::string NewId();

    std::string dataFile(const std::string& id) const;
    // Replaces the copy's bytes and record together; 0 or the errno. A failure leaves the old copy as
    // it was, or (when the failure comes as they are put in place) none.
    int save(const std::string& id, std::string_view bytes, const RecoveryRecord& record) const;
    void remove(const std::string& id) const;
    // Every copy with a valid record.
    std::vector<RecoveryCopy> list() const;
    // Copies whose owner no longer runs, newest first.
    std::vector<RecoveryCopy> orphans() const;

private:
    std::string recordFile(const std::string& id) const;
    std::string m_folder;
    CarefulWriteOptions m_options;
};

}  // namespace oruvan
