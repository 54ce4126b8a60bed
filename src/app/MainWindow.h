#pragma once
// The main window: layout, menus and command table, caret tracking, the settings it holds and the open
// document; the index and its views are IndexController's.
#include <QAction>
#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/TextEncoding.h"
#include "settings/SettingsRecord.h"
#include "app/ProgramPaths.h"
#include "view/TextCopies.h"

class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QFileDialog;

namespace oruvan {

class TextView;
class TNvSplitter;
class DiskWatch;
class RecoveryWriter;
struct RecoveryCopy;
class IndexController;
class FindBar;
class TextFinder;

// A File menu item with the registered file it opens.
class TMenuItem2 : public QAction {
    Q_OBJECT
public:
    using QAction::QAction;
    QString FilePath;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:

    explicit MainWindow(ProgramPaths paths, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up after the window is shown: the first document, then the hint delay.
    void Startup(const QStringList& arguments);

    // The index of headings and its views.
    IndexController* index() const { return m_index; }

    // The caret status, then the heading the caret is under.
    void TrackCaret();
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Settings held by the window.
    void LoadSettings();
    void SaveSettings();
    SettingsRecord CurrentSettings() const;
    void SetWordWrap(bool on);
    bool GetListViewVisible() const;
    void SetListViewVisible(bool on);

    // The document.
    // Reads the file in `encoding`, or in the one its first bytes show.
    void OpenDocument(const QString& path, std::optional<Encoding> encoding = std::nullopt);
    void SaveDocumentTo(const QString& path);
    void SetDocumentFileName(const QString& path);
    bool Modified() const;
    void SetUnmodified();
    void N10Click();  // New
    // Looks whether another program changed, removed or replaced the document's file.
    void CheckDisk();
    RecoveryWriter& Recovery() const { return *m_recovery; }

    // The document's encoding and line breaks (MainWindowFormat.cpp).
    // Reads the document's file again, in `encoding` or as detected.
    void ReopenWithEncoding(std::optional<Encoding> encoding);
    // The encoding of the next save. Asks first when it cannot hold every character; false when the
    // user keeps the old one.
    bool ChooseSaveEncoding(Encoding e);
    // Converts every break of the document, which later saves keep.
    void ChooseLineBreak(LineBreak b);
    // The status bar's right panel: "<encoding>  <break>".
    QString DocumentFormatText() const;
    void ShowDocumentFormat();

    // Runs a command as its key or menu item would: refresh, then execute when enabled.
    bool RunCommand(const QString& name);
    QAction* Command(const QString& name) const;
    // Runs every command's update handler (idle time and menu opening).
    void UpdateCommands();

    TextView* textView() const { return m_textView; }
    FindBar* findBar() const { return m_findBar; }
    TextFinder* finder() const { return m_finder; }

    QMenu* File1 = nullptr;

    QStringList RegisteredFiles;
    QString DocumentFileName;
    bool WordWrap = false;
    int StartUpIndex = -1;

    const ProgramPaths& paths() const { return m_paths; }
    // Stands in for the file dialogs (tests): given true for Save As, returns the chosen path or "".
    std::function<QString(bool save)> m_fileChooser;
    // Stands in for the colour dialog (tests): the chosen colour, or an invalid one for Cancel.
    std::function<QColor(const QColor& initial)> m_colorChooser;
    // The search messages of the status bar ("見つかりません", ...).
    QString NoticeText() const;
    // "#RRGGBB" once chosen; empty: the text view's own colours.
    QString BackColor;
    QString TextColor;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    struct CommandEntry;
    void createControls();
    void createCommands();
    void createMenus();
    // The submenus of the reopen command, and the Settings menu's encoding and break items.
    void createFormatMenus(QMenu* settings);
    QAction* addItem(QMenu* menu, const QString& commandName, const QString& ownCaption = {},
                     int ownPicture = -2);
    QAction* addOwnItem(QMenu* menu, const QString& caption, const QString& key, int picture,
                        std::function<void()> handler);
    void bindKey(const QString& key, QAction* action, bool inMenu);
    bool dispatchKey(QKeyEvent* e);
    // Alt and a letter that reached a control unclaimed: an access key of the find bar or of a menu,
    // or nothing (MainWindowKeys.cpp).
    bool accessKey(QWidget* receiver, QKeyEvent* e);
    void execute(CommandEntry& c);
    // Runs a handler, showing an error it raises in the error box.
    void guarded(const std::function<void()>& handler);

    bool askToSave();
    // Before a save (MainWindowFormat.cpp): when the encoding has no code for some character of the text,
    // asks whether to save in UTF-8 and makes the document UTF-8 on a yes; false: nothing may be written.
    bool saveKeepsEveryCharacter();
    // The document's safety against other programs and crashes (MainWindowSafety.cpp).
    void setupSafety();
    bool textEdited() const;
    // Asks what must be asked before the file is written (changed by another program, read-only).
    bool confirmOverwrite(const QString& real);
    // Writes the document to real, under the name it was given; false when the user stopped it.
    bool saveKeepingLinks(const QString& real);
    void followDocumentName(const QString& real);
    void reloadFromDisk();
    void offerRecovery(const QString& real);
    // Offers the copies left for the file at real, shown as name; with no file, those of unnamed
    // documents and of files gone since. True when one was restored.
    bool offerLeftCopies(const QString& name, const QString& real);
    // Opening a file gone since its edits were kept offers them; false when there are none.
    bool openLeftCopy(const QString& name, const QString& real);
    void restoreCopy(const RecoveryCopy& c, const QString& name);
    void writeRecoveryCopy();
    // Recovery copies that cannot be written: said once in the status bar, and at a save or close.
    void noteRecoveryResult(int error);
    void sayCopiesFail();
    QString recoveryFolder() const;
    QString chooseFile(bool save);
    QString resolvePath(const QString& path) const;
    void File1Click();
    void openFileDropped(const QString& path);

    // Command handlers.
    void actFileUpDateExecute();
    void actFileSaveExecute();
    void actFileExitExecute();
    void actFileOpenExecute();
    void actOptFontCtrlExecute();
    void actOptSettingExecute();
    void actAboutExecute();
    void actOptWordWrapExecute();
    void actOptWordWrapUpdate(QAction* a);
    void actOptHelpExecute();
    void actEditCopyExecute();
    void actEditCutExecute();
    void actEditPasteExecute();
    void actEditDeleteExecute();
    void actEditSelectAllExecute();
    void actEditUndoExecute();
    void actEditCopyUpdate(QAction* a);
    void actEditCutUpdate(QAction* a);
    void actEditDeleteUpdate(QAction* a);
    void actEditUndoUpdate(QAction* a);
    void actBtnMinimizeExecute();
    void actOptOpenFolderExecute();
    void actShowListViewExecute();
    void actShowListViewUpdate(QAction* a);
    void actIndexFilterExecute();
    void actOptHeadingLevelsExecute();
    void actOptHeadingLevelsUpdate(QAction* a);
    void actFileSaveUpdate(QAction* a);
    void actFileReopenUpdate(QAction* a);
    void actOptSaveEncodingUpdate(QAction* a);
    void actOptLineBreakUpdate(QAction* a);
    void SaveAs1Click();
    void actEditFindExecute();
    void actEditReplaceExecute();
    void actEditFindNextExecute();
    void actEditFindPrevExecute();
    void actEditGoToLineExecute();
    void actEditRedoExecute();
    void actEditRedoUpdate(QAction* a);
    void actOptBackColorExecute();
    void actOptTextColorExecute();
    QColor chooseColor(const QColor& initial, const QString& title);
    void applyColors();

    ProgramPaths m_paths;
    TextView* m_textView = nullptr;
    FindBar* m_findBar = nullptr;
    TextFinder* m_finder = nullptr;
    QFrame* Panel1 = nullptr;
    QSplitter* m_topSplitter = nullptr;
    TNvSplitter* m_bodySplitter = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_format = nullptr;
    IndexController* m_index = nullptr;
    std::vector<std::unique_ptr<CommandEntry>> m_commands;
    struct KeyBinding {
        int key;
        QAction* action;
        bool inMenu;
    };
    std::vector<KeyBinding> m_keys;
    TextCopies m_copies;
    // The encoding and break style of the text last opened or saved: choosing others modifies it.
    Encoding m_savedEncoding = Encoding::ShiftJis;
    LineBreak m_savedBreak = LineBreak::CrLf;
    bool m_saveEnabled = true;
    DiskWatch* m_diskWatch = nullptr;
    std::shared_ptr<RecoveryWriter> m_recovery;
    // The file went away: the text lives only here, so it counts as modified.
    bool m_missingOnDisk = false;
    bool m_checkingDisk = false;
    bool m_copyFailSaid = false;   // in the status bar
    bool m_copyFailShown = false;  // in a message
    int m_listWidth = 121;
    // Each file dialog reopens on its own last choice.
    QString m_lastOpenChoice;
    QString m_lastSaveChoice;
    // The settings file's bytes for the registered files and the face name, written back for what
    // the user did not change.
    std::vector<std::string> m_filesAsRead;
    std::string m_fontNameAsRead;
    // The settings as this window last read or wrote them: at close it writes over the file only what
    // it changed since, so that what another window saved meanwhile stays.
    SettingsRecord m_settingsAsRead;
};

}  // namespace oruvan
