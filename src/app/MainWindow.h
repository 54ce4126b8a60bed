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
#include "app/CommandTable.h"
#include "app/ProgramPaths.h"
#include "app/WindowCommands.h"
#include "view/TextCopies.h"
#include "widgets/MessageBoxes.h"

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
class GripSplitter;
class DocumentController;
class IndexModel;
class IndexFollower;
class FindBar;
class TextFinder;
class MainMenus;
class RegisteredFilesMenu;

// A menu item of the Index menu.
class TMenuItem2 : public QAction {
    Q_OBJECT
public:
    using QAction::QAction;
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

    CommandTable& commands() const { return *m_commandTable; }
    WindowCommands& windowCommands() const { return *m_windowCommands; }

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
    // The search messages of the status bar ("見つかりません", ...).
    QString NoticeText() const;
    // "#RRGGBB" once chosen; empty: the text view's own colours.
    QString BackColor;
    QString TextColor;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void createControls();
    // The command table and the menus (MainCommands.cpp).
    void createCommands();
    void createMenus();
    void editSettings();
    void guarded(const std::function<void()>& handler) { ReportErrors(this, handler); }

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
    void openFileDropped(const QString& path);

    // Command handlers.
    void actFileUpDateExecute();
    void actFileSaveExecute();
    void actFileExitExecute();
    void actFileOpenExecute();
    void actIndexFilterExecute();
    void actOptHeadingLevelsExecute();
    void actOptHeadingLevelsUpdate(QAction* a);
    void actFileSaveUpdate(QAction* a);
    void actFileReopenUpdate(QAction* a);
    void actOptSaveEncodingUpdate(QAction* a);
    void actOptLineBreakUpdate(QAction* a);
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
    GripSplitter* m_bodySplitter = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_format = nullptr;
    IndexModel* m_comboModel = nullptr;
    IndexModel* m_listModel = nullptr;
    IndexFollower* m_follower = nullptr;
    CommandTable* m_commandTable = nullptr;
    WindowCommands* m_windowCommands = nullptr;
    MainMenus* m_menus = nullptr;
    RegisteredFilesMenu* m_registeredFiles = nullptr;
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
