// The document's safety: changes made to its file by other programs, recovery copies of unsaved edits,
// and saves that keep hard links.
#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "app/DiskWatch.h"
#include "app/NvFileUtils.h"
#include "app/RecoveryWriter.h"
#include "app/TextFinder.h"
#include "app/TextView.h"
#include "app/untMain.h"
#include "platform/CarefulWrite.h"
#include "platform/RecoveryStore.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

namespace {
const QString kReloaded = QStringLiteral("ファイルが他のプログラムで変更されたため読み込み直しました");
const QString kGone = QStringLiteral("ファイルが削除されたか名前が変更されました");
const QString kChangedAsk = QStringLiteral(" は他のプログラムで変更されています。上書きしますか?");
const QString kRecoverAsk = QStringLiteral(" には保存されていない変更が残っています。復元しますか?");
const QString kUnnamed = QStringLiteral("名前のない文書");

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
// Records name files by absolute path, whatever form the document's name was given in.
std::string recordPath(const QString& real) {
    return real.isEmpty() ? std::string() : nativePath(QFileInfo(real).absoluteFilePath());
}
}  // namespace

void TfrmMain::setupSafety() {
    m_diskWatch = new DiskWatch(this);
    connect(m_diskWatch, &DiskWatch::check, this, [this] { guarded([this] { CheckDisk(); }); });
    m_recovery = std::make_shared<RecoveryWriter>(nativePath(m_paths.recoveryDir));
    m_recovery->setOnPause([this] { guarded([this] { writeRecoveryCopy(); }); });
    connect(memo, &TextView::changed, this,
            [this] { m_recovery->noteEdit(static_cast<std::size_t>(memo->Utf8Length())); });
}

void TfrmMain::CheckDisk() {
    // Not while a question is open: its answer may be about to change the document.
    if (m_checkingDisk || QApplication::activeModalWidget()) return;
    m_checkingDisk = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{m_checkingDisk};
    switch (m_diskWatch->state()) {
        case DiskWatch::State::Same:
            break;
        case DiskWatch::State::Missing:
            if (!m_missingOnDisk) {
                m_missingOnDisk = true;
                SetStatusText(kGone);
                writeRecoveryCopy();
            }
            break;
        case DiskWatch::State::Changed:
            // Edits stay until the user saves; Save then asks before overwriting.
            if (!textEdited()) reloadFromDisk();
            break;
    }
}

bool TfrmMain::confirmOverwrite(const QString& real) {
    const QString watched = m_diskWatch->path();
    if (watched.isEmpty() || !(watched == real || SameFilePath(watched, real))) return true;
    if (m_diskWatch->state() != DiskWatch::State::Changed) return true;
    if (!textEdited()) {
        // Nothing of ours to write over their text: take theirs.
        reloadFromDisk();
        return true;
    }
    return AskYesNo(this, DocumentFileName + kChangedAsk, Answer::No) == Answer::Yes;
}

void TfrmMain::saveKeepingLinks(const QString& real) {
    // An in-place rewrite changes the one file every link shares; its old text is kept as a recovery
    // copy until the new one is safely written, in case the program dies part way.
    std::string kept;
    if (m_recovery->enabled() && WritesInPlace(nativePath(real))) {
        QFile old(real);
        if (old.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = old.readAll();
            kept = RecoveryStore::NewId();
            if (m_recovery->store().save(kept, std::string_view(bytes.constData(), bytes.size()),
                                         RecoveryStore::OwnRecord(recordPath(real), memo->EncodingName())) !=
                0)
                kept.clear();
        }
    }
    struct Drop {
        const RecoveryStore& store;
        const std::string& id;
        ~Drop() {
            if (!id.empty()) store.remove(id);
        }
    } drop{m_recovery->store(), kept};
    memo->SaveToFile(real);
}

void TfrmMain::reloadFromDisk() {
    const QString real = m_diskWatch->path();
    const int line = memo->CaretLine();
    const int top = static_cast<int>(
        memo->SendScintilla(QsciScintilla::SCI_DOCLINEFROMVISIBLE, memo->FirstVisibleLine()));
    memo->LoadFromFile(real, memo->DocumentEncoding());
    finder->TextReplaced();
    const int last = std::max(0, memo->LineCount() - 1);
    memo->SetCaretToLineStart(std::min(line, last));
    memo->ScrollLineToTop(std::min(top, last));
    SetUnmodified();
    ShowDocumentFormat();
    m_diskWatch->track(real);
    m_recovery->discard();
    actFileUpDateExecute();
    TrackCaret();
    SetStatusText(kReloaded);
}

void TfrmMain::offerRecovery(const QString& real) {
    if (!m_recovery->enabled()) return;
    const std::string path = recordPath(real);
    for (const RecoveryCopy& c : m_recovery->store().orphans()) {
        const bool ours = c.record.path == path ||
                          (!path.empty() && !c.record.path.empty() &&
                           SameFilePath(QFile::decodeName(QByteArray::fromStdString(c.record.path)), real));
        if (!ours) continue;
        const QString shown = real.isEmpty() ? kUnnamed : DocumentFileName;
        if (AskYesNo(this, shown + kRecoverAsk, Answer::Yes) == Answer::Yes) {
            memo->LoadFromFile(QFile::decodeName(QByteArray::fromStdString(c.dataFile)),
                               TextView::EncodingOfName(c.record.encoding));
            finder->TextReplaced();
            ShowDocumentFormat();
            // The copy becomes this process's own: written again under its name before the old one goes.
            m_recovery->write(memo->TakeSnapshot(m_recovery->spareBuffer()),
                              RecoveryStore::OwnRecord(path, memo->EncodingName()));
            m_recovery->removeLater(c.id);
            return;
        }
        m_recovery->store().remove(c.id);
    }
}

void TfrmMain::writeRecoveryCopy() {
    if (!m_recovery->enabled()) return;
    if (!Modified()) {
        m_recovery->discard();
        return;
    }
    const QString real = DocumentFileName.isEmpty() ? QString() : resolvePath(DocumentFileName);
    m_recovery->copyInSlices(memo, RecoveryStore::OwnRecord(recordPath(real), memo->EncodingName()));
}

}  // namespace oruvan
