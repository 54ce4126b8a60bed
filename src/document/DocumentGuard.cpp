#include "document/DocumentGuard.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "document/DiskWatch.h"
#include "document/DocumentController.h"
#include "document/RecoveryWriter.h"
#include "platform/CarefulWrite.h"
#include "platform/EncodingDetector.h"
#include "platform/RecoveryStore.h"
#include "view/TextView.h"
#include "widgets/FilePaths.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

namespace {
// Texts in the user's language, looked up when shown (the translator is installed after static set-up).
QString Text(const char* text) { return QCoreApplication::translate("oruvan::DocumentGuard", text); }
const char* const kReloaded = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "ファイルが他のプログラムで変更されたため読み込み直しました");
const char* const kGone = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "ファイルが削除されたか名前が変更されました");
const char* const kChangedAsk = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "%1 は他のプログラムで変更されています。上書きしますか?");
const char* const kRecoverAsk = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "%1 には保存されていない変更が残っています。復元しますか?");
const char* const kUnnamed = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "名前のない文書");
const char* const kChangedOnDisk = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "ファイルが他のプログラムで変更されました");
const char* const kReadOnlyAsk = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "%1 は読み取り専用です。上書きしますか?");
const char* const kNoCopy = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", "復元用のコピーを %1 に保存できません");
const char* const kNoCopySaid = QT_TRANSLATE_NOOP("oruvan::DocumentGuard", 
    "復元用のコピーを %1 に保存できません。\n保存していない変更は、プログラムが異常終了すると失われます。");
const char* const kNoSafetyCopyAsk = QT_TRANSLATE_NOOP(
    "oruvan::DocumentGuard",
    "復元用のコピーを %1 に保存できません。\n保存が途中で止まると文書が失われることがあります。保存しますか?");

// Records name files by absolute path, whatever form the document's name was given in.
std::string recordPath(const QString& real) {
    return real.isEmpty() ? std::string() : NativePath(QFileInfo(real).absoluteFilePath());
}
}  // namespace

DocumentGuard::DocumentGuard(DocumentController& document, TextView* view, const QString& recoveryDir,
                             QWidget* window)
    : m_document(document),
      m_view(view),
      m_window(window),
      m_diskWatch(std::make_unique<DiskWatch>(window)),
      m_recovery(std::make_unique<RecoveryWriter>(NativePath(recoveryDir))) {
    connect(m_diskWatch.get(), &DiskWatch::check, this,
            [this] { ReportErrors(m_window, [this] { check(); }); });
    m_recovery->setOnPause([this] { ReportErrors(m_window, [this] { writeCopy(); }); });
    m_recovery->setOnResult([this](int error) { noteCopyResult(error); });
    connect(m_view, &TextView::changed, this,
            [this] { m_recovery->noteEdit(static_cast<std::size_t>(m_view->Utf8Length())); });
}

DocumentGuard::~DocumentGuard() = default;

QString DocumentGuard::recoveryFolder() const { return PathFromNative(m_recovery->store().folder()); }

void DocumentGuard::noteCopyResult(int error) {
    if (!error) {
        m_copyFailSaid = m_copyFailShown = false;
        return;
    }
    if (m_copyFailSaid) return;
    m_copyFailSaid = true;
    Q_EMIT m_document.notice(Text(kNoCopy).arg(recoveryFolder()));
}

void DocumentGuard::sayCopiesFail() {
    if (!m_recovery->error() || m_copyFailShown) return;
    m_copyFailShown = true;
    ShowMessage(m_window, Text(kNoCopySaid).arg(recoveryFolder()));
}

void DocumentGuard::track(const QString& real) { m_diskWatch->track(real); }

void DocumentGuard::discardCopy() { m_recovery->discard(); }

void DocumentGuard::release() {
    m_recovery->discard();
    m_diskWatch->track(QString());
    m_missingOnDisk = false;
}

void DocumentGuard::check() {
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
                Q_EMIT m_document.notice(Text(kGone));
                writeCopy();
            }
            break;
        case DiskWatch::State::Changed:
            // Once per change: a file that cannot be read is not reported at every activation.
            if (!m_diskWatch->newChange()) break;
            if (m_document.textEdited()) {
                // Edits stay until the user saves; Save then asks before overwriting.
                m_missingOnDisk = false;
                Q_EMIT m_document.notice(Text(kChangedOnDisk));
            } else {
                reload();
            }
            break;
    }
}

bool DocumentGuard::confirmOverwrite(const QString& real) {
    const QString watched = m_diskWatch->path();
    if (!watched.isEmpty() && (watched == real || SameFilePath(watched, real)) &&
        m_diskWatch->state() == DiskWatch::State::Changed) {
        if (!m_document.textEdited())
            reload();  // nothing of ours to write over their text: take theirs
        else if (AskYesNo(m_window, Text(kChangedAsk).arg(m_document.fileName()), Answer::No) != Answer::Yes)
            return false;
    }
    // A save would replace it through its folder, which the user may not expect of a read-only file.
    return !IsReadOnlyFile(NativePath(real)) ||
           AskYesNo(m_window, Text(kReadOnlyAsk).arg(real), Answer::No) == Answer::Yes;
}

