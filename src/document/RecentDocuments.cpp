#include "document/RecentDocuments.h"

#include <QFile>
#include <QFileInfo>
#include <QMetaObject>
#include <QMimeDatabase>
#include <QPointer>

#include "platform/RecentFiles.h"

namespace oruvan {

RecentDocuments::RecentDocuments(QString listFile, QString appName, QObject* parent)
    : QObject(parent), m_listFile(std::move(listFile)), m_appName(std::move(appName)) {
    m_worker.setMaxThreadCount(1);
}

RecentDocuments::~RecentDocuments() { m_worker.waitForDone(); }

void RecentDocuments::wait() { m_worker.waitForDone(); }

void RecentDocuments::add(const QString& path) {
    if (m_listFile.isEmpty() || path.isEmpty()) return;
    const QFileInfo info(path);
    RecentEntry entry;
    entry.path = QFile::encodeName(info.absoluteFilePath()).toStdString();
    entry.mimeType = QMimeDatabase().mimeTypeForFile(info).name().toStdString();
    entry.appName = m_appName.toStdString();
    entry.appExec = "oruvan %u";
    const std::string list = QFile::encodeName(m_listFile).toStdString();
    QPointer<RecentDocuments> self(this);
    m_worker.start([self, list, entry] {
        const std::string error = AddRecentlyUsed(list, entry);
        if (error.empty()) return;
        QMetaObject::invokeMethod(
            self.data(),
            [self, error] {
                if (!self || self->m_failureSaid) return;
                self->m_failureSaid = true;
                Q_EMIT self->failed(tr("最近使ったファイルの一覧を更新できません: ") +
                                    QString::fromStdString(error));
            },
            Qt::QueuedConnection);
    });
}

}  // namespace oruvan
