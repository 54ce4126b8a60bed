// The menus of the document's encoding and line breaks: which items are enabled and checked.
#include <QMenu>

#include "app/MainWindow.h"
#include "document/DocumentController.h"

namespace oruvan {

void MainWindow::actFileReopenUpdate(QAction* a) { a->setEnabled(!m_document->fileName().isEmpty()); }

void MainWindow::actOptSaveEncodingUpdate(QAction* a) {
    a->setEnabled(true);
    // A choice the user turned down shows the encoding kept.
    for (QAction* item : a->menu()->actions())
        item->setChecked(m_document->isSaveEncoding(static_cast<Encoding>(item->data().toInt())));
}

void MainWindow::actOptLineBreakUpdate(QAction* a) {
    a->setEnabled(true);
    for (QAction* item : a->menu()->actions())
        item->setChecked(m_document->isLineBreak(static_cast<LineBreak>(item->data().toInt())));
}

}  // namespace oruvan
