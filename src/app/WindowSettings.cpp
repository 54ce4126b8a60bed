#include "app/WindowSettings.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>

#include "app/MainWindow.h"
#include "index/IndexController.h"
#include "platform/IniFile.h"
#include "settings/ProgramLayout.h"
#include "settings/WindowGeometry.h"
#include "view/TextView.h"
#include "widgets/Cp932Text.h"
#include "widgets/FilePaths.h"
#include "widgets/FindBar.h"
#include "widgets/UserError.h"

namespace oruvan {

namespace {
// The frame load() restored the window size against.
const char* const kFrameAtLoad = "frameAtLoad";
}  // namespace

WindowSettings::WindowSettings(MainWindow* window) : m_window(window) {}

void WindowSettings::load() {
    MainWindow& w = *m_window;
    IniFile ini(NativePath(w.m_paths.settingsFile));
    // Stored sizes are outer sizes. Where the platform knows the frame only once the window is shown, the
    // frame taken here is the one save() adds back, so that no session grows the window.
    w.create();
    const QMargins frameMargins = w.windowHandle() ? w.windowHandle()->frameMargins() : QMargins();
    const QSize margins(frameMargins.left() + frameMargins.right(),
                        frameMargins.top() + frameMargins.bottom());
    w.setProperty(kFrameAtLoad, margins);
    SettingsRecord defaults = DefaultSettings();
    defaults.left = w.pos().x();
    defaults.top = w.pos().y();
    // The designed size was given before any frame was known: it is the outer size.
    defaults.width = w.width();
    defaults.height = w.height();
    defaults.dropDownCount = w.m_index->headingCombo()->maxVisibleItems();
    const SettingsRecord s = ReadSettings(ini, defaults);

    // The stored bounds, as the window's minimum size admits them, then kept on the screen.
    WindowRect r{s.left, s.top, std::max(s.width, w.minimumWidth() + margins.width()),
                 std::max(s.height, w.minimumHeight() + margins.height())};
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    KeepWindowOnScreen(r, screenSize.width(), screenSize.height());
    FitWindowToScreen(r, screenSize.width(), screenSize.height());
    w.move(r.left, r.top);
    w.resize(std::max(r.width - margins.width(), w.minimumWidth()),
             std::max(r.height - margins.height(), w.minimumHeight()));

    w.RegisteredFiles.clear();
    for (const std::string& f : s.registeredFiles) w.RegisteredFiles.append(FromCp932(f));
    m_filesAsRead = s.registeredFiles;
    m_fontNameAsRead = s.fontName;
    w.SetWordWrap(s.wordWrap);
    w.SetListViewVisible(s.listViewVisible);
    w.StartUpIndex = s.startUpIndex;
    w.m_textView->SetFontName(FromCp932(s.fontName));
    w.m_textView->SetFontSize(s.fontSize);
    w.BackColor = QString::fromLatin1(s.backColor.c_str()).toUpper();
    w.TextColor = QString::fromLatin1(s.textColor.c_str()).toUpper();
    w.applyColors();
    QStringList history;
    for (const std::string& text : s.searchHistory) history << FromCp932(text);
    w.m_findBar->SetHistory(history);
    w.m_index->setOptions({TitleMarksFromText(s.titleMarks), s.ignoreHeadSpaces, s.captionIncludingTitleMark,
                         s.nextPageMenuIsHead, s.headingLevels, s.dropDownCount, s.foldSections});
    // Taken as the window holds them, so that only what the user changes counts as changed (the place
    // as read, where the platform does not say where the window is).
    m_settingsAsRead.left = r.left;
    m_settingsAsRead.top = r.top;
    m_settingsAsRead = current();
}

SettingsRecord WindowSettings::current() const {
    const MainWindow& w = *m_window;
    SettingsRecord s;
    std::vector<std::string> files;
    for (const QString& f : w.RegisteredFiles) files.push_back(f.toUtf8().toStdString());
    s.registeredFiles = BytesAsRead(m_filesAsRead, files);
    s.fontName = BytesAsRead({m_fontNameAsRead}, {w.m_textView->FontName().toUtf8().toStdString()}).front();
    s.fontSize = w.m_textView->FontSize();
    const IndexOptions& index = w.m_index->options();
    s.dropDownCount = index.dropDownCount;
    s.startUpIndex = w.StartUpIndex;
    s.titleMarks = TitleMarksToText(index.titleMarks);
    s.listViewVisible = w.GetListViewVisible();
    s.wordWrap = w.WordWrap;
    s.nextPageMenuIsHead = index.nextPageOnTop;
    s.ignoreHeadSpaces = index.ignoreHeadSpaces;
    s.captionIncludingTitleMark = index.captionIncludesMark;
    s.headingLevels = index.headingLevels;
    s.foldSections = index.foldSections;
    s.backColor = w.BackColor.toStdString();
    s.textColor = w.TextColor.toStdString();
    for (const QString& text : w.m_findBar->History()) s.searchHistory.push_back(ToCp932(text));
    const QSize margins = w.property(kFrameAtLoad).toSize();
    // Where the window system does not say, the stored place is kept for the next session under X11
    // rather than overwritten with what the window reports.
    const bool placed = WindowSystemTellsPlace(QGuiApplication::platformName().toStdString());
    s.left = placed ? w.pos().x() : m_settingsAsRead.left;
    s.top = placed ? w.pos().y() : m_settingsAsRead.top;
    s.width = w.width() + margins.width();
    s.height = w.height() + margins.height();
    return s;
}

void WindowSettings::save() {
    const MainWindow& w = *m_window;
    const SettingsRecord mine = current();
    if (w.m_paths.perUserSettings) CreateFolderFor(NativePath(w.m_paths.settingsFile));
    IniFile ini(NativePath(w.m_paths.settingsFile));
    // Another window may have saved since this one read the file: what this one did not change stays.
    const SettingsRecord onDisk = ReadSettings(ini, m_settingsAsRead);
    try {
        WriteSettings(ini, MergeChangedSettings(m_settingsAsRead, mine, onDisk));
    } catch (const IniWriteError&) {
        throw UserError(QCoreApplication::translate("oruvan::WindowSettings", "%1 に書き込めません").arg(w.m_paths.settingsFile));
    }
    m_settingsAsRead = mine;
}

}  // namespace oruvan
