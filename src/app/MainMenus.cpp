#include "app/MainMenus.h"

#include <QActionGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "app/CommandTable.h"
#include "view/TextView.h"
#include "widgets/FindBar.h"
#include "widgets/MessageBoxes.h"

namespace oruvan {

namespace {

struct EncodingChoice {
    const char* caption;
    Encoding encoding;
};

// Reading UTF-8 and UTF-16 finds a byte order mark either way; saving UTF-16 writes one.
const EncodingChoice kReopenChoices[] = {
    {"Shift_JIS", Encoding::ShiftJis}, {"UTF-8", Encoding::Utf8},       {"EUC-JP", Encoding::EucJp},
    {"UTF-16LE", Encoding::Utf16Le},   {"UTF-16BE", Encoding::Utf16Be}, {"ISO-2022-JP", Encoding::Iso2022Jp},
};
const EncodingChoice kSaveChoices[] = {
    {"Shift_JIS", Encoding::ShiftJis},    {"UTF-8", Encoding::Utf8},
    {"UTF-8 BOM", Encoding::Utf8Bom},     {"EUC-JP", Encoding::EucJp},
    {"UTF-16LE", Encoding::Utf16LeBom},   {"UTF-16BE", Encoding::Utf16BeBom},
    {"ISO-2022-JP", Encoding::Iso2022Jp},
};
const struct {
    const char* caption;
    LineBreak brk;
} kBreakChoices[] = {{"CR LF", LineBreak::CrLf}, {"LF", LineBreak::Lf}, {"CR", LineBreak::Cr}};

QMenu* AddMenu(QMenuBar* bar, const char* title, const char* name) {
    QMenu* menu = bar->addMenu(QCoreApplication::translate("oruvan::MainMenus", title));
    menu->setObjectName(QString::fromLatin1(name));
    return menu;
}

}  // namespace

MainMenus::MainMenus(QMainWindow* window, CommandTable& commands, TextView* view, FindBar* findBar,
                     QMenu* indexMenu, FormatHandlers format)
    : QObject(window), m_window(window), m_commands(commands), m_view(view), m_findBar(findBar) {
    buildMenuBar(indexMenu);
    buildFormatMenus(format);
    buildTextViewMenu();
}

void MainMenus::buildMenuBar(QMenu* indexMenu) {
    using C = CommandId;
    QMenuBar* bar = m_window->menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    auto add = [this](QMenu* menu, std::initializer_list<std::optional<C>> items) {
        for (const std::optional<C>& id : items) {
            if (id)
                m_commands.addToMenu(menu, *id);
            else
                menu->addSeparator();
        }
    };
    const std::nullopt_t line = std::nullopt;

    m_file = AddMenu(bar, QT_TRANSLATE_NOOP("oruvan::MainMenus", "ファイル(&F)"), "fileMenu");
    add(m_file, {C::New, line, C::Open, C::Reopen, line, C::Save, C::SaveAs, C::DocumentInfo, line, C::Exit});
    QMenu* edit = AddMenu(bar, QT_TRANSLATE_NOOP("oruvan::MainMenus", "編集(&E)"), "editMenu");
    add(edit, {C::Undo, C::Redo, line, C::Cut, C::Copy, C::Paste, C::Delete, C::SelectAll, line, C::Find,
               C::Replace, C::FindNext, C::FindPrevious, C::GoToLine, line, C::SectionUp, C::SectionDown, C::PromoteSection,
               C::DemoteSection, line, C::OpenFolder});
    m_commands.bindMenuKey(QStringLiteral("Ctrl+Shift+Z"), C::Redo);
    // Where desktop editors have them: quit as the window's close does.
    m_commands.bindMenuKey(QStringLiteral("Ctrl+Q"), C::Exit);
    QMenu* settings = AddMenu(bar, QT_TRANSLATE_NOOP("oruvan::MainMenus", "設定(&S)"), "settingsMenu");
    add(settings, {C::Settings, line, C::Font, C::BackColour, C::TextColour, line, C::WordWrap,
                   C::HeadingLevels, line, C::SaveEncoding, C::LineBreak});
    m_index = indexMenu;
    m_index->setParent(bar, m_index->windowFlags());
    bar->addMenu(m_index);
    add(m_index, {C::FilterHeadings, line});
    QMenu* show = AddMenu(bar, QT_TRANSLATE_NOOP("oruvan::MainMenus", "表示(&V)"), "viewMenu");
    add(show, {C::PreviousHeading, C::NextHeading, line, C::ShowList, line, C::Refresh, line, C::FoldSections,
               C::FoldSection, C::UnfoldSection, C::FoldAll, C::UnfoldAll, line, C::ShowLevel1, C::ShowLevel2,
               C::ShowLevel3, C::ShowLevel4});
    QMenu* help = AddMenu(bar, QT_TRANSLATE_NOOP("oruvan::MainMenus", "ヘルプ(&H)"), "helpMenu");
    add(help, {C::About, C::Help});

    for (QMenu* m : {m_file, edit, settings, m_index, show, help})
        connect(m, &QMenu::aboutToShow, &m_commands, &CommandTable::updateCommands);
}

void MainMenus::buildFormatMenus(const FormatHandlers& format) {
    auto submenu = [this](CommandId id) {
        auto* menu = new QMenu(m_window);
        m_commands.action(id)->setMenu(menu);
        connect(menu, &QMenu::aboutToShow, &m_commands, &CommandTable::updateCommands);
        return menu;
    };
    auto choice = [this](QMenu* menu, const QString& caption, int data, std::function<void()> handler) {
        QAction* a = menu->addAction(caption);
        a->setData(data);
        connect(a, &QAction::triggered, this, [this, handler] { ReportErrors(m_window, handler); });
        return a;
    };

    QMenu* reopen = submenu(CommandId::Reopen);
    choice(reopen, tr("自動判別"), -1, [f = format.reopen] { f(std::nullopt); });
    for (const EncodingChoice& c : kReopenChoices)
        choice(reopen, QString::fromLatin1(c.caption), int(c.encoding), [f = format.reopen, e = c.encoding] { f(e); });

    QMenu* encodings = submenu(CommandId::SaveEncoding);
    auto* encodingGroup = new QActionGroup(encodings);
    for (const EncodingChoice& c : kSaveChoices)
        encodingGroup
            ->addAction(choice(encodings, QString::fromLatin1(c.caption), int(c.encoding),
                               [f = format.saveEncoding, e = c.encoding] { f(e); }))
            ->setCheckable(true);
    QMenu* breaks = submenu(CommandId::LineBreak);
    auto* breakGroup = new QActionGroup(breaks);
    for (const auto& c : kBreakChoices)
        breakGroup->addAction(choice(breaks, QString::fromLatin1(c.caption), int(c.brk), [f = format.lineBreak, b = c.brk] { f(b); }))
            ->setCheckable(true);
}

// The edit commands again, under this menu's own captions, without keys or pictures; its 削除 can be
// undone, unlike the Edit menu's.
void MainMenus::buildTextViewMenu() {
    using C = CommandId;
    m_textView = new QMenu(m_window);
    m_textView->setObjectName(QStringLiteral("textViewMenu"));
    m_commands.addAlias(m_textView, C::Undo, tr("元に戻す(&U)"));
    m_commands.addAlias(m_textView, C::Redo, tr("やり直し(&R)"));
    m_textView->addSeparator();
    m_commands.addAlias(m_textView, C::Cut, tr("切り取り(&T)"));
    m_commands.addAlias(m_textView, C::Copy, tr("コピー(&C)"));
    m_commands.addAlias(m_textView, C::Paste, tr("貼り付け(&P)"));
    m_commands.addOwnItem(m_textView, C::Delete, tr("削除(&D)"), [this] { m_view->DeleteSelection(); });
    m_textView->addSeparator();
    m_commands.addAlias(m_textView, C::SelectAll, tr("すべて選択(&A)"));
    m_view->SetContextMenu(m_textView);
}

bool MainMenus::accessKey(QWidget* receiver, QKeyEvent* e) {
    if ((e->modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier) return false;
    const QKeySequence key(QKeyCombination(Qt::AltModifier, Qt::Key(e->key())));
    if (m_findBar->TakeAccessKey(key)) return true;
    QMenuBar* bar = m_window->menuBar();
    for (QAction* a : bar->actions())
        if (a->menu() && a->isVisible() && a->isEnabled() && QKeySequence::mnemonic(a->text()) == key) {
            bar->setActiveAction(a);
            // As its access key opens it: the first item is ready for Enter.
            for (QAction* item : a->menu()->actions())
                if (!item->isSeparator() && item->isVisible() && item->isEnabled()) {
                    a->menu()->setActiveAction(item);
                    break;
                }
            return true;
        }
    // A letter held with Alt is no text, in a field as in the text view.
    const auto* combo = qobject_cast<QComboBox*>(receiver);
    return (qobject_cast<QLineEdit*>(receiver) || (combo && combo->isEditable())) && !e->text().isEmpty();
}

}  // namespace oruvan
