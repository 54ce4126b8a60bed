// The document's encoding and line breaks in the main window: reopening in another encoding, the
// encoding and break style of the next save, and the status bar panel that shows them.
#include <QLabel>
#include <QMenu>

#include "view/TextView.h"
#include "app/MainWindow.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

namespace {

// The question's opening words about a character an encoding has no code for.
QString LackingText(const Unencodable& lacking, Encoding e) {
    return QStringLiteral("%1 行目の「%2」など、%3 で保存できない文字があります。")
        .arg(lacking.line + 1)
        .arg(QString::fromUcs4(&lacking.c, 1))
        .arg(QString::fromLatin1(EncodingName(e)));
}

bool IsUtf16(Encoding e) {
    const Encoding bare = WithByteOrderMark(e, false);
    return bare == Encoding::Utf16Le || bare == Encoding::Utf16Be;
}

// The save item that stands for an encoding: UTF-16 with or without a byte order mark is one item.
bool SameChoice(Encoding item, Encoding current) {
    return item == current ||
           (IsUtf16(item) && WithByteOrderMark(item, false) == WithByteOrderMark(current, false));
}

}  // namespace

void MainWindow::actFileReopenUpdate(QAction* a) { a->setEnabled(!DocumentFileName.isEmpty()); }

void MainWindow::actOptSaveEncodingUpdate(QAction* a) {
    a->setEnabled(true);
    // A choice the user turned down shows the encoding kept.
    for (QAction* item : a->menu()->actions())
        item->setChecked(SameChoice(static_cast<Encoding>(item->data().toInt()), m_textView->DocumentEncoding()));
}

void MainWindow::actOptLineBreakUpdate(QAction* a) {
    a->setEnabled(true);
    for (QAction* item : a->menu()->actions())
        item->setChecked(!m_textView->MixedBreaks() &&
                         static_cast<LineBreak>(item->data().toInt()) == m_textView->BreakStyle());
}

void MainWindow::ReopenWithEncoding(std::optional<Encoding> encoding) {
    if (!DocumentFileName.isEmpty()) OpenDocument(DocumentFileName, encoding);
}

bool MainWindow::ChooseSaveEncoding(Encoding e) {
    if (SameChoice(e, m_textView->DocumentEncoding())) return true;
    if (const std::optional<Unencodable> lacking = FindUnencodable(e, m_textView->Utf8Buffer())) {
        // A save asks again about a character the encoding has no code for: none becomes '?' unasked.
        const QString text =
            LackingText(*lacking, e) +
            QStringLiteral("文字コードを %1 に変更しますか？").arg(QString::fromLatin1(EncodingName(e)));
        if (Confirm(this, text) != Answer::Yes) return false;
    }
    m_textView->SetDocumentEncoding(e);
    ShowDocumentFormat();
    return true;
}

bool MainWindow::saveKeepsEveryCharacter() {
    const std::optional<Unencodable> lacking = m_textView->FirstUnwritable();
    if (!lacking) return true;
    const QString text =
        LackingText(*lacking, m_textView->DocumentEncoding()) + QStringLiteral("UTF-8 で保存しますか？");
    if (AskYesNo(this, text, Answer::Yes) != Answer::Yes) return false;
    m_textView->SetDocumentEncoding(Encoding::Utf8);
    ShowDocumentFormat();
    return true;
}

void MainWindow::ChooseLineBreak(LineBreak b) {
    if (b == m_textView->BreakStyle() && !m_textView->MixedBreaks()) return;
    m_textView->SetBreakStyle(b);
    ShowDocumentFormat();
}

QString MainWindow::DocumentFormatText() const { return m_format->text(); }

void MainWindow::ShowDocumentFormat() {
    const QString breaks =
        m_textView->MixedBreaks() ? QStringLiteral("混在") : QString::fromLatin1(LineBreakName(m_textView->BreakStyle()));
    m_format->setText(QString::fromLatin1(EncodingName(m_textView->DocumentEncoding())) + QStringLiteral("  ") +
                      breaks);
}

}  // namespace oruvan
