#pragma once
// Watches the open document's file for changes made by other programs: the file system's notices, and a
// look when the window is activated (notices miss some changes, such as those over a network).
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

#include "platform/FileStamp.h"

class QWidget;

namespace oruvan {

class DiskWatch : public QObject {
    Q_OBJECT
public:
    enum class State { Same, Changed, Missing };

    explicit DiskWatch(QWidget* window);

    // Notes the file as it is now (after it was read or written); an empty path watches nothing.
    void track(const QString& path);
    const QString& path() const { return m_path; }
    // How the file compares with what was noted. A file that was not there when noted is Missing only
    // once it was seen; one that appears since is Changed.
    State state() const;
    // Whether the file as it is now was not yet looked at here (a change is said once); notes it.
    bool newChange();

Q_SIGNALS:
    // The file may have changed: look at state().
    void check();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void watchAgain();

    QFileSystemWatcher m_watcher;
    // Notices come in bursts while another program writes: look once it has settled.
    QTimer m_settle;
    QString m_path;
    FileStamp m_stamp;
    FileStamp m_looked;
};

}  // namespace oruvan
