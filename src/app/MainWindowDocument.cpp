// The main window's document, the settings it holds, and its edit and view commands.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProcess>
#include <QScreen>
#include <QSplitter>
#include <QUrl>
#include <QWindow>

#include "document/DiskWatch.h"
#include "index/HeadingFilterField.h"
#include "index/IndexController.h"
#include "widgets/FilePaths.h"
#include "document/RecoveryWriter.h"
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
#include "widgets/TextFileDialog.h"
#include "version/Version.h"

namespace oruvan {

namespace {
const QString kCaptionPrefix = QString::fromLatin1(version::kNameAndNumber) + QStringLiteral(" - ");
const QString kFontSample = QStringLiteral("AaBbYyZz 012 あいアイ亜宇");

// The frame LoadSettings restored the window size against.
const char* const kFrameAtLoad = "frameAtLoad";

std::string nativePath(const QString& path) { return QFile::encodeName(path).toStdString(); }
}  // namespace

// ---- settings ----

void MainWindow::LoadSettings() {
    IniFile ini(nativePath(m_paths.settingsFile));
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
    if (m_paths.perUserSettings) CreateFolderFor(nativePath(m_paths.settingsFile));
    IniFile ini(nativePath(m_paths.settingsFile));
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

void MainWindow::SetDocumentFileName(const QString& path) {
    DocumentFileName = path;
    const QString caption = kCaptionPrefix + FileNamePart(path);
    setWindowTitle(caption);
    SetApplicationTitle(caption);
}

bool MainWindow::Modified() const { return m_missingOnDisk || textEdited(); }

bool MainWindow::textEdited() const {
    // The document's own text, not its display lines: wrapping never counts as a change.
    const std::string_view text = m_textView->Utf8Buffer();
    if (m_textView->DocumentEncoding() != m_savedEncoding || m_textView->BreakStyle() != m_savedBreak) return true;
    if (!m_copies.saved()) return !text.empty();
    return *m_copies.saved() != text;
}

void MainWindow::SetUnmodified() {
    m_savedEncoding = m_textView->DocumentEncoding();
    m_savedBreak = m_textView->BreakStyle();
    m_missingOnDisk = false;
    const std::string_view text = m_textView->Utf8Buffer();
    m_copies.setSaved(text);
}

// Yes saves (through Save As for a document without a name); false means the caller stops.
bool MainWindow::askToSave() {
    if (!Modified()) return true;
    const Answer a = Confirm(this, QStringLiteral("文書は変更されています。保存しますか？"));
    if (a == Answer::Cancel) return false;
    if (a == Answer::Yes) {
        if (DocumentFileName.isEmpty())
            SaveAs1Click();
        else if (m_saveEnabled)
            SaveDocumentTo(DocumentFileName);
        return !Modified();
    }
    return true;
}

void MainWindow::OpenDocument(const QString& path, std::optional<Encoding> encoding) {
    m_saveEnabled = true;
    const QString real = resolvePath(path);
    if (!QFileInfo(real).isFile()) {
        if (!openLeftCopy(path, real))
            ShowMessage(this, path + QLatin1Char('\n') + QStringLiteral("ファイルは存在しないか、開けません"));
        return;
    }
    if (!askToSave()) return;
    // Read first: a failed read changes nothing, so no later Save can write the wrong text there.
    m_textView->LoadFromFile(real, encoding);
    m_finder->TextReplaced();
    m_recovery->discard();  // the last document's edits were saved or given up
    SetDocumentFileName(path);
    m_copies.forgetSpare();
    SetUnmodified();
    ShowDocumentFormat();
    m_diskWatch->track(real);
    offerRecovery(real);
    actFileUpDateExecute();
}

void MainWindow::SaveDocumentTo(const QString& path) {
    // Text being composed is not the document's yet: saved without it, the composition goes on.
    const TextView::ComposingAside aside(m_textView);
    m_saveEnabled = true;
    const QString real = resolvePath(path);
    if (!confirmOverwrite(real) || !saveKeepsEveryCharacter()) return;
    SetDocumentFileName(path);
    if (!saveKeepingLinks(real)) return;
    SetUnmodified();
    ShowDocumentFormat();
    m_diskWatch->track(real);
    m_recovery->discard();
    actFileUpDateExecute();
}

void MainWindow::N10Click() {
    if (!askToSave()) return;
    m_recovery->discard();
    m_diskWatch->track(QString());
    m_missingOnDisk = false;
    SetDocumentFileName(QString());
    m_textView->Clear();
    m_finder->TextReplaced();
    m_copies.forgetSpare();
    m_copies.setSaved({});
    m_savedEncoding = m_textView->DocumentEncoding();
    m_savedBreak = m_textView->BreakStyle();
    ShowDocumentFormat();
    m_index->rebuild();
    m_saveEnabled = false;
}

void MainWindow::actFileUpDateExecute() { m_index->rebuild(); }

void MainWindow::actFileSaveUpdate(QAction* a) { a->setEnabled(m_saveEnabled); }

void MainWindow::actFileSaveExecute() {
    if (DocumentFileName.isEmpty())
        SaveAs1Click();
    else
        SaveDocumentTo(DocumentFileName);
}

void MainWindow::actFileExitExecute() { close(); }

QString MainWindow::chooseFile(bool save) {
    if (m_fileChooser) return m_fileChooser(save);
    const QString title = save ? QStringLiteral("ファイルを保存する") : QStringLiteral("ファイルを開く");
    TextFileDialog dialog(this, title, save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    QString& last = save ? m_lastSaveChoice : m_lastOpenChoice;
    dialog.reopenOn(last);
    if (dialog.exec() != QDialog::Accepted) return {};
    const QString chosen = dialog.chosenFile();
    if (!chosen.isEmpty()) last = chosen;
    return chosen;
}

void MainWindow::actFileOpenExecute() {
    const QString path = chooseFile(false);
    if (!path.isEmpty()) OpenDocument(path);
}

void MainWindow::SaveAs1Click() {
    const QString path = chooseFile(true);
    if (!path.isEmpty()) SaveDocumentTo(path);
}

// ---- the File menu's registered files ----

void MainWindow::File1Click() {
    for (QAction* a : File1->actions())
        if (qobject_cast<TMenuItem2*>(a)) {
            File1->removeAction(a);
            delete a;
        }
    const QString current = resolvePath(DocumentFileName);
    for (const QString& path : RegisteredFiles) {
        auto* item = new TMenuItem2(QStringLiteral("  ") + FileNamePart(path), File1);
        item->FilePath = path;
        const QString real = resolvePath(path);
        const bool exists = !path.isEmpty() && QFileInfo(real).isFile();
        item->setEnabled(exists);
        if (exists && SameFilePath(real, current)) item->setIcon(ImageList1(5));
        connect(item, &QAction::triggered, this, [this, item] {
            const QString p = item->FilePath;
            guarded([this, p] { OpenDocument(p); });
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

// The second instance opens readme.txt from the help text's folder: the program's own, or the data
// folder of an installed copy.
void MainWindow::actOptHelpExecute() {
    const QString folder =
        m_paths.helpFile.isEmpty() ? m_paths.programDir : QFileInfo(m_paths.helpFile).path();
    QProcess::startDetached(m_paths.programFile, {QStringLiteral("readme.txt")}, folder);
}

void MainWindow::actOptOpenFolderExecute() {
    const QString folder = DocumentFileName.isEmpty()
                               ? m_paths.programDir
                               : QFileInfo(resolvePath(DocumentFileName)).absolutePath();
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
}

void MainWindow::actBtnMinimizeExecute() { showMinimized(); }

// The dialog lives on the stack, so it is destroyed on every path, an error included.
void MainWindow::actOptSettingExecute() {
    TfrmSetting dlg(this);
    dlg.SetProgramFile(m_paths.perUserSettings ? QString() : m_paths.programFile);
    dlg.SetRegisteredFiles(RegisteredFiles);
    IndexOptions options = m_index->options();
    dlg.SetTitleMarks(options.titleMarks);
    dlg.SetStartUpIndex(StartUpIndex);
    dlg.SetDropDownCount(options.dropDownCount);
    dlg.SetNextPageMenuIsHead(options.nextPageOnTop);
    dlg.SetIgnoreHeadSpaces(options.ignoreHeadSpaces);
    dlg.SetCaptionIncludingTitleMark(options.captionIncludesMark);
    if (dlg.exec() != QDialog::Accepted) return;
    RegisteredFiles = dlg.RegisteredFiles();
    StartUpIndex = dlg.StartUpIndex();
    options.dropDownCount = dlg.DropDownCount();
    options.titleMarks = dlg.TitleMarks();
    options.nextPageOnTop = dlg.NextPageMenuIsHead();
    options.ignoreHeadSpaces = dlg.IgnoreHeadSpaces();
    options.captionIncludesMark = dlg.CaptionIncludingTitleMark();
    m_index->setOptions(options);
}

void MainWindow::actAboutExecute() {
    TfrmAbout dlg(this);
    dlg.SetProductLine(TfrmAbout::ProductLine());
    dlg.SetNoticeText(TfrmAbout::NoticeText());
    dlg.exec();
}

}  // namespace oruvan
