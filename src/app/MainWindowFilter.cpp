// The main window's heading filter above the list box, and the heading levels option.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListView>
#include <QVBoxLayout>

#include "index/IndexModel.h"
#include "view/TextView.h"
#include "app/MainWindow.h"

namespace oruvan {

QWidget* MainWindow::createListPanel(QWidget* parent) {
    m_listPanel = new QWidget(parent);
    m_listPanel->setObjectName(QStringLiteral("ListPanel"));
    auto* column = new QVBoxLayout(m_listPanel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The bar alone limits the pane: with the list view off it is one pixel wide, field or not.
    column->setSizeConstraint(QLayout::SetNoConstraint);
    edtFilter = new QLineEdit(m_listPanel);
    edtFilter->setObjectName(QStringLiteral("edtFilter"));
    edtFilter->setPlaceholderText(QStringLiteral("見出しを絞り込む"));
    edtFilter->setAccessibleName(QStringLiteral("見出しを絞り込む"));
    edtFilter->setClearButtonEnabled(true);
    column->addWidget(edtFilter);
    connect(edtFilter, &QLineEdit::textChanged, this, [this] { guarded([this] { edtFilterChange(); }); });
    m_focusWatch = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        // Escape gives the focus back to where it came from.
        if (now == edtFilter && old && old != edtFilter && old->window() == this) m_focusBeforeFilter = old;
        // The headings are made ready for searching before the first key, not by it.
        if ((now == edtFilter) != (old == edtFilter)) m_listModel->setKeepFolded(now == edtFilter);
    });
    return m_listPanel;
}

void MainWindow::edtFilterChange() {
    const QByteArray words = edtFilter->text().toUtf8();
    // Emptying and refilling the list is no choice of the user's.
    m_selecting = true;
    m_listModel->setFilter(HeadingFilterFromUtf8(std::string_view(words.constData(), words.size())));
    m_selecting = false;
    SelectEntry(CurrentEntry());
    // The first match is the one Enter goes to: it stays in sight.
    if (m_listModel->filtering()) ListBox1->scrollToTop();
}

// Enter chooses the first heading shown and Down moves into the list, each leaving the focus there as a
// click does; Escape empties the field and goes back.
bool MainWindow::edtFilterKeyPress(QKeyEvent* e) {
    if (e->modifiers() & ~Qt::KeypadModifier) return false;
    switch (e->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (m_listModel->rowCount() == 0) return true;
            ListBox1->setFocus(Qt::OtherFocusReason);
            guarded([this] { chooseListRow(0); });
            return true;
        case Qt::Key_Down:
            if (m_listModel->rowCount() == 0) return true;
            ListBox1->setFocus(Qt::OtherFocusReason);
            if (!ListBox1->selectionModel()->currentIndex().isValid()) guarded([this] { chooseListRow(0); });
            return true;
        case Qt::Key_Escape: {
            edtFilter->clear();
            QWidget* back = m_focusBeforeFilter;
            if (!back || !back->isVisible() || !back->isEnabled()) back = m_textView;
            back->setFocus(Qt::OtherFocusReason);
            return true;
        }
        default:
            return false;
    }
}

void MainWindow::chooseListRow(int row) {
    SelectEntry(m_listModel->entryAt(row));
    JumpToEntry(-1);
}

// From anywhere: the list view is shown when it was off, and the field's text is ready to be replaced.
void MainWindow::actIndexFilterExecute() {
    if (!GetListViewVisible()) SetListViewVisible(true);
    edtFilter->show();
    edtFilter->setFocus(Qt::ShortcutFocusReason);
    edtFilter->selectAll();
}

void MainWindow::SetHeadingLevels(bool on) {
    HeadingLevels = on;
    UpdateIndex();
}

void MainWindow::actOptHeadingLevelsExecute() { SetHeadingLevels(!HeadingLevels); }

void MainWindow::actOptHeadingLevelsUpdate(QAction* a) { a->setChecked(HeadingLevels); }

}  // namespace oruvan
