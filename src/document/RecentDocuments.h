#pragma once
// Puts each document opened or saved on the desktop's list of recently used files, on a worker thread:
// a large or slow list never holds up the window. A failure is said once, as a notice.
#include <QObject>
#include <QString>
#include <QThreadPool>

namespace oruvan {

class RecentDocuments : public QObject {
    Q_OBJECT
public:
    // `listFile`: the list to keep (empty: none, as in tests); `appName` the desktop id.
    RecentDocuments(QString listFile, QString appName, QObject* parent = nullptr);
    ~RecentDocuments() override;

    void add(const QString& path);
    // Waits for the adds under way (tests, closing).
    void wait();

Q_SIGNALS:
    // The first failure of this window's adds, for the status bar.
    void failed(const QString& message);

private:
    QString m_listFile;
    QString m_appName;
    QThreadPool m_worker;  // one thread: this window's adds in order
    bool m_failureSaid = false;
};

}  // namespace oruvan
