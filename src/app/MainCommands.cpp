// The main window's commands: each row's caption, key and picture, and what runs and refreshes it; then
// the menus built from them.
#include <QAbstractEventDispatcher>
#include <QMenu>

#include "app/CommandTable.h"
#include "app/MainMenus.h"
#include "app/MainWindow.h"
#include "app/RegisteredFilesMenu.h"
#include "app/WindowCommands.h"
#include "document/DocumentController.h"
#include "index/HeadingFilterField.h"
#include "index/IndexController.h"
#include "index/IndexMenu.h"
#include "view/TextFinder.h"
#include "view/TextView.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

void MainWindow::createCommands() {
    using C = CommandId;
    using P = PictureId;
    m_commandTable = new CommandTable(this);
    m_windowCommands = new WindowCommands(this, m_textView, m_paths);
    TextView* v = m_textView;
    TextFinder* f = m_finder;
    WindowCommands* w = m_windowCommands;
    const auto whenSelected = [v](QAction* a) { a->setEnabled(v->HasSelection()); };
    // A colour chosen is held for the settings and shown; Cancel changes nothing.
    const auto keep = [this](QString& held, const QString& chosen) {
        if (chosen.isEmpty()) return;
        held = chosen;
        applyColors();
    };
    const CommandRow rows[] = {
        {C::New, "new", QT_TRANSLATE_NOOP("oruvan::CommandTable", "新規作成(&N)"), "Ctrl+N", {}, [this] { m_document->newDocument(); }, {}},
        {C::Open, "open", QT_TRANSLATE_NOOP("oruvan::CommandTable", "開く(&O)..."), "Ctrl+O", P::Open, [this] { m_document->openChosen(); }, {}},
        {C::Reopen, "reopen", QT_TRANSLATE_NOOP("oruvan::CommandTable", "文字コードを指定して開き直す(&E)"), "", {}, {},
         [this](QAction* a) { a->setEnabled(!m_document->fileName().isEmpty()); }},
        {C::Save, "save", QT_TRANSLATE_NOOP("oruvan::CommandTable", "上書き保存(&S)"), "Ctrl+S", P::Save, [this] { m_document->save(); },
         [this](QAction* a) { a->setEnabled(m_document->canSave()); }},
        {C::SaveAs, "saveAs", QT_TRANSLATE_NOOP("oruvan::CommandTable", "名前を付けて保存(&A)"), "", {}, [this] { m_document->saveAs(); }, {}},
        {C::DocumentInfo, "documentInfo", QT_TRANSLATE_NOOP("oruvan::CommandTable", "文書の情報(&I)..."), "", {}, [this] { showDocumentInfo(); }, {}},
        {C::Exit, "exit", QT_TRANSLATE_NOOP("oruvan::CommandTable", "終了(&X)"), "Alt+F4", P::Exit, [this] { close(); }, {}},

        {C::Undo, "undo", QT_TRANSLATE_NOOP("oruvan::CommandTable", "元に戻す(&U)"), "Ctrl+Z", P::Undo, [v] { v->Undo(); },
         [v](QAction* a) { a->setEnabled(v->CanUndo()); }},
        {C::Redo, "redo", QT_TRANSLATE_NOOP("oruvan::CommandTable", "やり直し(&R)"), "Ctrl+Y", {}, [v] { v->Redo(); },
         [v](QAction* a) { a->setEnabled(v->CanRedo()); }},
        {C::Cut, "cut", QT_TRANSLATE_NOOP("oruvan::CommandTable", "切り取り(&X)"), "Ctrl+X", P::Cut, [v] { v->CutToClipboard(); }, whenSelected},
        {C::Copy, "copy", QT_TRANSLATE_NOOP("oruvan::CommandTable", "コピー(&C)"), "Ctrl+C", P::Copy, [v] { v->CopyToClipboard(); }, whenSelected},
        {C::Paste, "paste", QT_TRANSLATE_NOOP("oruvan::CommandTable", "貼りつけ(&P)"), "Ctrl+V", P::Paste, [v] { v->PasteFromClipboard(); }, {}},
        // A deletion undo cannot bring back: the text view's own menu has the other kind.
        {C::Delete, "delete", QT_TRANSLATE_NOOP("oruvan::CommandTable", "削除(&D)"), "", P::Delete, [v] { v->SetSelText({}); }, whenSelected},
        {C::SelectAll, "selectAll", QT_TRANSLATE_NOOP("oruvan::CommandTable", "全て選択(&A)"), "Ctrl+A", {}, [v] { v->SelectAll(); }, {}},
        {C::Find, "find", QT_TRANSLATE_NOOP("oruvan::CommandTable", "検索(&F)..."), "Ctrl+F", {}, [f] { f->Open(false); }, {}},
        {C::Replace, "replace", QT_TRANSLATE_NOOP("oruvan::CommandTable", "置換(&R)..."), "Ctrl+R", {}, [f] { f->Open(true); }, {}},
        {C::FindNext, "findNext", QT_TRANSLATE_NOOP("oruvan::CommandTable", "次を検索(&N)"), "F3", {}, [f] { f->FindNext(); }, {}},
        {C::FindPrevious, "findPrevious", QT_TRANSLATE_NOOP("oruvan::CommandTable", "前を検索"), "Shift+F3", {}, [f] { f->FindPrevious(); }, {}},
        {C::GoToLine, "goToLine", QT_TRANSLATE_NOOP("oruvan::CommandTable", "行へ移動(&G)..."), "Ctrl+G", {},
         [this, w] {
             if (w->goToLine()) TrackCaret();
         },
         {}},
        {C::SectionUp, "sectionUp", QT_TRANSLATE_NOOP("oruvan::CommandTable", "節を上へ移動"), "Alt+Shift+Up", {}, [this] { m_index->moveSection(-1); },
         [this](QAction* a) { a->setEnabled(m_index->canMoveSection(-1)); }},
        {C::SectionDown, "sectionDown", QT_TRANSLATE_NOOP("oruvan::CommandTable", "節を下へ移動"), "Alt+Shift+Down", {}, [this] { m_index->moveSection(+1); },
         [this](QAction* a) { a->setEnabled(m_index->canMoveSection(+1)); }},
        {C::PromoteSection, "promoteSection", QT_TRANSLATE_NOOP("oruvan::CommandTable", "節のレベルを上げる"), "Alt+Shift+Left", {},
         [this] { m_index->shiftSection(-1); }, [this](QAction* a) { a->setEnabled(m_index->canShiftSection(-1)); }},
        {C::DemoteSection, "demoteSection", QT_TRANSLATE_NOOP("oruvan::CommandTable", "節のレベルを下げる"), "Alt+Shift+Right", {},
         [this] { m_index->shiftSection(+1); }, [this](QAction* a) { a->setEnabled(m_index->canShiftSection(+1)); }},
        {C::OpenFolder, "openFolder", QT_TRANSLATE_NOOP("oruvan::CommandTable", "カレントフォルダを開く(&D)"), "", {},
         [this, w] { w->openDocumentFolder(m_document->fileName().isEmpty() ? QString() : resolvePath(m_document->fileName())); },
         {}},

        {C::Settings, "settings", QT_TRANSLATE_NOOP("oruvan::CommandTable", "設定(&S)..."), "", P::Settings, [this] { editSettings(); }, {}},
        {C::Font, "font", QT_TRANSLATE_NOOP("oruvan::CommandTable", "フォントの設定(&F)..."), "", P::Font, [w] { w->chooseFont(); }, {}},
        {C::BackColour, "backColour", QT_TRANSLATE_NOOP("oruvan::CommandTable", "背景色の設定(&B)..."), "", P::Colour,
         [this, w, keep] { keep(BackColor, w->chooseBackColour()); }, {}},
        {C::TextColour, "textColour", QT_TRANSLATE_NOOP("oruvan::CommandTable", "テキスト色の設定(&T)..."), "", P::Colour,
         [this, w, keep] { keep(TextColor, w->chooseTextColour()); }, {}},
        {C::WordWrap, "wordWrap", QT_TRANSLATE_NOOP("oruvan::CommandTable", "右端で折り返す(&W)"), "", P::Undo,
         [this] { SetWordWrap(!m_commandTable->action(CommandId::WordWrap)->isChecked()); },
         [this](QAction* a) { a->setChecked(WordWrap); }, true},
        {C::HeadingLevels, "headingLevels", QT_TRANSLATE_NOOP("oruvan::CommandTable", "タイトル記号の順を見出しのレベルにする(&H)"), "", {},
         [this] {
             IndexOptions options = m_index->options();
             options.headingLevels = !options.headingLevels;
             m_index->setOptions(options);
         },
         [this](QAction* a) { a->setChecked(m_index->options().headingLevels); }, true},
        // Submenus: their items act, the command keeps the submenu's state.
        {C::SaveEncoding, "saveEncoding", QT_TRANSLATE_NOOP("oruvan::CommandTable", "保存する文字コード(&C)"), "", {}, {},
         [this](QAction* a) {
             a->setEnabled(true);
             // A choice the user turned down shows the encoding kept.
             for (QAction* item : a->menu()->actions())
                 item->setChecked(m_document->isSaveEncoding(static_cast<Encoding>(item->data().toInt())));
         }},
        {C::LineBreak, "lineBreak", QT_TRANSLATE_NOOP("oruvan::CommandTable", "改行コード(&L)"), "", {}, {}, 
         [this](QAction* a) {
             a->setEnabled(true);
             for (QAction* item : a->menu()->actions())
                 item->setChecked(m_document->isLineBreak(static_cast<LineBreak>(item->data().toInt())));
         }},

        {C::FilterHeadings, "filterHeadings", QT_TRANSLATE_NOOP("oruvan::CommandTable", "見出しの絞り込み(&J)"), "Ctrl+J", {},
         [this] {
             // From anywhere: the list is shown when it was off, the field's text ready to be replaced.
             if (!GetListViewVisible()) SetListViewVisible(true);
             m_index->filterField()->startTyping();
         },
         {}},
        {C::PreviousHeading, "previousHeading", QT_TRANSLATE_NOOP("oruvan::CommandTable", "前のインデックスへ移動(&P)"), "Alt+Up", P::PreviousHeading,
         [this] { m_index->stepPrevious(); }, {}},
        {C::NextHeading, "nextHeading", QT_TRANSLATE_NOOP("oruvan::CommandTable", "次のインデックスへ移動(&N)"), "Alt+Down", P::NextHeading,
         [this] { m_index->stepNext(); }, {}},
        {C::ShowList, "showList", QT_TRANSLATE_NOOP("oruvan::CommandTable", "リストビューを表示する(&L)"), "", {},
         [this] {
             QAction* a = m_commandTable->action(CommandId::ShowList);
             a->setChecked(!a->isChecked());
             SetListViewVisible(a->isChecked());
         },
         [this](QAction* a) { a->setChecked(GetListViewVisible()); }, true},
        {C::Refresh, "refresh", QT_TRANSLATE_NOOP("oruvan::CommandTable", "更新(&U)"), "F5", {}, [this] { m_index->rebuild(); }, {}},
        {C::FoldSections, "foldSections", QT_TRANSLATE_NOOP("oruvan::CommandTable", "見出しで折りたたむ(&F)"), "", {},
         [this] {
             IndexOptions options = m_index->options();
             options.foldSections = !options.foldSections;
             m_index->setOptions(options);
         },
         [this](QAction* a) { a->setChecked(m_index->options().foldSections); }, true},
        {C::FoldSection, "foldSection", QT_TRANSLATE_NOOP("oruvan::CommandTable", "節を折りたたむ"), "Ctrl+[", {}, [this] { m_index->foldCaretSection(true); },
         [this](QAction* a) { a->setEnabled(m_index->caretInSection() && !m_index->caretSectionFolded()); }},
        {C::UnfoldSection, "unfoldSection", QT_TRANSLATE_NOOP("oruvan::CommandTable", "節を展開"), "Ctrl+]", {}, [this] { m_index->foldCaretSection(false); },
         [this](QAction* a) { a->setEnabled(m_index->caretInSection() && m_index->caretSectionFolded()); }},
        {C::FoldAll, "foldAll", QT_TRANSLATE_NOOP("oruvan::CommandTable", "すべて折りたたむ"), "", {}, [this] { m_index->foldAll(true); },
         [this](QAction* a) { a->setEnabled(m_index->options().foldSections); }},
        {C::UnfoldAll, "unfoldAll", QT_TRANSLATE_NOOP("oruvan::CommandTable", "すべて展開"), "", {}, [this] { m_index->showToLevel(0); },
         [this](QAction* a) { a->setEnabled(m_index->options().foldSections || m_index->listLevelLimit() > 0); }},
        {C::ShowLevel1, "showLevel1", QT_TRANSLATE_NOOP("oruvan::CommandTable", "レベル1まで表示"), "", {}, [this] { m_index->showToLevel(1); }, {}},
        {C::ShowLevel2, "showLevel2", QT_TRANSLATE_NOOP("oruvan::CommandTable", "レベル2まで表示"), "", {}, [this] { m_index->showToLevel(2); }, {}},
        {C::ShowLevel3, "showLevel3", QT_TRANSLATE_NOOP("oruvan::CommandTable", "レベル3まで表示"), "", {}, [this] { m_index->showToLevel(3); }, {}},
        {C::ShowLevel4, "showLevel4", QT_TRANSLATE_NOOP("oruvan::CommandTable", "レベル4まで表示"), "", {}, [this] { m_index->showToLevel(4); }, {}},
        {C::About, "about", QT_TRANSLATE_NOOP("oruvan::CommandTable", "バージョン情報(&A)..."), "", {}, [w] { w->showAbout(); }, {}},
        {C::Help, "help", QT_TRANSLATE_NOOP("oruvan::CommandTable", "ヘルプ(&H)..."), "F1", {}, [w] { w->openHelp(); }, {}},
    };
    for (const CommandRow& row : rows) m_commandTable->add(row);
    // Commands follow the program's state whenever it goes idle.
    connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, m_commandTable,
            &CommandTable::updateCommands);
}

