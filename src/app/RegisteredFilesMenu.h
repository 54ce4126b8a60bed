#pragma once
// The registered files in the File menu, refilled each time it opens: one item per file (its path as the
// item's data), a file that is not there disabled, the open document's own marked.
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

class QAction;
class QMenu;

namespace oruvan {

class RegisteredFilesMenu : public QObject {
    Q_OBJECT
public:
    // The items go after `after`, an item of menu; open opens a chosen file by its path as registered.
    RegisteredFilesMenu(QMenu* menu, QAction* after, std::function<void(const QString& path)> open);

    // resolve: a registered path as the file system knows it; current: the open document's, resolved.
    void refill(const QStringList& files, const QString& current,
                const std::function<QString(const QString&)>& resolve);

private:
    QMenu* m_menu;
    QAction* const m_after;
    std::function<void(const QString&)> m_open;
    std::vector<QAction*> m_items;
};

}  // namespace oruvan
