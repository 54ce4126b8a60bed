#pragma once
// Writes the recovery copies of the open document on a worker thread, so that a copy of even a very large
// text never holds up typing: the interface thread only takes a snapshot of the text (one memory copy
// into a buffer reused from the last copy); encoding it and writing it happen on the worker.
#include <QTimer>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "view/TextView.h"
#include "platform/RecoveryStore.h"

namespace oruvan {

class RecoveryWriter {
public:
    // An empty folder keeps no copies.
    explicit RecoveryWriter(const std::string& folder);
    // Finishes what was asked (a removal must not be lost), then ends the worker.
    ~RecoveryWriter();
    RecoveryWriter(const RecoveryWriter&) = delete;
    RecoveryWriter& operator=(const RecoveryWriter&) = delete;

    bool enabled() const { return !m_store.folder().empty(); }
    const RecoveryStore& store() const { return m_store; }

    // Called on every edit with the text's size: `onPause` runs once edits have paused for the interval.
    // Meanwhile the worker readies a buffer for the snapshot: memory fresh from the system costs several
    // times the copy itself (each page faulted in), which at 100 MB would hold up typing.
    void setOnPause(std::function<void()> onPause) { m_onPause = std::move(onPause); }
    void noteEdit(std::size_t textSize);
    void setInterval(int ms) { m_pause.setInterval(ms); }
    // Called on the interface thread after each copy written (0) or not (the errno). A copy that was
    // not written is tried again after the interval, edits or not.
    void setOnResult(std::function<void(int error)> onResult) { m_onResult = std::move(onResult); }
    // The errno of the last copy, 0 when it was written (or none was tried).
    int error() const { return m_error; }
    int interval() const { return m_pause.interval(); }

    // A buffer for the next snapshot: the last one the worker is done with, sized for the text.
    std::shared_ptr<std::string> spareBuffer();
    // Copies the view's text in slices between events, so that no keystroke waits for a whole copy of
    // a large text, then queues it. An edit meanwhile gives the copy up: the next pause starts again.
    void copyInSlices(TextView* view, RecoveryRecord record);
    void setSlice(long bytes) { m_sliceBytes = bytes; }
    bool copying() const { return m_copy.view != nullptr; }
    // Queues a copy of the current document (replacing one still waiting).
    void write(TextView::Snapshot snapshot, RecoveryRecord record);
    // The current document's copy is no longer wanted (saved, or given up): queued for removal.
    void discard();
    // Queues the removal of another copy, after the writes queued before it.
    void removeLater(const std::string& id);
    // Waits until everything queued is done (tests, the benchmark).
    void wait();
    // The id of the current document's copy, empty when none was written.
    const std::string& currentId() const { return m_id; }

private:
    struct Job {
        std::string id;
        bool remove = false;
        std::size_t prepare = 0;  // a buffer of this size for the next snapshot
        TextView::Snapshot snapshot;
        RecoveryRecord record;
    };
    void run();
    void push(Job job);
    void copySlice();

    struct Copy {
        TextView* view = nullptr;
        TextView::Snapshot snapshot;
        long length = 0;
        RecoveryRecord record;
    };
    Copy m_copy;
    QTimer m_slice;
    long m_sliceBytes = 8 << 20;
    QMetaObject::Connection m_editWatch;

    RecoveryStore m_store;
    QTimer m_pause;
    std::function<void()> m_onPause;
    std::function<void(int)> m_onResult;
    int m_error = 0;
    std::string m_id;

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_idle;
    std::deque<Job> m_jobs;
    bool m_busy = false;
    bool m_stop = false;
    std::shared_ptr<std::string> m_spare;
    std::size_t m_prepared = 0;  // the size of buffer asked for last (interface thread only)
    std::thread m_worker;
};

}  // namespace oruvan
