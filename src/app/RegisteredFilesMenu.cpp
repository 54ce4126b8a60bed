#include "app/RegisteredFilesMenu.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>

#include "widgets/FilePaths.h"
#include "widgets/Pictures.h"

namespace oruvan {

RegisteredFilesMenu::RegisteredFilesMenu(QMenu* menu, QAction* after, std::function<void(const QString&)> open)
    : QObject(menu), m_menu(menu), m_after(after), m_open(std::move(open)) {}

void RegisteredFilesMenu::refill(const QStringList& files, const QString& current,
                                 const std::function<QString(const QString&)>& resolve) {
    for (QAction* a : m_items) {
        m_menu->removeAction(a);
        delete a;
    }
    m_items.clear();
    for (const QString& path : files) {
        auto* item = new QAction(QStringLiteral("  ") + FileNamePart(path), m_menu);
        item->setData(path);
        const QString real = resolve(path);
        const bool exists = !path.isEmpty() && QFileInfo(real).isFile();
        item->setEnabled(exists);
        if (exists && SameFilePath(real, current)) item->setIcon(Picture(PictureId::CurrentFile));
        connect(item, &QAction::triggered, this, [this, item] { m_open(item->data().toString()); });
        // Right after the given item: the newest entry comes first.
        const QList<QAction*> actions = m_menu->actions();
        const qsizetype at = actions.indexOf(m_after) + 1;
        m_menu->insertAction(at > 0 && at < actions.size() ? actions.at(at) : nullptr, item);
        m_items.push_back(item);
    }
}

}  // namespace oruvan
