// The main window's wiring of its document, the settings it holds, and its edit and view commands.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QUrl>
#include <QWindow>

#include "document/DocumentController.h"
#include "widgets/FilePaths.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "widgets/UserError.h"
#include "app/MainWindow.h"
#include "dialogs/untAbout.h"
#include "dialogs/untSetting.h"
#include "platform/IniFile.h"
#include "settings/NvGeomUtils.h"
#include "settings/ProgramLayout.h"
#include "settings/SettingsRecord.h"
#include "widgets/Cp932Text.h"
#include "widgets/FindBar.h"
#include "widgets/ImageList.h"
#include "widgets/MessageBoxes.h"
#include "widgets/NvSplitter.h"
#include "widgets/ShownFont.h"
#include "version/Version.h"

namespace oruvan {

namespace {
const QString kCaptionPrefix = QString::fromLatin1(version::kNameAndNumber) + QStringLiteral(" - ");
const QString kFontSample = QStringLiteral("AaBbYyZz 012 あいアイ亜宇");

// The frame LoadSettings restored the window size against.
const char* const kFrameAtLoad = "frameAtLoad";
}  // namespace

// ---- settings ----

void MainWindow::LoadSettings() {
    SuspendIndexRebuild();
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
    current.dropDownCount = cmbMain->maxVisibleItems();
    const SettingsRecord s = ReadSettings(ini, current);

    // The stored bounds, as the window's minimum size admits them, then kept on the screen.
    FormRect r{s.left, s.top, std::max(s.width, minimumWidth() + margins.width()),
               std::max(s.height, minimumHeight() + margins.height())};
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize screenSize = screen ? screen->size() : QSize(1024, 768);
    KeepFormOnScreen(r, screenSize.width(), screenSize.height());
    FitFormToScreen(r, screenSize.width(), screenSize.height());
    move(r.left, r.top);
    resize(std::max(r.width - margins.width(), minimumWidth()),
           std::max(r.height - margins.height(), minimumHeight()));

    RegisteredFiles.clear();
    for (const std::string& f : s.registeredFiles) RegisteredFiles.append(FromCp932(f));
    m_filesAsRead = s.registeredFiles;
    m_fontNameAsRead = s.fontName;
    cmbMain->setMaxVisibleItems(std::max(1, s.dropDownCount));
    m_dropDownCount = s.dropDownCount;
    SetWordWrap(s.wordWrap);
    SetListViewVisible(s.listViewVisible);
    StartUpIndex = s.startUpIndex;
    m_textView->SetFontName(FromCp932(s.fontName));
    m_textView->SetFontSize(s.fontSize);
    TitleMarksFromText(s.titleMarks, TitleMarkList);
    SetNextPageMenuIsHead(s.nextPageMenuIsHead);
    SetIgnoreHeadSpaces(s.ignoreHeadSpaces);
    SetCaptionIncludingTitleMark(s.captionIncludingTitleMark);
    SetHeadingLevels(s.headingLevels);
    BackColor = QString::fromLatin1(s.backColor.c_str()).toUpper();
    TextColor = QString::fromLatin1(s.textColor.c_str()).toUpper();
    applyColors();
    QStringList history;
    for (const std::string& text : s.searchHistory) history << FromCp932(text);
    m_findBar->SetHistory(history);
    // Taken as the window holds them, so that only what the user changes counts as changed.
    m_settingsAsRead = CurrentSettings();
    ResumeIndexRebuild();
}

SettingsRecord MainWindow::CurrentSettings() const {
    SettingsRecord s;
    std::vector<std::string> files;
    for (const QString& f : RegisteredFiles) files.push_back(f.toUtf8().toStdString());
    s.registeredFiles = BytesAsRead(m_filesAsRead, files);
    s.fontName = BytesAsRead({m_fontNameAsRead}, {m_textView->FontName().toUtf8().toStdString()}).front();
    s.fontSize = m_textView->FontSize();
    s.dropDownCount = m_dropDownCount;
    s.startUpIndex = StartUpIndex;
    s.titleMarks = TitleMarksToText(TitleMarkList);
    s.listViewVisible = GetListViewVisible();
    s.wordWrap = WordWrap;
    s.nextPageMenuIsHead = NextPageMenuIsHead;
    s.ignoreHeadSpaces = IgnoreHeadSpaces;
    s.captionIncludingTitleMark = CaptionIncludingTitleMark;
    s.headingLevels = HeadingLevels;
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

void MainWindow::SetNextPageMenuIsHead(bool on) {
    NextPageMenuIsHead = on;
    UpdateIndex();
}

void MainWindow::SetIgnoreHeadSpaces(bool on) {
    IgnoreHeadSpaces = on;
    UpdateIndex();
}

void MainWindow::SetCaptionIncludingTitleMark(bool on) {
    CaptionIncludingTitleMark = on;
    UpdateIndex();
}

int MainWindow::DropDownCount() const { return m_dropDownCount; }

void MainWindow::SetDropDownCount(int n) {
    m_dropDownCount = n;
    cmbMain->setMaxVisibleItems(std::max(1, n));
}

// ---- the document ----

QString MainWindow::resolvePath(const QString& path) const { return ResolveAgainst(m_paths.programDir, path); }

void MainWindow::createDocument() {
    m_document = std::make_unique<DocumentController>(m_textView, &m_copies, m_paths.programDir,
                                                      m_paths.recoveryDir, this);
    DocumentController* d = m_document.get();
    connect(d, &DocumentController::textReplaced, m_finder, &TextFinder::TextReplaced);
    connect(d, &DocumentController::rebuildIndexWanted, this, &MainWindow::UpdateIndex);
    connect(d, &DocumentController::caretMoved, this, &MainWindow::TrackCaret);
    connect(d, &DocumentController::notice, this, &MainWindow::SetStatusText);
    connect(d, &DocumentController::fileNameChanged, this, [this](const QString& path) {
        const QString caption = kCaptionPrefix + FileNamePart(path);
        setWindowTitle(caption);
        SetApplicationTitle(caption);
    });
    connect(d, &DocumentController::formatChanged, m_format, &QLabel::setText);
}

void MainWindow::actFileUpDateExecute() { UpdateIndex(); }

void MainWindow::actFileSaveUpdate(QAction* a) { a->setEnabled(m_document->canSave()); }

void MainWindow::actFileSaveExecute() { m_document->save(); }

void MainWindow::actFileExitExecute() { close(); }

void MainWindow::actFileOpenExecute() { m_document->openChosen(); }

// ---- the File menu's registered files ----

void MainWindow::File1Click() {
    for (QAction* a : File1->actions())
        if (qobject_cast<TMenuItem2*>(a)) {
            File1->removeAction(a);
            delete a;
        }
    const QString current = resolvePath(m_document->fileName());
    for (const QString& path : RegisteredFiles) {
        auto* item = new TMenuItem2(QStringLiteral("  ") + FileNamePart(path), File1);
        item->FilePath = path;
        const QString real = resolvePath(path);
        const bool exists = !path.isEmpty() && QFileInfo(real).isFile();
        item->setEnabled(exists);
        if (exists && SameFilePath(real, current)) item->setIcon(ImageList1(5));
        connect(item, &QAction::triggered, this, [this, item] {
            const QString p = item->FilePath;
            guarded([this, p] { m_document->open(p); });
        });
        // After 開く and the reopen submenu that follows it.
        const QList<QAction*> actions = File1->actions();
        const qsizetype at = actions.indexOf(Command(QStringLiteral("actFileReopen"))) + 1;
        File1->insertAction(at > 0 && at < actions.size() ? actions.at(at) : nullptr, item);
    }
}

// ---- edit and view commands ----

void MainWindow::actEditUndoExecute() { m_textView->Undo(); }
void MainWindow::actEditUndoUpdate(QAction* a) { a->setEnabled(m_textView->CanUndo()); }
void MainWindow::actEditCutExecute() { m_textView->CutToClipboard(); }
void MainWindow::actEditCutUpdate(QAction* a) { a->setEnabled(m_textView->HasSelection()); }
void MainWindow::actEditCopyExecute() { m_textView->CopyToClipboard(); }
void MainWindow::actEditCopyUpdate(QAction* a) { a->setEnabled(m_textView->HasSelection()); }
void MainWindow::actEditPasteExecute() { m_textView->PasteFromClipboard(); }
void MainWindow::actEditDeleteExecute() { m_textView->SetSelText({}); }
void MainWindow::actEditDeleteUpdate(QAction* a) { a->setEnabled(m_textView->HasSelection()); }
void MainWindow::actEditSelectAllExecute() { m_textView->SelectAll(); }

void MainWindow::actOptFontCtrlExecute() {
    // A stored face this machine lacks is shown as the face that stands in for it.
    QFontDialog dialog(ShownFont(m_textView->Font()), this);
    dialog.setOption(QFontDialog::DontUseNativeDialog);
    // Only face and size matter here: the effects (underline, strike-out) section is not offered. The
    // sample beside it took its height from it, and keeps that height.
    int effectsHeight = 0;
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        if (QWidget* group = box->parentWidget(); qobject_cast<QGroupBox*>(group)) {
            effectsHeight = group->sizeHint().height();
            group->hide();
        }
    // The documents mix Japanese and Latin; so does the sample.
    for (QLineEdit* edit : dialog.findChildren<QLineEdit*>())
        if (auto* sample = qobject_cast<QGroupBox*>(edit->parentWidget())) {
            sample->setMinimumHeight(effectsHeight);
            edit->setText(kFontSample);
        }
    if (dialog.exec() == QDialog::Accepted) m_textView->SetFont(dialog.selectedFont());
}

void MainWindow::actOptWordWrapExecute() {
    SetWordWrap(!Command(QStringLiteral("actOptWordWrap"))->isChecked());
}
void MainWindow::actOptWordWrapUpdate(QAction* a) { a->setChecked(WordWrap); }

void MainWindow::actShowListViewExecute() {
    QAction* a = Command(QStringLiteral("actShowListView"));
    a->setChecked(!a->isChecked());
    SetListViewVisible(a->isChecked());
}

void MainWindow::actShowListViewUpdate(QAction* a) { a->setChecked(GetListViewVisible()); }

// The second instance opens readme.txt from the help text's folder: the program's own, or the data
// folder of an installed copy.
void MainWindow::actOptHelpExecute() {
    const QString folder =
        m_paths.helpFile.isEmpty() ? m_paths.programDir : QFileInfo(m_paths.helpFile).path();
    QProcess::startDetached(m_paths.programFile, {QStringLiteral("readme.txt")}, folder);
}

void MainWindow::actOptOpenFolderExecute() {
    const QString folder = m_document->fileName().isEmpty()
                               ? m_paths.programDir
                               : QFileInfo(resolvePath(m_document->fileName())).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void MainWindow::actBtnMinimizeExecute() { showMinimized(); }

// The dialog lives on the stack, so it is destroyed on every path, an error included.
void MainWindow::actOptSettingExecute() {
    TfrmSetting dlg(this);
    dlg.SetProgramFile(m_paths.perUserSettings ? QString() : m_paths.programFile);
    dlg.SetRegisteredFiles(RegisteredFiles);
    dlg.SetTitleMarks(TitleMarkList);
    dlg.SetStartUpIndex(StartUpIndex);
    dlg.SetDropDownCount(DropDownCount());
    dlg.SetNextPageMenuIsHead(NextPageMenuIsHead);
    dlg.SetIgnoreHeadSpaces(IgnoreHeadSpaces);
    dlg.SetCaptionIncludingTitleMark(CaptionIncludingTitleMark);
    if (dlg.exec() != QDialog::Accepted) return;
    SuspendIndexRebuild();
    RegisteredFiles = dlg.RegisteredFiles();
    StartUpIndex = dlg.StartUpIndex();
    SetDropDownCount(dlg.DropDownCount());
    TitleMarkList = dlg.TitleMarks();
    SetNextPageMenuIsHead(dlg.NextPageMenuIsHead());
    SetIgnoreHeadSpaces(dlg.IgnoreHeadSpaces());
    SetCaptionIncludingTitleMark(dlg.CaptionIncludingTitleMark());
    ResumeIndexRebuild();
}

void MainWindow::actAboutExecute() {
    TfrmAbout dlg(this);
    dlg.SetProductLine(TfrmAbout::ProductLine());
    dlg.SetNoticeText(TfrmAbout::NoticeText());
    dlg.exec();
}

}  // namespace oruvan
