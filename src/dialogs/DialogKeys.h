#pragma once
#include <QKeyEvent>

namespace oruvan {

// The dialogs have no default or cancel button: Enter and Escape leave them open. True when the key
// was one of those and has been taken.
inline bool SwallowDialogCloseKey(QKeyEvent* e) {
    switch (e->key()) {
        case Qt::Key_Escape:
        case Qt::Key_Return:
        case Qt::Key_Enter:
            e->accept();
            return true;
        default:
            return false;
    }
}

}  // namespace oruvan
