// The main window's wiring of its document, and the settings it holds.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QScreen>
#include <QSplitter>
#include <QWindow>

#include "document/DocumentController.h"
#include "index/HeadingFilterField.h"
#include "index/IndexController.h"
#include "widgets/FilePaths.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "widgets/UserError.h"
#include "app/MainWindow.h"
#include "platform/IniFile.h"
#include "settings/WindowGeometry.h"
#include "settings/ProgramLayout.h"
#include "settings/SettingsRecord.h"
#include "widgets/Cp932Text.h"
#include "widgets/FindBar.h"
#include "widgets/MessageBoxes.h"
#include "widgets/GripSplitter.h"
#include "version/Version.h"

namespace oruvan {

namespace {
const QString kCaptionPrefix = QString::fromLatin1(version::kNameAndNumber) + QStringLiteral(" - ");

// The frame LoadSettings restored the window size against.
const char* const kFrameAtLoad = "frameAtLoad";
}  // namespace

// ---- settings ----

void MainWindow::LoadSettings() {
    IniFile ini(NativePath(m_paths.settingsFile));
    // Stored sizes are outer sizes. Where the platform knows the frame only once the window is shown, the
    // frame taken here is the one SaveSettings adds back, so that no session grows the window.
    create();
    const QMargins frameMargins = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const QSize margins(frameMargins.left() + frameMargins.right(),
                        frameMargins.top() + frameMargins.bottom());
    setProperty(kFrameAtLoad, margins);
    SettingsRecord current = DefaultSettings();
    current.left = pos().x();
    current.top = pos().y();
    // The designed size was given before any frame was known: it is the outer size.
    current.width = width();
    current.height = height();
    current.dropDownCount = m_index->headingCombo()->maxVisibleItems();
    const SettingsRecord s = ReadSettings(ini, current);

    // The stored bounds, as the window's minimum size admits them, then kept on the screen.
    WindowRect r{s.left, s.top, std::max(s.width, minimumWidth() + margins.width()),
                 std::max(s.height, minimumHeight() + margins.height())};
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    KeepWindowOnScreen(r, screenSize.width(), screenSize.height());
    FitWindowToScreen(r, screenSize.width(), screenSize.height());
    move(r.left, r.top);
    resize(std::max(r.width - margins.width(), minimumWidth()),
           std::max(r.height - margins.height(), minimumHeight()));

    RegisteredFiles.clear();
    for (const std::string& f : s.registeredFiles) RegisteredFiles.append(FromCp932(f));
    m_filesAsRead = s.registeredFiles;
    m_fontNameAsRead = s.fontName;
    SetWordWrap(s.wordWrap);
    SetListViewVisible(s.listViewVisible);
    StartUpIndex = s.startUpIndex;
    m_textView->SetFontName(FromCp932(s.fontName));
    m_textView->SetFontSize(s.fontSize);
    BackColor = QString::fromLatin1(s.backColor.c_str()).toUpper();
    TextColor = QString::fromLatin1(s.textColor.c_str()).toUpper();
    applyColors();
    QStringList history;
    for (const std::string& text : s.searchHistory) history << FromCp932(text);
    m_findBar->SetHistory(history);
    m_index->setOptions({TitleMarksFromText(s.titleMarks), s.ignoreHeadSpaces, s.captionIncludingTitleMark,
                         s.nextPageMenuIsHead, s.headingLevels, s.dropDownCount});
    // Taken as the window holds them, so that only what the user changes counts as changed.
    m_settingsAsRead = CurrentSettings();
}

SettingsRecord MainWindow::CurrentSettings() const {
    SettingsRecord s;
    std::vector<std::string> files;
    for (const QString& f : RegisteredFiles) files.push_back(f.toUtf8().toStdString());
    s.registeredFiles = BytesAsRead(m_filesAsRead, files);
    s.fontName = BytesAsRead({m_fontNameAsRead}, {m_textView->FontName().toUtf8().toStdString()}).front();
    s.fontSize = m_textView->FontSize();
    const IndexOptions& index = m_index->options();
    s.dropDownCount = index.dropDownCount;
    s.startUpIndex = StartUpIndex;
    s.titleMarks = TitleMarksToText(index.titleMarks);
    s.listViewVisible = GetListViewVisible();
    s.wordWrap = WordWrap;
    s.nextPageMenuIsHead = index.nextPageOnTop;
    s.ignoreHeadSpaces = index.ignoreHeadSpaces;
    s.captionIncludingTitleMark = index.captionIncludesMark;
    s.headingLevels = index.headingLevels;
    s.backColor = BackColor.toStdString();
    s.textColor = TextColor.toStdString();
    for (const QString& text : m_findBar->History()) s.searchHistory.push_back(ToCp932(text));
    const QSize margins = property(kFrameAtLoad).toSize();
    s.left = pos().x();
    s.top = pos().y();
    s.width = width() + margins.width();
    s.height = height() + margins.height();
    return s;
}

void MainWindow::SaveSettings() {
    const SettingsRecord mine = CurrentSettings();
    if (m_paths.perUserSettings) CreateFolderFor(NativePath(m_paths.settingsFile));
    IniFile ini(NativePath(m_paths.settingsFile));
    // Another window may have saved since this one read the file: what this one did not change stays.
    const SettingsRecord onDisk = ReadSettings(ini, m_settingsAsRead);
    try {
        WriteSettings(ini, MergeChangedSettings(m_settingsAsRead, mine, onDisk));
    } catch (const IniWriteError&) {
        throw UserError(QStringLiteral("%1 に書き込めません").arg(m_paths.settingsFile));
    }
    m_settingsAsRead = mine;
}

void MainWindow::SetWordWrap(bool on) {
    WordWrap = on;
    m_textView->SetWordWrap(on);
}

bool MainWindow::GetListViewVisible() const { return m_listWidth > 1; }

void MainWindow::SetListViewVisible(bool on) {
    m_listWidth = on ? frameGeometry().width() / 3 : 1;
    m_bodySplitter->setFirstPaneWidth(m_listWidth);
}

// ---- the document ----

QString MainWindow::resolvePath(const QString& path) const { return ResolveAgainst(m_paths.programDir, path); }

void MainWindow::createDocument() {
    m_document = std::make_unique<DocumentController>(m_textView, &m_copies, m_paths.programDir,
                                                      m_paths.recoveryDir, this);
    DocumentController* d = m_document.get();
    connect(d, &DocumentController::textReplaced, m_finder, &TextFinder::TextReplaced);
    connect(d, &DocumentController::rebuildIndexWanted, m_index, &IndexController::rebuild);
    connect(d, &DocumentController::caretMoved, this, &MainWindow::TrackCaret);
    connect(d, &DocumentController::notice, this, &MainWindow::SetStatusText);
    connect(d, &DocumentController::fileNameChanged, this, [this](const QString& path) {
        const QString caption = kCaptionPrefix + FileNamePart(path);
        setWindowTitle(caption);
        SetApplicationTitle(caption);
    });
    connect(d, &DocumentController::formatChanged, m_format, &QLabel::setText);
}

void MainWindow::actFileUpDateExecute() { m_index->rebuild(); }

void MainWindow::actFileSaveUpdate(QAction* a) { a->setEnabled(m_document->canSave()); }

void MainWindow::actFileSaveExecute() { m_document->save(); }

void MainWindow::actFileExitExecute() { close(); }

void MainWindow::actFileOpenExecute() { m_document->openChosen(); }

// From anywhere: the list view is shown when it was off, and the field's text is ready to be replaced.
void MainWindow::actIndexFilterExecute() {
    if (!GetListViewVisible()) SetListViewVisible(true);
    m_index->filterField()->startTyping();
}

void MainWindow::actOptHeadingLevelsExecute() {
    IndexOptions options = m_index->options();
    options.headingLevels = !options.headingLevels;
    m_index->setOptions(options);
}

void MainWindow::actOptHeadingLevelsUpdate(QAction* a) { a->setChecked(m_index->options().headingLevels); }


}  // namespace oruvan
