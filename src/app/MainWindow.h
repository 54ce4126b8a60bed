#pragma once
// The main window: layout, menus and command table, the index views, caret tracking, the settings it
// holds and the open document.
#include <QAction>
#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "outline/IndexEntry.h"
#include "outline/TitleMarks.h"
#include "platform/TextEncoding.h"
#include "settings/SettingsRecord.h"
#include "app/ProgramPaths.h"
#include "view/TextCopies.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QSplitter;
class QStatusBar;
class QStyle;
class QFileDialog;

namespace oruvan {

class TextView;
class TNvSplitter;
class DocumentController;
class IndexModel;
class IndexFollower;
class FindBar;
class TextFinder;

// A menu item with the two fields the File menu and the Index menu use.
class TMenuItem2 : public QAction {
    Q_OBJECT
public:
    using QAction::QAction;
    QString FilePath;
    int EntryNumber = 0;
};

class MainWindow : public QMainWindow {
    Q_OBJECT
public:

    explicit MainWindow(ProgramPaths paths, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up after the window is shown: the first document, then the hint delay.
    void Startup(const QStringList& arguments);

    // Index building and views.
    void UpdateIndex();
    void RebuildIndex();
    void SelectEntry(int n);
    int CurrentEntry() const;
    int EntryCount() const;
    void SuspendIndexRebuild() { IndexRebuildSuspended = true; }
    void ResumeIndexRebuild();
    int RebuildCount() const { return m_rebuildCount; }
    void BuildIndexMenu();
    // The Index menu's own items above the entries: the filter command and a separator.
    static constexpr int kIndexMenuHead = 2;

    // Navigation and caret tracking.
    int EntryLine(int n) const;
    void JumpToEntry(int n);
    void GoPrevEntry();
    void GoNextEntry();
    void TrackCaret();
    void Timer1Timer();
    void SetStatusText(const QString& text);
    QString StatusText() const;

    // Settings held by the window.
    void LoadSettings();
    void SaveSettings();
    SettingsRecord CurrentSettings() const;
    void SetWordWrap(bool on);
    bool GetListViewVisible() const;
    void SetListViewVisible(bool on);
    void SetNextPageMenuIsHead(bool on);
    void SetIgnoreHeadSpaces(bool on);
    void SetCaptionIncludingTitleMark(bool on);
    void SetHeadingLevels(bool on);
    int DropDownCount() const;
    void SetDropDownCount(int n);

    // The open document: open, save, ask to save, its name and the format of its next save.
    DocumentController* document() const { return m_document.get(); }

    // Runs a command as its key or menu item would: refresh, then execute when enabled.
    bool RunCommand(const QString& name);
    QAction* Command(const QString& name) const;
    // Runs every command's update handler (idle time and menu opening).
    void UpdateCommands();

    TextView* textView() const { return m_textView; }
    FindBar* findBar() const { return m_findBar; }
    TextFinder* finder() const { return m_finder; }

    QComboBox* cmbMain = nullptr;
    QListView* ListBox1 = nullptr;
    QLineEdit* edtFilter = nullptr;  // the list box's heading filter
    QMenu* mnuIndex = nullptr;
    QMenu* File1 = nullptr;
    QTimer* Timer1 = nullptr;

    oruvan::TitleMarkList TitleMarkList;
    QStringList RegisteredFiles;
    bool WordWrap = false;
    bool NextPageMenuIsHead = false;
    bool CaptionIncludingTitleMark = false;
    bool IgnoreHeadSpaces = false;
    bool HeadingLevels = false;
    bool IndexRebuildSuspended = false;
    int StartUpIndex = -1;

    const ProgramPaths& paths() const { return m_paths; }
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

    void FillIndexLists();
    void FitListBoxExtent();
    void fillIndexPage(QMenu* menu, int page);
    void cmbMainChange();
    void ListBox1Click();
    void IndexMenuItemClick(TMenuItem2* sender);
    void RichEdit1Change();
    // The heading filter above the list box.
    QWidget* createListPanel(QWidget* parent);
    void edtFilterChange();
    bool edtFilterKeyPress(QKeyEvent* e);
    void chooseListRow(int row);
    HeadingRules headingRules() const;

    // The open document and what the window shows of it.
    void createDocument();
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
    QWidget* m_listPanel = nullptr;
    QPointer<QWidget> m_focusBeforeFilter;
    QMetaObject::Connection m_focusWatch;
    QSplitter* m_topSplitter = nullptr;
    TNvSplitter* m_bodySplitter = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_format = nullptr;
    IndexModel* m_comboModel = nullptr;
    IndexModel* m_listModel = nullptr;
    IndexFollower* m_follower = nullptr;
    std::vector<std::unique_ptr<CommandEntry>> m_commands;
    struct KeyBinding {
        int key;
        QAction* action;
        bool inMenu;
    };
    std::vector<KeyBinding> m_keys;
    // The list box's two measures of each entry (FitListBoxExtent), item for item beside the index.
    struct RowWidth {
        double estimate = -1;
        int exact = -1;
    };
    std::vector<RowWidth> m_rowWidths;
    QFont m_rowWidthFont;
    const QStyle* m_rowWidthStyle = nullptr;
    TextCopies m_copies;
    std::unique_ptr<DocumentController> m_document;
    bool m_selecting = false;
    bool m_followEdits = false;  // a rebuild may follow the edits rather than scan the whole text
    int m_rebuildCount = 0;
    int m_dropDownCount = 16;
    int m_listWidth = 121;
    // The settings file's bytes for the registered files and the face name, written back for what
    // the user did not change.
    std::vector<std::string> m_filesAsRead;
    std::string m_fontNameAsRead;
    // The settings as this window last read or wrote them: at close it writes over the file only what
    // it changed since, so that what another window saved meanwhile stays.
    SettingsRecord m_settingsAsRead;
};

}  // namespace oruvan