bool DocumentGuard::saveKeepingLinks(const QString& real) {
    // An in-place rewrite changes the one file every link shares; its old text is kept as a recovery
    // copy until the new one is safely written, in case the program dies part way.
    std::string kept;
    bool asked = false;
    if (m_recovery->enabled() && WritesInPlace(NativePath(real))) {
        QFile old(real);
        if (old.open(QIODevice::ReadOnly)) {
            const QByteArray read = old.readAll();
            const std::string_view bytes(read.constData(), static_cast<std::size_t>(read.size()));
            // Named by the encoding its bytes are in, not the one this save writes: the text as read when
            // the file is still the one read, else what its bytes show.
            const QString watched = m_diskWatch->path();
            const bool asRead = !watched.isEmpty() && (watched == real || SameFilePath(watched, real)) &&
                                m_diskWatch->state() == DiskWatch::State::Same;
            const Encoding encoding = asRead ? m_document.savedEncoding() : DetectEncoding(bytes, true);
            kept = RecoveryStore::NewId();
            if (m_recovery->store().save(
                    kept, bytes,
                    RecoveryStore::OwnRecord(recordPath(real), TextView::NameOfEncoding(encoding))) != 0) {
                kept.clear();
                asked = m_copyFailShown = true;
                if (AskYesNo(m_window, Text(kNoSafetyCopyAsk).arg(recoveryFolder()), Answer::No) != Answer::Yes) {
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
        m_view->SaveToFile(real);
    } catch (...) {
        followDocumentName(real);
        throw;
    }
    return true;
}

void DocumentGuard::followDocumentName(const QString& real) {
    // The document bears the name even though it was not written there: its watch and recovery copy
    // go along, so that its edits are offered under that name after a crash.
    if (m_diskWatch->path() != real) m_diskWatch->track(real);
    writeCopy();
}

void DocumentGuard::reload() {
    const QString real = m_diskWatch->path();
    const int line = m_view->CaretLine();
    const int top = m_view->LineAtTop();
    m_view->LoadFromFile(real, m_view->DocumentEncoding());
    Q_EMIT m_document.textReplaced();
    const int last = std::max(0, m_view->LineCount() - 1);
    m_view->SetCaretToLineStart(std::min(line, last));
    m_view->ScrollLineToTop(std::min(top, last));
    m_document.markSaved();
    m_document.showFormat();
    m_diskWatch->track(real);
    m_recovery->discard();
    Q_EMIT m_document.rebuildIndexWanted();
    Q_EMIT m_document.caretMoved();
    Q_EMIT m_document.notice(Text(kReloaded));
}

void DocumentGuard::offerRecovery(const QString& real) {
    offerLeftCopies(real.isEmpty() ? QString() : m_document.fileName(), real);
}

bool DocumentGuard::openLeftCopy(const QString& name, const QString& real) {
    if (!m_recovery->enabled()) return false;
    const std::vector<RecoveryCopy> left = m_recovery->store().orphans();
    const std::string path = recordPath(real);
    if (std::none_of(left.begin(), left.end(),
                     [&path](const RecoveryCopy& c) { return c.record.path == path; }))
        return false;
    return !m_document.askToSave(DocumentController::AskReason::Replacing) || offerLeftCopies(name, real);
}

bool DocumentGuard::offerLeftCopies(const QString& name, const QString& real) {
    if (!m_recovery->enabled()) return false;
    const std::string path = recordPath(real);
    for (const RecoveryCopy& c : m_recovery->store().orphans()) {
        const QString file = PathFromNative(c.record.path);
        // Without a file: the copies of unnamed documents, and of files gone since (renamed, deleted).
        const bool ours = real.isEmpty()
                              ? file.isEmpty() || !QFileInfo(file).isFile()
                              : c.record.path == path || (!file.isEmpty() && SameFilePath(file, real));
        if (!ours) continue;
        const QString shown = !real.isEmpty() ? name : file.isEmpty() ? Text(kUnnamed) : file;
        if (AskYesNo(m_window, Text(kRecoverAsk).arg(shown), Answer::Yes) == Answer::Yes) {
            restoreCopy(c, real.isEmpty() ? file : name);
            return true;
        }
        m_recovery->store().remove(c.id);
    }
    return false;
}

void DocumentGuard::restoreCopy(const RecoveryCopy& c, const QString& name) {
    const QString real = name.isEmpty() ? QString() : m_document.resolve(name);
    const bool opened = !real.isEmpty() && QFileInfo(real).isFile() && m_document.fileName() == name;
    m_view->LoadFromFile(PathFromNative(c.dataFile), TextView::EncodingOfName(c.record.encoding));
    Q_EMIT m_document.textReplaced();
    if (!opened) {
        // No file holds any of it: the copy is the document, under the name it had, to be saved again.
        m_recovery->discard();
        m_document.adoptUnsaved(name);
        m_diskWatch->track(real);
        m_missingOnDisk = !real.isEmpty();
        Q_EMIT m_document.rebuildIndexWanted();
    }
    m_document.showFormat();
    // The copy becomes this process's own: written again under its name before the old one goes.
    m_recovery->write(m_view->TakeSnapshot(m_recovery->spareBuffer()),
                      RecoveryStore::OwnRecord(recordPath(real), m_view->EncodingName()));
    m_recovery->removeLater(c.id);
}

void DocumentGuard::writeCopy() {
    // Not of text still being composed: its commit or cancel is an edit, and the copy follows it.
    if (!m_recovery->enabled() || m_view->Composing()) return;
    if (!m_document.isModified()) {
        m_recovery->discard();
        return;
    }
    const QString name = m_document.fileName();
    const QString real = name.isEmpty() ? QString() : m_document.resolve(name);
    m_recovery->copyInSlices(m_view, RecoveryStore::OwnRecord(recordPath(real), m_view->EncodingName()));
}

}  // namespace oruvan
