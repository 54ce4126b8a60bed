// The document's safety: changes made to its file by other programs, recovery copies of unsaved edits,
// and saves that keep hard links.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "document/DiskWatch.h"
#include "widgets/FilePaths.h"
#include "document/RecoveryWriter.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "app/MainWindow.h"
#include "platform/CarefulWrite.h"
#include "platform/EncodingDetector.h"
#include "platform/RecoveryStore.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

namespace {
const QString kReloaded = QStringLiteral("ファイルが他のプログラムで変更されたため読み込み直しました");
const QString kGone = QStringLiteral("ファイルが削除されたか名前が変更されました");
const QString kChangedAsk = QStringLiteral(" は他のプログラムで変更されています。上書きしますか?");
const QString kRecoverAsk = QStringLiteral(" には保存されていない変更が残っています。復元しますか?");
const QString kUnnamed = QStringLiteral("名前のない文書");
const QString kChangedOnDisk = QStringLiteral("ファイルが他のプログラムで変更されました");
const QString kReadOnlyAsk = QStringLiteral(" は読み取り専用です。上書きしますか?");
const QString kNoCopy = QStringLiteral("復元用のコピーを %1 に保存できません");
const QString kNoCopySaid = QStringLiteral(
    "復元用のコピーを %1 に保存できません。\n保存していない変更は、プログラムが異常終了すると失われます。");
const QString kNoSafetyCopyAsk =
    QStringLiteral("復元用のコピーを %1 に保存できません。\n") +
    QStringLiteral("保存が途中で止まると文書が失われることがあります。保存しますか?");

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
// Records name files by absolute path, whatever form the document's name was given in.
std::string recordPath(const QString& real) {
    return real.isEmpty() ? std::string() : nativePath(QFileInfo(real).absoluteFilePath());
}
}  // namespace

void MainWindow::setupSafety() {
    m_diskWatch = new DiskWatch(this);
    connect(m_diskWatch, &DiskWatch::check, this, [this] { guarded([this] { CheckDisk(); }); });
    m_recovery = std::make_shared<RecoveryWriter>(nativePath(m_paths.recoveryDir));
    m_recovery->setOnPause([this] { guarded([this] { writeRecoveryCopy(); }); });
    m_recovery->setOnResult([this](int error) { noteRecoveryResult(error); });
    connect(m_textView, &TextView::changed, this,
            [this] { m_recovery->noteEdit(static_cast<std::size_t>(m_textView->Utf8Length())); });
}

QString MainWindow::recoveryFolder() const {
    return QFile::decodeName(QByteArray::fromStdString(m_recovery->store().folder()));
}

void MainWindow::noteRecoveryResult(int error) {
    if (!error) {
        m_copyFailSaid = m_copyFailShown = false;
        return;
    }
    if (m_copyFailSaid) return;
    m_copyFailSaid = true;
    SetStatusText(kNoCopy.arg(recoveryFolder()));
}

void MainWindow::sayCopiesFail() {
    if (!m_recovery->error() || m_copyFailShown) return;
    m_copyFailShown = true;
    ShowMessage(this, kNoCopySaid.arg(recoveryFolder()));
}

void MainWindow::CheckDisk() {
    // Not while a question is open: its answer may be about to change the document.
    if (m_checkingDisk || QApplication::activeModalWidget()) return;
    m_checkingDisk = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_checkingDisk};
    DiskWatch::State state = m_diskWatch->state();
    // A file back where it went away from is the document's file again, whatever its stamp.
    if (m_missingOnDisk && state == DiskWatch::State::Same) state = DiskWatch::State::Changed;
    switch (state) {
        case DiskWatch::State::Same:
            break;
        case DiskWatch::State::Missing:
            m_diskWatch->newChange();
            if (!m_missingOnDisk) {
                m_missingOnDisk = true;
                SetStatusText(kGone);
                writeRecoveryCopy();
            }
            break;
        case DiskWatch::State::Changed:
            // Once per change: a file that cannot be read is not reported at every activation.
            if (!m_diskWatch->newChange()) break;
            if (textEdited()) {
                // Edits stay until the user saves; Save then asks before overwriting.
                m_missingOnDisk = false;
                SetStatusText(kChangedOnDisk);
            } else {
                reloadFromDisk();
            }
            break;
    }
}

bool MainWindow::confirmOverwrite(const QString& real) {
    const QString watched = m_diskWatch->path();
    if (!watched.isEmpty() && (watched == real || SameFilePath(watched, real)) &&
        m_diskWatch->state() == DiskWatch::State::Changed) {
        if (!textEdited())
            reloadFromDisk();  // nothing of ours to write over their text: take theirs
        else if (AskYesNo(this, DocumentFileName + kChangedAsk, Answer::No) != Answer::Yes)
            return false;
    }
    // A save would replace it through its folder, which the user may not expect of a read-only file.
    return !IsReadOnlyFile(nativePath(real)) ||
           AskYesNo(this, real + kReadOnlyAsk, Answer::No) == Answer::Yes;
}

