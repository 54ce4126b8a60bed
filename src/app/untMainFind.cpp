// The main window's find, replace and go-to-line commands, redo, and the two colour commands.
#include <QColorDialog>
#include <QLabel>

#include "app/TextFinder.h"
#include "app/TextView.h"
#include "app/untMain.h"
#include "dialogs/GoToLineDialog.h"

namespace oruvan {

void TfrmMain::actEditFindExecute() { finder->Open(false); }
void TfrmMain::actEditReplaceExecute() { finder->Open(true); }
void TfrmMain::actEditFindNextExecute() { finder->FindNext(); }
void TfrmMain::actEditFindPrevExecute() { finder->FindPrevious(); }

QString TfrmMain::NoticeText() const { return m_notice->text(); }

void TfrmMain::actEditGoToLineExecute() {
    GoToLineDialog dialog(memo->LineCount(), memo->CaretLine() + 1, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // Moves the caret to the line's start and scrolls the line into view.
    memo->SendScintilla(QsciScintillaBase::SCI_GOTOLINE, static_cast<unsigned long>(dialog.Line() - 1));
    memo->setFocus();
    TrackCaret();
}

void TfrmMain::actEditRedoExecute() { memo->Redo(); }
void TfrmMain::actEditRedoUpdate(QAction* a) { a->setEnabled(memo->CanRedo()); }

QColor TfrmMain::chooseColor(const QColor& initial, const QString& title) {
    if (m_colorChooser) return m_colorChooser(initial);
    QColorDialog dialog(initial, this);
    dialog.setWindowTitle(title);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedColor() : QColor();
}

void TfrmMain::actOptBackColorExecute() {
    const QColor c = chooseColor(memo->BackColor(), QStringLiteral("背景色の設定"));
    if (!c.isValid()) return;
    BackColor = c.name(QColor::HexRgb).toUpper();
    applyColors();
}

void TfrmMain::actOptTextColorExecute() {
    const QColor c = chooseColor(memo->TextColor(), QStringLiteral("テキスト色の設定"));
    if (!c.isValid()) return;
    TextColor = c.name(QColor::HexRgb).toUpper();
    applyColors();
}

// A colour never chosen stays the text view's own.
void TfrmMain::applyColors() {
    if (!BackColor.isEmpty()) memo->SetBackColor(QColor(BackColor));
    if (!TextColor.isEmpty()) memo->SetTextColor(QColor(TextColor));
}

}  // namespace oruvan
