#include "document/DiskWatch.h"

#include <QEvent>
#include <QFileInfo>
#include <QWidget>

#include "widgets/FilePaths.h"

namespace oruvan {

namespace {
FileStamp stampOf(const QString& path) { return StampOf(NativePath(path)); }
}  // namespace

DiskWatch::DiskWatch(QWidget* window) : QObject(window) {
    m_settle.setSingleShot(true);
    m_settle.setInterval(150);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        watchAgain();
        Q_EMIT check();
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, &m_settle, qOverload<>(&QTimer::start));
    // A file replaced by a rename or made again is seen through its folder.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, &m_settle, qOverload<>(&QTimer::start));
    window->installEventFilter(this);
}

void DiskWatch::track(const QString& path) {
    m_path = path;
    m_stamp = path.isEmpty() ? FileStamp{} : stampOf(path);
    m_looked = m_stamp;
    if (!m_watcher.files().isEmpty()) m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty()) m_watcher.removePaths(m_watcher.directories());
    if (path.isEmpty()) return;
    m_watcher.addPath(QFileInfo(path).absolutePath());
    watchAgain();
}

void DiskWatch::watchAgain() {
    // A file replaced by another drops out of the watch; the new one is watched in its place.
    if (!m_path.isEmpty() && !m_watcher.files().contains(m_path) && QFileInfo::exists(m_path))
        m_watcher.addPath(m_path);
}

DiskWatch::State DiskWatch::state() const {
    if (m_path.isEmpty()) return State::Same;
    const FileStamp now = stampOf(m_path);
    if (!now.exists) return m_stamp.exists ? State::Missing : State::Same;
    return now.SameContent(m_stamp) ? State::Same : State::Changed;
}

bool DiskWatch::newChange() {
    const FileStamp now = m_path.isEmpty() ? FileStamp{} : stampOf(m_path);
    if (now.SameContent(m_looked)) return false;
    m_looked = now;
    return true;
}

bool DiskWatch::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::WindowActivate && watched == parent()) {
        watchAgain();
        Q_EMIT check();
    }
    return QObject::eventFilter(watched, e);
}

}  // namespace oruvan
