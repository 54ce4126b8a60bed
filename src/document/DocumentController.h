#pragma once
// The open document: reading, saving, a new one, asking to save, whether it is modified, its name, and
// the encoding and line breaks of its next save. What else the window shows of it (caption, index,
// status bar) follows its signals, emitted where each effect belongs in the order of a command.
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

#include "outline/ChangeWindow.h"
#include "platform/TextEncoding.h"

class QTimer;
class QWidget;

namespace oruvan {

class TextView;
class TextCopies;
class DocumentGuard;
class RecentDocuments;

class DocumentController : public QObject {
    Q_OBJECT
public:
    // Why the window asks whether to save: another document takes this one's place, or it closes.
    enum class AskReason { Replacing, Closing };

    // Names are taken against programDir; recovery copies are kept in recoveryDir (none when empty).
    // The view, the copies and the window outlive the controller.
    DocumentController(TextView* view, TextCopies* copies, const QString& programDir,
                       const QString& recoveryDir, QWidget* window);
    ~DocumentController() override;

    // Reads the file in `encoding`, or in the one its first bytes show.
    void open(const QString& path, std::optional<Encoding> encoding = std::nullopt);
    // The file chooser's pick, opened.
    void openChosen();
    void saveTo(const QString& path);
    // Under its name, or as Save As does for a document without one.
    void save();
    void saveAs();
    void newDocument();
    // Yes saves (through Save As for a document without a name); false means the caller stops. Closing
    // also says first that recovery copies fail, thanks after a save, and gives up the document's copy.
    bool askToSave(AskReason reason);
    bool isModified() const;
    // Whether the status bar shows the document as modified. Edits are followed at the cost of the
    // stretch they touched; after one too large for that, the whole text is compared a moment later.
    bool modifiedShown() const { return m_modifiedShown; }
    // The text as it stands is the saved one.
    void markSaved();
    const QString& fileName() const { return m_fileName; }
    // Save is offered (not for a new document until it has a name).
    bool canSave() const { return m_saveEnabled; }
    // A name taken against the program's folder.
    QString resolve(const QString& path) const;

    // Reads the document's file again, in `encoding` or as detected.
    void reopen(std::optional<Encoding> encoding);
    // The encoding of the next save. Asks first when it cannot hold every character; false when the
    // user keeps the old one.
    bool setSaveEncoding(Encoding e);
    // Converts every break of the document, which later saves keep.
    void setLineBreak(LineBreak b);
    // Whether a save item stands for the encoding the next save writes (one item for UTF-16 with or
    // without a byte order mark), and a break item for the breaks it writes.
    bool isSaveEncoding(Encoding item) const;
    bool isLineBreak(LineBreak item) const;
    // The status bar's right panel: "<encoding>  <break>".
    QString formatText() const;

    // Stands in for the file dialogs (tests): given true for Save As, returns the chosen path or "".
    void setFileChooser(std::function<QString(bool save)> chooser) { m_fileChooser = std::move(chooser); }
    DocumentGuard& guard() const { return *m_guard; }
    // Each file opened or saved goes on the desktop's list of recently used files at `listFile`.
    void setRecentList(const QString& listFile, const QString& appName);
    RecentDocuments* recent() const { return m_recent.get(); }

Q_SIGNALS:
    // The view holds another text: what was found in the old one is void.
    void textReplaced();
    // The index should follow the text.
    void rebuildIndexWanted();
    // The caret moved other than by the user.
    void caretMoved();
    // A message for the status bar.
    void notice(const QString& text);
    // The document has another name (empty: none).
    void fileNameChanged(const QString& path);
    // The encoding or breaks of the next save changed: formatText() as it now reads.
    void formatChanged(const QString& text);
    // modifiedShown() changed.
    void modifiedChanged(bool modified);

private:
    friend class DocumentGuard;

    void setFileName(const QString& path);
    // The text differs from the one last saved (a file gone since does not count here).
    bool textEdited() const;
    Encoding savedEncoding() const { return m_savedEncoding; }
    // No text was saved yet: any text counts as modified.
    void markNothingSaved();
    // The text in the view becomes a document never saved, bearing name.
    void adoptUnsaved(const QString& name);
    void showFormat();
    // Works out modifiedShown() again; `compareWhole` allows comparing the whole text when the edits
    // since the save are too large to follow.
    void updateModified(bool compareWhole = false);
    // Before a save: when the encoding has no code for some character of the text, asks whether to save
    // in UTF-8 and makes the document UTF-8 on a yes; false: nothing may be written.
    bool saveKeepsEveryCharacter();
    QString chooseFile(bool save);

    TextView* m_view;
    TextCopies* m_copies;
    QWidget* m_window;
    QString m_programDir;
    std::unique_ptr<DocumentGuard> m_guard;
    QString m_fileName;
    // The encoding and break style of the text last opened or saved: choosing others modifies it.
    Encoding m_savedEncoding = Encoding::ShiftJis;
    LineBreak m_savedBreak = LineBreak::CrLf;
    bool m_saveEnabled = true;
    std::function<QString(bool save)> m_fileChooser;
    // Each file dialog reopens on its own last choice.
    QString m_lastOpenChoice;
    QString m_lastSaveChoice;
    std::unique_ptr<TextAccess> m_access;
    std::unique_ptr<RecentDocuments> m_recent;
    ChangeWindow m_sinceSaved;
    long m_savedDocument = 0;  // the view's document the window follows
    bool m_modifiedShown = false;
    QTimer* m_compareLater = nullptr;
};

}  // namespace oruvan
