#include "document/RecoveryWriter.h"

#include <algorithm>
#include <cerrno>
#include <new>

#include "platform/DocumentBytes.h"

namespace oruvan {

RecoveryWriter::RecoveryWriter(const std::string& folder) : m_store(folder) {
    m_pause.setSingleShot(true);
    m_pause.setInterval(2000);
    QObject::connect(&m_pause, &QTimer::timeout, [this] {
        if (m_onPause) m_onPause();
    });
    m_slice.setSingleShot(true);
    m_slice.setInterval(0);
    QObject::connect(&m_slice, &QTimer::timeout, [this] { copySlice(); });
    if (enabled()) m_worker = std::thread([this] { run(); });
}

void RecoveryWriter::copyInSlices(TextView* view, RecoveryRecord record) {
    if (!enabled()) return;
    QObject::disconnect(m_editWatch);
    m_copy = Copy{view, TextView::Snapshot{}, static_cast<long>(view->Utf8Length()), std::move(record)};
    m_copy.snapshot.utf8 = spareBuffer();
    if (!m_copy.snapshot.utf8) m_copy.snapshot.utf8 = std::make_shared<std::string>();
    m_copy.snapshot.utf8->clear();
    // Told before each edit (the view's own change notice comes later), so no slice is taken from
    // edited text.
    m_editWatch = QObject::connect(view, &TextView::aboutToChange, [this](long, long, bool) {
        QObject::disconnect(m_editWatch);
        m_copy = Copy{};
        m_slice.stop();
    });
    copySlice();
}

void RecoveryWriter::copySlice() {
    if (!m_copy.view) return;
    std::string& out = *m_copy.snapshot.utf8;
    const long done = static_cast<long>(out.size());
    m_copy.view->AppendUtf8(done, std::min(m_copy.length, done + m_sliceBytes), out);
    if (static_cast<long>(out.size()) < m_copy.length) {
        m_slice.start();
        return;
    }
    QObject::disconnect(m_editWatch);
    m_copy.snapshot.originals = m_copy.view->OriginalsCopy();
    m_copy.snapshot.encoding = m_copy.view->DocumentEncoding();
    Copy copy = std::move(m_copy);
    m_copy = Copy{};
    write(std::move(copy.snapshot), std::move(copy.record));
}

RecoveryWriter::~RecoveryWriter() {
    QObject::disconnect(m_editWatch);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    if (m_worker.joinable()) m_worker.join();
}

void RecoveryWriter::noteEdit(std::size_t textSize) {
    if (!enabled()) return;
    m_pause.start();
    if (textSize <= m_prepared) return;
    // Room to grow, so that a few edits more do not need a new buffer.
    m_prepared = textSize + textSize / 8 + 4096;
    push(Job{{}, false, m_prepared, {}, {}});
}

std::shared_ptr<std::string> RecoveryWriter::spareBuffer() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return std::move(m_spare);
}

void RecoveryWriter::push(Job job) {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        // A newer copy of the same document replaces one still waiting.
        if (!job.remove && job.prepare == 0)
            m_jobs.erase(std::remove_if(
                             m_jobs.begin(), m_jobs.end(),
                             [&job](const Job& j) { return !j.remove && j.prepare == 0 && j.id == job.id; }),
                         m_jobs.end());
        m_jobs.push_back(std::move(job));
    }
    m_wake.notify_one();
}

void RecoveryWriter::write(TextView::Snapshot snapshot, RecoveryRecord record) {
    if (!enabled()) return;
    if (m_id.empty()) m_id = RecoveryStore::NewId();
    push(Job{m_id, false, 0, std::move(snapshot), std::move(record)});
}

void RecoveryWriter::discard() {
    m_pause.stop();
    QObject::disconnect(m_editWatch);
    m_copy = Copy{};
    m_slice.stop();
    if (m_id.empty()) return;
    removeLater(m_id);
    m_id.clear();
}

void RecoveryWriter::removeLater(const std::string& id) {
    if (enabled()) push(Job{id, true, 0, {}, {}});
}

void RecoveryWriter::wait() {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, [this] { return m_jobs.empty() && !m_busy; });
}

void RecoveryWriter::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_busy = false;
            m_idle.notify_all();
            m_wake.wait(lock, [this] { return m_stop || !m_jobs.empty(); });
            if (m_jobs.empty()) return;
            job = std::move(m_jobs.front());
            m_jobs.pop_front();
            m_busy = true;
        }
        if (job.remove) {
            m_store.remove(job.id);
            continue;
        }
        if (job.prepare) {
            auto buffer = spareBuffer();
            try {
                if (!buffer || buffer->capacity() < job.prepare) {
                    buffer = std::make_shared<std::string>();
                    buffer->resize(job.prepare);  // touches every page
                    buffer->clear();
                }
            } catch (const std::bad_alloc&) {
                buffer.reset();  // the snapshot then makes its own
            }
            std::lock_guard<std::mutex> lock(m_mutex);
            m_spare = std::move(buffer);
            continue;
        }
        int error = 0;
        try {
            std::string bytes;
            const std::string_view text = *job.snapshot.utf8;
            bytes.reserve(text.size() + text.size() / 2 + 8);
            EncodeDocument(job.snapshot.encoding, text, job.snapshot.originals.spans, bytes);
            // A character the encoding has no code for would be lost as '?': such a copy is kept in UTF-8.
            if (bytes.find('?') != std::string::npos &&
                FindUnwritable(job.snapshot.encoding, *job.snapshot.utf8)) {
                job.snapshot.encoding = Encoding::Utf8;
                job.snapshot.originals = {};
                job.record.encoding = EncodingName(Encoding::Utf8);
                bytes.clear();
                EncodeDocument(Encoding::Utf8, text, {}, bytes);
            }
            error = m_store.save(job.id, bytes, job.record);
        } catch (const std::bad_alloc&) {
            error = ENOMEM;
        } catch (const std::exception&) {
            error = EIO;
        }
        // Told on the interface thread; a copy that was not written (a full disk) is tried again.
        QMetaObject::invokeMethod(
            &m_pause,
            [this, error] {
                m_error = error;
                if (error) m_pause.start();
                if (m_onResult) m_onResult(error);
            },
            Qt::QueuedConnection);
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_spare || m_spare->capacity() < job.snapshot.utf8->capacity())
            m_spare = std::move(job.snapshot.utf8);
    }
}

}  // namespace oruvan
