#include "document/DocumentController.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include "document/DocumentGuard.h"
#include "document/RecentDocuments.h"
#include "view/TextCopies.h"
#include "view/TextView.h"
#include "view/TextViewAccess.h"
#include "widgets/FilePaths.h"
#include "widgets/MessageBoxes.h"
#include "widgets/TextFileDialog.h"

namespace oruvan {

namespace {
const char* const kSaveAsk = QT_TRANSLATE_NOOP("oruvan::DocumentController", "文書は変更されています。保存しますか？");
const char* const kSaved = QT_TRANSLATE_NOOP("oruvan::DocumentController", "ファイルを保存しました。");
const char* const kCannotOpen = QT_TRANSLATE_NOOP("oruvan::DocumentController", "ファイルは存在しないか、開けません");
// From this size an open shows the busy pointer.
constexpr qint64 kBusyOpenBytes = 16 << 20;

// The question's opening words about a character an encoding has no code for.
QString LackingText(const Unencodable& lacking, Encoding e) {
    return QCoreApplication::translate("oruvan::DocumentController", "%1 行目の「%2」など、%3 で保存できない文字があります。")
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

DocumentController::DocumentController(TextView* view, TextCopies* copies, const QString& programDir,
                                       const QString& recoveryDir, QWidget* window)
    : m_view(view), m_copies(copies), m_window(window), m_programDir(programDir) {
    m_access = std::make_unique<TextViewAccess>(view);
    m_savedDocument = view->DocumentId();
    m_compareLater = new QTimer(this);
    m_compareLater->setSingleShot(true);
    m_compareLater->setInterval(1000);
    connect(m_compareLater, &QTimer::timeout, this, [this] { updateModified(true); });
    m_guard = std::make_unique<DocumentGuard>(*this, view, recoveryDir, window);
    // Undo and redo of a conversion change what the next save writes: the panel says so.
    connect(m_view, &TextView::breakStyleChanged, this, &DocumentController::showFormat);
    connect(m_view, &TextView::aboutToChange, this, [this](long pos, long length, bool insertion) {
        if (m_view->DocumentId() != m_savedDocument) return;  // a document being filled: reset when marked
        if (insertion)
            m_sinceSaved.beforeInsert(*m_access, pos, length);
        else
            m_sinceSaved.beforeDelete(*m_access, pos, length);
    });
    connect(m_view, &TextView::changed, this, [this] { updateModified(); });
}

void DocumentController::updateModified(bool compareWhole) {
    if (m_view->Composing()) return;  // its commit or cancel is the edit that tells
    bool modified = m_guard->missing() || m_view->DocumentEncoding() != m_savedEncoding ||
                    m_view->BreakStyle() != m_savedBreak;
    if (!modified) {
        std::optional<bool> unchanged;
        if (!m_copies->saved())
            unchanged = m_view->Utf8Length() == 0;
        else if (m_view->DocumentId() == m_savedDocument)
            unchanged = m_sinceSaved.unchanged(*m_access);
        if (!unchanged && compareWhole) unchanged = !textEdited();
        if (!unchanged) m_compareLater->start();  // shown as modified until then
        modified = !unchanged.value_or(false);
    }
    if (modified == m_modifiedShown) return;
    m_modifiedShown = modified;
    Q_EMIT modifiedChanged(modified);
}

DocumentController::~DocumentController() = default;

QString DocumentController::resolve(const QString& path) const { return ResolveAgainst(m_programDir, path); }

void DocumentController::setFileName(const QString& path) {
    m_fileName = path;
    Q_EMIT fileNameChanged(path);
}

bool DocumentController::isModified() const {
    // Text still being composed is no edit: a close or an open asks about the committed text only.
    const TextView::ComposingAside aside(m_view);
    return m_guard->missing() || textEdited();
}

bool DocumentController::textEdited() const {
    // The document's own text, not its display lines: wrapping never counts as a change.
    const std::string_view text = m_view->Utf8Buffer();
    if (m_view->DocumentEncoding() != m_savedEncoding || m_view->BreakStyle() != m_savedBreak) return true;
    if (!m_copies->saved()) return !text.empty();
    return *m_copies->saved() != text;
}

void DocumentController::markSaved() {
    m_savedEncoding = m_view->DocumentEncoding();
    m_savedBreak = m_view->BreakStyle();
    m_guard->setMissing(false);
    m_copies->setSaved(m_view->Utf8Buffer());
    m_sinceSaved.reset();
    m_savedDocument = m_view->DocumentId();
    updateModified();
}

void DocumentController::markNothingSaved() {
    m_copies->forgetSpare();
    m_copies->setSaved({});
    m_savedEncoding = m_view->DocumentEncoding();
    m_savedBreak = m_view->BreakStyle();
    m_sinceSaved.reset();
    m_savedDocument = m_view->DocumentId();
    updateModified();
}

void DocumentController::adoptUnsaved(const QString& name) {
    setFileName(name);
    markNothingSaved();
    m_saveEnabled = true;
}

bool DocumentController::askToSave(AskReason reason) {
    const bool closing = reason == AskReason::Closing;
    if (isModified()) {
        if (closing) m_guard->sayCopiesFail();
        const Answer a = Confirm(m_window, tr(kSaveAsk));
        if (a == Answer::Cancel) return false;
        if (a == Answer::Yes) {
            save();
            if (isModified()) return false;
            if (closing) ShowMessage(m_window, tr(kSaved));
        }
    }
    // The edits were saved or given up: their copy goes with the window.
    if (closing) m_guard->discardCopy();
    return true;
}

void DocumentController::open(const QString& path, std::optional<Encoding> encoding) {
    m_saveEnabled = true;
    const QString real = resolve(path);
    if (!QFileInfo(real).isFile()) {
        if (!m_guard->openLeftCopy(path, real)) ShowMessage(m_window, path + QLatin1Char('\n') + tr(kCannotOpen));
        return;
    }
    if (!askToSave(AskReason::Replacing)) return;
    // A large file, or one very long line in it, takes seconds to read and lay out: the pointer says so.
    struct BusyPointer {
        explicit BusyPointer(bool on) : on(on) {
            if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        ~BusyPointer() {
            if (on) QApplication::restoreOverrideCursor();
        }
        const bool on;
    } busy(QFileInfo(real).size() >= kBusyOpenBytes);
    // Read first: a failed read changes nothing, so no later Save can write the wrong text there.
    m_view->LoadFromFile(real, encoding);
    Q_EMIT textReplaced();
    m_guard->discardCopy();  // the last document's edits were saved or given up
    setFileName(path);
    m_copies->forgetSpare();
    markSaved();
    showFormat();
    m_guard->track(real);
    m_guard->offerRecovery(real);
    if (m_recent) m_recent->add(real);
    Q_EMIT rebuildIndexWanted();
}

void DocumentController::setRecentList(const QString& listFile, const QString& appName) {
    m_recent = std::make_unique<RecentDocuments>(listFile, appName);
    connect(m_recent.get(), &RecentDocuments::failed, this, &DocumentController::notice);
}

void DocumentController::saveTo(const QString& path) {
    // Text being composed is not the document's yet: saved without it, the composition goes on.
    const TextView::ComposingAside aside(m_view);
    m_saveEnabled = true;
    const QString real = resolve(path);
    if (!m_guard->confirmOverwrite(real) || !saveKeepsEveryCharacter()) return;
    setFileName(path);
    if (!m_guard->saveKeepingLinks(real)) return;
    markSaved();
    showFormat();
    m_guard->track(real);
    m_guard->discardCopy();
    if (m_recent) m_recent->add(real);
    Q_EMIT rebuildIndexWanted();
}

void DocumentController::save() {
    if (m_fileName.isEmpty())
        saveAs();
    else
        saveTo(m_fileName);
}

void DocumentController::newDocument() {
    if (!askToSave(AskReason::Replacing)) return;
    m_guard->release();
    setFileName(QString());
    m_view->Clear();
    Q_EMIT textReplaced();
    markNothingSaved();
    showFormat();
    Q_EMIT rebuildIndexWanted();
    m_saveEnabled = false;
}

QString DocumentController::chooseFile(bool save) {
    if (m_fileChooser) return m_fileChooser(save);
    const QString title = save ? tr("ファイルを保存する") : tr("ファイルを開く");
    TextFileDialog dialog(m_window, title, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QString& last = save ? m_lastSaveChoice : m_lastOpenChoice;
    dialog.reopenOn(last);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QString chosen = dialog.chosenFile();
    if (!chosen.isEmpty()) last = chosen;
    return chosen;
}

void DocumentController::openChosen() {
    const QString path = chooseFile(false);
    if (!path.isEmpty()) open(path);
}

void DocumentController::saveAs() {
    const QString path = chooseFile(true);
    if (!path.isEmpty()) saveTo(path);
}

// ---- the encoding and breaks of the next save ----

void DocumentController::reopen(std::optional<Encoding> encoding) {
    if (!m_fileName.isEmpty()) open(m_fileName, encoding);
}

bool DocumentController::setSaveEncoding(Encoding e) {
    if (SameChoice(e, m_view->DocumentEncoding())) return true;
    if (const std::optional<Unencodable> lacking = FindUnencodable(e, m_view->Utf8Buffer())) {
        // A save asks again about a character the encoding has no code for: none becomes '?' unasked.
        const QString text =
            LackingText(*lacking, e) +
            tr("文字コードを %1 に変更しますか？").arg(QString::fromLatin1(EncodingName(e)));
        if (Confirm(m_window, text) != Answer::Yes) return false;
    }
    m_view->SetDocumentEncoding(e);
    showFormat();
    return true;
}

bool DocumentController::saveKeepsEveryCharacter() {
    const std::optional<Unencodable> lacking = m_view->FirstUnwritable();
    if (!lacking) return true;
    const QString text =
        LackingText(*lacking, m_view->DocumentEncoding()) + tr("UTF-8 で保存しますか？");
    if (AskYesNo(m_window, text, Answer::Yes) != Answer::Yes) return false;
    m_view->SetDocumentEncoding(Encoding::Utf8);
    showFormat();
    return true;
}

void DocumentController::setLineBreak(LineBreak b) {
    if (b == m_view->BreakStyle() && !m_view->MixedBreaks()) return;
    m_view->SetBreakStyle(b);
    showFormat();
}

bool DocumentController::isSaveEncoding(Encoding item) const {
    return SameChoice(item, m_view->DocumentEncoding());
}

bool DocumentController::isLineBreak(LineBreak item) const {
    return !m_view->MixedBreaks() && item == m_view->BreakStyle();
}

QString DocumentController::formatText() const {
    const QString breaks = m_view->MixedBreaks() ? tr("混在")
                                                 : QString::fromLatin1(LineBreakName(m_view->BreakStyle()));
    return QString::fromLatin1(EncodingName(m_view->DocumentEncoding())) + QStringLiteral("  ") + breaks;
}

void DocumentController::showFormat() {
    Q_EMIT formatChanged(formatText());
    updateModified();
}

}  // namespace oruvan
