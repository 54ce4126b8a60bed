#pragma once
// The open document's safety: changes made to its file by other programs, recovery copies of unsaved
// edits, and saves that keep hard links. Owned by the document, which it calls back plainly.
#include <QObject>
#include <QString>
#include <memory>

class QWidget;

namespace oruvan {

class DocumentController;
class DiskWatch;
class RecoveryWriter;
class TextView;
struct RecoveryCopy;

class DocumentGuard : public QObject {
public:
    // Recovery copies are kept in recoveryDir (none when empty); the window's activation is a moment to
    // look at the file.
    DocumentGuard(DocumentController& document, TextView* view, const QString& recoveryDir, QWidget* window);
    ~DocumentGuard() override;

    RecoveryWriter& recovery() const { return *m_recovery; }

    // Looks whether another program changed, removed or replaced the document's file.
    void check();
    // Watches the file at real as it is now (after it was read or written); empty: none.
    void track(const QString& real);
    // The file went away: the text lives only here, so it counts as modified.
    bool missing() const { return m_missingOnDisk; }
    void setMissing(bool missing) { m_missingOnDisk = missing; }
    // A new document: no file watched, no copy kept.
    void release();
    // Asks what must be asked before the file is written (changed by another program, read-only).
    bool confirmOverwrite(const QString& real);
    // Writes the document to real, under the name it was given; false when the user stopped it.
    bool saveKeepingLinks(const QString& real);
    // Reads the file again, the caret and the top line kept where the text allows.
    void reload();

    // Offers the copies left for the file at real; with no file, those of unnamed documents and of
    // files gone since.
    void offerRecovery(const QString& real);
    // Opening a file gone since its edits were kept offers them; false when there are none.
    bool openLeftCopy(const QString& name, const QString& real);
    // A copy of the edits, or none when there are none.
    void writeCopy();
    // The document's copy is no longer wanted (saved, or given up).
    void discardCopy();
    // Copies that cannot be written are said in a message once, at a save or close.
    void sayCopiesFail();

private:
    // Offers the copies left for the file at real, shown as name. True when one was restored.
    bool offerLeftCopies(const QString& name, const QString& real);
    void restoreCopy(const RecoveryCopy& c, const QString& name);
    void followDocumentName(const QString& real);
    // Recovery copies that cannot be written: said once in the status bar.
    void noteCopyResult(int error);
    QString recoveryFolder() const;

    DocumentController& m_document;
    TextView* m_view;
    QWidget* m_window;
    std::unique_ptr<DiskWatch> m_diskWatch;
    std::unique_ptr<RecoveryWriter> m_recovery;
    bool m_missingOnDisk = false;
    bool m_checkingDisk = false;
    bool m_copyFailSaid = false;   // in the status bar
    bool m_copyFailShown = false;  // in a message
};

}  // namespace oruvan