void MainWindow::createMenus() {
    FormatHandlers format{[this](std::optional<Encoding> e) { m_document->reopen(e); },
                          [this](Encoding e) { m_document->setSaveEncoding(e); },
                          [this](LineBreak b) { m_document->setLineBreak(b); }};
    m_menus = new MainMenus(this, *m_commandTable, m_textView, m_findBar, m_index->indexMenu(), std::move(format));
    m_registeredFiles =
        new RegisteredFilesMenu(m_menus->fileMenu(), m_commandTable->action(CommandId::Reopen), [this](const QString& path) {
            ReportErrors(this, [this, path] { m_document->open(path); });
        });
    connect(m_menus->fileMenu(), &QMenu::aboutToShow, this, [this] {
        ReportErrors(this, [this] {
            m_registeredFiles->refill(RegisteredFiles, resolvePath(m_document->fileName()),
                                      [this](const QString& p) { return resolvePath(p); });
        });
    });
}

QMenu* MainWindow::fileMenu() const { return m_menus->fileMenu(); }

void MainWindow::editSettings() {
    IndexOptions options = m_index->options();
    const std::optional<SettingsChoices> chosen = m_windowCommands->editSettings(
        {RegisteredFiles, options.titleMarks, StartUpIndex, options.dropDownCount, options.nextPageOnTop,
         options.ignoreHeadSpaces, options.captionIncludesMark});
    if (!chosen) return;
    RegisteredFiles = chosen->registeredFiles;
    StartUpIndex = chosen->startUpIndex;
    options.dropDownCount = chosen->dropDownCount;
    options.titleMarks = chosen->titleMarks;
    options.nextPageOnTop = chosen->nextPageMenuIsHead;
    options.ignoreHeadSpaces = chosen->ignoreHeadSpaces;
    options.captionIncludesMark = chosen->captionIncludingTitleMark;
    m_index->setOptions(options);
}

// A colour never chosen stays the text view's own.
void MainWindow::applyColors() { m_windowCommands->showColours(BackColor, TextColor); }

}  // namespace oruvan
