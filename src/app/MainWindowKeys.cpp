// The main window's access keys for a key press that reached a control unclaimed: the shortcut pass
// that normally takes Alt and a letter may not have been offered it (keys an input method hands back).
#include <QComboBox>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenuBar>

#include "app/MainWindow.h"
#include "widgets/FindBar.h"

namespace oruvan {

bool MainWindow::accessKey(QWidget* receiver, QKeyEvent* e) {
    if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier) return false;
    const QKeySequence key(QKeyCombination(Qt::AltModifier, Qt::Key(e->key())));
    if (m_findBar->TakeAccessKey(key)) return true;
    for (QAction* a : menuBar()->actions())
        if (a->menu() && a->isVisible() && a->isEnabled() && QKeySequence::mnemonic(a->text()) == key) {
            menuBar()->setActiveAction(a);
            // As its access key opens it: the first item is ready for Enter.
            for (QAction* item : a->menu()->actions())
                if (!item->isSeparator() && item->isVisible() && item->isEnabled()) {
                    a->menu()->setActiveAction(item);
                    break;
                }
            return true;
        }
    // A letter held with Alt is no text, in a field as in the text view.
    const auto* combo = qobject_cast<QComboBox*>(receiver);
    return (qobject_cast<QLineEdit*>(receiver) || (combo && combo->isEditable())) && !e->text().isEmpty();
}

}  // namespace oruvan
