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
#include "app/CommandTable.h"
#include "app/ProgramPaths.h"
#include "app/WindowCommands.h"
#include "app/WindowSettings.h"
#include "view/TextCopies.h"
#include "widgets/MessageBoxes.h"

class QFrame;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QFileDialog;

namespace oruvan {

class TextView;
class GripSplitter;
class DocumentController;
class IndexController;
class FindBar;
class TextFinder;
class MainMenus;
class RegisteredFilesMenu;

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
    // The caret's section or the selection, counted, in the status bar (soon after the caret moves).
    void ShowCounts();
    QString CountText() const;
    // "変更あり" while the document has unsaved changes, else empty.
    QString ModifiedText() const;
    QString StatusText() const;

    // Settings held by the window; the settings file is WindowSettings'.
    void SetWordWrap(bool on);
    bool GetListViewVisible() const;
    void SetListViewVisible(bool on);

    // The open document: open, save, ask to save, its name and the format of its next save.
    DocumentController* document() const { return m_document.get(); }

    CommandTable& commands() const { return *m_commandTable; }
    WindowCommands& windowCommands() const { return *m_windowCommands; }

    TextView* textView() const { return m_textView; }
    FindBar* findBar() const { return m_findBar; }
    TextFinder* finder() const { return m_finder; }

    QMenu* fileMenu() const;

    QStringList RegisteredFiles;
    bool WordWrap = false;
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
    friend class WindowSettings;  // reads the parts into the settings file and back
    void createControls();
    // The command table and the menus (MainCommands.cpp).
    void createCommands();
    void createMenus();
    void editSettings();
    // The whole text counted: characters, sheets, lines and headings.
    void showDocumentInfo();
    void guarded(const std::function<void()>& handler) { ReportErrors(this, handler); }

    // The open document and what the window shows of it.
    void createDocument();
    QString resolvePath(const QString& path) const;
    void openFileDropped(const QString& path);

    void applyColors();

    ProgramPaths m_paths;
    TextView* m_textView = nullptr;
    FindBar* m_findBar = nullptr;
    TextFinder* m_finder = nullptr;
    QFrame* m_headingBar = nullptr;
    QSplitter* m_topSplitter = nullptr;
    GripSplitter* m_bodySplitter = nullptr;
    QLabel* m_status = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_format = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_modified = nullptr;
    bool m_countPending = false;
    IndexController* m_index = nullptr;
    CommandTable* m_commandTable = nullptr;
    WindowCommands* m_windowCommands = nullptr;
    MainMenus* m_menus = nullptr;
    RegisteredFilesMenu* m_registeredFiles = nullptr;
    TextCopies m_copies;
    std::unique_ptr<DocumentController> m_document;
    int m_listWidth = 121;
    WindowSettings m_settings;
};

}  // namespace oruvan
