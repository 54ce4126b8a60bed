#include "index/HeadingFilterField.h"

#include <QApplication>
#include <QKeyEvent>

#include "index/HeadingList.h"
#include "index/IndexModel.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

HeadingFilterField::HeadingFilterField(HeadingList* list, QWidget* home, QWidget* panel)
    : QLineEdit(panel), m_list(list), m_home(home) {
    setObjectName(QStringLiteral("filterField"));
    setPlaceholderText(tr("見出しを絞り込む"));
    setAccessibleName(tr("見出しを絞り込む"));
    setClearButtonEnabled(true);
    connect(this, &QLineEdit::textChanged, this,
            [this] { ReportErrors(window(), [this] { applyFilter(); }); });
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        // Escape gives the focus back to where it came from.
        if (now == this && old && old != this && old->window() == window()) m_focusBefore = old;
        // The headings are made ready for searching before the first key, not by it.
        if ((now == this) != (old == this) && m_list) m_list->headings()->setKeepFolded(now == this);
    });
    // The field shows with the list and hides with it.
    panel->installEventFilter(this);
}

// The widgets going with the window move the focus; nothing here may answer that.
HeadingFilterField::~HeadingFilterField() { disconnect(m_focusWatch); }

void HeadingFilterField::startTyping() {
    show();
    setFocus(Qt::ShortcutFocusReason);
    selectAll();
}

bool HeadingFilterField::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::Resize && watched == parentWidget()) setVisible(parentWidget()->width() > 1);
    return QLineEdit::eventFilter(watched, e);
}

void HeadingFilterField::applyFilter() {
    const QByteArray words = text().toUtf8();
    {
        // Emptying and refilling the list is no choice of the user's.
        const auto quiet = m_list->quietly();
        m_list->headings()->setFilter(
            HeadingFilterFromUtf8(std::string_view(words.constData(), words.size())));
    }
    emit filtered();
    // The first match is the one Enter goes to: it stays in sight.
    if (m_list->headings()->filtering()) m_list->scrollToTop();
}

void HeadingFilterField::keyPressEvent(QKeyEvent* e) {
    if (!handleKey(e)) QLineEdit::keyPressEvent(e);
}

// Enter chooses the first heading shown and Down moves into the list, each leaving the focus there as a
// click does; Escape empties the field and goes back.
bool HeadingFilterField::handleKey(QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeypadModifier) return false;
    const auto choose = [this] { ReportErrors(window(), [this] { emit rowChosen(0); }); };
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_list->headings()->rowCount() == 0) return true;
            m_list->setFocus(Qt::OtherFocusReason);
            choose();
            return true;
        case Qt::Key_Down:
            if (m_list->headings()->rowCount() == 0) return true;
            m_list->setFocus(Qt::OtherFocusReason);
            if (!m_list->selectionModel()->currentIndex().isValid()) choose();
            return true;
        case Qt::Key_Escape: {
            clear();
            QWidget* back = m_focusBefore;
            if (!back || !back->isVisible() || !back->isEnabled()) back = m_home;
            if (back) back->setFocus(Qt::OtherFocusReason);
            return true;
        }
        default:
            return false;
    }
}

}  // namespace oruvan