bool MainWindow::saveKeepingLinks(const QString& real) {
    // An in-place rewrite changes the one file every link shares; its old text is kept as a recovery
    // copy until the new one is safely written, in case the program dies part way.
    std::string kept;
    bool asked = false;
    if (m_recovery->enabled() && WritesInPlace(nativePath(real))) {
        QFile old(real);
        if (old.open(QIODevice::ReadOnly)) {
            const QByteArray read = old.readAll();
            const std::string_view bytes(read.constData(), static_cast<std::size_t>(read.size()));
            // Named by the encoding its bytes are in, not the one this save writes: the text as read when
            // the file is still the one read, else what its bytes show.
            const QString watched = m_diskWatch->path();
            const bool asRead = !watched.isEmpty() && (watched == real || SameFilePath(watched, real)) &&
                                m_diskWatch->state() == DiskWatch::State::Same;
            const Encoding encoding = asRead ? m_savedEncoding : DetectEncoding(bytes, true);
            kept = RecoveryStore::NewId();
            if (m_recovery->store().save(
                    kept, bytes,
                    RecoveryStore::OwnRecord(recordPath(real), TextView::NameOfEncoding(encoding))) != 0) {
                kept.clear();
                asked = m_copyFailShown = true;
                if (AskYesNo(this, kNoSafetyCopyAsk.arg(recoveryFolder()), Answer::No) != Answer::Yes) {
                    followDocumentName(real);
                    return false;
                }
            }
        }
    }
    if (!asked) sayCopiesFail();
    struct Drop {
        const RecoveryStore& store;
        const std::string& id;
        ~Drop() {
            if (!id.empty()) store.remove(id);
        }
    } drop{m_recovery->store(), kept};
    try {
        m_textView->SaveToFile(real);
    } catch (...) {
        followDocumentName(real);
        throw;
    }
    return true;
}

void MainWindow::followDocumentName(const QString& real) {
    // The document bears the name even though it was not written there: its watch and recovery copy
    // go along, so that its edits are offered under that name after a crash.
    if (m_diskWatch->path() != real) m_diskWatch->track(real);
    writeRecoveryCopy();
}

void MainWindow::reloadFromDisk() {
    const QString real = m_diskWatch->path();
    const int line = m_textView->CaretLine();
    const int top = static_cast<int>(
        m_textView->SendScintilla(QsciScintilla::SCI_DOCLINEFROMVISIBLE, m_textView->FirstVisibleLine()));
    m_textView->LoadFromFile(real, m_textView->DocumentEncoding());
    m_finder->TextReplaced();
    const int last = std::max(0, m_textView->LineCount() - 1);
    m_textView->SetCaretToLineStart(std::min(line, last));
    m_textView->ScrollLineToTop(std::min(top, last));
    SetUnmodified();
    ShowDocumentFormat();
    m_diskWatch->track(real);
    m_recovery->discard();
    actFileUpDateExecute();
    TrackCaret();
    SetStatusText(kReloaded);
}

void MainWindow::offerRecovery(const QString& real) {
    offerLeftCopies(real.isEmpty() ? QString() : DocumentFileName, real);
}

bool MainWindow::openLeftCopy(const QString& name, const QString& real) {
    if (!m_recovery->enabled()) return false;
    const std::vector<RecoveryCopy> left = m_recovery->store().orphans();
    const std::string path = recordPath(real);
    if (std::none_of(left.begin(), left.end(),
                     [&path](const RecoveryCopy& c) { return c.record.path == path; }))
        return false;
    return !askToSave() || offerLeftCopies(name, real);
}

bool MainWindow::offerLeftCopies(const QString& name, const QString& real) {
    if (!m_recovery->enabled()) return false;
    const std::string path = recordPath(real);
    for (const RecoveryCopy& c : m_recovery->store().orphans()) {
        const QString file = QFile::decodeName(QByteArray::fromStdString(c.record.path));
        // Without a file: the copies of unnamed documents, and of files gone since (renamed, deleted).
        const bool ours = real.isEmpty()
                              ? file.isEmpty() || !QFileInfo(file).isFile()
                              : c.record.path == path || (!file.isEmpty() && SameFilePath(file, real));
        if (!ours) continue;
        const QString shown = !real.isEmpty() ? name : file.isEmpty() ? kUnnamed : file;
        if (AskYesNo(this, shown + kRecoverAsk, Answer::Yes) == Answer::Yes) {
            restoreCopy(c, real.isEmpty() ? file : name);
            return true;
        }
        m_recovery->store().remove(c.id);
    }
    return false;
}

void MainWindow::restoreCopy(const RecoveryCopy& c, const QString& name) {
    const QString real = name.isEmpty() ? QString() : resolvePath(name);
    const bool opened = !real.isEmpty() && QFileInfo(real).isFile() && DocumentFileName == name;
    m_textView->LoadFromFile(QFile::decodeName(QByteArray::fromStdString(c.dataFile)),
                       TextView::EncodingOfName(c.record.encoding));
    m_finder->TextReplaced();
    if (!opened) {
        // No file holds any of it: the copy is the document, under the name it had, to be saved again.
        m_recovery->discard();
        SetDocumentFileName(name);
        m_copies.forgetSpare();
        m_copies.setSaved({});
        m_savedEncoding = m_textView->DocumentEncoding();
        m_savedBreak = m_textView->BreakStyle();
        m_diskWatch->track(real);
        m_missingOnDisk = !real.isEmpty();
        m_saveEnabled = true;
        actFileUpDateExecute();
    }
    ShowDocumentFormat();
    // The copy becomes this process's own: written again under its name before the old one goes.
    m_recovery->write(m_textView->TakeSnapshot(m_recovery->spareBuffer()),
                      RecoveryStore::OwnRecord(recordPath(real), m_textView->EncodingName()));
    m_recovery->removeLater(c.id);
}

void MainWindow::writeRecoveryCopy() {
    // Not of text still being composed: its commit or cancel is an edit, and the copy follows it.
    if (!m_recovery->enabled() || m_textView->Composing()) return;
    if (!Modified()) {
        m_recovery->discard();
        return;
    }
    const QString real = DocumentFileName.isEmpty() ? QString() : resolvePath(DocumentFileName);
    m_recovery->copyInSlices(m_textView, RecoveryStore::OwnRecord(recordPath(real), m_textView->EncodingName()));
}

}  // namespace oruvan
