// The main window's find, replace and go-to-line commands, redo, and the two colour commands.
#include <QColorDialog>
#include <QLabel>

#include "view/TextFinder.h"
#include "view/TextView.h"
#include "app/MainWindow.h"
#include "dialogs/GoToLineDialog.h"

namespace oruvan {

void MainWindow::actEditFindExecute() { m_finder->Open(false); }
void MainWindow::actEditReplaceExecute() { m_finder->Open(true); }
void MainWindow::actEditFindNextExecute() { m_finder->FindNext(); }
void MainWindow::actEditFindPrevExecute() { m_finder->FindPrevious(); }

QString MainWindow::NoticeText() const { return m_notice->text(); }

void MainWindow::actEditGoToLineExecute() {
    GoToLineDialog dialog(m_textView->LineCount(), m_textView->CaretLine() + 1, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // Moves the caret to the line's start and scrolls the line into view.
    m_textView->SendScintilla(QsciScintillaBase::SCI_GOTOLINE, static_cast<unsigned long>(dialog.Line() - 1));
    m_textView->setFocus();
    TrackCaret();
}

void MainWindow::actEditRedoExecute() { m_textView->Redo(); }
void MainWindow::actEditRedoUpdate(QAction* a) { a->setEnabled(m_textView->CanRedo()); }

QColor MainWindow::chooseColor(const QColor& initial, const QString& title) {
    if (m_colorChooser) return m_colorChooser(initial);
    QColorDialog dialog(initial, this);
    dialog.setWindowTitle(title);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedColor() : QColor();
}

void MainWindow::actOptBackColorExecute() {
    const QColor c = chooseColor(m_textView->BackColor(), QStringLiteral("背景色の設定"));
    if (!c.isValid()) return;
    BackColor = c.name(QColor::HexRgb).toUpper();
    applyColors();
}

void MainWindow::actOptTextColorExecute() {
    const QColor c = chooseColor(m_textView->TextColor(), QStringLiteral("テキスト色の設定"));
    if (!c.isValid()) return;
    TextColor = c.name(QColor::HexRgb).toUpper();
    applyColors();
}

// A colour never chosen stays the text view's own.
void MainWindow::applyColors() {
    if (!BackColor.isEmpty()) m_textView->SetBackColor(QColor(BackColor));
    if (!TextColor.isEmpty()) m_textView->SetTextColor(QColor(TextColor));
}

}  // namespace oruvan
